// Test helper: a host of the shared library that owns no QApplication.
// Usage: anfitriao_sem_janelas selecciona|sem-projecto
// Prints one line per operation called: "erro N" for a pezolva::erro, or
// "sem erro".  A crash shows in its exit status.
#include <cstdio>
#include <string>

#include "pezolva/mnt.h"

namespace {

template <typename F>
void chama(F&& operacao) {
    try {
        operacao();
        std::printf("sem erro\n");
    } catch (const pezolva::erro& e) {
        std::printf("erro %d: %s\n", e.numero(), e.what());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::string modo = argv[1];
    pezolva::mnt m;
    if (modo == "selecciona") {
        std::string nome, descr, caminho, nome_bd;
        bool ha_mais = false;
        chama([&] { m.selecciona_projectos(nome, descr, caminho, nome_bd, ha_mais); });
    } else if (modo == "sem-projecto") {
        chama([&] { m.valida_bups_bd(); });
        chama([&] { m.ver_existen_ficheiros_a_copiar(); });
        chama([&] { m.copia_segur_sem_fo(); });
        chama([&] { m.copia_segur_com_fo(); });
    } else {
        return 2;
    }
    return 0;
}
