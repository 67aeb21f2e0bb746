// The unattended operations on the current project's backups: the
// reminder's decision, the register, and a run of copies.
#include "backup/copia_base_dados.h"
#include "backup/execucao_copias.h"
#include "backup/progresso.h"
#include "common/console_dialogs.h"
#include "common/text.h"
#include "engine/database.h"
#include "engine/interruption.h"
#include "interface/estado.h"
#include "interface/para_o_anfitriao.h"
#include "interface/processos_fora.h"
#include "offsite/configuracao.h"
#include "offsite/envio_copias.h"
#include "pezolva/operacoes.h"
#include "register/bups.h"
#include "register/lembrete.h"
#include "register/percurso.h"
#include "register/registo_bups.h"

namespace pezolva::operacoes {

// The public answers are the indexes of the reminder's buttons.
static_assert(int{kFazer} == int{pezolva::kFazer} && int{kNaoFazer} == int{pezolva::kNaoFazer} &&
              int{kConfigurar} == int{pezolva::kConfigurar});

namespace {

// The host's callbacks behind the backup engine's progress display.
class ProgressoDoAnfitriao : public backup::Progresso {
  public:
    explicit ProgressoDoAnfitriao(const operacoes::Progresso& p) : p_(p) {}
    bool visivel() const override { return p_.mostra || p_.barra || p_.avanca; }
    void mostra(const std::string& base, const std::string& etapa) override {
        if (p_.mostra) p_.mostra(base, etapa);
    }
    void barra(int minimo, int maximo, int valor) override {
        if (p_.barra) p_.barra(minimo, maximo, valor);
    }
    void avanca() override {
        if (p_.avanca) p_.avanca();
    }

  private:
    const operacoes::Progresso& p_;
};

FimCopias fim_para_o_anfitriao(backup::FimExecucao fim) {
    switch (fim) {
        case backup::FimExecucao::NadaSeleccionado:
            return FimCopias::NadaSeleccionado;
        case backup::FimExecucao::NenhumaIniciada:
            return FimCopias::NenhumaIniciada;
        case backup::FimExecucao::Concluida:
            return FimCopias::Concluida;
        case backup::FimExecucao::ComErros:
            return FimCopias::ComErros;
        case backup::FimExecucao::Interrompida:
            return FimCopias::Interrompida;
    }
    return FimCopias::ComErros;
}

// The register of the current project, open on its main database.
struct RegistoAberto {
    engine::Database principal;
    engine::Recordset registo;
};

RegistoAberto abre_registo() {
    exige_projecto();
    const ProjectoActual& actual = estado().projecto_actual;
    RegistoAberto r{engine::OpenDatabase(actual.base_principal(), false, false, actual.ligacao()),
                    {}};
    r.registo = r.principal.OpenRecordset("select * from BUPS");
    return r;
}

// The run's copies also go to the project's repository, when it has one.
// A failure there makes the run's a failure; the local copies stay.
FimCopias envia_para_fora(backup::LogsExecucao& log, FimCopias fim) {
    const ProjectoActual& projecto = estado().projecto_actual;
    const auto config = offsite::le_configuracao(servicos().files, projecto.caminho);
    if (!config) return fim;
    const offsite::ResumoEnvio envio =
        offsite::envia_para_fora(servicos(), projecto, *config, processos_fora(), log);
    if (envio.interrompido_por != 0) return FimCopias::Interrompida;
    return log.sem_erros() ? fim : FimCopias::ComErros;
}

}  // namespace

Lembrete lembrete() {
    return para_o_anfitriao([] {
        exige_projecto();
        const DecisaoLembrete decisao =
            decide_lembrete(estado().projecto_actual, servicos().clock.now());
        const Choice pergunta = pergunta_lembrete();
        Lembrete l;
        l.perguntar = decisao.perguntar;
        l.devidas = decisao.devidas;
        l.titulo = pergunta.title;
        l.texto = pergunta.text;
        for (const std::string& o : pergunta.options) l.respostas.push_back(sem_acelerador(o));
        return l;
    });
}

std::vector<BaseRegistada> registo_copias() {
    return para_o_anfitriao([] {
        RegistoAberto aberto = abre_registo();
        const DateTime agora = servicos().clock.now();
        std::vector<BaseRegistada> linhas;
        cada_linha(aberto.registo, [&](const engine::Recordset& linha) {
            linhas.push_back({linha[bups::kNomeBd].to_text(), linha[bups::kDiasIntervalo].to_text(),
                              linha[bups::kCopiasAManter].to_text(),
                              linha[bups::kUltNomeEstrutura].to_text(),
                              linha[bups::kCaminhoDestino].to_text(), linha_devida(linha, agora),
                              ultima_copia(linha)});
        });
        return linhas;
    });
}

ResultadoCopias copia_bases(const std::vector<std::string>& nomes, const Progresso& progresso) {
    return para_o_anfitriao([&] {
        RegistoAberto aberto = abre_registo();
        backup::LogsExecucao log;
        ProgressoDoAnfitriao mostrador(progresso);
        backup::CopiaBaseDados copia(servicos(), estado().projecto_actual, log, mostrador);
        ResultadoCopias r;
        r.fim = fim_para_o_anfitriao(
            backup::executa_copias(nomes, aberto.registo, copia, log, servicos().dialogs));
        if (r.fim == FimCopias::Concluida || r.fim == FimCopias::ComErros) {
            r.fim = envia_para_fora(log, r.fim);
        }
        if (r.fim == FimCopias::Interrompida) {
            r.sinal = engine::interruption_requested();
            // The request would stop every later statement of this process:
            // the host decides what the signal means now that it has it.
            engine::clear_interruption();
        }
        r.mensagens = linhas_lf(log.mensagens());
        r.erros = linhas_lf(log.erros());
        return r;
    });
}

}  // namespace pezolva::operacoes
