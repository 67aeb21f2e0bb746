#include "interface/estado.h"

#include <QApplication>
#include <cstdio>
#include <memory>

#include "common/console_dialogs.h"
#include "common/ui/qt_dialogs.h"
#include "common/ui/traducao_qt.h"
#include "engine/error.h"
#include "pezolva/mnt.h"

namespace pezolva {
namespace {

// Windows when the host owns a QApplication, the terminal otherwise,
// decided at each message so that a host may create its application after
// loading the component.
class DialogsDoAnfitriao : public Dialogs {
  public:
    Answer show(const Message& m) override { return escolhe().show(m); }
    int choose(const Choice& c) override { return escolhe().choose(c); }
    std::optional<std::string> choose_folder(const std::string& start,
                                             const std::string& prompt) override {
        return escolhe().choose_folder(start, prompt);
    }
    std::optional<std::string> choose_file(const std::string& folder,
                                           const std::vector<FileFilter>& filters) override {
        return escolhe().choose_file(folder, filters);
    }

  private:
    Dialogs& escolhe() {
        if (qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr) {
            instala_traducao_qt();
            return qt_;
        }
        return consola_;
    }
    QtDialogs qt_;
    ConsoleDialogs consola_;
};

struct ServicosDoSistema {
    ServicosDoSistema() {
        // Settings set aside are said to the user; a file read as
        // Windows-1252 only goes to the message log.
        settings.on_notice([this](const std::string& texto, bool importante) {
            if (importante)
                informa(dialogs, texto, "Atenção", Icon::Warning);
            else
                std::fprintf(stderr, "%s\n", texto.c_str());
        });
    }
    DialogsDoAnfitriao dialogs;
    SystemClock clock;
    SystemRandom random;
    LocalFileSystem files;
    IniSettingsStore settings{IniSettingsStore::default_folder(), files};
    Services services{dialogs, clock, random, settings, files};
};

Services* substitutos = nullptr;

}  // namespace

Estado& estado() {
    static Estado e;
    return e;
}

void exige_janelas() {
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        throw erro(engine::ErroArgumento,
                   "As janelas do componente precisam de uma QApplication no programa "
                   "anfitrião.");
    }
    instala_traducao_qt();
}

void exige_projecto() {
    if (estado().projecto_actual.projecto.empty()) {
        throw erro(engine::ErroArgumento,
                   "Não há um projecto actual: o programa anfitrião tem de chamar actualiza_path "
                   "antes desta operação.");
    }
}

Services& servicos() {
    if (substitutos != nullptr) return *substitutos;
    static ServicosDoSistema sistema;
    return sistema.services;
}

ServicosSubstituidos::ServicosSubstituidos(Services& s) : anteriores_(substitutos) {
    substitutos = &s;
    estado() = Estado{};
}

ServicosSubstituidos::~ServicosSubstituidos() {
    substitutos = anteriores_;
    estado() = Estado{};
}

}  // namespace pezolva
