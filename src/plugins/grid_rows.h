// The rows a module gave one list or grid of its page, copied out of the module's
// records, and their arrangement for display: the rows that pass the grid's column
// filters, sorted by one column. Cells are addressed by column definition index
// with the module row rule: a row with cells shows cell d (d = 0..11), a row
// without shows its text as column 0 and its key as column 1. Each column keeps its
// texts in one block, so a grid of many rows is copied, scanned and sorted without
// a memory allocation per cell. GUI thread only (the sort keys of a column are
// built on first use).
#pragma once

#include "plugins/column_filter.h"
#include "plugins/grid_sort_key.h"

#include <wx/string.h>

#include <cstddef>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct PluginRow;

namespace veldrix {

class GridRows {
 public:
  GridRows() = default;
  GridRows(const PluginRow* rows, std::size_t count);

  std::size_t Count() const { return count_; }
  // Empty for a row or definition out of range.
  wxString Key(std::size_t row) const { return ToString(KeyView(row)); }
  wxString Cell(std::size_t row, int definition) const { return ToString(CellView(row, definition)); }
  std::wstring_view KeyView(std::size_t row) const;
  std::wstring_view CellView(std::size_t row, int definition) const;

  // Module row indices of the rows that pass every active filter, in module
  // order, then sorted by `sortDefinition` (none when below 0) in the direction
  // given; rows that compare equal keep the module's order in both directions.
  std::vector<std::size_t> Arrange(const GridFilters& filters, int sortDefinition, bool ascending) const;

  // The distinct texts of one column over `shown` rows together with `extra`,
  // sorted by plain text comparison (what the filter dialog offers).
  std::vector<wxString> DistinctValues(const std::vector<std::size_t>& shown, int definition,
                                       const std::set<wxString>& extra) const;

 private:
  // One column's texts end to end; row r spans [ends[r - 1], ends[r]).
  struct Column {
    std::wstring text;
    std::vector<std::size_t> ends;
    std::wstring_view At(std::size_t row) const;
    void Append(const wchar_t* value);
  };

  static wxString ToString(std::wstring_view text) { return wxString(text.data(), text.size()); }
  const std::vector<GridSortKey>& SortKeys(int definition) const;

  std::size_t count_ = 0;
  Column keys_;
  std::vector<Column> columns_;  // by definition index
  mutable std::vector<std::unique_ptr<std::vector<GridSortKey>>> sortKeys_;
};

}  // namespace veldrix
