// The program's one top-level window: it installs the configuration file as the
// process configuration, reads the working company, starts the update check and
// lays out the two toolbars and the notebook of tabs; it runs the login sequence and
// holds the tabs with their permission test. Its destructor tears the login-time
// objects down in a fixed order and tells running workers to stop.
#pragma once

#include "app/aui_notebook_custom.h"
#include "app/common/failure_notice.h"
#include "danefirmy/company_application.h"
#include "pluginmanager/host_application.h"
#include "settings/settings_application.h"

#include <wx/arrstr.h>
#include <wx/dynarray.h>
#include <wx/frame.h>
#include <wx/thread.h>
#include <wx/weakref.h>

#include <memory>
#include <set>
#include <vector>

class AppMenu;
class AuthService;
class UpdateCheckTarget;
class DashboardPanel;
class Querys;
class SQLData;
class wxAuiManager;
class wxAuiNotebookEvent;
class wxAuiToolBar;
class wxFileConfig;
class wxThreadEvent;
namespace veldrix {
class PluginManager;
}

// Control ids, allocated once at start-up from the GUI library's id counter.
struct VeldrixControlIds {
  int notebook;
  int mainToolbar;
  int storeToolbar;
  int appMenuTool;
  int moduleStoreTool;
};
const VeldrixControlIds& ControlIds();

// The notebook's colour (also the watermark tint).
extern const wxColour kNotebookColour;

