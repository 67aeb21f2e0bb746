// Renders each window of the component with sample data and saves it as a
// PNG, so that a person can look at it.  Run by hand:
//   xvfb-run -a build/tests/tools/ui_screenshots /tmp/shots
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QPixmap>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstdio>

#include "backup/ui/conf_copias.h"
#include "common/scripted_dialogs.h"
#include "common/ui/escolhe_ficheiro.h"
#include "common/ui/navegador_pastas.h"
#include "common/ui/pergunta.h"
#include "compaction/ui/espera_setup.h"
#include "engine/database.h"
#include "integrity/ui/ver_integridade.h"
#include "janela_principal.h"
#include "pezolva/mnt.h"
#include "project/ui/escolhe_proj.h"
#include "register/valida_bups.h"
#include "restore/ui/repor_copias_janela.h"
#include "testproject/divergencias.h"
#include "testproject/projecto_teste.h"

namespace {

void grava_png(QWidget& janela, const QString& pasta, const QString& nome) {
    const QString ficheiro = QDir(pasta).filePath(nome + ".png");
    janela.grab().save(ficheiro);
    std::printf("%s\n", ficheiro.toLocal8Bit().constData());
}

// The window at its default size, then enlarged ("_ampliada"), to see
// where the space it gains goes.
void grava_ampliada(QWidget& janela, const QString& pasta, const QString& nome) {
    grava_png(janela, pasta, nome);
    const QSize antes = janela.size();
    janela.resize(antes.width() * 3 / 2, antes.height() * 3 / 2);
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
    grava_png(janela, pasta, nome + "_ampliada");
    janela.resize(antes);
    QApplication::processEvents();
}

void guarda(QWidget& janela, const QString& pasta, const QString& nome) {
    janela.show();
    QApplication::processEvents();
    grava_ampliada(janela, pasta, nome);
    janela.close();
}

// A small test project started as a host starts it, with the services
// the windows need, in a temporary folder of its own under `subpasta`.
struct ProjectoAmostra {
    explicit ProjectoAmostra(const std::string& subpasta = "")
        : teste(cria(tmp.path().toStdString() + subpasta + "/obras")),
          projecto{teste.pasta,
                   "obras",
                   pezolva::testproject::kPrincipal,
                   pezolva::testproject::kPassePrincipal,
                   false,
                   true} {
        create_directories(files, teste.pasta + "/copiaseg");
        bool inconsistente = false;
        pezolva::valida_bups_bd(projecto, servicos, {}, inconsistente);
    }
    static pezolva::testproject::Projecto cria(const std::string& pasta) {
        pezolva::testproject::Opcoes opcoes;
        opcoes.linhas = 5;
        return pezolva::testproject::cria_projecto(pasta, opcoes);
    }

    QTemporaryDir tmp;
    pezolva::LocalFileSystem files;
    pezolva::ScriptedDialogs dialogs;
    pezolva::FixedClock clock{pezolva::DateTime{2005, 5, 19, 14, 7, 0}};
    pezolva::SystemRandom random;
    pezolva::IniSettingsStore settings{tmp.path().toStdString() + "/config", files};
    pezolva::Services servicos{dialogs, clock, random, settings, files};
    pezolva::testproject::Projecto teste;
    pezolva::ProjectoActual projecto;
};

// The backup window on a small test project: full, compact after a run
// that succeeded, and full on its error log after one that did not.
void copias(const QString& pasta) {
    using namespace pezolva;
    ProjectoAmostra amostra;
    Services& servicos = amostra.servicos;
    ProjectoActual& projecto = amostra.projecto;
    engine::Database principal =
        engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao());
    principal.Execute(
        "update BUPS set BUP_ULT_DATA='2005-05-12', BUP_ULT_HORA='18:42:10', "
        "BUP_ULT_DURACAO=2, BUP_ULT_DESTINO=BUP_CAMINHO_DESTINO, BUP_ULT_TAMANHO=1234567, "
        "BUP_ULT_N_REGISTOS=4821, BUP_ULT_UTILIZADOR='ana' where BUP_NOME_BD='brasol.mdb'");

