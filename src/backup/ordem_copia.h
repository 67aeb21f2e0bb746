#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pezolva::backup {

// The order in which a copy's tables are emptied and filled, so that rows
// go in after the rows they refer to and out before the rows that refer to
// them.  Works on plain names: the caller reads the tables and relations
// from the copy.  Table names compare case-blind throughout.

// One relation of the copy: rows of `foreign_table` refer to rows of
// `table`.
struct Dependencia {
    std::string table;
    std::string foreign_table;
};

struct OrdemCopia {
    // Level by level, the user tables in copy order.  No level is empty.
    std::vector<std::vector<std::string>> levels;
    // Whether every table was placed.  When false the relations form a
    // cycle (a table referring to itself is one) and the copy must not be
    // emptied or filled.
    bool complete = false;
    // The tables that could not be placed, in enumeration order.
    std::vector<std::string> unplaced;
};

// Whether `name` is one of the engine's own tables ("MSys..." in any case):
// such tables are placed, so their dependants can be, but never copied.
bool is_system_table(std::string_view name);

// Builds the levels by passes over `tables` (in the copy's enumeration
// order, system tables included).  In each pass, every table not yet placed
// is taken in enumeration order and placed when no relation has it as
// `foreign_table` with a `table` not yet placed; a table placed in a pass
// counts at once, so a table may join the level of its parents, after them.
// A user table enters the level of the pass that placed it; a pass that
// placed only system tables makes no level.  Passes go on while one places
// something.  Relations naming a table absent from `tables` keep their
// foreign table unplaced.  No limit on tables, levels or tables per level;
// each pass costs about (unplaced tables + their relations).
OrdemCopia ordena_tabelas(const std::vector<std::string>& tables,
                          const std::vector<Dependencia>& relations);

// Tables in filling order: levels first to last, each from first to last.
// Throws std::logic_error on an incomplete order.
std::vector<std::string> ordem_de_enchimento(const OrdemCopia& order);

// Tables in emptying order: levels last to first, each from last to first.
// Throws std::logic_error on an incomplete order.
std::vector<std::string> ordem_de_esvaziamento(const OrdemCopia& order);

// A table of the live database, as the comparison before filling needs it.
struct TabelaViva {
    std::string name;  // as the live database spells it
    int field_count = 0;
};

// The error line to log before filling the copy's table `table`, which has
// `copy_field_count` fields, given the live table of the same name (nullopt
// when the live database has none).  nullopt when the field counts agree:
// names, types and sizes of fields are the integrity verification's
// concern.  Neither line stops the backup.
std::optional<std::string> erro_de_alteracao(const std::string& table, int copy_field_count,
                                             const std::optional<TabelaViva>& live);

}  // namespace pezolva::backup
