// The settings tab "Ustawienia": a one-tool toolbar over a tree of settings pages.
// The tree is built at once, with the pages of the main window and the module host
// in a fixed place; most pages build their content only on first selection, one
// at a time, behind the tab's loading bar.
#pragma once

#include <wx/bookctrl.h>
#include <wx/panel.h>

class DatabaseInfoPage;
class ISettingsApplication;
class wxAuiToolBar;
class wxTreebook;
namespace veldrix {
class DelayedLoadingBar;
}

class UstawieniaPanel : public wxPanel {
 public:
  // `parent` is the main window's notebook; `app` the main window.
  UstawieniaPanel(wxWindow* parent, ISettingsApplication* app);
  ~UstawieniaPanel() override;

  wxTreebook* GetTree() const { return tree_; }
  DatabaseInfoPage* GetProgramDatabasePage() const { return programPage_; }
  DatabaseInfoPage* GetReportDatabasePage() const { return reportPage_; }
  // The ledger dictionaries page; placed only under the ledger module's node.
  wxWindow* GetLedgerDictionariesPage() const { return ledgerPage_; }
  bool IsLoadPending() const { return loadPending_; }
  veldrix::DelayedLoadingBar* GetLoadingBar() const { return loadingBar_; }
  wxAuiToolBar* GetToolbar() const { return toolbar_; }
  int GetCloseToolId() const { return closeToolId_; }

  // Asked before the tab closes: when a page holds unsaved changes, "Czy zapisać
  // zmiany?" under `caption`; false keeps the tab (Cancel, or a save that failed).
  // "Nie" drops nothing: the tab goes with what was typed, or keeps it when the
  // close is called off.
  bool ConfirmClose(const wxString& caption = wxString());

 private:
  void BuildTree();
  void BuildToolbar(wxSizer* row);
  void HideUnplacedPages();

  void OnPageChanged(wxBookCtrlEvent& event);
  void ScheduleCurrentPageLoad();
  void LoadPage(wxWindow* page);
  void ShowLoadingBar();
  void OnClose(wxCommandEvent& event);

  wxString ActiveConnection() const;
  // The report page always describes the active program connection.
  void RefreshReportDatabaseLabels();
  // Shows the connection dialog; when the user saved, the program page shows the
  // new configuration and a note that it applies from the next login.
  void ConfigureConnection();
  void OnConfigureConnection(wxCommandEvent& event);
  void OnConfigureReportDatabase(wxCommandEvent& event);
  void OnUseProgramDatabaseForReports(wxCommandEvent& event);

  ISettingsApplication* app_;
  wxTreebook* tree_ = nullptr;
  DatabaseInfoPage* programPage_ = nullptr;
  DatabaseInfoPage* reportPage_ = nullptr;
  wxWindow* ledgerPage_ = nullptr;
  veldrix::DelayedLoadingBar* loadingBar_ = nullptr;
  wxAuiToolBar* toolbar_ = nullptr;
  int closeToolId_ = wxID_ANY;
  bool programPageLoaded_ = false;
  bool reportPageLoaded_ = false;
  bool loadPending_ = false;
};
