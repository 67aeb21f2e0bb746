#include "importacao/data_jet.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace pezolva::importacao {
namespace {

struct Civil {
    std::int64_t ano;
    unsigned mes;
    unsigned dia;
};

// Days since 1970-01-01 to the proleptic Gregorian calendar.
Civil civil(std::int64_t z) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return {static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0), m, d};
}

constexpr std::int64_t kDia0 = -25569;  // 1899-12-30, in days since 1970-01-01

}  // namespace

std::string data_jet_iso(double dias) {
    const double inteiro = std::trunc(dias);
    auto dia = static_cast<std::int64_t>(inteiro);
    auto segundos = static_cast<std::int64_t>(std::llround(std::fabs(dias - inteiro) * 86400.0));
    if (segundos >= 86400) {  // rounds up into the next day, whichever way the day counts
        segundos -= 86400;
        ++dia;
    }
    char hora[16];
    std::snprintf(hora, sizeof hora, "%02d:%02d:%02d", static_cast<int>(segundos / 3600),
                  static_cast<int>(segundos / 60 % 60), static_cast<int>(segundos % 60));
    if (dia == 0 && segundos != 0) return hora;
    const Civil c = civil(dia + kDia0);
    char data[32];
    std::snprintf(data, sizeof data, "%04lld-%02u-%02u", static_cast<long long>(c.ano), c.mes, c.dia);
    return segundos == 0 ? std::string(data) : std::string(data) + " " + hora;
}

}  // namespace pezolva::importacao
