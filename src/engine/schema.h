#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engine/field_types.h"

namespace pezolva::engine {

// A field (column) of a table or of a recordset.
class Field {
  public:
    Field() = default;
    // A new field definition; `size` is the text length for TipoTexto and
    // is otherwise replaced by the type's width.  Throws EngineError
    // (ErroTipoCampo) for an unknown code.
    Field(std::string name, int type, int size = 0);
    // A field as stored, read from its declared type.
    static Field FromDeclared(std::string name, std::string declared, bool not_null);

    const std::string& Name() const { return name_; }
    int Type() const { return type_.code; }
    int Size() const { return type_.size; }
    // NOT NULL.
    bool Required() const { return required_; }
    void SetRequired(bool required) { required_ = required; }
    // The declared type as stored, or the one the engine writes for a new
    // field ("TEXT(25)", "SMALLINT", ...).
    const std::string& DeclaredType() const { return declared_; }

    // The column definition the engine writes for this field: quoted name,
    // declared type, COLLATE NOCASE for text, NOT NULL when required.
    std::string definition() const;

  private:
    std::string name_;
    std::string declared_;
    FieldType type_;
    bool required_ = false;
};

// An index of a table.  The primary index is the table's PRIMARY KEY.
class Index {
  public:
    Index() = default;
    explicit Index(std::string name) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }
    const std::vector<std::string>& Fields() const { return fields_; }
    bool Primary() const { return primary_; }
    // Every field of the index is NOT NULL.
    bool Required() const { return required_; }
    bool Unique() const { return unique_ || primary_; }

    void AppendField(std::string field) { fields_.push_back(std::move(field)); }
    void SetPrimary(bool primary) { primary_ = primary; }
    void SetRequired(bool required) { required_ = required; }
    void SetUnique(bool unique) { unique_ = unique; }

  private:
    std::string name_;
    std::vector<std::string> fields_;
    bool primary_ = false;
    bool required_ = false;
    bool unique_ = false;
};

// One pair of a relation: a field of the referenced table and the field of
// the referencing table that points at it.
struct RelationField {
    std::string Name;
    std::string ForeignName;
};

// A relation: one foreign-key constraint.  Table is the referenced side,
// ForeignTable the referencing side.
class Relation {
  public:
    Relation(std::string name, std::string table, std::string foreign_table,
             std::vector<RelationField> fields, std::string on_update, std::string on_delete)
        : name_(std::move(name)),
          table_(std::move(table)),
          foreign_table_(std::move(foreign_table)),
          fields_(std::move(fields)),
          on_update_(std::move(on_update)),
          on_delete_(std::move(on_delete)) {}

    const std::string& Name() const { return name_; }
    const std::string& Table() const { return table_; }
    const std::string& ForeignTable() const { return foreign_table_; }
    const std::vector<RelationField>& Fields() const { return fields_; }
    // "NO ACTION", "CASCADE", "SET NULL", "SET DEFAULT" or "RESTRICT".
    const std::string& OnUpdate() const { return on_update_; }
    const std::string& OnDelete() const { return on_delete_; }

  private:
    std::string name_;
    std::string table_;
    std::string foreign_table_;
    std::vector<RelationField> fields_;
    std::string on_update_;
    std::string on_delete_;
};

}  // namespace pezolva::engine
