#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace pezolva::engine::detail {

// A token of SQLite's SQL.  Comments and blanks are not tokens; `begin`
// and `end` are byte offsets into the text, so spans between tokens keep
// the original spelling.
struct Token {
    enum Kind {
        Word,    // bare identifier or keyword
        Quoted,  // "name", [name] or `name`
        String,  // 'text'
        Number,
        Punct,  // ( ) , ; .
        Other,  // operators, parameters, blob literals
    };
    Kind kind;
    std::size_t begin;
    std::size_t end;
};

// The tokens of `sql`.  Never fails: an unterminated quote runs to the end.
std::vector<Token> tokenize(std::string_view sql);

// The token's text as written.
std::string_view token_text(std::string_view sql, const Token& t);

// True when the token is the bare word `keyword` (ASCII, case-blind).
bool is_keyword(std::string_view sql, const Token& t, std::string_view keyword);
bool is_punct(std::string_view sql, const Token& t, char c);

// The name a token spells: quotes removed and doubled quotes undone for
// Quoted and String tokens, the text itself otherwise.
std::string token_name(std::string_view sql, const Token& t);

// Index of the token that closes the parenthesis opened at `open`, or
// tokens.size() when it is never closed.
std::size_t matching_paren(std::string_view sql, const std::vector<Token>& tokens,
                           std::size_t open);

}  // namespace pezolva::engine::detail