class VeldrixFrame : public wxFrame,
                     public ICompanyApplication,
                     public ICompanyEvents,
                     public ISettingsApplication,
                     public veldrix::IModuleHostWindow {
 public:
  VeldrixFrame();
  ~VeldrixFrame() override;

  // Login sequence and after-login set-up (login_sequence.cpp).
  void StartLogin();
  void RunLoginFlow(bool atStartup);
  bool PrepareDatabaseOrConfigure(wxString* error, bool interactive);
  bool PrepareProgramDatabase(wxString* error);
  bool ShowDatabaseConfigDialog() override;
  bool ConnectSavedConnection(int index, wxString* error);
  bool NotifyConnectionChosen(int index, wxString* error);
  bool NotifyUpgradeRequired(wxWindow* window, wxString* error);
  void SetUpAfterLogin();
  void Logout();
  // Reads the company list again. False when it could not be read: the lists then
  // keep what the last read gave and the user is told once the current event has
  // been handled.
  bool LoadCompanyList();
  wxString GetCompanyName(unsigned index) const;
  int FindCurrentCompanyIndex() const;
  // The list index of the company id, -1 when it is not listed.
  int FindCompanyIndex(const wxString& id) const;
  bool SwitchCompany(unsigned index);
  bool CloseAllPagesButDashboard();
  void EnableToolbar(bool enable, bool openCompanyData) override;
  bool AreToolsEnabled() const override { return toolsEnabled_; }

  // Application menu and about box (frame_menu_host.cpp).
  void ShowAppMenu(wxCommandEvent& event);
  void ShowAboutDialog();
  AppMenu* GetAppMenu() const { return appMenu_; }

  // Tabs and permissions (tab_openers.cpp).
  bool HasPermission(const wxString& key) const override;
  void OpenCompanyDataPage();
  void OpenSettingsPage();
  void OpenInvoiceListPage() override;
  void OpenNewInvoicePage(wxString documentId, wxString extra) override;
  void OpenContractorsPage() override;
  void OpenArticlesPage() override;
  void OpenKpirPage() override;
  void OpenJpkVatPage() override;
  // Selects the store tab, or builds it; refreshes its catalogue while it has none.
  void OpenModuleStorePage();
  bool OpenModulePage(const wxString& permission, const wxString& denial, const wxString& module,
                      const wxString& pageKey, const wxString& argument, const wxString& label,
                      const wxString& caption, const wxString& missing, const wxString& missingCaption);
  // -1: the selected tab. True when the tab was closed.
  bool ClosePage(int index);
  // Closes the tab holding the focus (else the selected one) once the caller returned.
  wxThreadError StartTabClosing();
  void UpdateCloseButton();

  bool IsLoggedIn() const { return loggedIn_; }
  bool IsUpgradeRequired() const { return upgradeRequired_; }
  AuthService* GetAuthService() const { return authService_; }
  SQLData* GetDatabase() const { return database_; }
  veldrix::PluginManager* GetPluginManager() const override { return pluginManager_; }
  DashboardPanel* GetStartPage() const { return startPage_; }
  int GetCurrentCompanyIndex() const { return currentCompanyIndex_; }
  size_t GetCompanyCount() const { return companyNames_.size(); }

  // ICompanyApplication, for the company tab.
  wxString GetActiveConnection() override;
  wxString GetWorkingCompanyId() override;
  void SetWorkingCompanyId(const wxString& id) override;
  void SwitchWorkingCompany(const wxString& id) override;
  wxConfigBase* GetConfig() override;
  void RequestTabClose() override;
  ICompanyEvents* GetCompanyEvents() override;
  // ICompanyEvents: the modules hear of a new company.
  bool NotifyCompanyCreated(int companyId, wxString* error) override;
  // ISettingsApplication, for the settings tab (frame_settings_services.cpp).
  wxString DefaultSqliteConnection() override;
  void AddSettingsPages(wxBookCtrlBase* tree, wxWindow* ledgerPage, int imageIndex) override;

  wxAuiManager* GetAuiManager() const { return auiManager_; }
  wxAuiNotebookCustom* GetNotebook() const { return notebook_; }
  wxAuiToolBar* GetMainToolbar() const { return mainToolbar_; }
  wxAuiToolBar* GetStoreToolbar() const { return storeToolbar_; }
  wxFileConfig* GetConfig() const { return config_; }
  // "0.25.9 Alpha": the about box and the module store show it.
  const wxString& GetVersionText() const { return versionText_; }
  // The title without the logged-in user.
  const wxString& GetWindowTitle() const { return windowTitle_; }
  const wxString& GetUpdateStatusText() const { return updateStatusText_; }
  int GetUpdateState() const { return updateState_; }
  // Event 6000 of the update check (frame_update_check.cpp).
  void OnUpdateCheckResult(wxThreadEvent& event);
  // Offers a found update once a user is logged in and the login has ended.
  void AskForUpdate();

 private:
  void RunLoginPasses(bool atStartup);
  wxWindow* CreateModulePage(const wxString& module, const wxString& pageKey, const wxString& argument);
  bool CanCloseModulePage(wxWindow* page, bool* isModulePage) const;
  // Asks what each page asks before its tab goes, all before any tab is closed;
  // false when one refused. A page whose question is showing refuses a second close.
  bool PagesAgreeToClose(const std::vector<wxWindow*>& pages);
  bool PageAgreesToClose(wxWindow* page);
  // Deletes the page's tab wherever it stands now; false when it is no longer there.
  bool RemoveTab(wxWindow* page);
  wxWindow* PageOf(wxWindow* window) const;
  // Selects and focuses the first tab of that label; false when none is open.
  bool SelectOpenPage(const wxString& label);
  void OnTabClosingEvent(wxThreadEvent& event);
  void OnModuleStoreTool(wxCommandEvent& event);
  void OnNotebookPageClose(wxAuiNotebookEvent& event);
  void OnNotebookPageChanged(wxAuiNotebookEvent& event);
  void OnClose(wxCloseEvent& event);
  // Ends the modal dialogs shown over the window; true when there were any.
  bool EndModalDialogs();
  // The close that waited for the modal dialogs, once the last has returned.
  void CloseAfterModalDialogs();
  int OpenModalDialogs() const;
  void OnSize(wxSizeEvent& event);
  // The whole window's, frame included, so that a 1024 x 768 screen holds it.
  static inline const wxSize kMainWindowMinimum{1024, 768};

  void OpenConfiguration();
  void CreateLayout();
  void CreateStoreToolbar();

  wxFileConfig* config_ = nullptr;
  wxAuiManager* auiManager_ = nullptr;
  wxAuiNotebookCustom* notebook_ = nullptr;
  wxAuiToolBar* mainToolbar_ = nullptr;
  wxAuiToolBar* storeToolbar_ = nullptr;
  bool toolsEnabled_ = false;  // the window is shown with its tools greyed
  wxArrayString companyNames_;
  wxArrayLong companyIds_;
  veldrix::FailureNotice companyListFailures_;
  int currentCompanyIndex_ = 0;
  AuthService* authService_ = nullptr;
  veldrix::PluginManager* pluginManager_ = nullptr;
  DashboardPanel* startPage_ = nullptr;
  AppMenu* appMenu_ = nullptr;
  // Weak: the store tab may be closed by the notebook itself, also while this
  // window is being destroyed.
  wxWeakRef<wxWindow> moduleStorePage_;
  // Pages whose closing questions are being asked: a question's nested event loop
  // delivers further closes (a double click on "Zamknij").
  std::set<wxWindow*> closingPages_;
  bool preparingDatabase_ = false;
  bool loginRunning_ = false;
  bool closeAfterLogin_ = false;
  // Counts the modal dialogs shown now, native ones included: a close that comes
  // while one is up (SIGTERM) waits for it (OnClose).
  class ModalDialogCounter;
  std::unique_ptr<ModalDialogCounter> modalDialogs_;
  bool closeAfterModal_ = false;
  bool forceAfterModal_ = false;  // that close could not be called off (SIGTERM)
  bool loggedIn_ = false;
  wxString windowTitle_;
  wxString versionText_;
  wxString updateStatusText_;
  int updateState_ = 0;
  bool updateQuestionPending_ = false;
  wxString updateReply_;
  std::shared_ptr<UpdateCheckTarget> updateCheck_;
  bool upgradeRequired_ = false;
  // A connection configured while logged in; it becomes active at logout.
  wxString nextLoginConnection_;
  SQLData* database_ = nullptr;
  Querys* querys_ = nullptr;
};
