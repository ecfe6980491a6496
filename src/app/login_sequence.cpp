// The main window's login sequence: preparing the program database, the first
// administrator, automatic login, the login dialog with its connection switch,
// the set-up after login, logout and the working company.
#include "app/application_state.h"
#include "app/aui_notebook_custom.h"
#include "app/common/config_access.h"
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/scoped_flag.h"
#include "app/dashboard_panel.h"
#include "app/program_database.h"
#include "app/frame_menu_host.h"
#include "app/veldrix_frame.h"
#include "appmenu/app_menu.h"
#include "auth/auth_service.h"
#include "authdialogs/auth_dialogs.h"
#include "dbsetup/database_config_dialog.h"
#include "dbsetup/server_database.h"
#include "pluginmanager/plugin_manager.h"
#include "sqldata/sql_data.h"

#include <wx/app.h>
#include <wx/aui/aui.h>
#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/utils.h>

void VeldrixFrame::StartLogin() {
  // A window closed before its queued login ran (the session ending at start-up)
  // is deleted at the next idle time, which the login's nested loops would bring
  // while it is still on the stack.
  if (wxTheApp && wxTheApp->IsScheduledForDestruction(this)) return;
  RunLoginFlow(true);
}

bool VeldrixFrame::PrepareProgramDatabase(wxString* error) {
  upgradeRequired_ = false;
  PreparedProgramDatabase prepared;
  wxString text;
  if (!PrepareProgramDatabaseFor(AppState().GetActiveConnection(), AppState().GetActiveConnectionInfo(), &prepared,
                                 &text)) {
    if (error) *error = text;
    return false;
  }
  if (prepared.isSqlite) AppState().SetDefaultDatabasePath(prepared.sqliteFile);
  upgradeRequired_ = prepared.upgradeRequired;

  SQLData* previous = database_;
  database_ = prepared.database.release();
  if (authService_) {
    // SetDatabase also forgets the logged-in user.
    authService_->SetDatabase(database_);
  } else {
    authService_ = new AuthService(database_);
  }
  delete previous;
  return true;
}

bool VeldrixFrame::PrepareDatabaseOrConfigure(wxString* error, bool interactive) {
  const veldrix::ScopedFlag preparing(preparingDatabase_);
  wxString text;
  {
    wxBusyCursor busy;
    if (PrepareProgramDatabase(&text)) return true;
  }
  const wxString failure = text.empty() ? _("Nie udało się przygotować bazy programu.") : text;
  if (error) *error = failure;
  if (!interactive) return false;

  veldrix::ShowMessageBox(failure + "\n\n" + _("Sprawdź połączenie w oknie konfiguracji bazy danych."),
                          _("Baza programu"), wxOK | wxICON_EXCLAMATION, this);
  ShowDatabaseConfigDialog();

  text.clear();
  {
    wxBusyCursor busy;
    if (PrepareProgramDatabase(&text)) return true;
  }
  if (error) *error = text;
  return false;
}

bool VeldrixFrame::ConnectSavedConnection(int index, wxString* error) {
  wxString reason;
  if (!AppState().ActivateSavedConnection(index, &reason)) {
    // The box says why; the login dialog then says the database was not switched.
    veldrix::ShowMessageBox(reason, _("Baza programu"), wxOK | wxICON_ERROR, nullptr);
    if (error) error->clear();
    return false;
  }
  wxString text;
  if (PrepareDatabaseOrConfigure(&text, false)) {
    if (error) error->clear();
    return true;
  }
  if (error) *error = text.empty() ? _("Nie udało się połączyć z wybraną bazą programu.") : text;
  return false;
}

bool VeldrixFrame::NotifyConnectionChosen(int index, wxString* error) { return ConnectSavedConnection(index, error); }

bool VeldrixFrame::NotifyUpgradeRequired(wxWindow* window, wxString* error) {
  if (!upgradeRequired_) return true;
  if (error) {
    *error = _("Baza programu wymaga aktualizacji. Otwórz konfigurację przyciskiem „...”, odblokuj tryb "
               "administratora i kliknij „Aktualizuj”.");
  }
  return false;
}

void VeldrixFrame::RunLoginFlow(bool atStartup) {
  if (loggedIn_) return;
  {
    const veldrix::ScopedFlag running(loginRunning_);
    RunLoginPasses(atStartup);
  }
  // A close asked for while the sequence ran (its own, or the session ending) is
  // carried out now that no dialog or nested loop of it is left on the stack.
  if (!loginRunning_ && closeAfterLogin_) {
    closeAfterLogin_ = false;
    Close(true);
    return;
  }
  // An update found while nobody was logged in is offered now.
  if (!loginRunning_ && loggedIn_) AskForUpdate();
}

