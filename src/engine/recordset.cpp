#include "engine/recordset.h"

#include <algorithm>
#include <unordered_set>

#include "engine/detail/record_source.h"
#include "engine/detail/sql_lexer.h"
#include "engine/quoting.h"

namespace pezolva::engine {
namespace {

EngineError not_editing() {
    return {ErroSemEdicao, "Não há nenhuma edição em curso neste conjunto de registos."};
}

// A criterion must stay one expression: its parentheses must balance and
// never close one it did not open.
void check_criterion(std::string_view criterion) {
    const std::vector<detail::Token> tokens = detail::tokenize(criterion);
    int depth = 0;
    bool sound = !tokens.empty();
    for (const detail::Token& t : tokens) {
        if (detail::is_punct(criterion, t, '('))
            ++depth;
        else if (detail::is_punct(criterion, t, ')'))
            sound = sound && --depth >= 0;
        else if (detail::is_punct(criterion, t, ';'))
            sound = false;
    }
    if (!sound || depth != 0)
        throw EngineError(ErroSintaxe, "Critério inválido: " + std::string(criterion));
}

}  // namespace

Recordset::Recordset(std::shared_ptr<detail::RecordSource> source) : source_(std::move(source)) {}

void Recordset::check_open() const {
    if (!source_) throw object_closed();
    source_->state->db();  // throws once the database is closed
}

void Recordset::check_current() const {
    check_open();
    if (position_ < 0 || position_ >= source_->count()) throw no_current_record();
}

const std::vector<Value>& Recordset::current() const {
    check_current();
    // A row is read when the cursor comes to it, and again after any change
    // made through this database, so a row changed or deleted here shows so.
    const std::int64_t changes = source_->by_rowid ? source_->state->total_changes() : 0;
    if (row_position_ != position_ || row_changes_ != changes) {
        row_ = source_->fetch(position_);
        row_position_ = position_;
        row_changes_ = changes;
    }
    return row_;
}

void Recordset::leave_row() {
    editing_ = false;
    row_position_ = -1;
}

void Recordset::MoveFirst() {
    check_open();
    if (source_->count() == 0) throw no_current_record();
    leave_row();
    position_ = 0;
}

void Recordset::MoveLast() {
    check_open();
    if (source_->count() == 0) throw no_current_record();
    leave_row();
    position_ = source_->count() - 1;
}

void Recordset::MoveNext() {
    check_open();
    if (IsEOF()) throw no_current_record();
    leave_row();
    ++position_;
}

void Recordset::MovePrevious() {
    check_open();
    if (IsBOF()) throw no_current_record();
    leave_row();
    --position_;
}

bool Recordset::IsEOF() const {
    check_open();
    return source_->count() == 0 || position_ >= source_->count();
}

bool Recordset::IsBOF() const {
    check_open();
    return source_->count() == 0 || position_ < 0;
}

std::int64_t Recordset::RecordCount() const {
    check_open();
    return source_->count();
}

const Collection<Field>& Recordset::FieldDefs() const {
    check_open();
    return source_->fields;
}

std::size_t Recordset::field_index(std::string_view name) const {
    check_open();
    const auto& fields = source_->fields.items();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (iequals(fields[i].Name(), name)) return i;
    }
    throw item_not_found(std::string(name));
}

Value Recordset::Fields(std::string_view name) const { return Fields(field_index(name)); }

Value Recordset::Fields(std::size_t index) const {
    check_open();
    if (index >= source_->fields.Count()) throw item_not_found(std::to_string(index));
    if (editing_) return edited_[index];
    return current()[index];
}

bool Recordset::Updatable() const {
    check_open();
    return source_->by_rowid && !source_->state->read_only();
}

void Recordset::Edit() {
    if (!Updatable()) {
        throw EngineError(ErroSoLeitura,
                          "Não é possível actualizar: o conjunto de registos é só de leitura.");
    }
    edited_ = current();
    changed_.assign(edited_.size(), false);
    editing_ = true;
}

void Recordset::SetField(std::string_view name, const Value& value) {
    SetField(field_index(name), value);
}

void Recordset::SetField(std::size_t index, const Value& value) {
    check_open();
    if (index >= source_->fields.Count()) throw item_not_found(std::to_string(index));
    if (!editing_) throw not_editing();
    edited_[index] = value;
    changed_[index] = true;
}

