#include "plugins/column_filter.h"

#include "app/common/message_box.h"

#include <utility>

namespace veldrix {

ColumnFilter ColumnFilter::Make(const wxString& text, std::set<wxString> values) {
  ColumnFilter filter;
  filter.text = text;
  filter.values = std::move(values);
  filter.active = !filter.text.empty() || !filter.values.empty();
  return filter;
}

bool ContainsFolded(std::wstring_view text, std::wstring_view foldedNeedle) {
  const std::size_t needle = foldedNeedle.size();
  const std::size_t length = text.size();
  if (needle == 0) return true;
  if (length < needle) return false;
  const wchar_t* chars = text.data();
  // Candidates are found by the first character in either letter case, which
  // skips most positions without folding anything.
  const wchar_t first = foldedNeedle[0];
  const wchar_t firstUpper = first >= L'a' && first <= L'z' ? static_cast<wchar_t>(first - 32) : first;
  const std::size_t last = length - needle;
  for (std::size_t start = 0; start <= last; ++start) {
    const wchar_t c = chars[start];
    if (c != first && c != firstUpper && (c < 0x80 || FoldWideChar(c) != first)) continue;
    std::size_t matched = 1;
    while (matched < needle && FoldWideChar(chars[start + matched]) == foldedNeedle[matched]) ++matched;
    if (matched == needle) return true;
  }
  return false;
}

ColumnFilterMatcher::ColumnFilterMatcher(const ColumnFilter& filter)
    : active_(filter.active),
      foldedText_(FoldText(filter.text).ToStdWstring()),
      texts_(std::make_unique<std::vector<std::wstring>>()) {
  texts_->reserve(filter.values.size());
  for (const wxString& value : filter.values) texts_->push_back(value.ToStdWstring());
  for (const std::wstring& text : *texts_) values_.insert(text);
}

bool ColumnFilterMatcher::Passes(std::wstring_view cell) const {
  if (!active_) return true;
  if (!foldedText_.empty() && !ContainsFolded(cell, foldedText_)) return false;
  if (!values_.empty() && values_.find(cell) == values_.end()) return false;
  return true;
}

bool HasActiveFilter(const GridFilters& filters) {
  for (const auto& entry : filters) {
    if (entry.second.active) return true;
  }
  return false;
}

void StoreColumnFilter(GridFilters& filters, int definition, const ColumnFilter& filter) {
  if (filter.active) {
    filters[definition] = filter;
  } else {
    filters.erase(definition);
  }
}

}  // namespace veldrix
