#include "plugins/module_grid_view.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "plugins/grid_column_filter_dialog.h"
#include "plugins/module_grid_table.h"

#include <wx/dcbuffer.h>
#include <wx/grid.h>
#include <wx/settings.h>

#include <utility>

namespace veldrix {

const char kInvoiceListName[] = "lstKsefInvoices";

namespace {

constexpr int kCheckColumnWidth = 28;
constexpr int kSortArrowSpace = 13;
constexpr int kFilterMarkSpace = 16;
const wxColour kLabelText(20, 20, 20);

int AlignmentFlag(int alignment) {
  if (alignment == 1) return wxALIGN_RIGHT;
  if (alignment == 2) return wxALIGN_CENTRE;
  return wxALIGN_LEFT;
}

int ShrinkWidth(int width, int by) { return width - by > 0 ? width - by : 0; }

}  // namespace

wxString ColumnTitle(const std::vector<PluginColumnInfo>& definitions, int index) {
  if (index >= 0 && static_cast<std::size_t>(index) < definitions.size()) {
    return definitions[static_cast<std::size_t>(index)].title;
  }
  return index == 0 ? _("Nazwa") : _("Wartość");
}

ModuleGridView::ModuleGridView(wxGrid* grid, wxWindow* page, const wxString& moduleFolder, Hooks hooks)
    : grid_(grid),
      page_(page),
      moduleFolder_(moduleFolder),
      hooks_(std::move(hooks)),
      invoiceList_(grid->GetName() == kInvoiceListName),
      table_(new ModuleGridTable) {
  grid_->SetTable(table_, true, wxGrid::wxGridSelectRows);
  grid_->Bind(wxEVT_GRID_LABEL_LEFT_CLICK, &ModuleGridView::OnLabelLeftClick, this);
  grid_->Bind(wxEVT_GRID_LABEL_RIGHT_CLICK, &ModuleGridView::OnLabelRightClick, this);
  grid_->Bind(wxEVT_GRID_CELL_LEFT_CLICK, &ModuleGridView::OnCellLeftClick, this);
  InstallHeaderPainter();
}

ModuleGridView::~ModuleGridView() {
  // The page and its grids go together; a grid that outlives the page (a module
  // reparenting it) must not call into the view any more.
  grid_->Unbind(wxEVT_GRID_LABEL_LEFT_CLICK, &ModuleGridView::OnLabelLeftClick, this);
  grid_->Unbind(wxEVT_GRID_LABEL_RIGHT_CLICK, &ModuleGridView::OnLabelRightClick, this);
  grid_->Unbind(wxEVT_GRID_CELL_LEFT_CLICK, &ModuleGridView::OnCellLeftClick, this);
  wxWindow* labels = grid_->GetGridColLabelWindow();
  labels->Unbind(wxEVT_PAINT, &ModuleGridView::PaintColumnHeader, this);
  labels->Unbind(wxEVT_LEFT_DOWN, &ModuleGridView::OnHeaderLeftDown, this);
  labels->Unbind(wxEVT_MOTION, &ModuleGridView::OnHeaderMotion, this);
  labels->Unbind(wxEVT_LEAVE_WINDOW, &ModuleGridView::OnHeaderLeave, this);
}

std::size_t ModuleGridView::ColumnCount() const { return definitions_.empty() ? 2 : definitions_.size(); }

wxString ModuleGridView::LayoutPath() const { return GridLayoutPath(moduleFolder_, grid_->GetName()); }

void ModuleGridView::LoadLayout(std::size_t columns) {
  if (layout_.order.size() == columns && layout_.visible.size() == columns) return;
  layout_ = ReadGridLayout(LayoutPath(), columns);
}

// The grid keeps its new look for now even when the file did not take it.
void ModuleGridView::SaveLayout() {
  wxString error;
  if (!WriteGridLayout(LayoutPath(), layout_, &error)) {
    ShowMessageBox(error, _("Układ listy"), wxOK | wxICON_ERROR, page_);
  }
}

void ModuleGridView::SetUpColumns(const std::vector<PluginColumnInfo>& definitions) {
  definitions_ = definitions;
  LoadLayout(ColumnCount());
  const std::vector<int> shown = layout_.VisibleDefinitions();

  wxArrayString labels;
  if (invoiceList_) labels.Add(wxString());
  for (int definition : shown) labels.Add(ColumnTitle(definitions_, definition));
  table_->SetColumns(invoiceList_, shown, labels);

  grid_->SetRowLabelSize(0);
  grid_->SetColLabelSize(26);
  grid_->UseNativeColHeader(false);
  grid_->SetSelectionMode(wxGrid::wxGridSelectRows);
  grid_->EnableEditing(false);
  grid_->EnableGridLines(true);
  grid_->DisableDragGridSize();
  grid_->DisableDragRowSize();
  grid_->SetDefaultRowSize(24);
  grid_->SetDefaultCellOverflow(false);
  grid_->SetDefaultCellAlignment(wxALIGN_LEFT, wxALIGN_CENTRE);
  grid_->SetCellHighlightPenWidth(0);
  grid_->SetCellHighlightROPenWidth(0);
  wxFont font = wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT);
  if (font.IsOk()) {
    font.SetFaceName("Segoe UI");
    font.SetPointSize(9);
    font.SetWeight(wxFONTWEIGHT_NORMAL);
  }
  if (font.IsOk()) {
    grid_->SetDefaultCellFont(font);
    grid_->SetLabelFont(font);
  }
  ApplyColours();

