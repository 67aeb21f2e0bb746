// The restore window with the project's repository as a source of copies:
// the hook the interface fills from offsite, through the window's controls.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>

#include "../backup/backup_fixture.h"
#include "offsite/configuracao.h"
#include "offsite/copias_fora.h"
#include "offsite/envio_copias.h"
#include "offsite/restic.h"
#include "repositorio_fixture.h"
#include "restic_falso.h"
#include "restore/ui/repor_copias_janela.h"

namespace pezolva::offsite {
namespace {

class CopiasForaJanelaTest : public RepositorioFixture {
  protected:
    CopiasForaJanelaTest() {
        regista(testproject::kPrincipal,
                "BUP_ULT_DESTINO=" + engine::quote_literal(pasta_copias()));
        // One copy sent off-site, then gone from the disk; another only local.
        copia(testproject::kPrincipal);
        fora = "brasol" + t.clock.now().stamp() + ".mdb";
        t.clock.advance_seconds(60);
        EXPECT_EQ(envia_para_fora(services, projecto, config, processos, log).enviadas, 1);
        files.remove(pasta_copias() + "/" + fora);
        cria_copia_antiga("brasol200401010000.mdb");
        janela.logica().define_fonte(fonte_copias(services, projecto, processos, config));
    }
    void mostra() {
        janela.show();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
    }
    QTreeWidget& pastas() { return *janela.findChild<QTreeWidget*>(QStringLiteral("List1")); }
    QString aviso() { return janela.findChild<QLabel*>(QStringLiteral("Label13"))->text(); }
    // The list's row of file `nome`, or -1.
    int linha_de(const std::string& nome) {
        for (int i = 0; i < janela.lista().topLevelItemCount(); ++i) {
            if (janela.lista().topLevelItem(i)->text(0).toStdString() == nome) return i;
        }
        return -1;
    }

    std::string fora;
    repor_copias janela{services, projecto};
};

TEST_F(CopiasForaJanelaTest, TheRepositoryIsAFolderEntryAndItsCopyRestoresTheDatabase) {
    mostra();
    const QString repositorio = QString::fromStdString("Repositório: " + config.repositorio);
    ASSERT_GE(pastas().topLevelItemCount(), 2);
    EXPECT_EQ(pastas().topLevelItem(pastas().topLevelItemCount() - 1)->text(0), repositorio);
    const int linha = linha_de(fora);
    ASSERT_GE(linha, 0) << "the off-site copy is listed";
    EXPECT_EQ(janela.lista().topLevelItem(linha)->text(4), repositorio);
    EXPECT_GE(linha_de("brasol200401010000.mdb"), 0) << "the local copy too";
    EXPECT_TRUE(aviso().isEmpty());

    // The live database changes after the copy: the restore brings the copy's tables back.
    principal().Execute("create table depois_da_copia (x)");
    janela.lista().setCurrentItem(janela.lista().topLevelItem(linha));
    dialogs.clear();
    dialogs.queue_answer(Answer::Yes);
    janela.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    ASSERT_FALSE(dialogs.shown().empty());
    EXPECT_EQ(dialogs.shown().back().text, "Cópia concluida");
    EXPECT_THROW(principal().Execute("select * from depois_da_copia"), engine::EngineError);
    EXPECT_NO_THROW(principal().Execute("select * from BUPS")) << "the register was carried";
    for (const std::string& f : ficheiros(projecto.caminho)) {
        EXPECT_EQ(f.find("pezolva-fora"), std::string::npos) << "the fetched file is gone";
    }
}

// An unreachable repository is one line under the lists, with no box, and
// the local copies are listed all the same; pressing "Repor" on a copy
// listed before is a message, and the database stays.
TEST_F(CopiasForaJanelaTest, AnUnreachableRepositoryIsOneLineAndTheLocalCopiesStillList) {
    processos.falha = [](const PedidoProcesso& p) -> std::optional<ResultadoProcesso> {
        if (testing::ResticFalso::subcomando(p) != "snapshots") return std::nullopt;
        return testing::ResticFalso::restic_diz(
            "Fatal: unable to open repository at /x:\nconnection refused\n");
    };
    dialogs.clear();
    mostra();
    EXPECT_FALSE(aviso().isEmpty());
    EXPECT_FALSE(aviso().contains('\n'));
    EXPECT_TRUE(dialogs.shown().empty()) << dialogs.shown().front().text;
    EXPECT_GE(linha_de("brasol200401010000.mdb"), 0);
    EXPECT_EQ(linha_de(fora), -1);

    // Reachable again: "Actualizar ficheiros" lists it and the line goes.
    processos.falha = nullptr;
    janela.findChild<QPushButton*>(QStringLiteral("Command3(2)"))->click();
    EXPECT_GE(linha_de(fora), 0);
    EXPECT_TRUE(aviso().isEmpty());

    // Gone again while the user chooses: the restore says so and changes nothing.
    principal().Execute("create table depois_da_copia (x)");
    processos.falha = [](const PedidoProcesso& p) -> std::optional<ResultadoProcesso> {
        if (testing::ResticFalso::subcomando(p) != "dump") return std::nullopt;
        return testing::ResticFalso::restic_diz(
            "Fatal: unable to open repository: connection refused\n");
    };
    janela.lista().setCurrentItem(janela.lista().topLevelItem(linha_de(fora)));
    dialogs.clear();
    dialogs.queue_answer(Answer::Yes);
    janela.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    ASSERT_EQ(dialogs.shown().size(), 2u);
    EXPECT_NE(dialogs.shown().back().text, "Cópia concluida");
    EXPECT_NO_THROW(principal().Execute("select * from depois_da_copia"));
    for (const std::string& f : ficheiros(projecto.caminho)) {
        EXPECT_EQ(f.find("pezolva-fora"), std::string::npos);
    }
}

}  // namespace
}  // namespace pezolva::offsite
