// The rows of a module grid: the cell rule, column filters and sorting.
#include "plugins/grid_rows.h"

#include "pluginmanager/veldrix_plugin_api.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

namespace veldrix {
namespace {

// Module rows with texts that live as long as the builder, as a module's would.
class Rows {
 public:
  Rows& WithCells(const wchar_t* key, std::vector<const wchar_t*> cells) {
    PluginRow row{};
    row.key = Keep(key);
    row.text = Keep(L"row text");
    for (std::size_t i = 0; i < cells.size() && i < VELDRIX_ROW_CELLS; ++i) row.cells[i] = Keep(cells[i]);
    rows_.push_back(row);
    return *this;
  }
  Rows& Plain(const wchar_t* text, const wchar_t* key) {
    PluginRow row{};
    row.text = Keep(text);
    row.key = Keep(key);
    rows_.push_back(row);
    return *this;
  }
  GridRows Build() const { return GridRows(rows_.data(), rows_.size()); }

 private:
  const wchar_t* Keep(const wchar_t* text) {
    if (!text) return nullptr;
    texts_.emplace_back(text);
    return texts_.back().c_str();
  }
  std::deque<std::wstring> texts_;
  std::vector<PluginRow> rows_;
};

std::vector<wxString> Column(const GridRows& rows, const std::vector<std::size_t>& order, int definition) {
  std::vector<wxString> cells;
  for (std::size_t row : order) cells.push_back(rows.Cell(row, definition));
  return cells;
}

TEST(GridRows, CellsFollowTheModuleRowRule) {
  Rows builder;
  builder.WithCells(L"k1", {L"a", nullptr, L"c"}).Plain(L"tekst", L"k2").Plain(nullptr, nullptr);
  const GridRows rows = builder.Build();
  ASSERT_EQ(rows.Count(), 3u);
  EXPECT_EQ(rows.Key(0), "k1");
  EXPECT_EQ(rows.Cell(0, 0), "a");
  EXPECT_EQ(rows.Cell(0, 1), "");  // a null cell is empty, not the key
  EXPECT_EQ(rows.Cell(0, 2), "c");
  EXPECT_EQ(rows.Cell(1, 0), "tekst");
  EXPECT_EQ(rows.Cell(1, 1), "k2");
  EXPECT_EQ(rows.Cell(1, 2), "");
  EXPECT_EQ(rows.Cell(2, 0), "");
  EXPECT_EQ(rows.Key(2), "");
  EXPECT_EQ(rows.Cell(0, 12), "");
  EXPECT_EQ(rows.Cell(7, 0), "");
  EXPECT_EQ(rows.Key(7), "");
}

TEST(GridRows, FiltersMatchTextIgnoringCaseAndValuesExactly) {
  Rows builder;
  builder.WithCells(L"1", {L"xxABCyy", L"Gda\u0143sk"})
      .WithCells(L"2", {L"AB C", L"gda\u0144sk"})
      .WithCells(L"3", {L"abc", L"Gda\u0144sk"})
      .WithCells(L"4", {L"zzz", L"Gda\u0144sk"});
  const GridRows rows = builder.Build();

  GridFilters filters;
  StoreColumnFilter(filters, 0, ColumnFilter::Make("abc", {}));
  EXPECT_EQ(rows.Arrange(filters, -1, true), (std::vector<std::size_t>{0, 2}));

  StoreColumnFilter(filters, 1, ColumnFilter::Make("", {L"Gda\u0144sk"}));
  EXPECT_EQ(rows.Arrange(filters, -1, true), (std::vector<std::size_t>{2}));

  // Polish capitals fold too.
  GridFilters polish;
  StoreColumnFilter(polish, 1, ColumnFilter::Make(L"GDA\u0143", {}));
  EXPECT_EQ(rows.Arrange(polish, -1, true), (std::vector<std::size_t>{0, 1, 2, 3}));

  // Polish letters match without their marks, as every search of the program does.
  Rows markedBuilder;
  markedBuilder.WithCells(L"1", {L"\u017b\u00f3\u0142\u0107"})
      .WithCells(L"2", {L"Zo\u0142za"})
      .WithCells(L"3", {L"acelnosz"});
  const GridRows marked = markedBuilder.Build();
  GridFilters unmarked;
  StoreColumnFilter(unmarked, 0, ColumnFilter::Make("zolc", {}));
  EXPECT_EQ(marked.Arrange(unmarked, -1, true), (std::vector<std::size_t>{0}));
  StoreColumnFilter(unmarked, 0, ColumnFilter::Make(L"\u0104\u0106\u0118\u0141\u0143\u00d3\u015a\u017b", {}));
  EXPECT_EQ(marked.Arrange(unmarked, -1, true), (std::vector<std::size_t>{2}));

  // A result with neither condition removes the column's filter.
  StoreColumnFilter(filters, 0, ColumnFilter::Make("", {}));
  EXPECT_EQ(filters.count(0), 0u);
  EXPECT_EQ(rows.Arrange(filters, -1, true), (std::vector<std::size_t>{2, 3}));

  // An inactive filter takes no part; one on a column no row fills keeps only what an empty cell meets.
  GridFilters other;
  other[0] = ColumnFilter{false, "nothing", {}};
  EXPECT_EQ(rows.Arrange(other, -1, true).size(), 4u);
  StoreColumnFilter(other, 9, ColumnFilter::Make("x", {}));
  EXPECT_TRUE(rows.Arrange(other, -1, true).empty());
  GridFilters empties;
  StoreColumnFilter(empties, 9, ColumnFilter::Make("", {""}));
  EXPECT_EQ(rows.Arrange(empties, -1, true).size(), 4u);
}

TEST(GridRows, SortingKeepsTheModuleOrderOfEqualRowsBothWays) {
  Rows builder;
  builder.WithCells(L"a", {L"B", L"10,00"})
      .WithCells(L"b", {L"a", L"2,50"})
      .WithCells(L"c", {L"b", L"1 000,00 z\u0142"})
      .WithCells(L"d", {L"A", L"2,50"});
  const GridRows rows = builder.Build();
  const GridFilters none;
  EXPECT_EQ(rows.Arrange(none, 0, true), (std::vector<std::size_t>{1, 3, 0, 2}));
  EXPECT_EQ(rows.Arrange(none, 0, false), (std::vector<std::size_t>{0, 2, 1, 3}));
  EXPECT_EQ(Column(rows, rows.Arrange(none, 1, true), 1),
            (std::vector<wxString>{"2,50", "2,50", "10,00", L"1 000,00 z\u0142"}));
  EXPECT_EQ(rows.Arrange(none, 1, false), (std::vector<std::size_t>{2, 0, 1, 3}));
  // Sorting by a column nobody fills leaves the module order.
  EXPECT_EQ(rows.Arrange(none, 11, false), (std::vector<std::size_t>{0, 1, 2, 3}));

  GridFilters filters;
  StoreColumnFilter(filters, 0, ColumnFilter::Make("", {"a", "b"}));
  EXPECT_EQ(rows.Arrange(filters, 1, true), (std::vector<std::size_t>{1, 2}));
}

TEST(GridRows, DistinctValuesOfShownRowsWithTheFilterValues) {
  Rows builder;
  builder.WithCells(L"1", {L"b"}).WithCells(L"2", {L"a"}).WithCells(L"3", {L"b"}).WithCells(L"4", {L"c"});
  const GridRows rows = builder.Build();
  EXPECT_EQ(rows.DistinctValues({0, 1, 2}, 0, {"z", "a"}), (std::vector<wxString>{"a", "b", "z"}));
  EXPECT_EQ(rows.DistinctValues({3}, 5, {}), (std::vector<wxString>{""}));
}

}  // namespace
}  // namespace veldrix
