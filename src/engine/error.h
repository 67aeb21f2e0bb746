#pragma once

#include <exception>
#include <string>

namespace pezolva::engine {

// Numbers of the engine's trappable errors.  Callers compare against these
// (the numbers are those the component's procedures were written for), and
// may show "number - description".
enum Erro : int {
    ErroMotor = 3000,                // an SQLite failure with no closer number
    ErroArgumento = 3001,            // an argument the operation cannot take
    ErroTabelaExiste = 3010,         // a table of that name already exists
    ErroSemEdicao = 3020,            // a field set or Update without Edit
    ErroSemRegistoActual = 3021,     // BOF or EOF: no current record
    ErroDuplicado = 3022,            // a uniqueness or primary key violation
    ErroFicheiroInexistente = 3024,  // the database file does not exist
    ErroDiscoCheio = 3026,           // no space left for the write
    ErroSoLeitura = 3027,            // the database or the recordset cannot be written
    ErroPalavraPasse = 3031,         // the password does not open the file
    ErroDisco = 3043,                // input/output failure
    ErroCaminho = 3044,              // a folder that does not exist or cannot be written
    ErroEmUso = 3045,                // the file is held by another user or process
    ErroDanificada = 3049,           // the file is damaged
    ErroCancelado = 3059,            // the work was interrupted on request (a signal)
    ErroAbrirFicheiro = 3051,        // the file cannot be opened (permissions)
    ErroColuna = 3061,             // a column the statement names does not exist; also a field of a
                                   // table being copied that the target's table lacks
    ErroSintaxe = 3075,            // the statement cannot be read
    ErroTabelaInexistente = 3078,  // a table or query the statement names does not exist
    ErroMarcador = 3159,           // a bookmark of no row of the recordset
    ErroRegistoEliminado = 3167,   // the current record was deleted meanwhile
    ErroIntegridade = 3201,        // a foreign key (relation) violation
    ErroBaseExiste = 3204,         // the destination database already exists
    ErroBloqueado = 3218,          // the file stayed locked longer than the wait
    ErroTipoCampo = 3259,          // a field type code the engine does not know
    ErroItemInexistente = 3265,    // no item of that name or number in a collection
    ErroChavePrimariaExiste = 3283,  // the table already has a primary key
    ErroCampoEmRelacao = 3303,       // the field is used by another table's relation
    ErroNulo = 3314,                 // a required field received Null
    ErroRegraValidacao = 3317,       // a CHECK rule refused the value
    ErroNaoBaseDados = 3343,         // the file is not a database
    ErroObjectoExiste = 3367,        // a field or index of that name already exists
    ErroObjectoFechado = 3420,       // the database or recordset was closed
};

// An engine error: a number from Erro and a description in European
// Portuguese naming the file or object concerned.  what() is the
// description.
class EngineError : public std::exception {
  public:
    EngineError(int numero, std::string descricao)
        : numero_(numero), descricao_(std::move(descricao)) {}

    int numero() const { return numero_; }
    const std::string& descricao() const { return descricao_; }
    const char* what() const noexcept override { return descricao_.c_str(); }

  private:
    int numero_;
    std::string descricao_;
};

// Builders for the errors several parts of the engine raise, so that each
// text is written once.
EngineError item_not_found(const std::string& name);
EngineError no_current_record();
EngineError object_closed();
EngineError file_not_found(const std::string& path);
EngineError in_use(const std::string& path);
EngineError wrong_password();
EngineError table_not_found(const std::string& name);
// ErroColuna: field `field` of table `table` has no namesake in the table
// of that name in the file `file` it is copied into.
EngineError field_not_in_target(const std::string& table, const std::string& field,
                                const std::string& file);
EngineError not_a_database(const std::string& path);
EngineError not_writable(const std::string& path);

}  // namespace pezolva::engine
