#include "sqldata/row_merge.h"

#include "sqldata/engine_statements.h"
#include "sqldata/sql_data.h"

namespace {

wxString ValueOf(const RowValues& row, const wxString& column) {
  const auto found = row.find(column);
  return found == row.end() ? wxString() : found->second;
}

}  // namespace

const char kNewDefaultRow[] = "+";

ValueMerge MergeValue(const wxString& loaded, const wxString& edited, const wxString& stored) {
  if (edited == loaded) return ValueMerge::Unchanged;
  if (stored == loaded) return ValueMerge::Write;
  return stored == edited ? ValueMerge::AlreadyStored : ValueMerge::Conflict;
}

RowMerge MergeRow(const RowValues& loaded, const RowValues& edited, const RowValues& stored) {
  RowMerge merge;
  merge.merged = stored;
  for (const auto& [column, value] : edited) {
    switch (MergeValue(ValueOf(loaded, column), value, ValueOf(stored, column))) {
      case ValueMerge::Unchanged: merge.merged[column] = ValueOf(stored, column); break;
      case ValueMerge::Write:
        merge.written.Add(column);
        merge.merged[column] = value;
        break;
      case ValueMerge::AlreadyStored: break;
      case ValueMerge::Conflict: merge.conflicts.Add(column); break;
    }
  }
  return merge;
}

wxArrayString DifferingColumns(const RowValues& a, const RowValues& b) {
  RowValues columns = a;
  columns.insert(b.begin(), b.end());
  wxArrayString differing;
  for (const auto& column : columns) {
    if (ValueOf(a, column.first) != ValueOf(b, column.first)) differing.Add(column.first);
  }
  return differing;
}

wxString DefaultRowsValue(wxArrayString ids) {
  ids.Sort();
  return wxJoin(ids, ',', '\0');
}

wxString ReadLockedDefaultRows(SQLData& db, const wxString& idColumn, const wxString& table,
                               const wxString& condition) {
  return DefaultRowsValue(db.FrameData(LockedSelectStatement(db.GetEngine(), idColumn, table, condition)));
}
