#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pezolva::engine::detail {

// "insert into T in 'file' select * from S": rows of S go into the table T
// of another database file.
struct ExternalInsert {
    std::string target_table;
    std::string file;
    std::string source_table;
};

// A statement as it goes to SQLite: the text, or the external insert it
// stands for.
struct Translated {
    std::string sql;
    std::optional<ExternalInsert> external;
};

// Translates the two forms of the original dialect: "delete * from ..."
// loses its "*"; "insert into T in 'file' ..." becomes an ExternalInsert
// (only the form "select * from S" is accepted: ErroSintaxe otherwise).
// Names may be bare, "quoted", [bracketed] or `backticked`; the file name
// is a literal with '' for an apostrophe.  Anything else is left as is.
Translated translate_statement(std::string_view statement);

}  // namespace pezolva::engine::detail
