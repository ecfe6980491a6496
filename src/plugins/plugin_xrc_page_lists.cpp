// The lists and grids of module XRC pages: columns and rows fetched from the
// module, row keys, selection, context menus and the context actions.
#include "app/common/i18n.h"
#include "app/common/literal_label.h"
#include "app/common/message_box.h"
#include "app/common/scoped_flag.h"
#include "plugins/grid_rows.h"
#include "plugins/plugin_xrc_page_panel.h"
#include "plugins/preview_dialog.h"
#include "plugins/windows_below.h"

#include <wx/gbsizer.h>
#include <wx/grid.h>
#include <wx/listctrl.h>
#include <wx/menu.h>
#include <wx/sizer.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace veldrix {
namespace {

// Room for whole XML documents and logs; allocated per call, zeroed lazily.
constexpr unsigned kContextReplyText = 16777216u;

wxGrid* GridOf(wxWindow* window) {
  for (; window; window = window->GetParent()) {
    if (auto* grid = dynamic_cast<wxGrid*>(window)) return grid;
  }
  return nullptr;
}

// The items that hold `window` in `sizer`, innermost first; false when it is not there.
bool FindSizerItems(wxSizer* sizer, wxWindow* window, std::vector<std::pair<wxSizer*, wxSizerItem*>>* items) {
  for (wxSizerItem* item : sizer->GetChildren()) {
    if (item->GetWindow() == window || (item->GetSizer() && FindSizerItems(item->GetSizer(), window, items))) {
      items->emplace_back(sizer, item);
      return true;
    }
  }
  return false;
}

bool FlexLineGrows(const wxFlexGridSizer* flex, bool growable, int direction) {
  if (flex->GetFlexibleDirection() & direction) return growable;
  switch (flex->GetNonFlexibleGrowMode()) {
    case wxFLEX_GROWMODE_NONE:
      return false;
    case wxFLEX_GROWMODE_ALL:
      return true;
    default:
      return growable;
  }
}

// Whether the sizer gives the item more than it asks for along `direction`.
bool ItemStretches(wxSizer* sizer, wxSizerItem* item, int direction) {
  if (auto* box = dynamic_cast<wxBoxSizer*>(sizer)) {
    return box->GetOrientation() == direction ? item->GetProportion() > 0 : (item->GetFlag() & wxEXPAND) != 0;
  }
  if (!dynamic_cast<wxGridSizer*>(sizer) || !(item->GetFlag() & wxEXPAND)) return false;
  auto* flex = dynamic_cast<wxFlexGridSizer*>(sizer);
  if (!flex) return true;
  int row = 0;
  int col = 0;
  if (auto* bag = dynamic_cast<wxGBSizerItem*>(item)) {
    bag->GetPos(row, col);
  } else {
    const wxSizerItemList& children = sizer->GetChildren();
    const int index = children.IndexOf(item);
    const int cols = std::max(flex->GetEffectiveColsCount(), 1);
    row = index / cols;
    col = index % cols;
  }
  return direction == wxVERTICAL ? FlexLineGrows(flex, flex->IsRowGrowable(row), wxVERTICAL)
                                 : FlexLineGrows(flex, flex->IsColGrowable(col), wxHORIZONTAL);
}

// Whether every sizer between the control and `top` stretches it along `direction`.
// A window placed without a sizer (a notebook page, a splitter pane) gets its
// parent's room.
bool LayoutStretches(wxWindow* control, wxWindow* top, int direction) {
  for (wxWindow* window = control; window && window != top; window = window->GetParent()) {
    wxSizer* sizer = window->GetParent() ? window->GetParent()->GetSizer() : nullptr;
    std::vector<std::pair<wxSizer*, wxSizerItem*>> items;
    if (!sizer || !FindSizerItems(sizer, window, &items)) continue;
    for (const auto& [holder, item] : items) {
      if (!ItemStretches(holder, item, direction)) return false;
    }
  }
  return true;
}

// A list's or grid's best size holds all its rows and columns, and a sizer keeps
// the best size as the least room it gives a control without a minimum of its
// own: a long list that the layout stretches would push the lists beside and below
// it off the page. Such a control scrolls instead. Where the layout gives a control
// its natural size, the control is meant to show all it holds.
void LetScroll(wxWindow* control, wxWindow* top) {
  const wxSize kLeast(120, 80);
  wxSize least = control->GetMinSize();
  if (least.x == wxDefaultCoord && LayoutStretches(control, top, wxHORIZONTAL)) least.x = kLeast.x;
  if (least.y == wxDefaultCoord && LayoutStretches(control, top, wxVERTICAL)) least.y = kLeast.y;
  control->SetMinSize(least);
}

wxListColumnFormat ListFormat(int alignment) {
  if (alignment == 1) return wxLIST_FORMAT_RIGHT;
  if (alignment == 2) return wxLIST_FORMAT_CENTRE;
  return wxLIST_FORMAT_LEFT;
}

struct ReplyBuffer {
  ReplyBuffer() : text(static_cast<wchar_t*>(std::calloc(kContextReplyText, sizeof(wchar_t)))) {}
  ~ReplyBuffer() { std::free(text); }
  ReplyBuffer(const ReplyBuffer&) = delete;
  ReplyBuffer& operator=(const ReplyBuffer&) = delete;
  wchar_t* text;
};

}  // namespace

