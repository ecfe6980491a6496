// One grid of a module page as the host runs it: its columns from the module's
// definitions and the user's layout, its rows arranged by the column filters and
// the sort column, check marks on the invoice list, and a header drawn by the host
// (flat, in the layout's colour, with a sort arrow and a filter mark that opens the
// column filter). The page owns one per grid and says, through hooks, how the
// grid's rows are fetched again and what a row selection runs. GUI thread only.
#pragma once

#include "pluginmanager/plugin_module.h"
#include "plugins/column_filter.h"
#include "plugins/grid_layout.h"
#include "plugins/grid_rows.h"

#include <wx/gdicmn.h>
#include <wx/string.h>

#include <functional>
#include <memory>
#include <vector>

class wxDC;
class wxGrid;
class wxGridEvent;
class wxMouseEvent;
class wxPaintEvent;
class wxWindow;

namespace veldrix {

class ModuleGridTable;

// The window name of the list or grid whose rows carry check marks.
extern const char kInvoiceListName[];
// Window names of the two layout dialogs, for tests that drive them.
extern const char kColumnsDialogName[];
extern const char kColoursDialogName[];
extern const char kColourPickerName[];

class ModuleGridView {
 public:
  struct Hooks {
    std::function<void()> reload;                            // fetch and fill the grid again
    std::function<std::vector<PluginColumnInfo>()> columns;  // the grid's column definitions now
    std::function<void()> refreshPage;                       // after the columns dialog
    std::function<void(int row)> rowSelected;                // the grid's select action for a row
  };

  // Installs the grid's table, its header painter and its sorting, filter and
  // check-mark handlers. `page` parents the dialogs; `moduleFolder` names the layout.
  ModuleGridView(wxGrid* grid, wxWindow* page, const wxString& moduleFolder, Hooks hooks);
  ~ModuleGridView();
  ModuleGridView(const ModuleGridView&) = delete;
  ModuleGridView& operator=(const ModuleGridView&) = delete;

  bool IsInvoiceList() const { return invoiceList_; }

  // Sets the columns up and shows the rows that pass the filters, sorted. Check
  // marks start cleared.
  void Fill(const std::vector<PluginColumnInfo>& definitions, std::shared_ptr<const GridRows> rows);

  int RowCount() const;
  // Empty for a row out of range.
  wxString RowKey(int row) const;
  // The displayed row of the first row with this key; -1 when no row shows it.
  int RowOf(const wxString& key) const;
  // Keys of the checked rows in row order, one per line; empty for other grids.
  wxString CheckedKeys() const;
  // 0 checks every row, 1 unchecks, 2 inverts; only on the invoice list.
  void SetAllChecks(int mode);
  bool IsChecked(int row) const;

  // Definition index of a displayed column; -1 for the check column, beyond the
  // columns or before the first fill.
  int DefinitionAt(int col) const;
  bool IsSortedColumn(int col) const;
  // A header click: sorts by the column, or reverses the direction when it already
  // sorts by it; false (nothing done) for a column without definition.
  bool SortByColumn(int col);

  const GridFilters& Filters() const { return filters_; }
  // Opens the column's filter dialog and applies its result.
  void OpenColumnFilter(int col);
  void ClearFilters();
  // The title the filter dialog of a column gets.
  wxString FilterDialogTitle(int col) const;
  // The values the filter dialog offers for a column.
  std::vector<wxString> FilterValues(int col) const;
  // Stores a filter dialog's result for the column and fills the grid again.
  void ApplyColumnFilter(int col, const ColumnFilter& filter);

  const GridLayout& Layout() const { return layout_; }
  wxString LayoutPath() const;
  void ShowColumnsDialog();
  void ShowColoursDialog();
  // The layout's colours onto the grid.
  void ApplyColours();
  // Replaces the layout's order and visibility, stores the layout and refreshes the page.
  void SetArrangement(const GridLayout& arranged);
  // One of the three colours (0 header, 1 selection, 2 lines) changed and stored.
  void SetColour(int which, const wxColour& colour);
  void ResetColours();

  int HoverColumn() const { return hover_; }
  // The displayed column under x of the header, -1 when none.
  int HitTestHeaderColumn(int x) const;
  void SetHoverColumn(int col);
  // Where the filter mark of a displayed column lies in the header.
  bool FilterMarkRect(int col, wxRect* rect) const;

 private:
  // Where each shown column lies in the header, in display order, scrolling applied.
  struct HeaderSpan {
    int col;
    int left;
    int width;
  };
  std::vector<HeaderSpan> HeaderSpans() const;
  // The filter mark's place in a column's header cell.
  wxRect MarkRect(const wxRect& cell, int col) const;
  std::size_t ColumnCount() const;
  void LoadLayout(std::size_t columns);
  void SaveLayout();
  void SetUpColumns(const std::vector<PluginColumnInfo>& definitions);
  void InstallHeaderPainter();
  void PaintColumnHeader(wxPaintEvent& event);
  void DrawHeaderCell(wxDC& dc, const wxRect& rect, const wxString& label, int col);
  void OnHeaderLeftDown(wxMouseEvent& event);
  void OnHeaderMotion(wxMouseEvent& event);
  void OnHeaderLeave(wxMouseEvent& event);
  void OnLabelLeftClick(wxGridEvent& event);
  void OnLabelRightClick(wxGridEvent& event);
  void OnCellLeftClick(wxGridEvent& event);
  void RepaintHeader();
  bool HasActiveFilterOn(int definition) const;

  wxGrid* grid_;
  wxWindow* page_;
  wxString moduleFolder_;
  Hooks hooks_;
  bool invoiceList_;
  ModuleGridTable* table_;  // owned by the grid
  std::vector<PluginColumnInfo> definitions_;
  GridLayout layout_;
  int sortDefinition_ = -1;
  bool ascending_ = true;
  GridFilters filters_;
  int hover_ = -1;
};

// The title of a definition index: its title when the definitions have it, else
// "Nazwa" for 0 and "Wartość" for the others.
wxString ColumnTitle(const std::vector<PluginColumnInfo>& definitions, int index);

}  // namespace veldrix
