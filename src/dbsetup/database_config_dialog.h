// The database configuration dialog: the saved connections and their form, the
// connection test, administrator mode, and creating, upgrading and archiving the
// program database, with a log of everything done. The main window shows it
// modally (VeldrixFrame::ShowDatabaseConfigDialog) and asks afterwards whether
// the saved connections were written.
#pragma once

#include "dbsetup/connection_form.h"
#include "dbsetup/connection_profile.h"
#include "dbsetup/database_probe.h"

#include <wx/dialog.h>

#include <functional>
#include <vector>

class DbWorkerRelay;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxCloseEvent;
class wxGauge;
class wxKeyEvent;
class wxListBox;
class wxStaticText;
class wxTextCtrl;
class wxThreadEvent;

// Checks an administrator's credentials against the program's users. Empty when
// there is no user database yet: the dialog then opens in administrator mode.
using AdministratorCheckFunction =
    std::function<bool(const wxString& username, const wxString& password, wxString* error)>;

// Asks where to write an archive, proposing a file name; empty when cancelled.
using ArchivePathChooser = std::function<wxString(wxWindow* parent, const wxString& proposedName)>;

// Control ids the tests and the guarded commands refer to.
enum DatabaseConfigControlId {
  kDbConfigConnectionList = 10199,
  kDbConfigServerType = 10200,
  kDbConfigWindowsAuth = 10201,
  kDbConfigShowPassword = 10202,
  kDbConfigAdmin = 10203,
  kDbConfigConnect = 10204,
  kDbConfigNew = 10205,
  kDbConfigDuplicate = 10206,
  kDbConfigSave = 10207,
  kDbConfigDelete = 10208,
  kDbConfigCreate = 10209,
  kDbConfigArchive = 10210,
  kDbConfigUpgrade = 10211,
  kDbConfigCopyLog = 10212,
  kDbConfigClearLog = 10213,
};

class DatabaseConfigDialog : public wxDialog {
 public:
  // store is the application's list of saved connections; probe and ensure are
  // ProbeDatabase and EnsureProgramDatabase in the program (either may be empty).
  DatabaseConfigDialog(wxWindow* parent, AdministratorCheckFunction verifyAdministrator,
                       IConnectionProfileStore* store, const DatabaseProbeFunction& probe,
                       const EnsureDatabaseFunction& ensure);
  ~DatabaseConfigDialog() override;

  // The saved connections were written at least once while the dialog was open.
  bool WasSaved() const { return saved_; }
  bool IsAdminMode() const { return adminMode_; }
  bool IsBusy() const { return busy_; }
  // Replaces the save-file dialog of "Archiwizuj" (tests answer it themselves).
  void SetArchivePathChooser(ArchivePathChooser chooser) { chooseArchivePath_ = std::move(chooser); }

  void UpdateControlStates();
  void UpdateEngineControls();
  void ResetDatabaseStatus();
  void ShowProbeResult(const DatabaseProbeResult& result);
  void SetBusy(bool busy, const wxString& status);
  // One time-stamped line in the log pane.
  void AppendLog(const wxString& text);

  // The form as a saved connection; with a null error nothing is reported.
  bool FormToConnection(ConnectionProfile* out, wxString* error);
  void ConnectionToForm(const ConnectionProfile& profile);
  void StoreFormInCurrentEntry();
  void RefreshConnectionList(int index);
  bool SaveConnections(const wxString& caption);
  // False, with a log line and a message, outside administrator mode.
  bool RequireAdmin(const wxString& operation);
  void RunDatabaseOperation(const DbConnectionInfo& connection, bool update);

 private:
  void CreateControls();
  wxString SelectedServerType() const;
  void SetFormValue(wxTextCtrl* field, const wxString& value);
  // SaveConnections after a list command; a failed save puts the list back as it was.
  bool SaveConnectionsOrUndo(const wxString& caption, const std::vector<ConnectionProfile>& previousProfiles,
                             int previousIndex, bool previousPending);

  // Window and log.
  void OnClose(wxCommandEvent& event);
  void OnCloseWindow(wxCloseEvent& event);
  void OnCharHook(wxKeyEvent& event);
  void OnCopyLog(wxCommandEvent& event);
  void OnClearLog(wxCommandEvent& event);
  void OnUnlockAdmin(wxCommandEvent& event);

  // Connection form and saved connections.
  void OnConnectionSelected(wxCommandEvent& event);
  void OnServerTypeChanged(wxCommandEvent& event);
  void OnWindowsAuthToggled(wxCommandEvent& event);
  void OnShowPasswordToggled(wxCommandEvent& event);
  void OnConnectionFieldChanged(wxCommandEvent& event);
  void OnTestConnection(wxCommandEvent& event);
  void OnNewConnection(wxCommandEvent& event);
  void OnDuplicateConnection(wxCommandEvent& event);
  void OnSaveConnection(wxCommandEvent& event);
  void OnDeleteConnection(wxCommandEvent& event);

  // Database operations.
  void OnCreateDatabase(wxCommandEvent& event);
  void OnUpgradeDatabase(wxCommandEvent& event);
  void OnArchiveDatabase(wxCommandEvent& event);
  void OnThreadEvent(wxThreadEvent& event);
  // Whether an existing database holds no program tables and its structure may be
  // built in it (a server database left empty by a failed create).
  bool MayCompleteExistingDatabase(const DbConnectionInfo& connection, const wxString& name);
  void StartCreate(const DbConnectionInfo& connection, const wxString& logLine);

  AdministratorCheckFunction verifyAdministrator_;
  IConnectionProfileStore* store_ = nullptr;
  DatabaseProbeFunction probe_;
  EnsureDatabaseFunction ensure_;
  std::vector<ConnectionProfile> profiles_;
  int currentIndex_ = -1;
  bool adminMode_ = false;
  bool saved_ = false;
  bool busy_ = false;
  bool upgradeOperation_ = false;
  bool upgradeRequired_ = false;
  bool databaseExists_ = false;
  // The probe found the database but none of the program's tables in it.
  bool structureMissing_ = false;
  bool newEntryPending_ = false;
  wxString probedConnectionString_;
  DbWorkerRelay* relay_ = nullptr;
  ArchivePathChooser chooseArchivePath_;

  wxGauge* progressGauge_ = nullptr;
  wxStaticText* progressLabel_ = nullptr;
  wxListBox* connectionList_ = nullptr;
  wxButton* newButton_ = nullptr;
  wxButton* duplicateButton_ = nullptr;
  wxButton* deleteButton_ = nullptr;
  wxTextCtrl* nameField_ = nullptr;
  wxChoice* serverTypeChoice_ = nullptr;
  wxTextCtrl* serverField_ = nullptr;
  wxTextCtrl* portField_ = nullptr;
  wxTextCtrl* loginField_ = nullptr;
  wxTextCtrl* passwordField_ = nullptr;
  wxCheckBox* windowsAuthCheck_ = nullptr;
  wxCheckBox* showPasswordCheck_ = nullptr;
  wxCheckBox* rememberPasswordCheck_ = nullptr;
  wxCheckBox* logSqlCheck_ = nullptr;
  wxButton* connectButton_ = nullptr;
  wxButton* saveButton_ = nullptr;
  wxButton* adminButton_ = nullptr;
  wxTextCtrl* databaseField_ = nullptr;
  wxButton* createButton_ = nullptr;
  wxButton* upgradeButton_ = nullptr;
  wxButton* archiveButton_ = nullptr;
  wxStaticText* versionLabel_ = nullptr;
  wxStaticText* statusLabel_ = nullptr;
  wxTextCtrl* logPane_ = nullptr;
};