    {
        conf_copias janela(servicos, projecto);
        janela.carrega_projecto();
        janela.forma_completa();
        guarda(janela, pasta, "conf_copias_completa");
        // The arrows on the tab bar: the hidden tabs stay out of reach.
        janela.show();
        QTabBar* barra = janela.findChild<QTabWidget*>("SSTab1")->tabBar();
        barra->setFocus();
        QTest::keyClick(barra, Qt::Key_Right);
        QTest::keyClick(barra, Qt::Key_Right);
        QApplication::processEvents();
        grava_png(janela, pasta, "conf_copias_setas_no_separador");
        janela.close();
    }
    {
        conf_copias janela(servicos, projecto);
        janela.carrega_projecto();
        janela.forma_compacta();
        guarda(janela, pasta, "conf_copias_compacta");  // its run starts when shown
    }
    principal.Execute("update BUPS set BUP_PASSWD='errada' where BUP_NOME_BD='log.mdb'");
    {
        conf_copias janela(servicos, projecto);
        janela.carrega_projecto();
        janela.forma_completa();
        janela.show();
        QApplication::processEvents();
        auto* lista = janela.findChild<QTreeWidget*>("ListView1");
        for (int i = 0; i < lista->topLevelItemCount(); ++i) {
            lista->topLevelItem(i)->setCheckState(0, Qt::Checked);
        }
        janela.findChild<QPushButton*>("Command1")->click();
        QApplication::processEvents();
        grava_ampliada(janela, pasta, "conf_copias_erros");
        janela.close();
    }
}