  int col = 0;
  if (invoiceList_) {
    auto* attr = new wxGridCellAttr;
    attr->SetRenderer(new wxGridCellBoolRenderer);
    attr->SetAlignment(wxALIGN_CENTRE, wxALIGN_CENTRE);
    attr->SetReadOnly();
    grid_->SetColAttr(0, attr);
    grid_->SetColSize(0, kCheckColumnWidth);
    col = 1;
  }
  for (int definition : shown) {
    const bool known = static_cast<std::size_t>(definition) < definitions_.size();
    const PluginColumnInfo info = known ? definitions_[static_cast<std::size_t>(definition)] : PluginColumnInfo();
    auto* attr = new wxGridCellAttr;
    attr->SetAlignment(known ? AlignmentFlag(info.alignment) : wxALIGN_LEFT, wxALIGN_CENTRE);
    attr->SetReadOnly();
    grid_->SetColAttr(col, attr);
    grid_->SetColSize(col, info.width > 0 ? info.width : (definition == 0 ? 180 : 520));
    ++col;
  }
}

void ModuleGridView::Fill(const std::vector<PluginColumnInfo>& definitions, std::shared_ptr<const GridRows> rows) {
  grid_->Freeze();
  SetUpColumns(definitions);
  if (!rows) rows = std::make_shared<GridRows>();
  std::vector<std::size_t> order = rows->Arrange(filters_, sortDefinition_, ascending_);
  table_->SetRows(std::move(rows), std::move(order));
  grid_->Thaw();
  grid_->ForceRefresh();
}

int ModuleGridView::RowCount() const { return static_cast<int>(table_->Order().size()); }

wxString ModuleGridView::RowKey(int row) const { return table_->RowKey(row); }

int ModuleGridView::RowOf(const wxString& key) const {
  for (int row = 0; row < RowCount(); ++row) {
    if (table_->RowKey(row) == key) return row;
  }
  return -1;
}

bool ModuleGridView::IsChecked(int row) const { return table_->IsChecked(row); }

wxString ModuleGridView::CheckedKeys() const {
  if (!invoiceList_) return wxString();
  wxString keys;
  for (int row = 0; row < RowCount(); ++row) {
    if (!table_->IsChecked(row)) continue;
    if (!keys.empty()) keys += "\n";
    keys += table_->RowKey(row);
  }
  return keys;
}

void ModuleGridView::SetAllChecks(int mode) {
  if (!invoiceList_) return;
  for (int row = 0; row < RowCount(); ++row) {
    const bool checked = mode == 0 || (mode == 2 && !table_->IsChecked(row));
    table_->SetChecked(row, checked);
  }
  grid_->ForceRefresh();
}

int ModuleGridView::DefinitionAt(int col) const { return table_->DefinitionAt(col); }

bool ModuleGridView::IsSortedColumn(int col) const {
  const int definition = DefinitionAt(col);
  return definition >= 0 && definition == sortDefinition_;
}

bool ModuleGridView::SortByColumn(int col) {
  const int definition = DefinitionAt(col);
  if (definition < 0) return false;
  if (sortDefinition_ == definition) {
    ascending_ = !ascending_;
  } else {
    sortDefinition_ = definition;
    ascending_ = true;
  }
  if (hooks_.reload) hooks_.reload();
  RepaintHeader();
  return true;
}

bool ModuleGridView::HasActiveFilterOn(int definition) const {
  const auto found = filters_.find(definition);
  return found != filters_.end() && found->second.active;
}

wxString ModuleGridView::FilterDialogTitle(int col) const {
  return wxString::Format(_("Filtr: %s"), grid_->GetColLabelValue(col));
}

std::vector<wxString> ModuleGridView::FilterValues(int col) const {
  const int definition = DefinitionAt(col);
  const auto found = filters_.find(definition);
  const std::set<wxString> none;
  return table_->Rows().DistinctValues(table_->Order(), definition,
                                       found != filters_.end() ? found->second.values : none);
}

