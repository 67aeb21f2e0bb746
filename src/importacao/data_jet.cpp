#include "importacao/data_jet.h"

#include <cmath>
#include <cstdint>

#include "common/date_time.h"

namespace pezolva::importacao {

std::string data_jet_iso(double dias) {
    const double inteiro = std::trunc(dias);
    auto segundos = static_cast<std::int64_t>(std::llround(std::fabs(dias - inteiro) * 86400.0));
    // The fraction runs forward from the day, whichever way the day counts.
    const std::int64_t desde_dia0 = static_cast<std::int64_t>(inteiro) * 86400 + segundos;
    return DateTime::from_seconds(DateTime{}.to_seconds() + desde_dia0).to_iso();
}

}  // namespace pezolva::importacao
