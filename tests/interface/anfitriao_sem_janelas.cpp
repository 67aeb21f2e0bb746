// Test helper: a host of the shared library that owns no QApplication.
// Usage: anfitriao_sem_janelas selecciona|sem-projecto|operacoes-sem-projecto
//        anfitriao_sem_janelas arranque PASTA NOME BD  (password in PEZOLVA_TESTE_PASSE)
//        anfitriao_sem_janelas mostra-erro
// Prints one line per operation called: "erro N" for a pezolva::erro, or
// "sem erro"; a start prints how it ended.  A crash shows in its exit
// status.  The component's messages go to the standard error.
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

#include "pezolva/mnt.h"
#include "pezolva/operacoes.h"

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

const char* nome_do_arranque(pezolva::operacoes::Arranque a) {
    switch (a) {
        case pezolva::operacoes::Arranque::Pronto:
            return "Pronto";
        case pezolva::operacoes::Arranque::Recusado:
            return "Recusado";
        case pezolva::operacoes::Arranque::SemBasePrincipal:
            return "SemBasePrincipal";
        case pezolva::operacoes::Arranque::NaoAbre:
            return "NaoAbre";
    }
    return "?";
}

// A start through the unattended API: how it ended, or its error.
int arranque(int argc, char** argv) {
    if (argc != 5) return 2;
    const char* passe = std::getenv("PEZOLVA_TESTE_PASSE");
    chama([&] {
        const auto a = pezolva::operacoes::arranca_projecto({argv[3], "", argv[2], argv[4]},
                                                            passe != nullptr ? passe : "", false);
        std::printf("%s\n", nome_do_arranque(a));
    });
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 2 && std::string(argv[1]) == "arranque") return arranque(argc, argv);
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
    } else if (modo == "operacoes-sem-projecto") {
        chama([] { pezolva::operacoes::lembrete(); });
        chama([] { pezolva::operacoes::registo_copias(); });
        chama([] { pezolva::operacoes::copia_bases({"brasol.mdb"}); });
    } else if (modo == "mostra-erro") {
        pezolva::operacoes::mostra_erro(pezolva::erro(3045, "Em uso."));
        pezolva::operacoes::mostra_erro(std::runtime_error("Sem número."));
    } else {
        return 2;
    }
    return 0;
}
