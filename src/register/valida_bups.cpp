#include "register/valida_bups.h"

#include <cmath>
#include <optional>

#include "common/text.h"
#include "engine/database.h"
#include "engine/field_types.h"
#include "register/bups.h"
#include "register/migracao.h"
#include "register/tentativas.h"

namespace pezolva {
namespace {

using engine::Database;
using engine::EngineError;

bool e_brasol(const ProjectoActual& p) { return iequals(p.nome_bd, "brasol.mdb"); }

std::optional<Database> abre(const ProjectoActual& p, int* numero = nullptr) {
    try {
        return engine::OpenDatabase(p.base_principal(), false, false, p.ligacao());
    } catch (const EngineError& e) {
        if (numero != nullptr) *numero = e.numero();
        return std::nullopt;
    }
}

// Step 2: the main database, open, or nullopt when the run must end.
std::optional<Database> abre_com_recuperacao(ProjectoActual& p, Services& s,
                                             const AccoesValidacao& accoes, bool& inconsistente) {
    int numero = 0;
    if (auto db = abre(p, &numero)) return db;
    if (numero == engine::ErroPalavraPasse) {
        // A wrong password is not damage: nothing would repair it, and a
        // compaction must never run on a file that opens for nobody here.
        inconsistente = true;
        informa(s.dialogs, engine::wrong_password().descricao(), "Atenção", Icon::Critical);
        return std::nullopt;
    }
    const std::string caminho_bd = p.base_principal();
    if (!s.files.exists(caminho_bd)) {
        informa(s.dialogs, "A base de dados " + caminho_bd + " não existe.", "Atenção",
                Icon::Information);
        return std::nullopt;
    }
    const bool era_so_leitura = accoes.era_readonly && accoes.era_readonly(caminho_bd);
    if (!era_so_leitura) {
        const bool compactou =
            accoes.faz_jet_comp && accoes.faz_jet_comp(p.caminho, p.nome_bd, p.passwd, true);
        if (!compactou) {
            // Still unopenable: the host must not go on as if it had its
            // register.
            inconsistente = true;
            if (!accoes.faz_jet_comp) {
                // No compaction to repair with: say so, as a refused one would.
                informa(s.dialogs,
                        "Não foi possível compactar a base de dados " + p.nome_bd +
                            ". Por favor contacte a assistência técnica.",
                        "Atenção", Icon::Critical);
            }
            return std::nullopt;
        }
    }
    if (auto db = abre(p)) return db;
    inconsistente = true;
    informa(s.dialogs,
            "O caminho " + p.caminho +
                " não está acessível. Não é possível abrir a base de dados. Verifique os cabos "
                "ou as configurações da rede.",
            "Atenção", Icon::Critical);
    return std::nullopt;
}

// Step 6: every row's destination becomes the project's backup folder.
void aponta_destinos(Database& db, ProjectoActual& p, const AccoesValidacao& accoes) {
    engine::Recordset rs = db.OpenRecordset("select * from bups");
    const std::string destino = p.caminho + "/" + bups::kPastaCopias;
    while (!rs.IsEOF()) {
        rs.Edit();
        rs.SetField(bups::kCaminhoDestino, destino);
        rs.Update();
        if (accoes.era_readonly) accoes.era_readonly(p.caminho + "/" + rs["bup_nome_bd"].to_text());
        rs.MoveNext();
    }
}

// Step 8: the recordset of the integrity frequency, adding the column to a
// register that has none.
engine::Recordset frequencias(Database& db, const ProjectoActual& p) {
    try {
        return db.OpenRecordset("select n_integridades_bd from bups");
    } catch (const EngineError&) {
        // Under the write lock, and only when still missing: a host starting
        // the same project at this moment may have added it meanwhile.
        engine::Transaction transaccao(db);
        engine::TableDef tabela = db.TableDef(bups::kTabela);
        if (!tabela.Fields().Contains(bups::kNIntegridades)) {
            tabela.AppendField(
                engine::TableDef::CreateField(bups::kNIntegridades, engine::TipoLongo));
            if (e_brasol(p)) db.Execute("update BUPS set n_integridades_bd=30");
        }
        transaccao.Commit();
        return db.OpenRecordset("select n_integridades_bd from bups");
    }
}

// Whether `db` has the table `nome`: looked up alone, as reading every
// table's definition would cost a large schema a second on every start.
bool tem_tabela(Database& db, const char* nome) {
    try {
        db.TableDef(nome);
        return true;
    } catch (const EngineError& e) {
        if (e.numero() == engine::ErroItemInexistente) return false;
        throw;
    }
}

// n_integridades_bd as the whole number of starts per sample: a fraction
// is truncated, and text, which a Long column should never hold, reads as 0
// (no sample), as Null does.
std::int64_t frequencia_de_amostra(const Value& valor) {
    if (valor.is_null() || valor.text() != nullptr) return 0;
    return valor.to_integer().value_or(0);
}

}  // namespace

void valida_bups_bd(ProjectoActual& p, Services& s, const AccoesValidacao& accoes,
                    bool& inconsistente) {
    if (!p.caminho.empty() && p.caminho.back() == '/') p.caminho.pop_back();

    std::optional<Database> db = abre_com_recuperacao(p, s, accoes, inconsistente);
    if (!db) return;

    try {
        // Looked up and made under the write lock: a host starting the same
        // project at this moment has either made it already or waits.
        engine::Transaction transaccao(*db);
        if (!tem_tabela(*db, bups::kTabela)) cria_bups(*db, p, s.dialogs);
        transaccao.Commit();
    } catch (const EngineError&) {
        // The table's existence could not be read: go on as if it were there.
    }

    bool migrou = false;
    if (e_brasol(p) && versao_do_registo(*db) == bups::kVersaoAntiga) {
        if (!migra_bups(*db, s.dialogs)) {
            inconsistente = true;
            return;
        }
        migrou = true;
    }

    if (migrou) {
        Tentativas tentativas(s.dialogs, "Atenção", Icon::Information,
                              "Não foi possível actualizar o registo de cópias de segurança.");
        if (!tentativas.executa([&] { aponta_destinos(*db, p, accoes); })) {
            inconsistente = true;
            return;
        }
    } else {
        try {
            aponta_destinos(*db, p, accoes);
        } catch (const EngineError&) {
            // A register that cannot be read here is reported by the windows
            // that use it.
        }
    }

    if (p.vem_de_pezolva) return;

    engine::Recordset rs = frequencias(*db, p);
    if (!accoes.integr_sem_fo) return;
    // An empty register has no frequency: no sample, rather than an error
    // that would stop the host from starting.
    const std::int64_t n = rs.IsEOF() ? 0 : frequencia_de_amostra(rs.Fields(std::size_t{0}));
    if (n > 0) {
        const double r = s.random.uniform();
        if (static_cast<std::int64_t>(std::floor(r * static_cast<double>(n))) + 1 == n &&
            !accoes.integr_sem_fo()) {
            inconsistente = true;
            informa(s.dialogs,
                    "Existe uma base de dados que não está consistente com a estrutura.\n"
                    "Por favor, saia do Brasol - Gestão de Corporações, e execute a aplicação "
                    "para realizar manutenções.",
                    "Atenção", Icon::Information);
        }
    }
}

}  // namespace pezolva
