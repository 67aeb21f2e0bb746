#include "pezolva/mnt.h"

#include "common/file_system.h"
#include "interface/estado.h"
#include "interface/projectos.h"
#include "interface/ui/escolhe_proj.h"

namespace pezolva {

struct mnt::Impl {};

mnt::mnt() : impl_(std::make_unique<Impl>()) {}
mnt::~mnt() = default;

namespace {

// Errors the component does not handle itself reach the host as `erro`,
// a type the host can catch across the library boundary.
template <typename F>
auto para_o_anfitriao(F&& operacao) -> decltype(operacao()) {
    try {
        return operacao();
    } catch (const FileError& e) {
        throw erro(e.error_number(), e.what());
    }
}

}  // namespace

bool mnt::actualiza_path(std::string& caminho, std::string& projecto, std::string& nome_bd,
                         std::string& descr, std::string& passwd, bool& vem_de_pezolva) {
    return para_o_anfitriao([&] {
        regista_projecto(servicos().settings, estado().projecto_actual, caminho, projecto, nome_bd,
                         descr, passwd, vem_de_pezolva);
        return true;
    });
}

bool mnt::selecciona_projectos(std::string& nome_proj, std::string& descr, std::string& caminho,
                               std::string& nome_bd, bool& ha_mais) {
    return para_o_anfitriao([&] {
        return pezolva::selecciona_projectos(servicos().settings, servicos().dialogs,
                                             mostra_escolhe_proj, estado().lista_projectos,
                                             nome_proj, descr, caminho, nome_bd, ha_mais);
    });
}

}  // namespace pezolva
