#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/collection.h"
#include "engine/schema.h"

namespace pezolva::engine {

namespace detail {
class DbState;
struct StoredTable;
}  // namespace detail

// A table definition.  One read from a database is a snapshot of its
// fields and indexes, refreshed after each change made through it; one
// made by Database::CreateTableDef collects fields and indexes until
// Database::AppendTableDef stores it.
class TableDef {
  public:
    TableDef() = default;

    const std::string& Name() const { return name_; }
    // Fields in column order.
    const Collection<Field>& Fields() const { return fields_; }
    // The primary index first (under its CONSTRAINT name, or "PrimaryKey"),
    // then the other indexes in the order they were made.
    const Collection<Index>& Indexes() const { return indexes_; }

    static Field CreateField(std::string name, int type, int size = 0) {
        return Field(std::move(name), type, size);
    }
    static Index CreateIndex(std::string name) { return Index(std::move(name)); }

    // Adds a column (ALTER TABLE ADD COLUMN; a required one through a
    // rebuild of the table).  ErroObjectoExiste when the name is taken.
    void AppendField(const Field& field);
    // Removes a column with its data.  Indexes, the primary key and this
    // table's foreign keys that use it go with it.  ErroCampoEmRelacao
    // when another table's relation points at it; ErroItemInexistente when
    // there is no such field.  Nothing changes on failure.
    void DeleteField(std::string_view name);
    // Adds an index.  A primary index becomes the table's PRIMARY KEY
    // (named after the index, through a rebuild): ErroChavePrimariaExiste
    // when it has one.  Required makes the fields NOT NULL.  ErroDuplicado
    // when the rows break a unique index.
    void AppendIndex(const Index& index);
    // Removes an index; the primary index or a UNIQUE constraint through a
    // rebuild of the table.  ErroItemInexistente when there is none.
    void DeleteIndex(std::string_view name);

    // A relation this new table keeps with another (this table is its
    // ForeignTable), written as a foreign key when Database::AppendTableDef
    // stores the table: the engine has no other way to add one to a
    // table, as SQLite has none.  ErroArgumento once the table is stored,
    // or when the relation is not of this table or pairs no fields.
    void AppendRelation(const Relation& relation);

    // Reads the definition again from the database.
    void Refresh();
    bool stored() const { return state_ != nullptr; }

  private:
    friend class Database;
    // Reads the definition of `table`, whose indexes were made in the order
    // `made` gives (nullptr: look it up).
    void load(const detail::StoredTable& table, const std::vector<std::string>* made);

    std::shared_ptr<detail::DbState> state_;
    std::string name_;
    Collection<Field> fields_;
    Collection<Index> indexes_;
    std::vector<Relation> relations_;  // to write at creation
};

}  // namespace pezolva::engine