void ModuleGridView::OpenColumnFilter(int col) {
  const int definition = DefinitionAt(col);
  if (definition < 0) return;
  const auto found = filters_.find(definition);
  const ColumnFilter current = found != filters_.end() ? found->second : ColumnFilter();
  wxArrayString values;
  for (const wxString& value : FilterValues(col)) values.Add(value);
  GridColumnFilterDialog dialog(page_, FilterDialogTitle(col), values, current);
  if (dialog.ShowModal() != wxID_OK) return;
  ApplyColumnFilter(col, dialog.GetFilter());
}

void ModuleGridView::ApplyColumnFilter(int col, const ColumnFilter& filter) {
  const int definition = DefinitionAt(col);
  if (definition < 0) return;
  StoreColumnFilter(filters_, definition, filter);
  if (hooks_.reload) hooks_.reload();
  RepaintHeader();
}

void ModuleGridView::ClearFilters() {
  filters_.clear();
  hover_ = -1;
  if (hooks_.reload) hooks_.reload();
  RepaintHeader();
}

void ModuleGridView::ApplyColours() {
  grid_->SetLabelBackgroundColour(layout_.header);
  grid_->SetLabelTextColour(kLabelText);
  grid_->SetDefaultCellBackgroundColour(*wxWHITE);
  grid_->SetGridLineColour(layout_.line);
  grid_->SetSelectionBackground(layout_.selection);
  grid_->SetSelectionForeground(kLabelText);
  RepaintHeader();
  grid_->ForceRefresh();
}

void ModuleGridView::RepaintHeader() { grid_->GetGridColLabelWindow()->Refresh(); }

// --- Header -------------------------------------------------------------------

void ModuleGridView::InstallHeaderPainter() {
  wxWindow* labels = grid_->GetGridColLabelWindow();
  labels->SetBackgroundStyle(wxBG_STYLE_PAINT);
  labels->Bind(wxEVT_PAINT, &ModuleGridView::PaintColumnHeader, this);
  labels->Bind(wxEVT_LEFT_DOWN, &ModuleGridView::OnHeaderLeftDown, this);
  labels->Bind(wxEVT_MOTION, &ModuleGridView::OnHeaderMotion, this);
  labels->Bind(wxEVT_LEAVE_WINDOW, &ModuleGridView::OnHeaderLeave, this);
}

std::vector<ModuleGridView::HeaderSpan> ModuleGridView::HeaderSpans() const {
  int unitX = 0;
  int unitY = 0;
  grid_->GetScrollPixelsPerUnit(&unitX, &unitY);
  int startX = 0;
  int startY = 0;
  grid_->GetViewStart(&startX, &startY);
  std::vector<HeaderSpan> spans;
  int left = -startX * unitX;
  for (int pos = 0; pos < grid_->GetNumberCols(); ++pos) {
    const int col = grid_->GetColAt(pos);
    const int width = grid_->GetColSize(col);
    if (width <= 0) continue;
    spans.push_back({col, left, width});
    left += width;
  }
  return spans;
}

int ModuleGridView::HitTestHeaderColumn(int x) const {
  for (const HeaderSpan& span : HeaderSpans()) {
    if (x >= span.left && x < span.left + span.width) return span.col;
  }
  return -1;
}

void ModuleGridView::SetHoverColumn(int col) {
  const int hover = DefinitionAt(col) >= 0 ? col : -1;
  if (hover == hover_) return;
  hover_ = hover;
  RepaintHeader();
}

wxRect ModuleGridView::MarkRect(const wxRect& cell, int col) const {
  const int right = cell.x + cell.width;
  return wxRect(right - (IsSortedColumn(col) ? 17 : 3) - 15, cell.y + (cell.height - 16) / 2, 14, 16);
}

bool ModuleGridView::FilterMarkRect(int col, wxRect* rect) const {
  if (DefinitionAt(col) < 0) return false;
  for (const HeaderSpan& span : HeaderSpans()) {
    if (span.col != col) continue;
    *rect = MarkRect(wxRect(span.left, 0, span.width, grid_->GetColLabelSize()), col);
    return true;
  }
  return false;
}