ModuleGridView* PluginXrcPagePanel::GetGridView(const wxGrid* grid) const {
  const auto found = grids_.find(grid);
  return found != grids_.end() ? found->second.get() : nullptr;
}

bool PluginXrcPagePanel::IsMainControl(const wxWindow* control) const {
  return control && !mainControl_.empty() && control->GetName() == mainControl_;
}

void PluginXrcPagePanel::BindListAndGridEvents() {
  for (wxListCtrl* list : WindowsBelow<wxListCtrl>(panel_)) {
    const wxString name = list->GetName();
    if (!name.empty() && name != mainControl_) secondaryControls_.push_back(list);
    LetScroll(list, panel_);
    if (!bindings_.SelectAction(name).empty()) {
      list->Bind(wxEVT_LIST_ITEM_SELECTED, &PluginXrcPagePanel::OnListItemSelected, this);
    }
    if (!bindings_.ContextActions(name).empty()) {
      list->Bind(wxEVT_LIST_ITEM_RIGHT_CLICK, &PluginXrcPagePanel::OnListRightClick, this);
    }
  }
  for (wxGrid* grid : WindowsBelow<wxGrid>(panel_)) {
    if (!grid->GetName().empty() && grid->GetName() != mainControl_) secondaryControls_.push_back(grid);
    LetScroll(grid, panel_);
    ModuleGridView::Hooks hooks;
    hooks.reload = [this, grid] {
      if (IsMainControl(grid)) {
        LoadMainRows();
      } else {
        LoadControlRows();
      }
    };
    hooks.columns = [this, grid] { return GetControlColumns(grid); };
    hooks.refreshPage = [this] { RefreshPage(); };
    hooks.rowSelected = [this, grid](int row) { OnGridRowSelected(grid, row); };
    grids_[grid] = std::make_unique<ModuleGridView>(grid, this, moduleFolder_, std::move(hooks));
    if (!bindings_.SelectAction(grid->GetName()).empty()) {
      grid->Bind(wxEVT_GRID_SELECT_CELL, &PluginXrcPagePanel::OnGridSelectCell, this);
    }
    grid->GetGridWindow()->Bind(wxEVT_RIGHT_DOWN, &PluginXrcPagePanel::OnGridRightDown, this);
  }
}

// --- Columns and rows -------------------------------------------------------------

std::vector<PluginColumnInfo> PluginXrcPagePanel::LoadColumns(const wxString& control) const {
  std::vector<PluginColumnInfo> definitions;
  if (!calls_.Entry().getColumnsForControl) return definitions;
  std::vector<PluginColumn> columns(VELDRIX_CONTROL_COLUMNS);
  const unsigned count = calls_.GetColumnsForControl(control, columns.data(), VELDRIX_CONTROL_COLUMNS);
  for (unsigned i = 0; i < count; ++i) {
    const wxString title = ModuleText(columns[i].title);
    if (title.empty()) continue;
    definitions.push_back({title, columns[i].width, columns[i].alignment});
  }
  return definitions;
}

