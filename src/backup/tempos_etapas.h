#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace pezolva::backup {

// The wall time of each stage of one backup, for whoever measures the
// backup (the benchmark): with the environment variable PEZOLVA_TEMPOS set
// and not "0", each stage writes one line "tempos: BASE: ETAPA S.SSS s" to
// standard error.  Off by default, and never in the run's logs.  Lines
// name only the database file and the stage: no path, no password.
class TemposEtapas {
  public:
    explicit TemposEtapas(std::string base) : base_(std::move(base)), activo_(pedido()) {}

    // Ends the stage that began at the previous mark (or at construction)
    // and names it.
    void marca(std::string_view etapa) {
        if (!activo_) return;
        const auto agora = std::chrono::steady_clock::now();
        const double s = std::chrono::duration<double>(agora - desde_).count();
        std::fprintf(stderr, "tempos: %s: %.*s %.3f s\n", base_.c_str(),
                     static_cast<int>(etapa.size()), etapa.data(), s);
        desde_ = agora;
    }

  private:
    static bool pedido() {
        const char* v = std::getenv("PEZOLVA_TEMPOS");
        return v != nullptr && *v != '\0' && std::string_view(v) != "0";
    }

    std::string base_;
    bool activo_;
    std::chrono::steady_clock::time_point desde_ = std::chrono::steady_clock::now();
};

}  // namespace pezolva::backup
