// The table behind a module grid: the grid reads its cells from the module rows
// the page keeps (grid_rows.h) in the arranged order, so filling, sorting and
// filtering a large grid copies no cell into the grid. The invoice list's grid has
// a first column of check marks ("1" checked, empty not), which the table keeps.
#pragma once

#include "plugins/grid_rows.h"

#include <wx/arrstr.h>
#include <wx/grid.h>

#include <cstddef>
#include <memory>
#include <vector>

namespace veldrix {

class ModuleGridTable : public wxGridTableBase {
 public:
  // Columns: the check column when asked for, then one per shown definition.
  // The grid (when attached) is told of added and removed columns.
  void SetColumns(bool checkColumn, const std::vector<int>& definitions, const wxArrayString& labels);
  // Rows in display order; check marks start cleared. The grid is told of added
  // and removed rows.
  void SetRows(std::shared_ptr<const GridRows> rows, std::vector<std::size_t> order);

  // Definition index of a displayed column; -1 for the check column and beyond.
  int DefinitionAt(int col) const;
  // The module row of a displayed row; false when out of range.
  bool ModuleRow(int row, std::size_t* moduleRow) const;
  wxString RowKey(int row) const;
  const std::vector<std::size_t>& Order() const { return order_; }
  const GridRows& Rows() const { return *rows_; }

  bool IsChecked(int row) const;
  void SetChecked(int row, bool checked);

  int GetNumberRows() override;
  int GetNumberCols() override;
  wxString GetValue(int row, int col) override;
  void SetValue(int row, int col, const wxString& value) override;
  bool IsEmptyCell(int row, int col) override;
  wxString GetColLabelValue(int col) override;
  void SetColLabelValue(int col, const wxString& label) override;
  wxString GetRowLabelValue(int row) override { return wxString(); }

 private:
  void NotifyCountChange(int before, int after, bool rows);

  std::shared_ptr<const GridRows> rows_ = std::make_shared<GridRows>();
  std::vector<std::size_t> order_;
  std::vector<char> checks_;
  bool checkColumn_ = false;
  std::vector<int> definitions_;
  wxArrayString labels_;
};

}  // namespace veldrix