void VeldrixFrame::RunLoginPasses(bool atStartup) {
  wxString text;
  if (!PrepareDatabaseOrConfigure(&text, true)) {
    if (!text.empty()) veldrix::ShowMessageBox(text, _("Baza programu"), wxOK | wxICON_ERROR, this);
    Close(false);
    return;
  }

  for (;;) {
    if (closeAfterLogin_) return;
    if (!authService_) {
      veldrix::ShowMessageBox(
          _("Nie można uruchomić logowania, ponieważ baza programu nie została poprawnie zainicjowana."),
          _("Błąd logowania"), wxOK | wxICON_ERROR, this);
      Close(false);
      return;
    }
    LoginDatabaseRequest request;
    wxString loginText;
    const bool autoLoginAllowed = atStartup && !upgradeRequired_;
    const wxArrayString names = AppState().GetSavedConnectionNames();
    const int activeIndex = AppState().FindActiveSavedConnection();

    int result = kAuthLoginNone;
    wxString usersError;
    bool hasUsers = false;
    if (!authService_->CheckDatabase(&loginText)) {
      result = kAuthLoginNone;
    } else if (!(hasUsers = authService_->HasUsers(&usersError)) && !usersError.empty()) {
      // An unreadable user table is a database fault: offering "the first"
      // administrator over it would be wrong, so the reason is shown instead.
      loginText = usersError;
    } else if (!hasUsers && !ShowAuthSetupDialog(this, authService_)) {
      result = kAuthLoginNone;
    } else {
      wxString ignored;
      if (autoLoginAllowed && authService_->TryAutoLogin(&ignored)) {
        result = kAuthLoginDone;
      } else {
        result = ShowAuthLoginDialog(
            this, authService_, names, activeIndex, &request,
            [this](int index, wxString* error) { return NotifyConnectionChosen(index, error); },
            [this](wxWindow* window, wxString* error) { return NotifyUpgradeRequired(window, error); });
      }
    }

    if (result == kAuthLoginConfiguration) {
      if (request.openConfiguration) ShowDatabaseConfigDialog();
      text.clear();
      if (PrepareDatabaseOrConfigure(&text, true)) continue;
      if (!text.empty()) veldrix::ShowMessageBox(text, _("Baza programu"), wxOK | wxICON_ERROR, this);
      Close(false);
      return;
    }
    if (result != kAuthLoginDone) {
      if (!loginText.empty()) veldrix::ShowMessageBox(loginText, _("Błąd logowania"), wxOK | wxICON_ERROR, this);
      Close(false);
      return;
    }
    if (upgradeRequired_) {
      veldrix::ShowMessageBox(_("Baza programu nadal wymaga aktualizacji i program nie może zostać uruchomiony."),
                              _("Aktualizacja bazy"), wxOK | wxICON_ERROR, this);
      Close(false);
      return;
    }
    loggedIn_ = true;
    SetUpAfterLogin();
    return;
  }
}

bool VeldrixFrame::ShowDatabaseConfigDialog() {
  // Without a user service (no program database prepared yet) the dialog opens in
  // administrator mode, so that the connection can be repaired at all.
  AdministratorCheckFunction verify;
  if (authService_) {
    verify = [this](const wxString& username, const wxString& password, wxString* error) {
      return authService_ && authService_->VerifyAdministrator(username, password, error);
    };
  }
  // A logged-in session keeps the database it runs on: its tabs and modules connect
  // to the active connection, so one configured now waits for the next login.
  const wxString session = loggedIn_ ? AppState().GetActiveConnection() : wxString();
  DatabaseConfigDialog dialog(this, verify, &AppState(), ProbeDatabase, EnsureProgramDatabase);
  dialog.ShowModal();
  if (loggedIn_) {
    const wxString configured = AppState().GetActiveConnection();
    if (configured != session) {
      nextLoginConnection_ = configured;
      AppState().SetActiveConnection(session);
    } else if (dialog.WasSaved()) {
      nextLoginConnection_.clear();
    }
  }
  return dialog.WasSaved();
}

