// The order of a module grid's rows when the user sorts by a column: amounts by
// their value, dates by their time, any other text without regard to letter case.
// Used by the grid rows of module pages (grid_rows.h); pure functions, any thread.
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace veldrix {

// An amount as modules show one: digits with an optional leading sign, blanks,
// apostrophes or no-break spaces between digit groups, and "pln", "zl", "zł",
// "eur" or "%" anywhere (any letter case). A single "," or "." is the decimal
// separator; when both occur, the one written last is, and the other groups
// digits ("1,234.56" and "1.234,56" are both 1234.56). False for anything else
// (another word, a tab, a second sign, two decimal separators).
bool TryParseAmount(std::wstring_view text, double* value);
inline bool TryParseAmount(const wxString& text, double* value) {
  return TryParseAmount(std::wstring_view(text.wc_str(), text.length()), value);
}

// A date, optionally with a time, as seconds from the start of year 1: "2024-01-15"
// and "15.01.2024" (also with "-" or "/" between day, month and year), each may be
// followed by " 10:30", " 10:30:15" or " 10:30:15.250" ("T" also separates an ISO
// date from its time). False for anything else, impossible days included.
bool TryParseCellDate(std::wstring_view text, double* seconds);
inline bool TryParseCellDate(const wxString& text, double* seconds) {
  return TryParseCellDate(std::wstring_view(text.wc_str(), text.length()), seconds);
}

// One cell prepared for comparing. Cells of different kinds order by kind (empty
// cells, then amounts, then dates, then texts), so the order is total whatever a
// column holds. Texts follow the Polish alphabet, letter case ignored.
struct GridSortKey {
  enum Kind { kEmpty = 0, kAmount = 1, kDate = 2, kText = 3 };
  Kind kind = kEmpty;
  double number = 0;    // amount or date
  std::wstring folded;  // texts only: the lower-case text as alphabet weights
};

GridSortKey MakeGridSortKey(std::wstring_view cell);
inline GridSortKey MakeGridSortKey(const wxString& cell) {
  return MakeGridSortKey(std::wstring_view(cell.wc_str(), cell.length()));
}

// Negative, zero or positive as a sorts before, with or after b (ascending).
int CompareGridSortKeys(const GridSortKey& a, const GridSortKey& b);

}  // namespace veldrix
