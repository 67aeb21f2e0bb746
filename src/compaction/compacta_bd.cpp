#include "compaction/compacta_bd.h"

#include <optional>

#include "compaction/executa_e_espera.h"
#include "compaction/nomes_compactacao.h"
#include "compaction/troca_compactada.h"
#include "engine/database.h"
#include "engine/file_sync.h"
#include "engine/interruption.h"
#include "engine/lock_file.h"
#include "engine/lock_sharing.h"
#include "engine/settle.h"
#include "engine/whole_file_check.h"

namespace pezolva {
namespace {

void falha_compactar(Dialogs& d, const std::string& nomebd) {
    informa(d,
            "Não foi possível compactar a base de dados " + nomebd +
                ". Por favor contacte a assistência técnica.",
            "Atenção", Icon::Critical);
}

void falha_reparar(Dialogs& d, const std::string& nomebd) {
    informa(d,
            "Não foi possível executar a reparação da base de dados " + nomebd +
                ". Verifique que não está nenhum utilizador ligado, reinicie o computador, e tente "
                "de novo.",
            "Atenção", Icon::Critical);
}

// The "bloqueada" text, without its question.
std::string bloqueada(const std::string& nomebd, const std::string& projecto) {
    return "A base de dados " + nomebd + " está bloqueada. Por favor, saia do " + projecto +
           " em todos os postos de trabalho.";
}

// A database somebody else holds, or whose holders cannot be asked (its
// companion cannot be locked, its file system keeps locks to itself), is
// refused as the restore refuses it: the "bloqueada" text, then the cause
// on its own line.
bool recusa_bloqueada(Dialogs& d, DetalheCompactacao& detalhe, const std::string& nomebd,
                      const std::string& projecto, const std::string& causa) {
    detalhe.causa = kEstaBloqueada;
    informa(d, bloqueada(nomebd, projecto) + "\n\n" + causa, "Atenção", Icon::Critical);
    return false;
}

bool continua_bloqueada(Dialogs& d, const std::string& nomebd, const std::string& projecto) {
    Message m;
    m.text = bloqueada(nomebd, projecto) + "\r\nContinuar ?";
    m.icon = Icon::Question;
    m.buttons = Buttons::YesNo;
    m.default_answer = Answer::Yes;
    return d.show(m) == Answer::Yes;
}

// Why the copy at `caminho` cannot take the database's place; nullopt when
// it opens with the password, SQLite finds it sound, and it is on the disk.
// Whatever tool wrote it, the copy is synced here, while it is checked:
// ours leaves that to us so that the two overlap.
std::optional<std::string> defeito_da_copia(FileSystem& files, const std::string& caminho,
                                            const std::string& passwd) {
    if (!files.exists(caminho)) return "a ferramenta não escreveu a cópia";
    std::optional<std::string> defeito;
    try {
        // Made before the connection opens the file and gone after it
        // closes, so that closing its descriptor drops no lock of SQLite's.
        engine::FileSync sincronizacao(caminho);
        sincronizacao.Start();
        if (auto v = engine::QuickCheckOnTwoConnections(caminho, ";pwd=" + passwd)) {
            defeito = "a cópia está danificada: " + *v;
        }
        sincronizacao.Wait();
    } catch (const engine::EngineError& e) {
        if (!defeito) defeito = e.descricao();
    }
    return defeito;
}

// Steps 4 and 5: the tool's run and its verdict on the copy; nullopt when
// the copy at `temporario` is complete and sound.
std::optional<std::string> corre_ferramenta(Services& s, const AmbienteCompactacao& a,
                                            const std::string& ferramenta, const std::string& base,
                                            const std::string& temporario,
                                            const std::string& nomebd, const std::string& passwd,
                                            const engine::CompanionLock& bloqueio) {
    PedidoExecucao pedido;
    pedido.programa = ferramenta;
    pedido.argumentos = {"-src:" + base, "-dest:" + temporario, "-w-", "-v3"};
    pedido.estado_janela = 0;
    pedido.tempo_limite_ms = a.tempo_limite_ms;
    pedido.entrada = passwd + "\n";
    pedido.mata_no_limite = true;
    // A host that turned signals into a stop request (the unattended
    // operations) is not held for an hour by the tool.
    pedido.parar = [] { return engine::interruption_requested() != 0; };
    pedido.ambiente = {"JETCOMP_NO_SYNC=1"};
    if (bloqueio.held()) {
        pedido.herdados = {bloqueio.descriptor()};
        pedido.ambiente.push_back("JETCOMP_LOCK_FD=" + std::to_string(bloqueio.descriptor()));
    }
    if (a.aviso != nullptr) {
        a.aviso->mostra("A COMPACTAR", nomebd);
        pedido.entre_esperas = [aviso = a.aviso] { aviso->mantem(); };
    }
    const ResultadoExecucao r = executa_e_espera(pedido);
    if (a.aviso != nullptr) a.aviso->fecha();
    if (r.parada) return "a compactação foi interrompida";
    if (r.codigo == kTempoEsgotado) return "a ferramenta não terminou dentro do tempo limite";
    if (r.codigo != kTerminou) return "não foi possível executar " + ferramenta;
    if (r.saida != 0) {
        return r.erros.empty() ? "a ferramenta terminou com o código " + std::to_string(r.saida)
                               : r.erros;
    }
    return defeito_da_copia(s.files, temporario, passwd);
}

// Brings the journals beside `caminho` into the file, for the holder of
// its exclusive lock.  A file SQLite cannot read keeps its journals: the
// swap takes them along with the old file, where they belong.
void assenta(const std::string& caminho) {
    try {
        engine::SettleJournals(caminho);
    } catch (const engine::EngineError&) {
    }
}

// Step 1: the tool, or nullopt after the messages that say it is missing.
// One in the database's folder that somebody else could have put there is
// passed over, and the message says which tool runs instead.
std::optional<std::string> ferramenta_a_usar(Services& s, const AmbienteCompactacao& a,
                                             const std::string& caminhobd,
                                             const std::string& nomebd, DetalheCompactacao& d) {
    std::string passada;
    const std::optional<std::string> ferramenta =
        procura_jetcomp(s.files, caminhobd, a.pastas_programa, &passada);
    if (!passada.empty()) {
        // The tool gets the password: one anybody else could have put there
        // is never run.
        informa(s.dialogs,
                "A compactação de " + nomebd + " usa " +
                    ferramenta.value_or("(nenhuma ferramenta instalada)") + "; " + passada + ".",
                "Atenção", Icon::Warning);
    }
    if (!ferramenta) {
        d.causa = "não foi encontrado o programa jetcomp";
        informa(
            s.dialogs,
            "Não foi encontrado o ficheiro jetcomp.exe, que é necessário para compactar a base de "
            "dados.",
            "Atenção", Icon::Information);
        falha_compactar(s.dialogs, nomebd);
    }
    return ferramenta;
}

// Step 3: the database's exclusive in-use lock into `bloqueio`, what an
// earlier killed compaction left removed, and the copy's name free.  False
// after the messages when the database is missing, held or not to be had.
bool reserva_base(Services& s, const AmbienteCompactacao& a, const std::string& caminhobd,
                  const std::string& nomebd, const std::string& temporario,
                  engine::CompanionLock& bloqueio, DetalheCompactacao& d) {
    const std::string base = join_path(caminhobd, nomebd);
    try {
        if (!s.files.exists(base)) throw engine::file_not_found(base);
        if (auto recusa = engine::locks_not_shared(s.files, caminhobd)) {
            throw engine::EngineError(engine::ErroEmUso, *recusa);
        }
        bloqueio = engine::CompanionLock(base, engine::CompanionLock::Mode::Exclusive);
        apaga_sobras_compactacao(s.files, caminhobd, nomebd);
        if (s.files.exists(temporario)) {
            throw engine::EngineError(engine::ErroBaseExiste,
                                      "A base de dados '" + temporario + "' já existe.");
        }
    } catch (const engine::EngineError& e) {
        if (e.numero() == engine::ErroEmUso) {
            return recusa_bloqueada(s.dialogs, d, nomebd, a.projecto, e.descricao());
        }
        d.causa = e.descricao();
        falha_reparar(s.dialogs, nomebd);
        return false;
    }
    return true;
}

// Step 6: the sound copy at `temporario` in the database's place, the old
// database under its dated name.  False after the messages when the swap
// was refused or undone, or when the disk did not confirm the new names.
bool poe_no_lugar(Services& s, const AmbienteCompactacao& a, const std::string& caminhobd,
                  const std::string& nomebd, const std::string& temporario, DetalheCompactacao& d) {
    const std::string base = join_path(caminhobd, nomebd);
    const std::optional<std::string> antiga = nome_antiga(nomebd, s.clock.now());
    s.files.take_unconfirmed();  // what came before is not this compaction's
    bool em_uso = false;
    std::optional<std::string> falha =
        antiga
            ? troca_compactada(s.files, {base, temporario, join_path(caminhobd, *antiga)}, &em_uso)
            : std::optional<std::string>("o nome " + nomebd + " não dá nome à base antiga");
    if (falha) {
        apaga_com_companheiros(s.files, temporario);
        if (em_uso) return recusa_bloqueada(s.dialogs, d, nomebd, a.projecto, *falha);
        d.causa = *falha;
        falha_compactar(s.dialogs, nomebd);
        return false;
    }
    if (!s.files.exists(base)) {
        informa(s.dialogs,
                "Não foi possível desbloquear a base de dados. Por favor contacte a assistência "
                "técnica.",
                "Atenção", Icon::Critical);
        return false;
    }
    d.antiga = *antiga;
    if (auto por_confirmar = s.files.take_unconfirmed()) {
        // In place and complete, but not known to be on the disk.
        d.causa = *por_confirmar;
        informa(s.dialogs, *por_confirmar, "Atenção", Icon::Critical);
        return false;
    }
    return true;
}

}  // namespace

bool compacta_bd(Services& s, const AmbienteCompactacao& a, const std::string& caminhobd,
                 const std::string& nomebd, const std::string& passwd, bool bloqueado,
                 DetalheCompactacao* detalhe) {
    DetalheCompactacao ignorado;
    DetalheCompactacao& d = detalhe != nullptr ? *detalhe : ignorado;
    const std::optional<std::string> ferramenta = ferramenta_a_usar(s, a, caminhobd, nomebd, d);
    if (!ferramenta) return false;
    if (bloqueado && !continua_bloqueada(s.dialogs, nomebd, a.projecto)) {
        d.causa = "o utilizador não continuou";
        return false;
    }

    const std::string base = join_path(caminhobd, nomebd);
    const std::string temporario = join_path(caminhobd, nome_temporario(nomebd, s.clock.now()));
    engine::CompanionLock bloqueio;
    if (!reserva_base(s, a, caminhobd, nomebd, temporario, bloqueio, d)) return false;
    assenta(base);

    if (auto falha =
            corre_ferramenta(s, a, *ferramenta, base, temporario, nomebd, passwd, bloqueio)) {
        d.causa = *falha;
        apaga_com_companheiros(s.files, temporario);
        falha_reparar(s.dialogs, nomebd);
        return false;
    }
    // The tool's and the check's read-only opens leave the WAL files of a
    // database in WAL mode beside both files: empty, they go now.
    assenta(base);
    assenta(temporario);
    if (s.files.exists(engine::companion_path(temporario)))
        s.files.remove(engine::companion_path(temporario));
    return poe_no_lugar(s, a, caminhobd, nomebd, temporario, d);
}

}  // namespace pezolva