void VeldrixFrame::SetUpAfterLogin() {
  if (!authService_ || !authService_->loggedIn) return;
  SetTitle(windowTitle_ + " - " + authService_->currentUser.display_name);
  currentCompanyIndex_ = 0;

  wxString companyId = AppState().GetWorkingCompanyId();
  {
    veldrix::ConfigAccess config;
    if (config) {
      config->Read(kWorkingCompanyKey, &companyId);
      if (companyId.empty()) config->Read(kWorkingCompanyLegacyKey, &companyId);
    }
  }
  if (companyId.empty()) companyId = "0";
  AppState().SetWorkingCompanyId(companyId);

  // A new session knows no companies until its database names them.
  companyNames_.Clear();
  companyIds_.Clear();
  const bool companiesRead = LoadCompanyList();
  if (!companyNames_.empty()) {
    int index = FindCurrentCompanyIndex();
    if (index == -1) {
      index = 0;
      companyId = wxString::Format("%d", static_cast<int>(companyIds_[0]));
      AppState().SetWorkingCompanyId(companyId);
      wxString error;
      if (!StoreWorkingCompany(config_, companyId, &error)) {
        veldrix::ShowMessageBox(error, _("Wybór firmy"), wxOK | wxICON_ERROR, this);
      }
    }
    currentCompanyIndex_ = index;
  } else {
    AppState().SetWorkingCompanyId("0");
  }

  pluginManager_ = new veldrix::PluginManager(this, notebook_, mainToolbar_);
  pluginManager_->LoadModules();
  pluginManager_->AddModuleTools();

  auto* dashboard = new DashboardPanel(notebook_, this, pluginManager_);
  startPage_ = dashboard;
  dashboard->Hide();
  notebook_->AddPage(dashboard, ":::", true);
  const int dashboardIndex = notebook_->GetPageIndex(dashboard);
  if (dashboardIndex != wxNOT_FOUND) notebook_->SetPageToolTip(dashboardIndex, _("Pulpit"));
  dashboard->Show();
  UpdateCloseButton();
  auiManager_->Update();
  appMenu_ = new AppMenu(MakeAppMenuHost(this));

  if (!companiesRead) {
    // The list could not be read, which LoadCompanyList reports: asking for a first
    // company would be wrong, and the company tab could not read them either.
    EnableToolbar(false, false);
  } else if (AppState().GetWorkingCompanyId() == "0") {
    veldrix::ShowMessageBox(_("Nie znaleziono żadnej firmy. Dodaj firmę."), wxString(), wxOK, nullptr);
    EnableToolbar(false, true);
  } else {
    EnableToolbar(true, false);
  }
}

void VeldrixFrame::Logout() {
  if (!loggedIn_ || !authService_) return;
  if (veldrix::ShowMessageBox(_("Czy na pewno chcesz się wylogować?"), _("Wylogowanie"),
                              wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, this) != wxYES) {
    return;
  }
  if (!CloseAllPagesButDashboard()) return;

  if (appMenu_) {
    appMenu_->Destroy();
    appMenu_ = nullptr;
  }
  if (startPage_) {
    const int index = notebook_->GetPageIndex(startPage_);
    if (index != wxNOT_FOUND) {
      notebook_->DeletePage(index);
    } else {
      startPage_->Destroy();
    }
    startPage_ = nullptr;
  }
  delete pluginManager_;
  pluginManager_ = nullptr;
  authService_->Logout();
  // Without this the next RunLoginFlow would return at once and nobody could log in.
  loggedIn_ = false;
  if (!nextLoginConnection_.empty()) {
    AppState().SetActiveConnection(nextLoginConnection_);
    nextLoginConnection_.clear();
  }
  SetTitle(windowTitle_);
  auiManager_->Update();
  RunLoginFlow(false);
}

bool VeldrixFrame::LoadCompanyList() {
  if (!database_ || !querys_) {
    companyNames_.Clear();
    companyIds_.Clear();
    return true;
  }
  wxArrayString names;
  wxArrayInt ids;
  database_->ClearError();
  database_->SimpleListData(&names, &ids, "select nazwa,id_firmy from firma order by nazwa");
  if (database_->errorFlag) {
    // A failed read is no answer: the menu and the start page keep the companies
    // they knew rather than taking the database for one without companies.
    companyListFailures_.Note(_("Nie udało się odczytać listy firm z bazy programu."), database_->ErrorReason());
    return false;
  }
  companyNames_ = names;
  companyIds_.Clear();
  for (int id : ids) companyIds_.Add(id);
  const int index = FindCurrentCompanyIndex();
  if (index != -1) currentCompanyIndex_ = index;
  return true;
}