void Recordset::Update() {
    check_current();
    if (!editing_) throw not_editing();
    std::string assignments;
    for (std::size_t i = 0; i < changed_.size(); ++i) {
        if (!changed_[i]) continue;
        assignments += (assignments.empty() ? "" : ", ") + quote_identifier(source_->columns[i]) +
                       " = ?" + std::to_string(i + 1);
    }
    if (!assignments.empty()) {
        detail::DbState& state = *source_->state;
        const std::string sql = "UPDATE " + quote_identifier(source_->table) + " SET " +
                                assignments + " WHERE " + source_->rowid_name + " = ?" +
                                std::to_string(changed_.size() + 1) + " RETURNING " +
                                source_->rowid_name;
        detail::Statement s = state.prepare(sql);
        for (std::size_t i = 0; i < changed_.size(); ++i) {
            if (changed_[i]) s.bind(static_cast<int>(i + 1), edited_[i]);
        }
        s.bind_int64(static_cast<int>(changed_.size() + 1),
                     source_->rowids[static_cast<std::size_t>(position_)]);
        if (!s.step()) throw EngineError(ErroRegistoEliminado, "O registo actual foi eliminado.");
        // A changed INTEGER PRIMARY KEY moves the row to another rowid.
        const std::int64_t rowid = s.column_int64(0);
        s.run();
        source_->rowids[static_cast<std::size_t>(position_)] = rowid;
    }
    leave_row();
}

void Recordset::CancelUpdate() {
    check_open();
    if (!editing_) throw not_editing();
    leave_row();
}

bool Recordset::FindFirst(std::string_view criterion) { return find_from(0, criterion); }

bool Recordset::FindNext(std::string_view criterion) {
    check_open();
    return find_from(static_cast<std::size_t>(std::max<std::int64_t>(position_ + 1, 0)), criterion);
}

bool Recordset::find_from(std::size_t start, std::string_view criterion) {
    check_open();
    check_criterion(criterion);
    detail::DbState& state = *source_->state;
    std::int64_t found = -1;
    if (source_->by_rowid) {
        const std::string sql = source_->find_sql + std::string(criterion) + ")";
        std::unordered_set<std::int64_t> matching;
        detail::Statement s = state.prepare(sql);
        while (s.step()) matching.insert(s.column_int64(0));
        for (std::size_t i = start; i < source_->rowids.size() && found < 0; ++i) {
            if (matching.count(source_->rowids[i]) != 0) found = static_cast<std::int64_t>(i);
        }
    } else {
        // Held rows: the criterion is evaluated on each row's values.
        std::string columns;
        const auto& fields = source_->fields.items();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            columns += (i ? ", ?" : "?") + std::to_string(i + 1) + " AS " +
                       quote_identifier(fields[i].Name());
        }
        detail::Statement s = state.prepare("SELECT 1 FROM (SELECT " + columns + ") WHERE (" +
                                            std::string(criterion) + ")");
        for (std::size_t r = start; r < source_->rows.size() && found < 0; ++r) {
            s.reset();
            for (std::size_t i = 0; i < fields.size(); ++i)
                s.bind(static_cast<int>(i + 1), source_->rows[r][i]);
            if (s.step()) found = static_cast<std::int64_t>(r);
        }
    }
    no_match_ = found < 0;
    if (!no_match_) {
        leave_row();
        position_ = found;
    }
    return !no_match_;
}

std::int64_t Recordset::Bookmark() const {
    check_current();
    return source_->by_rowid ? source_->rowids[static_cast<std::size_t>(position_)] : position_;
}

void Recordset::SetBookmark(std::int64_t mark) {
    check_open();
    std::int64_t target = -1;
    if (source_->by_rowid) {
        auto it = std::find(source_->rowids.begin(), source_->rowids.end(), mark);
        if (it != source_->rowids.end()) target = it - source_->rowids.begin();
    } else if (mark >= 0 && mark < source_->count()) {
        target = mark;
    }
    if (target < 0) throw EngineError(ErroMarcador, "Marcador inválido.");
    leave_row();
    position_ = target;
}

Recordset Recordset::Clone() const {
    check_open();
    Recordset copy(source_);
    copy.position_ = position_;
    return copy;
}

void Recordset::Close() {
    source_.reset();
    leave_row();
}

}  // namespace pezolva::engine
