#include "plugins/grid_rows.h"

#include "pluginmanager/veldrix_plugin_api.h"

#include <algorithm>
#include <cwchar>

namespace veldrix {
namespace {

bool HasCells(const PluginRow& row) { return row.cells[0] != nullptr; }

// Columns the row fills: up to its last non-empty cell.
std::size_t UsedColumns(const PluginRow& row) {
  if (!HasCells(row)) {
    if (row.key && row.key[0] != L'\0') return 2;
    return row.text && row.text[0] != L'\0' ? 1 : 0;
  }
  for (std::size_t d = VELDRIX_ROW_CELLS; d > 0; --d) {
    if (row.cells[d - 1] && row.cells[d - 1][0] != L'\0') return d;
  }
  return 0;
}

const wchar_t* CellPointer(const PluginRow& row, std::size_t definition) {
  if (HasCells(row)) return row.cells[definition];
  if (definition == 0) return row.text;
  if (definition == 1) return row.key;
  return nullptr;
}

}  // namespace

std::wstring_view GridRows::Column::At(std::size_t row) const {
  const std::size_t begin = row == 0 ? 0 : ends[row - 1];
  return std::wstring_view(text.data() + begin, ends[row] - begin);
}

void GridRows::Column::Append(const wchar_t* value) {
  if (value) text.append(value);
  ends.push_back(text.size());
}

GridRows::GridRows(const PluginRow* rows, std::size_t count) : count_(rows ? count : 0) {
  std::size_t columnCount = 0;
  std::vector<std::size_t> lengths;
  for (std::size_t r = 0; r < count_; ++r) columnCount = std::max(columnCount, UsedColumns(rows[r]));
  columns_.resize(columnCount);
  // Each block is sized once, so appending never moves it.
  lengths.assign(columnCount + 1, 0);
  for (std::size_t r = 0; r < count_; ++r) {
    if (rows[r].key) lengths[columnCount] += std::wcslen(rows[r].key);
    for (std::size_t d = 0; d < columnCount; ++d) {
      if (const wchar_t* text = CellPointer(rows[r], d)) lengths[d] += std::wcslen(text);
    }
  }
  keys_.text.reserve(lengths[columnCount]);
  keys_.ends.reserve(count_);
  for (std::size_t d = 0; d < columnCount; ++d) {
    columns_[d].text.reserve(lengths[d]);
    columns_[d].ends.reserve(count_);
  }
  for (std::size_t r = 0; r < count_; ++r) {
    keys_.Append(rows[r].key);
    for (std::size_t d = 0; d < columnCount; ++d) columns_[d].Append(CellPointer(rows[r], d));
  }
  sortKeys_.resize(columnCount);
}

std::wstring_view GridRows::KeyView(std::size_t row) const {
  return row < count_ ? keys_.At(row) : std::wstring_view();
}

std::wstring_view GridRows::CellView(std::size_t row, int definition) const {
  if (definition < 0 || static_cast<std::size_t>(definition) >= columns_.size() || row >= count_) {
    return std::wstring_view();
  }
  return columns_[static_cast<std::size_t>(definition)].At(row);
}

const std::vector<GridSortKey>& GridRows::SortKeys(int definition) const {
  auto& slot = sortKeys_[static_cast<std::size_t>(definition)];
  if (!slot) {
    const Column& column = columns_[static_cast<std::size_t>(definition)];
    slot = std::make_unique<std::vector<GridSortKey>>();
    slot->reserve(count_);
    for (std::size_t r = 0; r < count_; ++r) slot->push_back(MakeGridSortKey(column.At(r)));
  }
  return *slot;
}

std::vector<std::size_t> GridRows::Arrange(const GridFilters& filters, int sortDefinition, bool ascending) const {
  struct Condition {
    const Column* column;  // null: a column no row fills, whose cells are all empty
    ColumnFilterMatcher matcher;
  };
  std::vector<Condition> conditions;
  for (const auto& entry : filters) {
    if (!entry.second.active) continue;
    const bool known = entry.first >= 0 && static_cast<std::size_t>(entry.first) < columns_.size();
    conditions.push_back(
        {known ? &columns_[static_cast<std::size_t>(entry.first)] : nullptr, ColumnFilterMatcher(entry.second)});
  }

  std::vector<std::size_t> kept;
  kept.reserve(count_);
  for (std::size_t r = 0; r < count_; ++r) {
    bool passes = true;
    for (const Condition& condition : conditions) {
      if (!condition.matcher.Passes(condition.column ? condition.column->At(r) : std::wstring_view())) {
        passes = false;
        break;
      }
    }
    if (passes) kept.push_back(r);
  }

  if (sortDefinition >= 0 && static_cast<std::size_t>(sortDefinition) < columns_.size()) {
    const std::vector<GridSortKey>& keys = SortKeys(sortDefinition);
    std::sort(kept.begin(), kept.end(), [&keys, ascending](std::size_t a, std::size_t b) {
      const int order = CompareGridSortKeys(keys[a], keys[b]);
      if (order != 0) return ascending ? order < 0 : order > 0;
      return a < b;
    });
  }
  return kept;
}

std::vector<wxString> GridRows::DistinctValues(const std::vector<std::size_t>& shown, int definition,
                                               const std::set<wxString>& extra) const {
  std::vector<std::wstring_view> texts;
  texts.reserve(shown.size());
  for (std::size_t row : shown) texts.push_back(CellView(row, definition));
  std::sort(texts.begin(), texts.end());
  texts.erase(std::unique(texts.begin(), texts.end()), texts.end());
  std::vector<wxString> values(extra.begin(), extra.end());
  for (std::wstring_view text : texts) values.push_back(ToString(text));
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

}  // namespace veldrix
