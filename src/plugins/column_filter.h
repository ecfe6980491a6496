// The per-column filters of a module grid: a text the cell must contain (letter
// case ignored) and a set of values the cell must equal exactly. Edited by the
// column filter dialog, kept by the module page for its life, applied whenever the
// grid is filled.
#pragma once

#include <wx/string.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace veldrix {

struct ColumnFilter {
  bool active = false;
  wxString text;              // as typed, not trimmed; empty = no text condition
  std::set<wxString> values;  // exact, case-sensitive; empty = no value condition

  // What the filter dialog sets: active when either condition is set.
  static ColumnFilter Make(const wxString& text, std::set<wxString> values);
};

// One grid's filters by column definition index.
using GridFilters = std::map<int, ColumnFilter>;

// A filter prepared for testing many cells: its text folded once, its values hashed.
class ColumnFilterMatcher {
 public:
  explicit ColumnFilterMatcher(const ColumnFilter& filter);
  ColumnFilterMatcher(const ColumnFilterMatcher&) = delete;
  ColumnFilterMatcher& operator=(const ColumnFilterMatcher&) = delete;
  ColumnFilterMatcher(ColumnFilterMatcher&&) = default;

  // An inactive filter passes every cell.
  bool Passes(std::wstring_view cell) const;

 private:
  bool active_;
  std::wstring foldedText_;
  std::unique_ptr<std::vector<std::wstring>> texts_;  // what the value views point into
  std::unordered_set<std::wstring_view> values_;
};

// Stores the dialog's result for one column: an inactive filter removes the column's
// entry instead of being kept.
void StoreColumnFilter(GridFilters& filters, int definition, const ColumnFilter& filter);

}  // namespace veldrix
