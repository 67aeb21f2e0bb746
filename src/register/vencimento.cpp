#include "register/vencimento.h"

namespace pezolva {

DateTime momento_ultima_copia(const Value& ult_data, const Value& ult_hora) {
    const DateTime data = nulo_para(ult_data, Value()).to_date().value_or(DateTime{2000, 1, 1});
    const DateTime hora = nulo_para(ult_hora, Value()).to_date().value_or(DateTime{});
    return DateTime::combine(data, hora);
}

bool copia_devida(const Value& intervalo_dias, const Value& ult_data, const Value& ult_hora,
                  const DateTime& agora) {
    const double n = nulo_para(intervalo_dias, 0).to_real().value_or(0.0);
    if (!(n > 0)) return false;
    const auto s = seconds_between(momento_ultima_copia(ult_data, ult_hora), agora);
    return static_cast<double>(s) / 86400.0 >= n;
}

}  // namespace pezolva
