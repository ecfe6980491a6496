#include "plugins/module_grid_table.h"

#include <utility>

namespace veldrix {

void ModuleGridTable::NotifyCountChange(int before, int after, bool rows) {
  wxGrid* grid = GetView();
  if (!grid || before == after) return;
  if (after > before) {
    wxGridTableMessage message(this, rows ? wxGRIDTABLE_NOTIFY_ROWS_APPENDED : wxGRIDTABLE_NOTIFY_COLS_APPENDED,
                               after - before);
    grid->ProcessTableMessage(message);
  } else {
    wxGridTableMessage message(this, rows ? wxGRIDTABLE_NOTIFY_ROWS_DELETED : wxGRIDTABLE_NOTIFY_COLS_DELETED, after,
                               before - after);
    grid->ProcessTableMessage(message);
  }
}

void ModuleGridTable::SetColumns(bool checkColumn, const std::vector<int>& definitions, const wxArrayString& labels) {
  const int before = GetNumberCols();
  checkColumn_ = checkColumn;
  definitions_ = definitions;
  labels_ = labels;
  labels_.resize(static_cast<std::size_t>(GetNumberCols()));
  NotifyCountChange(before, GetNumberCols(), false);
}

void ModuleGridTable::SetRows(std::shared_ptr<const GridRows> rows, std::vector<std::size_t> order) {
  const int before = GetNumberRows();
  rows_ = rows ? std::move(rows) : std::make_shared<GridRows>();
  order_ = std::move(order);
  checks_.assign(order_.size(), 0);
  NotifyCountChange(before, GetNumberRows(), true);
}

int ModuleGridTable::DefinitionAt(int col) const {
  const int index = checkColumn_ ? col - 1 : col;
  if (index < 0 || static_cast<std::size_t>(index) >= definitions_.size()) return -1;
  return definitions_[static_cast<std::size_t>(index)];
}

bool ModuleGridTable::ModuleRow(int row, std::size_t* moduleRow) const {
  if (row < 0 || static_cast<std::size_t>(row) >= order_.size()) return false;
  *moduleRow = order_[static_cast<std::size_t>(row)];
  return true;
}

wxString ModuleGridTable::RowKey(int row) const {
  std::size_t index = 0;
  return ModuleRow(row, &index) ? rows_->Key(index) : wxString();
}

bool ModuleGridTable::IsChecked(int row) const {
  return checkColumn_ && row >= 0 && static_cast<std::size_t>(row) < checks_.size() &&
         checks_[static_cast<std::size_t>(row)] != 0;
}

void ModuleGridTable::SetChecked(int row, bool checked) {
  if (!checkColumn_ || row < 0 || static_cast<std::size_t>(row) >= checks_.size()) return;
  checks_[static_cast<std::size_t>(row)] = checked ? 1 : 0;
}

int ModuleGridTable::GetNumberRows() { return static_cast<int>(order_.size()); }

int ModuleGridTable::GetNumberCols() { return static_cast<int>(definitions_.size()) + (checkColumn_ ? 1 : 0); }

wxString ModuleGridTable::GetValue(int row, int col) {
  if (checkColumn_ && col == 0) return IsChecked(row) ? wxString("1") : wxString();
  std::size_t index = 0;
  if (!ModuleRow(row, &index)) return wxString();
  return rows_->Cell(index, DefinitionAt(col));
}

void ModuleGridTable::SetValue(int row, int col, const wxString& value) {
  // Only the check marks change; module cells are the module's.
  if (checkColumn_ && col == 0) SetChecked(row, value == "1");
}

bool ModuleGridTable::IsEmptyCell(int row, int col) { return GetValue(row, col).empty(); }

wxString ModuleGridTable::GetColLabelValue(int col) {
  if (col < 0 || static_cast<std::size_t>(col) >= labels_.size()) return wxString();
  return labels_[static_cast<std::size_t>(col)];
}

void ModuleGridTable::SetColLabelValue(int col, const wxString& label) {
  if (col < 0 || static_cast<std::size_t>(col) >= labels_.size()) return;
  labels_[static_cast<std::size_t>(col)] = label;
}

}  // namespace veldrix
