#include "db/query_result.h"

#include <cstring>

namespace {
const DbCellRef kNullCell{0, -1};
const char kEmptyText[] = "";
}  // namespace

const char* DbResultSet::cell(int row, int column, int* length) const {
  const DbCellRef* ref = &kNullCell;
  if (!columns.empty()) {
    // Unsigned arithmetic: a negative row or column becomes a huge index and misses.
    const unsigned long long index = static_cast<unsigned long long>(static_cast<unsigned int>(row)) *
                                         columns.size() +
                                     static_cast<unsigned int>(column);
    if (static_cast<unsigned int>(column) < columns.size() && index < cells.size()) ref = &cells[index];
  }
  if (ref->length == -1) {
    if (length) *length = 0;
    return nullptr;
  }
  if (length) *length = ref->length;
  if (ref->length == 0) return kEmptyText;
  if (ref->offset < 0 || ref->length < 0 ||
      static_cast<std::size_t>(ref->offset) + static_cast<std::size_t>(ref->length) > data.size()) {
    if (length) *length = 0;
    return kEmptyText;
  }
  return data.data() + ref->offset;
}

wxString DbResultSet::text(int row, int column) const {
  int length = 0;
  const char* bytes = cell(row, column, &length);
  if (!bytes || length <= 0) return wxString();
  return wxString::FromUTF8(bytes, static_cast<std::size_t>(length));
}

bool DbResultSet::isNull(int row, int column) const {
  int length = 0;
  return cell(row, column, &length) == nullptr;
}

void AppendTextCell(DbResultSet* set, const wxString& text) {
  if (!set) return;
  const wxScopedCharBuffer utf8 = text.utf8_str();
  const char* bytes = utf8.data();
  set->appendCell(bytes ? bytes : "", bytes ? static_cast<int>(std::strlen(bytes)) : 0);
}
