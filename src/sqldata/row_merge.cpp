#include "sqldata/row_merge.h"

namespace {

wxString ValueOf(const RowValues& row, const wxString& column) {
  const auto found = row.find(column);
  return found == row.end() ? wxString() : found->second;
}

}  // namespace

RowMerge MergeRow(const RowValues& loaded, const RowValues& edited, const RowValues& stored) {
  RowMerge merge;
  merge.merged = stored;
  for (const auto& [column, value] : edited) {
    const wxString before = ValueOf(loaded, column);
    const wxString now = ValueOf(stored, column);
    if (value == before) {
      merge.merged[column] = now;
    } else if (now == before) {
      merge.written.Add(column);
      merge.merged[column] = value;
    } else if (now != value) {
      merge.conflicts.Add(column);
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
