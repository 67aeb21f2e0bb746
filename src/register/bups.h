#pragma once

#include "common/dialogs.h"
#include "common/value.h"
#include "engine/database.h"
#include "project/projecto.h"

namespace pezolva {

// The backup register: one row of the table BUPS, in the project's main
// database, per database the component looks after.  Columns are reached
// by name only: a migrated table has them in another order.
namespace bups {
inline constexpr const char* kTabela = "BUPS";
inline constexpr const char* kNomeBd = "BUP_NOME_BD";
inline constexpr const char* kDiasIntervalo = "BUP_N_DIAS_INTERVALO";
inline constexpr const char* kCopiasAManter = "BUP_N_COPIAS_A_MANTER";
inline constexpr const char* kCaminhoDestino = "BUP_CAMINHO_DESTINO";
inline constexpr const char* kUltData = "BUP_ULT_DATA";
inline constexpr const char* kUltHora = "BUP_ULT_HORA";
inline constexpr const char* kUltDuracao = "BUP_ULT_DURACAO";
inline constexpr const char* kUltDestino = "BUP_ULT_DESTINO";
inline constexpr const char* kUltTamanho = "BUP_ULT_TAMANHO";
inline constexpr const char* kUltCompactar = "BUP_ULT_COMPACTAR";
inline constexpr const char* kUltNRegistos = "BUP_ULT_N_REGISTOS";
inline constexpr const char* kUltNomeEstrutura = "BUP_ULT_NOME_ESTRUTURA";
inline constexpr const char* kUltApareceAviso = "BUP_ULT_APARECE_AVISO";
inline constexpr const char* kUltUtilizador = "BUP_ULT_UTILIZADOR";
inline constexpr const char* kVersao = "BUP_VERSAO";
inline constexpr const char* kPasswd = "BUP_PASSWD";
inline constexpr const char* kNIntegridades = "n_integridades_bd";
inline constexpr const char* kChavePrimaria = "PrimaryKey";

// The two formats of the register, in BUP_VERSAO.
inline constexpr const char* kVersaoAntiga = "030909";
inline constexpr const char* kVersaoActual = "030930";

// The default backup folder inside the project folder.
inline constexpr const char* kPastaCopias = "copiaseg";
}  // namespace bups

// Creates the table BUPS with its primary index "PrimaryKey" in `db`, then
// its default rows.  A step that fails is shown (the error's description,
// OK only, the component's title) and tried again; after the same error
// three times in a row the creation is abandoned, the message saying so,
// and false is returned.
bool cria_bups(engine::Database& db, const ProjectoActual& projecto, Dialogs& dialogs);

// Inserts the default rows for the project's main database: three for
// "brasol.mdb" (main, photos, log), none for any other.  Throws
// EngineError on the first statement that fails.
void insere_bups_omissao(engine::Database& db, const ProjectoActual& projecto);

// The connect text that opens a registered database with its row's
// BUP_PASSWD: ";pwd=" and the password; "" for a Null password, which opens
// a database that has none.
std::string ligacao_da_linha(const Value& passwd);

// The register's format version: BUP_VERSAO of its first row as text; ""
// for an empty or missing table or a Null version.
std::string versao_do_registo(engine::Database& db);

// The insert statements of the default rows, in order (empty for a main
// database that has none).
std::vector<std::string> linhas_omissao(const ProjectoActual& projecto);

}  // namespace pezolva
