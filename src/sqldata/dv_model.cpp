#include "sqldata/dv_model.h"

#include "sqldata/format_decimal.h"

#include <utility>

namespace {

// wxVariant's GetDouble/GetBool/GetInteger assert on a value they cannot convert
// (a dialog in a GUI program); a cell that is not a number is stored as 0 instead.
double ToDouble(const wxVariant& value) {
  double number = 0;
  return value.Convert(&number) ? number : 0.0;
}

bool ToBool(const wxVariant& value) {
  bool flag = false;
  return value.Convert(&flag) && flag;
}

long ToLong(const wxVariant& value) {
  long number = 0;
  return value.Convert(&number) ? number : 0;
}

template <typename List>
void EraseAt(std::vector<List>& lists, unsigned int row) {
  for (List& list : lists) {
    if (row < list.size()) list.erase(list.begin() + row);
  }
}

}  // namespace

DVModel::DVModel() : wxDataViewVirtualListModel(0) {}

DVModel::~DVModel() { Clear(true); }

unsigned int DVModel::GetColumnCount() const { return static_cast<unsigned int>(columns_.size()); }

wxString DVModel::GetColumnType(unsigned int) const { return "string"; }

int DVModel::ColumnKind(unsigned int column) const {
  const Column* c = FindColumn(column);
  return c ? c->kind : -1;
}

int DVModel::ColumnTag(unsigned int column) const {
  const Column* c = FindColumn(column);
  return c ? c->tag : 0;
}

const DVModel::Column* DVModel::FindColumn(unsigned int column) const {
  return column < columns_.size() ? &columns_[column] : nullptr;
}

bool DVModel::HasRow(const Column& column, unsigned int row) const {
  if (!ready_) return false;
  switch (column.kind) {
    case DVColumnText: return row < texts_[column.indexInKind].size();
    case DVColumnDecimal: return row < decimals_[column.indexInKind].size();
    case DVColumnFlag: return row < flags_[column.indexInKind].size();
    case DVColumnInteger: return row < integers_[column.indexInKind].size();
  }
  return false;
}

bool DVModel::AddColumn(int kind, int tag) {
  if (kind < DVColumnText || kind > DVColumnInteger) return false;
  columns_.push_back(Column{kind, tag, kindCounts_[kind]++});
  // A column added to a ready model gets its (empty) list at once, so every column
  // always has one.
  if (ready_) {
    switch (kind) {
      case DVColumnText: texts_.emplace_back(); break;
      case DVColumnDecimal: decimals_.emplace_back(); break;
      case DVColumnFlag: flags_.emplace_back(); break;
      case DVColumnInteger: integers_.emplace_back(); break;
    }
  }
  return true;
}

bool DVModel::InitStorage() {
  texts_.assign(kindCounts_[DVColumnText], {});
  decimals_.assign(kindCounts_[DVColumnDecimal], {});
  flags_.assign(kindCounts_[DVColumnFlag], {});
  integers_.assign(kindCounts_[DVColumnInteger], {});
  ready_ = true;
  return true;
}

bool DVModel::AppendValue(const wxVariant& value, unsigned int column) {
  const Column* c = FindColumn(column);
  if (!ready_ || !c) return false;
  switch (c->kind) {
    case DVColumnText: return AppendText(column, value.GetString());
    case DVColumnDecimal: return AppendDecimal(column, ToDouble(value));
    case DVColumnFlag: return AppendFlag(column, ToBool(value));
    case DVColumnInteger: return AppendInteger(column, ToLong(value));
  }
  return false;
}

bool DVModel::AppendText(unsigned int column, const wxString& text) {
  const Column* c = FindColumn(column);
  if (!ready_ || !c || c->kind != DVColumnText) return false;
  texts_[c->indexInKind].push_back(text);
  return true;
}

bool DVModel::AppendText(unsigned int column, wxString&& text) {
  const Column* c = FindColumn(column);
  if (!ready_ || !c || c->kind != DVColumnText) return false;
  texts_[c->indexInKind].push_back(std::move(text));
  return true;
}

bool DVModel::AppendDecimal(unsigned int column, double value) {
  const Column* c = FindColumn(column);
  if (!ready_ || !c || c->kind != DVColumnDecimal) return false;
  decimals_[c->indexInKind].push_back(value);
  return true;
}

bool DVModel::AppendFlag(unsigned int column, bool value) {
  const Column* c = FindColumn(column);
  if (!ready_ || !c || c->kind != DVColumnFlag) return false;
  flags_[c->indexInKind].push_back(value ? 1 : 0);
  return true;
}

bool DVModel::AppendInteger(unsigned int column, long value) {
  const Column* c = FindColumn(column);
  if (!ready_ || !c || c->kind != DVColumnInteger) return false;
  integers_[c->indexInKind].push_back(static_cast<int>(value));
  return true;
}

bool DVModel::Clear(bool forgetColumns) {
  if (ready_) {
    texts_.clear();
    decimals_.clear();
    flags_.clear();
    integers_.clear();
    rowCount = 0;
    Reset(0);
    ready_ = false;
  }
  // Forgetting also works on a model that was never made ready, so Clear(true)
  // followed by AddColumn always gives only the new columns.
  if (forgetColumns) {
    columns_.clear();
    for (unsigned int& count : kindCounts_) count = 0;
  }
  return true;
}

void DVModel::DeleteRow(const wxDataViewItem& item) {
  if (!item.IsOk()) return;
  const unsigned int row = GetRow(item);
  if (rowCount <= 0 || row >= static_cast<unsigned int>(rowCount)) return;
  EraseAt(texts_, row);
  EraseAt(decimals_, row);
  EraseAt(flags_, row);
  EraseAt(integers_, row);
  --rowCount;
  RowDeleted(row);
}

void DVModel::GetValueByRow(wxVariant& value, unsigned int row, unsigned int column) const {
  const Column* c = FindColumn(column);
  if (!c || !HasRow(*c, row)) return;
  switch (c->kind) {
    case DVColumnText: value = texts_[c->indexInKind][row]; break;
    case DVColumnDecimal: value = FormatDecimal(decimals_[c->indexInKind][row], 2); break;
    case DVColumnFlag: value = flags_[c->indexInKind][row] != 0; break;
    case DVColumnInteger: value = static_cast<long>(integers_[c->indexInKind][row]); break;
  }
}

bool DVModel::SetValueByRow(const wxVariant& value, unsigned int row, unsigned int column) {
  const Column* c = FindColumn(column);
  if (!c || !HasRow(*c, row)) return false;
  switch (c->kind) {
    case DVColumnText: texts_[c->indexInKind][row] = value.GetString(); break;
    case DVColumnDecimal: decimals_[c->indexInKind][row] = ToDouble(value); break;
    case DVColumnFlag: flags_[c->indexInKind][row] = ToBool(value) ? 1 : 0; break;
    case DVColumnInteger: integers_[c->indexInKind][row] = static_cast<int>(ToLong(value)); break;
  }
  return true;
}

bool DVModel::GetAttrByRow(unsigned int, unsigned int, wxDataViewItemAttr&) const { return true; }
