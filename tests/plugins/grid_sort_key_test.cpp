// How module grid cells order when the user sorts a column.
#include "plugins/grid_sort_key.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace veldrix {
namespace {

struct AmountCase {
  const char* text;
  bool parses;
  double value;
};

TEST(GridSortKey, AmountsReadTheWayModulesWriteThem) {
  const AmountCase cases[] = {
      {"999,99", true, 999.99},
      {"1 234,50 zł", true, 1234.5},
      {"1\xC2\xA0"
       "234,50",
       true, 1234.5},  // no-break space between digit groups
      {"  -12.5 PLN ", true, -12.5},
      {"+7", true, 7},
      {"1'000", true, 1000},
      {"15%", true, 15},
      {"100 EUR", true, 100},
      {"3 ZŁ", true, 3},
      // Both separators: the one written last separates the decimals.
      {"1,234.56", true, 1234.56},
      {"1.234,56", true, 1234.56},
      {"12.345.678,90", true, 12345678.9},
      {"1,234,567.5", true, 1234567.5},
      {"", false, 0},
      {"   ", false, 0},
      {"zł", false, 0},
      {"12 kg", false, 0},
      {"1.2.3", false, 0},
      {"--5", false, 0},
      {"5-", false, 0},
      {"1\t000", false, 0},
      {"1,234.56,7", false, 0},
      {"FV/12/2024", false, 0},
  };
  for (const AmountCase& c : cases) {
    double value = -1;
    EXPECT_EQ(TryParseAmount(wxString::FromUTF8(c.text), &value), c.parses) << c.text;
    if (c.parses) {
      EXPECT_NEAR(value, c.value, 1e-9) << c.text;
    }
  }
}

TEST(GridSortKey, DatesReadInTheFormsModulesShow) {
  struct DateCase {
    const char* text;
    bool parses;
  };
  const DateCase cases[] = {
      {"2024-01-15", true},
      {"15.01.2024", true},
      {"5.1.2024", true},
      {"15-01-2024", true},
      {"15/01/2024", true},
      {"2024-01-15 10:30", true},
      {"2024-01-15T10:30:15", true},
      {"15.01.2024 10:30:15.250", true},
      {"29.02.2024", true},
      {"29.02.2023", false},
      {"31.04.2024", false},
      {"2024-13-01", false},
      {"15.01.24", false},
      {"15.01-2024", false},
      {"2024-01-15 25:00", false},
      {"2024-01-15 10:30 x", false},
      {"15.01.2024r.", false},
      {"ala", false},
  };
  for (const DateCase& c : cases) {
    EXPECT_EQ(TryParseCellDate(c.text, nullptr), c.parses) << c.text;
  }
  double earlier = 0;
  double later = 0;
  ASSERT_TRUE(TryParseCellDate("31.12.2023 23:59:59", &earlier));
  ASSERT_TRUE(TryParseCellDate("2024-01-01", &later));
  EXPECT_EQ(later - earlier, 1);
}

std::vector<wxString> SortedAscending(std::vector<wxString> cells) {
  std::stable_sort(cells.begin(), cells.end(), [](const wxString& a, const wxString& b) {
    return CompareGridSortKeys(MakeGridSortKey(a), MakeGridSortKey(b)) < 0;
  });
  return cells;
}

TEST(GridSortKey, AmountsAndDatesSortByValueAndTextIgnoresCase) {
  EXPECT_EQ(SortedAscending({L"1 234,50 z\u0142", "999,99", "1,234.56", "1.234,55"}),
            (std::vector<wxString>{"999,99", L"1 234,50 z\u0142", "1.234,55", "1,234.56"}));
  EXPECT_EQ(SortedAscending({"05.02.2024", "06.01.2024", "2023-12-31", "10.01.2024"}),
            (std::vector<wxString>{"2023-12-31", "06.01.2024", "10.01.2024", "05.02.2024"}));
  EXPECT_EQ(SortedAscending({"beta", "Alfa", L"\u0141\u00f3d\u017a", "alfa 2", L"\u0142\u00f3dka"}),
            (std::vector<wxString>{"Alfa", "alfa 2", "beta", L"\u0142\u00f3dka", L"\u0141\u00f3d\u017a"}));
}

TEST(GridSortKey, TextsFollowThePolishAlphabet) {
  // Each Polish letter follows its base letter, in either letter case.
  EXPECT_EQ(SortedAscending({L"\u017bak", "Zawada", L"\u0141o\u015b", "Maj", L"\u0106wik", "Dab", L"d\u0105b", "Dbc",
                             L"\u015aliwa", "Sowa", "Tur"}),
            (std::vector<wxString>{L"\u0106wik", "Dab", L"d\u0105b", "Dbc", L"\u0141o\u015b", "Maj", "Sowa",
                                   L"\u015aliwa", "Tur", "Zawada", L"\u017bak"}));
  EXPECT_EQ(SortedAscending({L"\u017c", L"\u017a", "z", L"\u00f3", "p", "o", L"\u0144", "o"}),
            (std::vector<wxString>{L"\u0144", "o", "o", L"\u00f3", "p", "z", L"\u017a", L"\u017c"}));
}

TEST(GridSortKey, MixedColumnsOrderByKindSoTheOrderIsTotal) {
  // Compared pairwise by value or text, "2" < "10" < "1a" < "2" would be a cycle.
  const std::vector<wxString> cells{"1a", "10", "", "2", "15.01.2024", " ", "b"};
  const std::vector<wxString> sorted = SortedAscending(cells);
  EXPECT_EQ(sorted, (std::vector<wxString>{"", " ", "2", "10", "15.01.2024", "1a", "b"}));
  for (const wxString& a : cells) {
    for (const wxString& b : cells) {
      EXPECT_EQ(CompareGridSortKeys(MakeGridSortKey(a), MakeGridSortKey(b)),
                -CompareGridSortKeys(MakeGridSortKey(b), MakeGridSortKey(a)))
          << a << " / " << b;
    }
  }
}

}  // namespace
}  // namespace veldrix