wxString VeldrixFrame::GetCompanyName(unsigned index) const {
  return index < companyNames_.size() ? companyNames_[index] : wxString();
}

int VeldrixFrame::FindCurrentCompanyIndex() const { return FindCompanyIndex(AppState().GetWorkingCompanyId()); }

int VeldrixFrame::FindCompanyIndex(const wxString& id) const {
  for (size_t i = 0; i < companyIds_.size(); ++i) {
    if (wxString::Format("%d", static_cast<int>(companyIds_[i])) == id) return static_cast<int>(i);
  }
  return -1;
}

bool VeldrixFrame::SwitchCompany(unsigned index) {
  if (index >= companyIds_.size()) return false;
  const wxString id = wxString::Format("%d", static_cast<int>(companyIds_[index]));
  if (id == AppState().GetWorkingCompanyId()) {
    currentCompanyIndex_ = static_cast<int>(index);
    return true;
  }
  if (!CloseAllPagesButDashboard()) return false;
  AppState().SetWorkingCompanyId(id);
  currentCompanyIndex_ = static_cast<int>(index);
  wxString error;
  // The company is worked with all the same; the user learns it is not remembered.
  if (!StoreWorkingCompany(config_, id, &error)) {
    veldrix::ShowMessageBox(error, _("Wybór firmy"), wxOK | wxICON_ERROR, this);
  }
  // A login whose company list could not be read left the tools off.
  EnableToolbar(true, false);
  if (startPage_) {
    startPage_->RefreshDashboard();
    const int page = notebook_->GetPageIndex(startPage_);
    if (page != wxNOT_FOUND) notebook_->SetSelection(page);
  }
  return true;
}

bool VeldrixFrame::CloseAllPagesButDashboard() {
  if (!notebook_) return true;
  std::vector<wxWindow*> pages;
  for (int i = static_cast<int>(notebook_->GetPageCount()) - 1; i >= 0; --i) {
    wxWindow* page = notebook_->GetPage(i);
    if (page && page != startPage_ && page->GetLabel() != "dashboard") pages.push_back(page);
  }
  // Every question first: a refusal leaves every tab open.
  const std::vector<wxWeakRef<wxWindow>> closing(pages.begin(), pages.end());
  if (!PagesAgreeToClose(pages)) return false;
  for (const wxWeakRef<wxWindow>& page : closing) {
    if (page) RemoveTab(page);
  }
  for (const wxWeakRef<wxWindow>& page : closing) {
    if (page && notebook_->GetPageIndex(page) != wxNOT_FOUND) return false;
  }
  return true;
}

void VeldrixFrame::EnableToolbar(bool enable, bool openCompanyData) {
  toolsEnabled_ = enable;
  if (mainToolbar_) {
    for (size_t i = 0; i < mainToolbar_->GetToolCount(); ++i) {
      wxAuiToolBarItem* tool = mainToolbar_->FindToolByIndex(static_cast<int>(i));
      if (!tool) continue;
      const bool usable = !pluginManager_ || pluginManager_->IsToolUsable(tool->GetId());
      mainToolbar_->EnableTool(tool->GetId(), enable && usable);
    }
    mainToolbar_->Refresh();
  }
  if (openCompanyData) OpenCompanyDataPage();
}

void VeldrixFrame::OnSize(wxSizeEvent& event) {
  event.Skip();
  // wxGTK adds the window manager's frame to a minimum that equals the window's
  // height when it learns the frame, which would keep the client area 768 high.
  if (GetMinSize() != kMainWindowMinimum) SetMinSize(kMainWindowMinimum);
  if (!auiManager_ || !mainToolbar_ || !storeToolbar_) return;
  wxAuiPaneInfo& mainPane = auiManager_->GetPane(mainToolbar_);
  wxAuiPaneInfo& storePane = auiManager_->GetPane(storeToolbar_);
  if (!mainPane.IsOk() || !storePane.IsOk()) return;
  const int borders = (mainPane.HasBorder() ? 2 : 0) + (storePane.HasBorder() ? 2 : 0);
  const int storeWidth = storePane.best_size.x > 0 ? storePane.best_size.x : storeToolbar_->GetBestSize().x;
  // The store toolbar stays at the right edge; the main toolbar takes the rest of the row.
  const int mainWidth = GetClientSize().x - storeWidth - borders;
  if (mainWidth <= 0) return;
  mainPane.BestSize(mainWidth, 48);
  storePane.Position(mainWidth);
  auiManager_->Update();
}