std::vector<PluginColumnInfo> PluginXrcPagePanel::GetControlColumns(wxWindow* control) const {
  return IsMainControl(control) ? defaultColumns_ : LoadColumns(control->GetName());
}

void PluginXrcPagePanel::FillControl(wxWindow* control, const std::vector<PluginColumnInfo>& definitions,
                                     std::shared_ptr<const GridRows> rows) {
  const ScopedFlag filling(filling_);
  if (auto* grid = dynamic_cast<wxGrid*>(control)) {
    if (ModuleGridView* view = GetGridView(grid)) view->Fill(definitions, std::move(rows));
  } else if (auto* list = dynamic_cast<wxListCtrl*>(control)) {
    FillList(list, definitions, *rows);
  }
}

void PluginXrcPagePanel::LoadMainRows() {
  if (!calls_.Entry().getMainRows) return;
  wxWindow* control = Control(mainControl_);
  if (!control) return;
  const std::vector<PluginRow> rows = calls_.GetAllMainRows(VELDRIX_XRC_PAGE_ROWS);
  FillControl(control, defaultColumns_, std::make_shared<GridRows>(rows.data(), rows.size()));
  KeepMainSelection(control);
}

void PluginXrcPagePanel::LoadControlRows() {
  if (!calls_.Entry().getRowsForControl) return;
  for (wxWindow* control : secondaryControls_) {
    const wxString name = control->GetName();
    // The rows' texts stay the module's only until its next call: columns first.
    const std::vector<PluginColumnInfo> definitions = LoadColumns(name);
    const std::vector<PluginRow> rows = calls_.GetAllRowsForControl(name, VELDRIX_XRC_PAGE_ROWS);
    FillControl(control, definitions, std::make_shared<GridRows>(rows.data(), rows.size()));
  }
}

void PluginXrcPagePanel::FillList(wxListCtrl* list, const std::vector<PluginColumnInfo>& definitions,
                                  const GridRows& rows) {
  list->Freeze();
  list->ClearAll();
  if (list->GetName() == kInvoiceListName) list->EnableCheckBoxes(true);
  if (definitions.empty()) {
    list->AppendColumn(_("Nazwa"), wxLIST_FORMAT_LEFT, 180);
    list->AppendColumn(_("Wartość"), wxLIST_FORMAT_LEFT, 520);
  } else {
    for (const PluginColumnInfo& column : definitions) {
      list->AppendColumn(column.title, ListFormat(column.alignment), column.width > 0 ? column.width : 120);
    }
  }
  std::vector<wxString>& keys = listKeys_[list];
  keys.clear();
  const int columns = list->GetColumnCount();
  for (std::size_t row = 0; row < rows.Count(); ++row) {
    const long item = list->InsertItem(static_cast<long>(row), rows.Cell(row, 0));
    keys.push_back(rows.Key(row));
    for (int c = 1; c < columns; ++c) list->SetItem(item, c, rows.Cell(row, c));
  }
  list->Thaw();
}

const wxString& PluginXrcPagePanel::GetListRowKey(const wxListCtrl* list, long item) const {
  static const wxString empty;
  const auto found = listKeys_.find(list);
  if (found == listKeys_.end() || item < 0 || static_cast<std::size_t>(item) >= found->second.size()) return empty;
  return found->second[static_cast<std::size_t>(item)];
}

wxString PluginXrcPagePanel::GetCheckedListKeys(const wxListCtrl* list) const {
  if (!list || list->GetName() != kInvoiceListName || !list->HasCheckBoxes()) return wxString();
  wxString keys;
  for (long item = 0; item < list->GetItemCount(); ++item) {
    if (!list->IsItemChecked(item)) continue;
    if (!keys.empty()) keys += "\n";
    keys += GetListRowKey(list, item);
  }
  return keys;
}

// --- Selection --------------------------------------------------------------------

void PluginXrcPagePanel::SendSelection(const wxString& action, const wxString& key) {
  if (!calls_.HasRunAction()) return;
  std::vector<wchar_t> ignored(VELDRIX_ACTION_TEXT, L'\0');
  calls_.RunAction(action + "|" + key, ignored.data(), VELDRIX_ACTION_TEXT);
}

// A master row drives the page's values (what it shows of the details) and its
// detail lists; the main control itself stays.
void PluginXrcPagePanel::ShowSelectionDetails() {
  ApplyValues();
  LoadControlRows();
  LayoutPage();
}

