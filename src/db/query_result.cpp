#include "db/query_result.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
const DbCellRef kNullCell{0, -1};
const char kEmptyText[] = "";

// Blocks from this size on are mapped on their own; smaller ones come from the heap.
constexpr std::size_t kMappedBlockBytes = 4u << 20;
constexpr std::size_t kHugePageBytes = 2u << 20;

std::size_t MappedLength(std::size_t bytes) { return (bytes + kHugePageBytes - 1) & ~(kHugePageBytes - 1); }
}  // namespace

namespace {

void* CheckedBlock(void* block) {
  if (!block) throw std::bad_alloc();
  return block;
}

// A fresh mapping of `length` bytes starting on a huge-page boundary, marked for huge pages.
void* MapAligned(std::size_t length) {
  void* mapped = ::mmap(nullptr, length + kHugePageBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (mapped == MAP_FAILED) throw std::bad_alloc();
  const auto start = reinterpret_cast<std::uintptr_t>(mapped);
  const std::uintptr_t aligned = (start + kHugePageBytes - 1) & ~static_cast<std::uintptr_t>(kHugePageBytes - 1);
  if (aligned > start) ::munmap(mapped, aligned - start);
  const std::size_t tail = kHugePageBytes - (aligned - start);
  if (tail > 0) ::munmap(reinterpret_cast<void*>(aligned + length), tail);
  ::madvise(reinterpret_cast<void*>(aligned), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(aligned);
}

bool IsMapped(std::size_t bytes) { return bytes >= kMappedBlockBytes; }

}  // namespace

void* ResizeResultBlock(void* block, std::size_t oldBytes, std::size_t newBytes) {
  if (!block) oldBytes = 0;
  if (newBytes == 0) {
    if (block && IsMapped(oldBytes)) {
      ::munmap(block, MappedLength(oldBytes));
    } else {
      std::free(block);
    }
    return nullptr;
  }
  if (!IsMapped(newBytes) && !IsMapped(oldBytes)) return CheckedBlock(std::realloc(block, newBytes));
  if (!IsMapped(oldBytes)) {
    void* mapped = MapAligned(MappedLength(newBytes));
    if (block) std::memcpy(mapped, block, oldBytes);
    std::free(block);
    return mapped;
  }
  const std::size_t oldLength = MappedLength(oldBytes);
  if (!IsMapped(newBytes)) {
    void* heap = CheckedBlock(std::malloc(newBytes));
    std::memcpy(heap, block, newBytes);
    ::munmap(block, oldLength);
    return heap;
  }
  const std::size_t newLength = MappedLength(newBytes);
  if (newLength == oldLength) return block;
  if (newLength < oldLength) {
    ::munmap(static_cast<char*>(block) + newLength, oldLength - newLength);
    return block;
  }
  // The pages written so far move into an aligned place of the new size, uncopied.
  void* target = MapAligned(newLength);
  void* moved = ::mremap(block, oldLength, newLength, MREMAP_MAYMOVE | MREMAP_FIXED, target);
  if (moved != MAP_FAILED) return moved;
  std::memcpy(target, block, oldBytes);
  ::munmap(block, oldLength);
  return target;
}

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
