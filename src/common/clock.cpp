#include "common/clock.h"

#include <chrono>
#include <ctime>

namespace pezolva {

DateTime SystemClock::now() {
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

SystemRandom::SystemRandom()
    : generator_(
          std::random_device{}() ^
          static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())) {
}

double SystemRandom::uniform() {
    return std::uniform_real_distribution<double>(0.0, 1.0)(generator_);
}

}  // namespace pezolva
