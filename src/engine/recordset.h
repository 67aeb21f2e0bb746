#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/value.h"
#include "engine/collection.h"
#include "engine/schema.h"

namespace pezolva::engine {

namespace detail {
class DbState;
struct RecordSource;
}  // namespace detail

// A cursor over the rows of a table or a statement.  Over a table name, or
// a plain "select columns from <one table> ..." it keeps only the rowids in
// order and reads the current row on demand, and it can be edited; over
// any other statement it holds the rows themselves and is read-only.
// Values come typed by their field: Yes/No as bool, Date/Time as DateTime,
// Single and Double as double.
class Recordset {
  public:
    Recordset() = default;  // closed

    void MoveFirst();     // ErroSemRegistoActual when empty
    void MoveLast();      // ErroSemRegistoActual when empty
    void MoveNext();      // ErroSemRegistoActual at EOF
    void MovePrevious();  // ErroSemRegistoActual at BOF
    // Both are true when there are no rows.
    bool IsEOF() const;
    bool IsBOF() const;
    // The exact number of rows.
    std::int64_t RecordCount() const;

    // The fields: name, type code and size.
    const Collection<Field>& FieldDefs() const;
    // The current row's value of a field, by name without regard to case
    // (ErroItemInexistente for an unknown name) or by position.
    // ErroSemRegistoActual at BOF or EOF; ErroRegistoEliminado when the
    // row was deleted meanwhile.  During Edit, the edited values.
    Value Fields(std::string_view name) const;
    Value Fields(std::size_t index) const;
    Value operator[](std::string_view name) const { return Fields(name); }

    bool Updatable() const;
    // Starts editing the current row (ErroSoLeitura when the recordset or
    // database cannot be written).  Moving away cancels the edit.
    void Edit();
    // Sets a value of the row being edited (ErroSemEdicao otherwise).
    void SetField(std::string_view name, const Value& value);
    void SetField(std::size_t index, const Value& value);
    // Writes the changed values back.  On failure the edit stays open and
    // the row unchanged.
    void Update();
    void CancelUpdate();

    // Moves to the first row, in recordset order, for which the SQL
    // expression `criterion` holds (e.g. "BUP_NOME_BD='abc'").  When none
    // does, the position stays and NoMatch() is true.  FindNext looks only
    // after the current row.  Return: !NoMatch().
    bool FindFirst(std::string_view criterion);
    bool FindNext(std::string_view criterion);
    bool NoMatch() const { return no_match_; }

    // An opaque mark of the current row (ErroSemRegistoActual when none);
    // SetBookmark returns to it (ErroMarcador for a mark of no row here).
    // Clones share marks.
    std::int64_t Bookmark() const;
    void SetBookmark(std::int64_t mark);

    // An independent cursor over the same rows, at the same position.
    Recordset Clone() const;
    void Close();
    bool IsOpen() const { return source_ != nullptr; }

  private:
    friend class Database;
    explicit Recordset(std::shared_ptr<detail::RecordSource> source);

    void check_open() const;
    void check_current() const;
    const std::vector<Value>& current() const;
    std::size_t field_index(std::string_view name) const;
    void leave_row();
    bool find_from(std::size_t start, std::string_view criterion);

    std::shared_ptr<detail::RecordSource> source_;
    std::int64_t position_ = 0;  // -1: BOF; count: EOF
    mutable std::vector<Value> row_;
    mutable std::int64_t row_position_ = -1;
    mutable std::int64_t row_changes_ = 0;
    bool editing_ = false;
    std::vector<Value> edited_;
    std::vector<bool> changed_;
    bool no_match_ = false;
};

}  // namespace pezolva::engine
