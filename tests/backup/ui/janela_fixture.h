#pragma once

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "backup/ui/conf_copias.h"
#include "engine/database.h"
#include "support/fixtures.h"
#include "testproject/projecto_teste.h"

class QLineEdit;

namespace pezolva::testing {

// A test project whose register went through a host start (created,
// migrated, pointed at "copiaseg", given its integrity frequency), and the
// verbs of a backup-window scenario.
class JanelaCopiasTest : public ::testing::Test {
  protected:
    JanelaCopiasTest();

    std::string pasta_copias() const { return projecto.caminho + "/copiaseg"; }
    engine::Database principal();
    // Sets columns of a register row ("BUP_X=valor, ...", SQL values).
    void regista(const std::string& nome_bd, const std::string& atribuicoes);
    Value coluna(const std::string& nome_bd, const std::string& coluna);
    // The copy files in the backup folder, sorted.
    std::vector<std::string> copias();

    // The window with the project loaded, as the class mnt prepares it.
    std::unique_ptr<conf_copias> abre_janela();
    // Shows it and makes it the active window, as a user would see it.
    void mostra(conf_copias& janela);

    // A control by name; the test fails when it is missing.
    template <class T>
    T* controlo(QWidget& janela, const char* nome) {
        T* c = janela.findChild<T*>(QString::fromUtf8(nome));
        if (c == nullptr) ADD_FAILURE() << "no control " << nome;
        return c;
    }
    QLineEdit* campo(QWidget& janela, int indice);
    void clica(QWidget& janela, const char* nome);

    // The list's ticked names, in list order, and the ticking of a line.
    std::vector<std::string> marcadas(QWidget& janela);
    void marca(QWidget& janela, const std::string& nome, bool marcada);
    void marca_so(QWidget& janela, const std::vector<std::string>& nomes);
    void escolhe_linha(QWidget& janela, int linha);

    // Types `texto` over the whole of field `indice`, then leaves it with Tab.
    void escreve(QWidget& janela, int indice, const std::string& texto);

    TestServices t;
    testproject::Projecto projecto_teste;
    ProjectoActual projecto;
};

}  // namespace pezolva::testing