void ModuleGridView::PaintColumnHeader(wxPaintEvent&) {
  wxWindow* labels = grid_->GetGridColLabelWindow();
  wxAutoBufferedPaintDC dc(labels);
  dc.SetBackground(wxBrush(layout_.header));
  dc.Clear();
  const wxSize size = labels->GetClientSize();
  const int height = grid_->GetColLabelSize();

  int left = 0;
  for (const HeaderSpan& span : HeaderSpans()) {
    if (span.left + span.width > 0 && span.left < size.x) {
      DrawHeaderCell(dc, wxRect(span.left, 0, span.width, height), grid_->GetColLabelValue(span.col), span.col);
    }
    left = span.left + span.width;
  }
  if (left < size.x) {
    dc.SetPen(*wxTRANSPARENT_PEN);
    dc.SetBrush(wxBrush(layout_.header));
    dc.DrawRectangle(left, 0, size.x - left, height);
    dc.SetPen(wxPen(layout_.line));
    dc.DrawLine(left, height - 1, size.x, height - 1);
  }
}

void ModuleGridView::DrawHeaderCell(wxDC& dc, const wxRect& rect, const wxString& label, int col) {
  const bool sorted = IsSortedColumn(col);
  const int definition = DefinitionAt(col);
  const bool filterable = definition >= 0;
  const bool filtered = filterable && HasActiveFilterOn(definition);
  const bool showMark = filterable && (filtered || col == hover_);

  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(layout_.header));
  dc.DrawRectangle(rect);

  wxRect textArea(rect.x + 3, rect.y + 1, ShrinkWidth(rect.width, 6), ShrinkWidth(rect.height, 2));
  if (sorted) textArea.width = ShrinkWidth(textArea.width, kSortArrowSpace);
  if (filterable) textArea.width = ShrinkWidth(textArea.width, kFilterMarkSpace);
  dc.SetFont(grid_->GetLabelFont());
  dc.SetTextForeground(kLabelText);
  {
    wxDCClipper clip(dc, textArea);
    // A module's label is shown as written: "&" marks no mnemonic here.
    dc.DrawLabel(label, textArea, wxALIGN_CENTRE);
  }

  const int right = rect.x + rect.width;
  if (showMark) DrawFilterMark(dc, MarkRect(rect, col), filtered);
  if (sorted) {
    const int cx = right - 9;
    const int cy = rect.y + rect.height / 2;
    const wxColour arrow(170, 170, 170);
    dc.SetPen(wxPen(arrow));
    dc.SetBrush(wxBrush(arrow));
    if (ascending_) {
      const wxPoint up[] = {wxPoint(cx, cy - 3), wxPoint(cx - 3, cy + 2), wxPoint(cx + 3, cy + 2)};
      dc.DrawPolygon(3, up);
    } else {
      const wxPoint down[] = {wxPoint(cx - 3, cy - 2), wxPoint(cx + 3, cy - 2), wxPoint(cx, cy + 3)};
      dc.DrawPolygon(3, down);
    }
  }
  dc.SetPen(wxPen(layout_.line));
  dc.DrawLine(right - 1, rect.y, right - 1, rect.y + rect.height);
  dc.DrawLine(rect.x, rect.y + rect.height - 1, right, rect.y + rect.height - 1);
}

void ModuleGridView::OnHeaderMotion(wxMouseEvent& event) {
  SetHoverColumn(HitTestHeaderColumn(event.GetX()));
  event.Skip();
}

void ModuleGridView::OnHeaderLeave(wxMouseEvent& event) {
  SetHoverColumn(-1);
  event.Skip();
}

void ModuleGridView::OnHeaderLeftDown(wxMouseEvent& event) {
  const int col = HitTestHeaderColumn(event.GetX());
  wxRect mark;
  if (col < 0 || !FilterMarkRect(col, &mark) || !mark.Contains(event.GetPosition())) {
    event.Skip();
    return;
  }
  // The dialog runs after the click is done with, so no mouse grab of the header
  // is held while it is modal.
  grid_->CallAfter([this, col] { OpenColumnFilter(col); });
}

void ModuleGridView::OnLabelLeftClick(wxGridEvent& event) {
  if (event.GetCol() < 0 || !SortByColumn(event.GetCol())) event.Skip();
}

void ModuleGridView::OnLabelRightClick(wxGridEvent& event) {
  const int col = event.GetCol();
  if (col < 0 || DefinitionAt(col) < 0) {
    event.Skip();
    return;
  }
  grid_->CallAfter([this, col] { OpenColumnFilter(col); });
}

void ModuleGridView::OnCellLeftClick(wxGridEvent& event) {
  const int row = event.GetRow();
  if (!invoiceList_ || row < 0 || event.GetCol() != 0) {
    event.Skip();
    return;
  }
  grid_->SelectRow(row, false);
  if (hooks_.rowSelected) hooks_.rowSelected(row);
  table_->SetChecked(row, !table_->IsChecked(row));
  grid_->RefreshBlock(row, 0, row, 0);
}

}  // namespace veldrix