// The restore window on a project in a deep folder, with copies in its
// copies folder, after its first search; then the folder browser there.
void reposicao(const QString& pasta) {
    using namespace pezolva;
    ProjectoAmostra amostra(
        "/Câmara Municipal/Departamento de Obras Públicas e Ambiente/Projectos de 2005");
    Services& servicos = amostra.servicos;
    ProjectoActual& projecto = amostra.projecto;
    LocalFileSystem& files = amostra.files;
    const testproject::Projecto& teste = amostra.teste;
    const std::string copias = teste.pasta + "/copiaseg";
    engine::OpenDatabase(projecto.base_principal(), false, false, projecto.ligacao())
        .Execute("update BUPS set BUP_ULT_DESTINO=BUP_CAMINHO_DESTINO");
    for (const char* nome : {"brasol200505191407.mdb", "brasol200505121842.mdb",
                             "brasol_fotos200505191407.mdb", "log200505191407.mdb"}) {
        files.copy_file(teste.principal.caminho, copias + "/" + nome);
    }
    {
        repor_copias janela(servicos, projecto);
        janela.show();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        grava_ampliada(janela, pasta, "repor_copias");
        // A copy chosen, then "Adicionar Pasta" cancelled: the project
        // folder is searched again, the choice and the focus stay.
        auto& lista = janela.lista();
        lista.setCurrentItem(lista.topLevelItem(std::min(2, lista.topLevelItemCount() - 1)));
        auto* adicionar = janela.findChild<QPushButton*>("Command3(0)");
        adicionar->setFocus();
        amostra.dialogs.queue_folder(std::nullopt);
        adicionar->click();
        for (int i = 0; i < 5; ++i) QApplication::processEvents();
        grava_png(janela, pasta, "repor_copias_apos_adicionar_cancelado");
        janela.close();
    }
    NavegadorPastas navegador(QString::fromStdString(copias), QStringLiteral("Seleccione a pasta"));
    navegador.show();
    // Grabbed at once: it opens on its start, before the rest has loaded.
    QApplication::processEvents();
    grava_png(navegador, pasta, "escolhe_pasta_ao_abrir");
    QElapsedTimer espera;
    espera.start();
    while (espera.elapsed() < 1500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    grava_ampliada(navegador, pasta, "escolhe_pasta");
    navegador.close();

    // The structure file chooser, in details, on the project folder.
    const auto ficheiro =
        janela_escolhe_ficheiro(QString::fromStdString(teste.pasta),
                                {QStringLiteral("Estrutura de Base de Dados (*.ebd)"),
                                 QStringLiteral("Todos os ficheiros (*.*)")},
                                nullptr);
    ficheiro->selectNameFilter(QStringLiteral("Todos os ficheiros (*.*)"));
    ficheiro->show();
    espera.restart();
    while (espera.elapsed() < 1500) QApplication::processEvents(QEventLoop::AllEvents, 50);
    grava_ampliada(*ficheiro, pasta, "escolhe_ficheiro");
    ficheiro->close();
}

// The verification window on a project under an 80-character path whose
// main structure differs: full before a run, each tab after it, compact.
void integridade(const QString& pasta) {
    using namespace pezolva;
    QTemporaryDir tmp;
    const std::string base = tmp.path().toStdString() +
                             "/Projectos da Associação Humanitária de Bombeiros/" +
                             std::string(20, 'x');
    LocalFileSystem files;
    ScriptedDialogs dialogs;
    FixedClock clock{DateTime{2005, 5, 19, 14, 7, 0}};
    SystemRandom random;
    IniSettingsStore settings{tmp.path().toStdString() + "/config", files};
    Services servicos{dialogs, clock, random, settings, files};
    testproject::Opcoes opcoes;
    opcoes.linhas = 0;
    const auto teste = testproject::cria_projecto(base, opcoes);
    ProjectoActual projecto{teste.pasta,
                            std::string(60, 'o'),
                            testproject::kPrincipal,
                            testproject::kPassePrincipal,
                            false,
                            true};
    bool inconsistente = false;
    valida_bups_bd(projecto, servicos, {}, inconsistente);
    {
        engine::Database estr = testproject::abre_estrutura(teste.principal);
        testproject::muda_tamanho(estr, "corporacoes", "nome", 150);
        testproject::apaga_relacao(estr, testproject::kRelacaoTurnos);
    }
    ver_integridade janela(projecto);
    janela.carrega_projecto();
    guarda(janela, pasta, "ver_integridade_carregada");
    janela.show();
    janela.verifica();
    QApplication::processEvents();
    auto* tabs = janela.findChild<QTabWidget*>("SSTab1");
    const char* nomes[] = {"ver_integridade_estado", "ver_integridade_registo",
                           "ver_integridade_erros"};
    for (int i = 0; i < 3; ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        grava_ampliada(janela, pasta, nomes[i]);
    }
    janela.close();
    ver_integridade compacta(projecto);
    compacta.forma_compacta();
    compacta.show();  // grabbed before its run, which starts from the event loop
    grava_png(compacta, pasta, "ver_integridade_compacta");
    compacta.close();
}

// The launcher's main window for a project with a 60-character name under
// an 80-character path, one database due.
void principal(const QString& pasta) {
    using namespace pezolva;
    const operacoes::Projecto projecto{
        "Associação Humanitária dos Bombeiros Voluntários de Vila Nova",
        "Gestão de sócios e quotas",
        "/srv/dados/projectos/associacao-humanitaria-bombeiros-voluntarios/vila-nova",
        "brasol.mdb"};
    const std::vector<operacoes::BaseRegistada> registo = {
        {"brasol.mdb", "1", "5", "estr_b.ebd", "/srv/copias", false, "12-05-2005 18:42:10"},
        {"brasol_fotos.mdb", "7", "3", "estr_f.ebd", "/srv/copias", true, "02-05-2005 09:15:00"},
        {"log.mdb", "30", "2", "estr_l.ebd", "/srv/copias", true, ""},
    };
    mnt m;
    cli::JanelaPrincipal janela(projecto, cli::operacoes_do_lancador(m), [&] { return registo; });
    janela.setWindowIcon(cli::icone_pezolva());
    guarda(janela, pasta, "pezolva_principal");
    QPixmap icone = cli::icone_pezolva().pixmap(64, 64);
    icone.save(QDir(pasta).filePath("pezolva_icone.png"));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    const QString pasta = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    QDir().mkpath(pasta);

    const std::vector<pezolva::EntradaProjecto> lista = {
        {"obras", "Obras Públicas da Câmara", "brasol.mdb", "/dados/obras"},
        {"bombeiros", "Corporação de Bombeiros Voluntários", "brasol.mdb", "/dados/bombeiros"},
        {"arquivo", "Arquivo Histórico", "quesim.mdb", "/srv/arquivo"},
    };
    pezolva::escolhe_proj escolhe(lista);
    guarda(escolhe, pasta, "escolhe_proj");

    pezolva::pergunta pergunta;
    pergunta.prepara({"Cópias de Segurança",
                      "É aconselhável fazer cópias de segurança de alguns ficheiros.",
                      pezolva::Icon::Question,
                      {"&Fazer", "&Não Fazer", "&Configurar"}});
    guarda(pergunta, pasta, "pergunta");

    copias(pasta);
    reposicao(pasta);
    integridade(pasta);
    principal(pasta);

    // The wait window in its two roles, the compaction's with a long name.
    pezolva::espera_setup espera;
    guarda(espera, pasta, "espera_setup");
    pezolva::AvisoEsperaJanela aviso;
    aviso.mostra("A COMPACTAR", "base_de_dados_com_um_nome_muito_comprido_de_41.mdb");
    grava_png(*aviso.janela(), pasta, "espera_setup_compactar");
    aviso.fecha();
    return 0;
}
