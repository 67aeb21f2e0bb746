#include "cli.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <stdexcept>

namespace pezolva::cli {

Argumentos::Argumentos(const std::vector<std::string>& args,
                       const std::vector<std::string>& com_valor,
                       const std::vector<std::string>& sem_valor) {
    const auto contem = [](const std::vector<std::string>& v, const std::string& s) {
        return std::find(v.begin(), v.end(), s) != v.end();
    };
    bool so_posicionais = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (so_posicionais || a.size() < 2 || a.compare(0, 2, "--") != 0) {
            posicionais_.push_back(a);
        } else if (a == "--") {
            so_posicionais = true;
        } else {
            std::string nome = a, valor;
            const auto igual = a.find('=');
            const bool valor_junto = igual != std::string::npos;
            if (valor_junto) {
                nome = a.substr(0, igual);
                valor = a.substr(igual + 1);
            }
            if (contem(com_valor, nome)) {
                if (!valor_junto) {
                    if (i + 1 >= args.size()) throw UsoErrado{"falta o valor de " + nome};
                    valor = args[++i];
                }
                opcoes_.emplace_back(nome, valor);
            } else if (contem(sem_valor, nome) && !valor_junto) {
                opcoes_.emplace_back(nome, "");
            } else {
                throw UsoErrado{"opção desconhecida: " + a};
            }
        }
    }
}

bool Argumentos::tem(const std::string& opcao) const {
    return std::any_of(opcoes_.begin(), opcoes_.end(),
                       [&](const auto& o) { return o.first == opcao; });
}

std::optional<std::string> Argumentos::valor(const std::string& opcao) const {
    for (auto it = opcoes_.rbegin(); it != opcoes_.rend(); ++it) {
        if (it->first == opcao) return it->second;
    }
    return std::nullopt;
}

void Argumentos::exige_posicionais(std::size_t minimo, std::size_t maximo) const {
    if (posicionais_.size() < minimo) throw UsoErrado{"faltam argumentos"};
    if (posicionais_.size() > maximo) throw UsoErrado{"argumentos a mais: " + posicionais_[maximo]};
}

namespace {

std::optional<std::string> le_do_terminal(const std::string& pergunta) {
    const int tty = ::open("/dev/tty", O_RDWR | O_CLOEXEC);
    if (tty < 0) return std::nullopt;
    termios antes{};
    const bool e_terminal = ::tcgetattr(tty, &antes) == 0;
    if (!e_terminal) {
        ::close(tty);
        return std::nullopt;
    }
    termios sem_eco = antes;
    sem_eco.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    sem_eco.c_lflag |= ECHONL;
    if (::write(tty, pergunta.data(), pergunta.size()) < 0) {
        ::close(tty);
        return std::nullopt;
    }
    ::tcsetattr(tty, TCSAFLUSH, &sem_eco);
    std::string linha;
    char c;
    while (::read(tty, &c, 1) == 1 && c != '\n') linha += c;
    ::tcsetattr(tty, TCSAFLUSH, &antes);
    ::close(tty);
    return linha;
}

}  // namespace

const std::optional<std::string>& palavra_passe_do_ambiente() {
    static const std::optional<std::string> lida = []() -> std::optional<std::string> {
        const char* env = std::getenv("PEZOLVA_PASSWORD");
        if (env == nullptr) return std::nullopt;
        std::string texto = env;
        ::unsetenv("PEZOLVA_PASSWORD");
        return texto;
    }();
    return lida;
}

std::string obtem_password(const Argumentos& args, const std::string& pergunta) {
    if (const auto& env = palavra_passe_do_ambiente()) return *env;
    if (auto ficheiro = args.valor("--password-file")) {
        std::ifstream in(*ficheiro);
        if (!in) throw std::runtime_error("não foi possível ler o ficheiro " + *ficheiro);
        std::string linha;
        std::getline(in, linha);
        if (!linha.empty() && linha.back() == '\r') linha.pop_back();
        return linha;
    }
    if (auto lida = le_do_terminal(pergunta)) return *lida;
    throw std::runtime_error(
        "falta a palavra-passe: defina PEZOLVA_PASSWORD ou use --password-file FICHEIRO");
}

}  // namespace pezolva::cli
