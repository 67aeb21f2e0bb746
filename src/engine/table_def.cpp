#include "engine/table_def.h"

#include <algorithm>

#include "common/text.h"
#include "engine/detail/rebuild.h"
#include "engine/detail/schema_reader.h"
#include "engine/quoting.h"

namespace pezolva::engine {
namespace {

EngineError already_exists(const std::string& name) {
    return {ErroObjectoExiste, "Já existe um objecto com o nome '" + name + "' nesta colecção."};
}

template <class T>
Collection<T> without(const Collection<T>& items, std::string_view name) {
    std::vector<T> kept;
    bool removed = false;
    for (const T& item : items) {
        if (!removed && iequals(item.Name(), name))
            removed = true;
        else
            kept.push_back(item);
    }
    if (!removed) throw item_not_found(std::string(name));
    return Collection<T>(std::move(kept));
}

detail::StoredTable stored_table(detail::DbState& state, const std::string& name) {
    auto table = detail::find_table(state, name);
    if (!table) throw item_not_found(name);
    return *table;
}

}  // namespace

void TableDef::Refresh() {
    if (!state_) return;
    load(stored_table(*state_, name_), nullptr);
}

void TableDef::load(const detail::StoredTable& table, const std::vector<std::string>* made) {
    name_ = table.name;
    std::vector<Field> fields = detail::read_fields(*state_, table.name);
    std::vector<Index> indexes;
    for (detail::IndexInfo& info : detail::read_indexes(*state_, table, fields, made)) {
        indexes.push_back(std::move(info.index));
    }
    fields_ = Collection<Field>(std::move(fields));
    indexes_ = Collection<Index>(std::move(indexes));
}

void TableDef::AppendField(const Field& field) {
    Refresh();
    if (fields_.Contains(field.Name())) throw already_exists(field.Name());
    if (!state_) {
        fields_.push_back(field);
        return;
    }
    if (field.Required()) {
        detail::RebuildPlan plan;
        plan.add_field = field;
        detail::rebuild_table(*state_, stored_table(*state_, name_), plan);
    } else {
        state_->exec("ALTER TABLE " + quote_identifier(name_) + " ADD COLUMN " +
                     field.definition());
    }
    Refresh();
}

void TableDef::DeleteField(std::string_view name) {
    if (!state_) {
        fields_ = without(fields_, name);
        return;
    }
    Refresh();
    const Field& field = fields_[name];
    const std::string column = field.Name();
    for (const Relation& r : detail::read_relations(*state_)) {
        if (!iequals(r.Table(), name_)) continue;
        for (const RelationField& f : r.Fields()) {
            if (iequals(f.Name, column)) {
                throw EngineError(ErroCampoEmRelacao, "Não é possível eliminar o campo '" + column +
                                                          "': faz parte da relação '" + r.Name() +
                                                          "'.");
            }
        }
    }
    bool in_key = false;
    for (const Index& index : indexes_) {
        for (const std::string& f : index.Fields()) in_key = in_key || iequals(f, column);
    }
    for (const Relation& r : detail::read_relations(*state_)) {
        if (!iequals(r.ForeignTable(), name_)) continue;
        for (const RelationField& f : r.Fields()) in_key = in_key || iequals(f.ForeignName, column);
    }
    if (in_key) {
        detail::RebuildPlan plan;
        plan.drop_column = column;
        detail::rebuild_table(*state_, stored_table(*state_, name_), plan);
    } else {
        state_->exec("ALTER TABLE " + quote_identifier(name_) + " DROP COLUMN " +
                     quote_identifier(column));
    }
    Refresh();
}

void TableDef::AppendRelation(const Relation& relation) {
    if (state_)
        throw EngineError(ErroArgumento,
                          "A tabela '" + name_ + "' já foi criada: a relação já não se junta.");
    if (!iequals(relation.ForeignTable(), name_) || relation.Fields().empty()) {
        throw EngineError(ErroArgumento,
                          "A relação '" + relation.Name() + "' não é da tabela '" + name_ + "'.");
    }
    relations_.push_back(relation);
}

void TableDef::AppendIndex(const Index& index) {
    Refresh();
    if (indexes_.Contains(index.Name())) throw already_exists(index.Name());
    const bool has_primary =
        std::any_of(indexes_.begin(), indexes_.end(), [](const Index& i) { return i.Primary(); });
    if (index.Primary() && has_primary) {
        throw EngineError(ErroChavePrimariaExiste,
                          "A tabela '" + name_ + "' já tem uma chave primária.");
    }
    for (const std::string& f : index.Fields()) {
        if (!fields_.Contains(f)) throw item_not_found(f);
    }
    if (index.Fields().empty()) {
        throw EngineError(ErroArgumento, "O índice '" + index.Name() + "' não tem campos.");
    }
    if (!state_) {
        indexes_.push_back(index);
        return;
    }
    std::vector<std::string> make_required;
    if (index.Required()) {
        for (const std::string& f : index.Fields()) {
            if (!fields_[f].Required()) make_required.push_back(fields_[f].Name());
        }
    }
    if (index.Primary() || !make_required.empty()) {
        detail::RebuildPlan plan;
        plan.make_required = make_required;
        if (index.Primary()) plan.add_primary_key = index;
        detail::rebuild_table(*state_, stored_table(*state_, name_), plan);
    }
    if (!index.Primary()) {
        state_->exec(detail::create_index_sql(name_, index));
    }
    Refresh();
}

void TableDef::DeleteIndex(std::string_view name) {
    if (!state_) {
        indexes_ = without(indexes_, name);
        return;
    }
    const detail::StoredTable table = stored_table(*state_, name_);
    const std::vector<detail::IndexInfo> infos = detail::read_indexes(*state_, table);
    auto it = std::find_if(infos.begin(), infos.end(), [&](const detail::IndexInfo& i) {
        return iequals(i.index.Name(), name);
    });
    if (it == infos.end()) throw item_not_found(std::string(name));
    if (it->origin == detail::IndexInfo::Created) {
        state_->exec("DROP INDEX " + quote_identifier(it->stored_name));
    } else {
        detail::RebuildPlan plan;
        if (it->origin == detail::IndexInfo::PrimaryKey)
            plan.drop_primary_key = true;
        else
            plan.drop_unique = it->index.Fields();
        detail::rebuild_table(*state_, table, plan);
    }
    Refresh();
}

}  // namespace pezolva::engine
