// Results of one IDbConnection::execute: the result sets of every row-returning
// statement, each keeping all its cells as UTF-8 bytes in one buffer with an index
// of (offset, length) per cell; length -1 marks NULL.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <vector>

struct DbColumn {
  wxString name;
  wxString type;
};

struct DbCellRef {
  int offset = 0;
  int length = -1;
};

// Memory of the two buffers of a result set. A large result grows into blocks of
// its own, backed by huge pages where the system offers them: a million rows fill
// some hundred megabytes, and filling them page by page costs more than reading
// the rows does.
void* AllocateResultBytes(std::size_t bytes);
void ReleaseResultBytes(void* block, std::size_t bytes);

template <typename T>
struct DbResultAllocator {
  using value_type = T;
  DbResultAllocator() = default;
  template <typename U>
  DbResultAllocator(const DbResultAllocator<U>&) {}
  T* allocate(std::size_t count) { return static_cast<T*>(AllocateResultBytes(count * sizeof(T))); }
  void deallocate(T* block, std::size_t count) { ReleaseResultBytes(block, count * sizeof(T)); }
  template <typename U>
  bool operator==(const DbResultAllocator<U>&) const { return true; }
  template <typename U>
  bool operator!=(const DbResultAllocator<U>&) const { return false; }
};

struct DbResultSet {
  // Cell offsets are 32-bit: a driver stops reading before the buffer could overflow them.
  static constexpr std::size_t kMaxDataBytes = 0x7fffffffu - 0x1000000u;

  // True when the buffer has reached kMaxDataBytes; *error then names the engine.
  bool overLimit(const char* engine, wxString* error) const {
    if (data.size() <= kMaxDataBytes) return false;
    if (error) *error = wxString::Format("%s result is too large to be read (over 2 GB of text).", engine);
    return true;
  }

  std::vector<DbColumn> columns;
  int rowCount = 0;
  std::vector<DbCellRef, DbResultAllocator<DbCellRef>> cells;
  std::vector<char, DbResultAllocator<char>> data;

  // The bytes of a cell (not terminated), or null for NULL and for a cell outside
  // the set; *length receives the byte count (0 for NULL).
  const char* cell(int row, int column, int* length) const;

  // The cell as text (empty for NULL).
  wxString text(int row, int column) const;
  bool isNull(int row, int column) const;

  // Appends one cell of the current row: bytes == nullptr is NULL.
  void appendCell(const char* bytes, int length) {
    if (!bytes) {
      appendNull();
      return;
    }
    if (length < 0) length = 0;
    cells.push_back(DbCellRef{static_cast<int>(data.size()), length});
    data.insert(data.end(), bytes, bytes + length);
  }
  void appendNull() { cells.push_back(DbCellRef{0, -1}); }
};

struct DbQueryResult {
  std::vector<DbResultSet> resultSets;
  wxString message;
  int rowsAffected = -1;

  void clear() {
    resultSets.clear();
    message.clear();
    rowsAffected = -1;
  }
};

// Appends a text cell as UTF-8 (up to its first zero byte).
void AppendTextCell(DbResultSet* set, const wxString& text);
