#include "support/databases.h"

namespace pezolva::testing {

engine::Database make_database(const std::string& path, const std::string& sql,
                               const std::string& password) {
    engine::Database db = engine::CreateDatabase(path, password);
    if (!sql.empty()) db.Execute(sql);
    return db;
}

std::string field_names(engine::Database& db, const std::string& table) {
    std::string names;
    const engine::TableDef definition = db.TableDef(table);
    for (const auto& f : definition.Fields()) names += (names.empty() ? "" : ",") + f.Name();
    return names;
}

}  // namespace pezolva::testing
