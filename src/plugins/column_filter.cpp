#include "plugins/column_filter.h"

#include "app/common/text_folding.h"

#include <utility>

namespace veldrix {

ColumnFilter ColumnFilter::Make(const wxString& text, std::set<wxString> values) {
  ColumnFilter filter;
  filter.text = text;
  filter.values = std::move(values);
  filter.active = !filter.text.empty() || !filter.values.empty();
  return filter;
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

void StoreColumnFilter(GridFilters& filters, int definition, const ColumnFilter& filter) {
  if (filter.active) {
    filters[definition] = filter;
  } else {
    filters.erase(definition);
  }
}

}  // namespace veldrix
