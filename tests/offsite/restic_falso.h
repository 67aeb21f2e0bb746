#pragma once

#include <cerrno>
#include <functional>
#include <string>
#include <vector>

#include "offsite/processo.h"

namespace pezolva::testing {

// The real programs, watched: every request is kept, and `falha` (when
// set) answers in restic's place for the requests it chooses.
class ResticFalso : public offsite::Processos {
  public:
    offsite::ResultadoProcesso corre(const offsite::PedidoProcesso& p) override {
        pedidos.push_back(p);
        if (falha) {
            if (auto r = falha(p)) return *r;
        }
        return reais.corre(p);
    }

    // A failure of restic with its English text on standard error.
    static offsite::ResultadoProcesso restic_diz(const std::string& erros) {
        offsite::ResultadoProcesso r;
        r.arrancou = true;
        r.estado = 1;
        r.erros = erros;
        return r;
    }
    static offsite::ResultadoProcesso nao_instalado() {
        offsite::ResultadoProcesso r;
        r.erro_arranque = ENOENT;
        return r;
    }
    // The restic subcommand of a request ("backup", "snapshots"...).
    static std::string subcomando(const offsite::PedidoProcesso& p) {
        for (std::size_t i = 0; i < p.argumentos.size(); ++i) {
            const std::string& a = p.argumentos[i];
            if (a == "--repo" || a == "--option") {
                ++i;
                continue;
            }
            return a;
        }
        return "";
    }
    int quantos(const std::string& sub) const {
        int n = 0;
        for (const auto& p : pedidos) n += subcomando(p) == sub;
        return n;
    }

    std::function<std::optional<offsite::ResultadoProcesso>(const offsite::PedidoProcesso&)> falha;
    std::vector<offsite::PedidoProcesso> pedidos;
    offsite::ProcessosReais reais;
};

}  // namespace pezolva::testing