void PluginXrcPagePanel::RunSelectAction(wxWindow* control, const wxString& key) {
  if (filling_) return;
  const wxString action = bindings_.SelectAction(control->GetName());
  if (action.empty() || key.empty()) return;
  if (IsMainControl(control)) selectedKey_ = key;
  SendSelection(action, key);
  ShowSelectionDetails();
  // The details the selection shows may take their room from the grid: the chosen
  // row is kept in sight, as after a sort.
  auto* grid = dynamic_cast<wxGrid*>(control);
  ModuleGridView* view = grid ? GetGridView(grid) : nullptr;
  const int row = view ? view->RowOf(key) : -1;
  if (row >= 0) grid->MakeCellVisible(row, std::max(grid->GetGridCursorCol(), 0));
}

bool PluginXrcPagePanel::HighlightRow(wxWindow* control, const wxString& key) {
  const ScopedFlag filling(filling_);
  if (auto* grid = dynamic_cast<wxGrid*>(control)) {
    ModuleGridView* view = GetGridView(grid);
    const int row = view && !key.empty() ? view->RowOf(key) : -1;
    grid->ClearSelection();
    if (row < 0) return false;
    const int col = std::max(grid->GetGridCursorCol(), 0);
    grid->SetGridCursor(row, col);
    grid->SelectRow(row);
    // A sort or a filter moves the row anywhere among the others.
    grid->MakeCellVisible(row, col);
    return true;
  }
  auto* list = dynamic_cast<wxListCtrl*>(control);
  if (!list || key.empty()) return false;
  const std::vector<wxString>& keys = listKeys_[list];
  const auto found = std::find(keys.begin(), keys.end(), key);
  if (found == keys.end()) return false;
  const long item = static_cast<long>(found - keys.begin());
  list->SetItemState(item, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  list->EnsureVisible(item);
  return true;
}

// A row index kept across new rows names another record, and the module would go
// on showing the details of a row no longer listed.
void PluginXrcPagePanel::KeepMainSelection(wxWindow* control) {
  const wxString action = bindings_.SelectAction(mainControl_);
  if (action.empty()) return;
  if (HighlightRow(control, selectedKey_.value_or(wxString()))) return;
  if (selectedKey_ && selectedKey_->empty()) return;
  // An empty key: no row is selected (a module may hold one from an earlier page).
  selectedKey_ = wxString();
  SendSelection(action, wxString());
  ShowSelectionDetails();
}

void PluginXrcPagePanel::OnListItemSelected(wxListEvent& event) {
  event.Skip();
  auto* list = dynamic_cast<wxListCtrl*>(event.GetEventObject());
  if (!list) return;
  RunSelectAction(list, GetListRowKey(list, event.GetIndex()));
}

void PluginXrcPagePanel::OnGridSelectCell(wxGridEvent& event) {
  event.Skip();
  if (auto* grid = dynamic_cast<wxGrid*>(event.GetEventObject())) OnGridRowSelected(grid, event.GetRow());
}

void PluginXrcPagePanel::OnGridRowSelected(wxGrid* grid, int row) {
  ModuleGridView* view = GetGridView(grid);
  if (!view) return;
  RunSelectAction(grid, view->RowKey(row));
}

// --- Context menus ----------------------------------------------------------------

void PluginXrcPagePanel::AddModuleEntries(wxMenu& menu, const std::vector<wxString>& actions, const wxString& key) {
  for (const wxString& action : actions) {
    if (action == "delete-local" && menu.GetMenuItemCount() > 0) menu.AppendSeparator();
    const int id = wxWindow::NewControlId();
    menu.Append(id, LiteralLabel(ContextActionLabel(action)));
    // Runs after the menu has closed, so a dialog it opens is not nested in it.
    menu.Bind(
        wxEVT_MENU, [this, action, key](wxCommandEvent&) { CallAfter([=] { RunContextAction(action, key); }); }, id);
  }
}

std::unique_ptr<wxMenu> PluginXrcPagePanel::MakeListContextMenu(wxListCtrl* list, long item) {
  auto menu = std::make_unique<wxMenu>();
  const wxString key = GetListRowKey(list, item);
  if (!key.empty()) AddModuleEntries(*menu, bindings_.ContextActions(list->GetName()), key);
  return menu;
}

std::unique_ptr<wxMenu> PluginXrcPagePanel::MakeGridContextMenu(wxGrid* grid, int row) {
  auto menu = std::make_unique<wxMenu>();
  ModuleGridView* view = GetGridView(grid);
  if (!view) return menu;
  const wxString key = view->RowKey(row);
  if (row >= 0 && !key.empty()) AddModuleEntries(*menu, bindings_.ContextActions(grid->GetName()), key);
  if (menu->GetMenuItemCount() > 0) menu->AppendSeparator();

  auto add = [&menu](const wxString& label, bool enabled, std::function<void()> run) {
    const int id = wxWindow::NewControlId();
    menu->Append(id, label);
    menu->Enable(id, enabled);
    menu->Bind(
        wxEVT_MENU, [run](wxCommandEvent&) { run(); }, id);
  };
  if (view->IsInvoiceList()) {
    const bool rows = view->RowCount() > 0;
    add(_("Zaznacz wszystko"), rows, [view] { view->SetAllChecks(0); });
    add(_("Odznacz wszystko"), rows, [view] { view->SetAllChecks(1); });
    add(_("Odwróć zaznaczenie"), rows, [view] { view->SetAllChecks(2); });
    menu->AppendSeparator();
  }
  // Dialogs open once the menu has closed.
  add(_("Wyczyść filtry"), !view->Filters().empty(), [this, view] { CallAfter([view] { view->ClearFilters(); }); });
  add(_("Konfiguracja kolumn"), true, [this, view] { CallAfter([view] { view->ShowColumnsDialog(); }); });
  add(_("Konfiguracja kolorów"), true, [this, view] { CallAfter([view] { view->ShowColoursDialog(); }); });
  return menu;
}

void PluginXrcPagePanel::OnListRightClick(wxListEvent& event) {
  auto* list = dynamic_cast<wxListCtrl*>(event.GetEventObject());
  if (!list || bindings_.ContextActions(list->GetName()).empty()) {
    event.Skip();
    return;
  }
  const long item = event.GetIndex();
  if (item >= 0) {
    list->SetItemState(item, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                       wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  }
  std::unique_ptr<wxMenu> menu = MakeListContextMenu(list, item);
  if (menu->GetMenuItemCount() > 0) list->PopupMenu(menu.get());
}

void PluginXrcPagePanel::OnGridRightDown(wxMouseEvent& event) {
  wxGrid* grid = GridOf(dynamic_cast<wxWindow*>(event.GetEventObject()));
  if (!grid) return;
  const wxPoint position = grid->CalcUnscrolledPosition(event.GetPosition());
  const int row = grid->YToRow(position.y);
  if (row >= 0) {
    grid->SelectRow(row, false);
    OnGridRowSelected(grid, row);
  }
  std::unique_ptr<wxMenu> menu = MakeGridContextMenu(grid, row);
  grid->GetGridWindow()->PopupMenu(menu.get(), event.GetPosition());
}

void PluginXrcPagePanel::RunContextAction(const wxString& action, const wxString& key) {
  ReplyBuffer buffer;
  if (!buffer.text) return;
  int result = 1;
  if (calls_.HasRunAction()) result = calls_.RunAction(action + "|" + key, buffer.text, kContextReplyText);
  const wxString reply = BufferText(buffer.text, kContextReplyText);
  const wxString failure = _("Nie udało się wykonać akcji modułu.");

  if (action == "preview-xml" || action == "preview-log") {
    const bool failed = result == 0 || reply.empty() || (action == "preview-xml" && !reply.StartsWith("<"));
    if (failed) {
      ShowMessageBox(reply.empty() ? failure : reply, title_, wxICON_INFORMATION, this);
    } else {
      ShowPreviewDialog(this, ContextActionLabel(action), reply);
    }
  } else if (result != 0) {
    if (!reply.empty()) ShowMessageBox(reply, title_, wxICON_INFORMATION, this);
  } else {
    ShowMessageBox(reply.empty() ? failure : reply, title_, wxICON_INFORMATION, this);
  }
  RefreshPage();
}

}  // namespace veldrix
