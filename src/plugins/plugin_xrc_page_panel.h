// The tab of a module that lays its main page out in its own XRC file. The host
// wires the layout's controls to the module by name through the bindings the
// module returns: toolbar tools, buttons, filter inputs, lists and grids with
// their selection and context menus. Every gesture ends as an action text for the
// module's VeldrixPluginRunAction ("async:" ones in the background with the
// operation strip); after each the page asks the module for its values and rows
// again. Grids get the host's sorting, column filters, layouts and colours.
#pragma once

#include "pluginmanager/module_calls.h"
#include "pluginmanager/plugin_manager.h"
#include "pluginmanager/plugin_module.h"
#include "plugins/module_action_runner.h"
#include "plugins/module_grid_view.h"
#include "plugins/xrc_page_bindings.h"

#include <wx/artprov.h>
#include <wx/bitmap.h>
#include <wx/panel.h>

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

class wxAuiToolBar;
class wxGrid;
class wxGridEvent;
class wxListCtrl;
class wxListEvent;
class wxMenu;
class wxMouseEvent;

namespace veldrix {

class GridRows;

class PluginXrcPagePanel : public wxPanel, public IModuleActionPage {
 public:
  PluginXrcPagePanel(wxWindow* parent, const wxString& title, const wxString& xrcFile, const wxString& objectName,
                     const wxString& mainControl, const PluginTextPairs& bindings,
                     const std::vector<PluginColumnInfo>& defaultColumns, const ModuleCalls& calls);
  ~PluginXrcPagePanel() override;

  // IModuleActionPage
  bool IsActionRunning() const override;

  // Runs an action: "async:" in the background, "cancel-operation" stops it, the
  // others at once (refused while a background action runs). Messages appear only
  // when `interactive` (a click, Enter, a search).
  void DoAction(const wxString& action, bool interactive);
  // Values, filter inputs, then the rows of every list and grid.
  void RefreshPage();
  void ApplyValues();
  void SendTextValues();
  void LoadMainRows();
  void LoadControlRows();
  // A context-menu entry for the row `key`: the module's reply in a message box, or
  // the document of "preview-xml" and "preview-log" in the preview dialog.
  void RunContextAction(const wxString& action, const wxString& key);

  // The context menus as the right click builds them; entries run when chosen.
  std::unique_ptr<wxMenu> MakeListContextMenu(wxListCtrl* list, long item);
  std::unique_ptr<wxMenu> MakeGridContextMenu(wxGrid* grid, int row);

  wxWindow* GetXrcPanel() const { return panel_; }
  const wxString& GetModuleFolder() const { return moduleFolder_; }
  ModuleGridView* GetGridView(const wxGrid* grid) const;
  const wxString& GetListRowKey(const wxListCtrl* list, long item) const;
  wxString GetCheckedListKeys(const wxListCtrl* list) const;

  // The fixed image of known actions (ActionLabel gives their label).
  wxBitmap GetActionBitmap(const wxString& action) const;

 private:
  wxWindow* Control(const wxString& name) const;
  void AddToolbarTools(const wxString& panelName, BindingKind kind);
  void AddToolbarTool(wxAuiToolBar* toolbar, const wxString& action);
  wxBitmap LoadPageImage(const wxString& name, const wxArtID& art, const wxSize& size) const;
  void BindButtons();
  void BindTextControls();
  void BindListAndGridEvents();
  void ReportMissingControls();
  void StoreTextValue(const wxString& control, const wxString& value);
  void LayoutPage();
  void ApplyShowValue(const wxString& control, bool show);

  std::vector<PluginColumnInfo> LoadColumns(const wxString& control) const;
  std::vector<PluginColumnInfo> GetControlColumns(wxWindow* control) const;
  bool IsMainControl(const wxWindow* control) const;
  void FillList(wxListCtrl* list, const std::vector<PluginColumnInfo>& definitions, const GridRows& rows);
  void FillControl(wxWindow* control, const std::vector<PluginColumnInfo>& definitions,
                   std::shared_ptr<const GridRows> rows);
  void OnListItemSelected(wxListEvent& event);
  void OnListRightClick(wxListEvent& event);
  void OnGridSelectCell(wxGridEvent& event);
  void OnGridRightDown(wxMouseEvent& event);
  void OnGridRowSelected(wxGrid* grid, int row);
  // A row the user picked: its selection goes to the module, whose values and
  // detail lists then follow it.
  void RunSelectAction(wxWindow* control, const wxString& key);
  void SendSelection(const wxString& action, const wxString& key);
  void ShowSelectionDetails();
  // After the main control's rows changed: highlights the module's selected row
  // where it now is, or none, telling the module its selection is gone.
  void KeepMainSelection(wxWindow* control);
  bool HighlightRow(wxWindow* control, const wxString& key);
  void AddModuleEntries(wxMenu& menu, const std::vector<wxString>& actions, const wxString& key);
  wxString CheckedInvoiceKeys() const;

  wxString title_;
  wxString mainControl_;
  XrcPageBindings bindings_;
  std::vector<PluginColumnInfo> defaultColumns_;
  ModuleCalls calls_;
  wxString moduleFolder_;
  wxWindow* panel_ = nullptr;
  std::map<wxString, wxString> controlValues_;
  std::map<const wxListCtrl*, std::vector<wxString>> listKeys_;
  // The lists and grids of the layout other than the main control, found once.
  std::vector<wxWindow*> secondaryControls_;
  std::map<const wxGrid*, std::unique_ptr<ModuleGridView>> grids_;
  // Set while the page fills or highlights a list or grid: the selection events
  // the control then sends itself are no user's choice.
  bool filling_ = false;
  // The main row whose selection the module holds; empty when none. Unset until
  // the page first told the module.
  std::optional<wxString> selectedKey_;
  std::unique_ptr<ModuleActionRunner> runner_;
};

}  // namespace veldrix
