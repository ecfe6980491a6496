// Results of one IDbConnection::execute: the result sets of every row-returning
// statement, each keeping all its cells as UTF-8 bytes in one buffer with an index
// of (offset, length) per cell; length -1 marks NULL.
#pragma once

#include <wx/string.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <initializer_list>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

struct DbColumn {
  wxString name;
  wxString type;
};

struct DbCellRef {
  int offset = 0;
  int length = -1;
};

// Resizes a block of a result set's buffers from oldBytes to newBytes (0 frees it,
// a null block with 0 bytes is a new one); throws std::bad_alloc. A large block is
// mapped on its own, backed by huge pages where the system offers them, and grows
// by moving its pages rather than copying them: a million rows fill some hundred
// megabytes, and copying or faulting them in page by page would cost more than
// reading the rows does.
void* ResizeResultBlock(void* block, std::size_t oldBytes, std::size_t newBytes);

// The growable array behind the two buffers: one block of trivially copyable
// items, as a vector keeps them, grown through ResizeResultBlock.
template <typename T>
class DbBuffer {
  static_assert(std::is_trivially_copyable<T>::value, "items are moved as bytes");

 public:
  DbBuffer() = default;
  DbBuffer(std::initializer_list<T> items) { append(items.begin(), items.size()); }
  DbBuffer(const DbBuffer& other) { append(other.items_, other.size_); }
  DbBuffer(DbBuffer&& other) noexcept { swap(other); }
  DbBuffer& operator=(DbBuffer other) noexcept {
    swap(other);
    return *this;
  }
  ~DbBuffer() {
    if (items_) ResizeResultBlock(items_, capacity_ * sizeof(T), 0);
  }

  std::size_t size() const { return size_; }
  std::size_t capacity() const { return capacity_; }
  bool empty() const { return size_ == 0; }
  T* data() { return items_; }
  const T* data() const { return items_; }
  T& operator[](std::size_t i) { return items_[i]; }
  const T& operator[](std::size_t i) const { return items_[i]; }
  T* begin() { return items_; }
  T* end() { return items_ + size_; }
  const T* begin() const { return items_; }
  const T* end() const { return items_ + size_; }

  void clear() { size_ = 0; }
  void reserve(std::size_t count) {
    if (count > capacity_) resize(count);
  }
  void push_back(const T& item) {
    if (size_ == capacity_) grow(size_ + 1);
    new (items_ + size_) T(item);
    ++size_;
  }
  void append(const T* items, std::size_t count) {
    if (count == 0) return;
    if (size_ + count > capacity_) grow(size_ + count);
    std::memcpy(static_cast<void*>(items_ + size_), items, count * sizeof(T));
    size_ += count;
  }
  void swap(DbBuffer& other) noexcept {
    std::swap(items_, other.items_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
  }

 private:
  void grow(std::size_t needed) { resize(std::max(needed, std::max<std::size_t>(capacity_ * 2, 16))); }
  void resize(std::size_t count) {
    items_ = static_cast<T*>(ResizeResultBlock(items_, capacity_ * sizeof(T), count * sizeof(T)));
    capacity_ = count;
  }

  T* items_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
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
  DbBuffer<DbCellRef> cells;
  DbBuffer<char> data;

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
    data.append(bytes, static_cast<std::size_t>(length));
  }
  void appendNull() { cells.push_back(DbCellRef{0, -1}); }
};

struct DbQueryResult {
  std::vector<DbResultSet> resultSets;
  wxString message;
  int rowsAffected = -1;
  // Set with a failure when the server chose this transaction as the victim of a
  // deadlock. The server may have undone only the failed statement (Oracle's
  // ORA-00060): the caller rolls back the rest before it runs the transaction again.
  bool deadlock = false;
  // Set with a failure when the connection was lost on the way: it cannot be used
  // again, and the server may or may not have carried out the text before it went.
  bool connectionLost = false;
  // Set with connectionLost when the server sent nothing for the connection's
  // answer bound: running the text again would only wait as long once more.
  bool answerTimedOut = false;
  // Set with a failure when the statement waited for a lock another session holds
  // for the connection's row-lock bound; the connection stays usable.
  bool lockTimeout = false;

  void clear() {
    resultSets.clear();
    message.clear();
    rowsAffected = -1;
    deadlock = false;
    connectionLost = false;
    answerTimedOut = false;
    lockTimeout = false;
  }
};

// Appends a text cell as UTF-8 (up to its first zero byte).
void AppendTextCell(DbResultSet* set, const wxString& text);
