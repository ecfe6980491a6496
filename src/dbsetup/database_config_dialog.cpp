// The window as a whole: its controls and layout, the rules that enable them, the
// database status display, the busy state, closing, the log pane and
// administrator mode. The connection form and list are in
// database_config_connections.cpp, the database operations in
// database_config_operations.cpp.
#include "dbsetup/database_config_dialog.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/window_placement.h"
#include "dbsetup/administrator_authorization_dialog.h"
#include "dbsetup/db_worker.h"
#include "dbsetup/db_worker_relay.h"
#include "sqldata/db_log.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/datetime.h>
#include <wx/display.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace {

constexpr int kGaugeRange = DbWorkerProgressEnd;

wxButton* MakeButton(wxWindow* parent, int id, const wxString& label, const char* name) {
  return new wxButton(parent, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
}

wxTextCtrl* MakeField(wxWindow* parent, const char* name, long style = 0) {
  return new wxTextCtrl(parent, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, style, wxDefaultValidator,
                        name);
}

wxCheckBox* MakeCheck(wxWindow* parent, int id, const wxString& label, const char* name) {
  return new wxCheckBox(parent, id, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
}

// A row that pushes its buttons to the right edge, each but the last 8 pixels from the next.
wxSizer* RightAlignedRow(std::initializer_list<wxWindow*> buttons) {
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  row->AddStretchSpacer();
  const wxWindow* last = *(buttons.end() - 1);
  for (wxWindow* button : buttons) row->Add(button, 0, button == last ? 0 : wxRIGHT, 8);
  return row;
}

}  // namespace

DatabaseConfigDialog::DatabaseConfigDialog(wxWindow* parent, AdministratorCheckFunction verifyAdministrator,
                                           IConnectionProfileStore* store, const DatabaseProbeFunction& probe,
                                           const EnsureDatabaseFunction& ensure)
    : verifyAdministrator_(std::move(verifyAdministrator)), store_(store), probe_(probe), ensure_(ensure) {
  Create(parent, wxID_ANY, _("Konfiguracja bazy danych"), wxDefaultPosition, wxSize(820, 700),
         wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER, "DatabaseConfigDialog");
  adminMode_ = !verifyAdministrator_;
  CreateControls();
  // GTK's controls are taller than the layout's 820 x 700 allows: the dialog grows
  // to show every control and the log, within the screen.
  wxSize size = GetBestSize();
  size.IncTo(wxSize(820, 700));
  const int display = wxDisplay::GetFromWindow(parent ? parent : this);
  const wxRect screen = wxDisplay(display == wxNOT_FOUND ? 0u : static_cast<unsigned>(display)).GetClientArea();
  if (screen.width > 0) size.DecTo(screen.GetSize());
  SetMinSize(size);
  SetSize(size);
  CentreOnParent();
  veldrix::KeepPositionOnFirstShow(this);
  // Escape means "Zamknij", and only while that button is usable.
  SetEscapeId(wxID_CLOSE);

  connectionList_->Bind(wxEVT_LISTBOX, &DatabaseConfigDialog::OnConnectionSelected, this);
  serverTypeChoice_->Bind(wxEVT_CHOICE, &DatabaseConfigDialog::OnServerTypeChanged, this);
  windowsAuthCheck_->Bind(wxEVT_CHECKBOX, &DatabaseConfigDialog::OnWindowsAuthToggled, this);
  showPasswordCheck_->Bind(wxEVT_CHECKBOX, &DatabaseConfigDialog::OnShowPasswordToggled, this);
  for (wxTextCtrl* field : {serverField_, portField_, loginField_, passwordField_, databaseField_}) {
    field->Bind(wxEVT_TEXT, &DatabaseConfigDialog::OnConnectionFieldChanged, this);
  }
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnUnlockAdmin, this, kDbConfigAdmin);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnTestConnection, this, kDbConfigConnect);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnNewConnection, this, kDbConfigNew);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnDuplicateConnection, this, kDbConfigDuplicate);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnSaveConnection, this, kDbConfigSave);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnDeleteConnection, this, kDbConfigDelete);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnCreateDatabase, this, kDbConfigCreate);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnArchiveDatabase, this, kDbConfigArchive);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnUpgradeDatabase, this, kDbConfigUpgrade);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnCopyLog, this, kDbConfigCopyLog);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnClearLog, this, kDbConfigClearLog);
  Bind(wxEVT_BUTTON, &DatabaseConfigDialog::OnClose, this, wxID_CLOSE);
  Bind(wxEVT_THREAD, &DatabaseConfigDialog::OnThreadEvent, this, DbWorkerEventId);
  // While an operation runs the dialog is the receiver of its progress: the
  // title-bar box and Escape must not end it then, as "Zamknij" cannot.
  Bind(wxEVT_CLOSE_WINDOW, &DatabaseConfigDialog::OnCloseWindow, this);
  Bind(wxEVT_CHAR_HOOK, &DatabaseConfigDialog::OnCharHook, this);

  if (store_) profiles_ = store_->ReadConnectionProfiles();
  RefreshConnectionList(store_ ? store_->FindActiveSavedConnection() : 0);
  UpdateControlStates();
  AppendLog(adminMode_ ? _("Otwarto konfigurację w trybie awaryjnym bez aktywnej bazy użytkowników.")
                       : _("Otwarto konfigurację w trybie zwykłego użytkownika."));
}

DatabaseConfigDialog::~DatabaseConfigDialog() {
  // The worker outlives a dialog closed under it; its last events go nowhere.
  if (relay_) relay_->Detach();
}

void DatabaseConfigDialog::CreateControls() {
  auto* column = new wxBoxSizer(wxVERTICAL);

  auto* progressBox = new wxStaticBoxSizer(wxVERTICAL, this, _("POSTĘP"));
  wxWindow* progressParent = progressBox->GetStaticBox();
  progressGauge_ = new wxGauge(progressParent, wxID_ANY, kGaugeRange, wxDefaultPosition, wxDefaultSize,
                               wxGA_HORIZONTAL, wxDefaultValidator, "progressGauge");
  progressLabel_ = new wxStaticText(progressParent, wxID_ANY, _("Gotowe."), wxDefaultPosition, wxDefaultSize, 0,
                                    "progressLabel");
  progressBox->Add(progressGauge_, 0, wxEXPAND | wxALL, 6);
  progressBox->Add(progressLabel_, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
  column->Add(progressBox, 0, wxEXPAND | wxALL, 8);

  auto* middle = new wxBoxSizer(wxHORIZONTAL);
  auto* savedBox = new wxStaticBoxSizer(wxVERTICAL, this, _("ZAPISANE POŁĄCZENIA"));
  wxWindow* savedParent = savedBox->GetStaticBox();
  connectionList_ = new wxListBox(savedParent, kDbConfigConnectionList, wxDefaultPosition, wxSize(245, 220), 0,
                                  nullptr, wxLB_SINGLE, wxDefaultValidator, "connectionList");
  newButton_ = MakeButton(savedParent, kDbConfigNew, _("Nowe"), "newButton");
  duplicateButton_ = MakeButton(savedParent, kDbConfigDuplicate, _("Powiel"), "duplicateButton");
  deleteButton_ = MakeButton(savedParent, kDbConfigDelete, _("Usuń"), "deleteButton");
  savedBox->Add(connectionList_, 1, wxEXPAND | wxALL, 6);
  for (wxButton* button : {newButton_, duplicateButton_, deleteButton_}) {
    savedBox->Add(button, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
  }
  middle->Add(savedBox, 0, wxEXPAND | wxRIGHT, 8);

  auto* formBox = new wxStaticBoxSizer(wxVERTICAL, this, _("DANE POŁĄCZENIA"));
  wxWindow* form = formBox->GetStaticBox();
  auto* grid = new wxFlexGridSizer(2, 7, 9);
  grid->AddGrowableCol(1, 1);
  const auto addRow = [&](const wxString& label, wxWindow* field) {
    grid->Add(new wxStaticText(form, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(field, 0, wxEXPAND);
  };
  const auto addUnlabelled = [&](wxSizer* row) {
    grid->AddSpacer(0);
    grid->Add(row, 0, wxEXPAND);
  };
  nameField_ = MakeField(form, "nameField");
  wxArrayString types;
  for (const wxString& type : ServerTypeChoices()) types.Add(type);
  serverTypeChoice_ = new wxChoice(form, kDbConfigServerType, wxDefaultPosition, wxDefaultSize, types, 0,
                                   wxDefaultValidator, "serverTypeChoice");
  serverTypeChoice_->SetSelection(0);
  serverField_ = MakeField(form, "serverField");
  portField_ = MakeField(form, "portField");
  portField_->ChangeValue("1433");
  loginField_ = MakeField(form, "loginField");
  passwordField_ = MakeField(form, "passwordField", wxTE_PASSWORD);
  windowsAuthCheck_ = MakeCheck(form, kDbConfigWindowsAuth, _("Uwierzytelnianie Windows"), "windowsAuthCheck");
  showPasswordCheck_ = MakeCheck(form, kDbConfigShowPassword, _("Pokaż hasło"), "showPasswordCheck");
  rememberPasswordCheck_ = MakeCheck(form, wxID_ANY, _("Zapamiętaj hasło"), "rememberPasswordCheck");
  logSqlCheck_ = MakeCheck(form, wxID_ANY, _("Loguj zapytania SQL"), "logSqlCheck");
  logSqlCheck_->SetToolTip(
      _("Zapisuje wykonywane zapytania do pliku veldrix_sql.log. Log może zawierać dane z dokumentów i tokeny."));
  connectButton_ = MakeButton(form, kDbConfigConnect, _("Połącz"), "connectButton");
  saveButton_ = MakeButton(form, kDbConfigSave, _("Zapisz"), "saveButton");
  adminButton_ = MakeButton(form, kDbConfigAdmin, _("Tryb administratora"), "adminButton");
  databaseField_ = MakeField(form, "databaseField");
  createButton_ = MakeButton(form, kDbConfigCreate, _("Utwórz"), "createButton");
  upgradeButton_ = MakeButton(form, kDbConfigUpgrade, _("Aktualizuj"), "upgradeButton");
  archiveButton_ = MakeButton(form, kDbConfigArchive, _("Archiwizuj"), "archiveButton");
  versionLabel_ = new wxStaticText(form, wxID_ANY, _("Wersja bazy: -"), wxDefaultPosition, wxDefaultSize, 0,
                                   "versionLabel");
  statusLabel_ = new wxStaticText(form, wxID_ANY, _("Status bazy: -"), wxDefaultPosition, wxDefaultSize, 0,
                                  "statusLabel");

  addRow(_("Nazwa:"), nameField_);
  addRow(_("Rodzaj serwera:"), serverTypeChoice_);
  addRow(_("Serwer/IP lub plik:"), serverField_);
  addRow(_("Port:"), portField_);
  addRow(_("Login:"), loginField_);
  addRow(_("Hasło:"), passwordField_);
  auto* checks = new wxBoxSizer(wxHORIZONTAL);
  checks->Add(windowsAuthCheck_, 0, wxRIGHT, 16);
  checks->Add(showPasswordCheck_, 0, wxRIGHT, 16);
  checks->Add(rememberPasswordCheck_, 0);
  addUnlabelled(checks);
  auto* logRow = new wxBoxSizer(wxHORIZONTAL);
  logRow->Add(logSqlCheck_, 0);
  addUnlabelled(logRow);
  addUnlabelled(RightAlignedRow({connectButton_, saveButton_}));
  addUnlabelled(RightAlignedRow({adminButton_}));
  addRow(_("Baza:"), databaseField_);
  addUnlabelled(RightAlignedRow({createButton_, upgradeButton_, archiveButton_}));
  auto* status = new wxBoxSizer(wxHORIZONTAL);
  status->Add(versionLabel_, 0, wxRIGHT, 16);
  status->Add(statusLabel_, 0);
  addUnlabelled(status);
  formBox->Add(grid, 1, wxEXPAND | wxALL, 8);
  middle->Add(formBox, 1, wxEXPAND);
  column->Add(middle, 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);

  auto* logBox = new wxStaticBoxSizer(wxVERTICAL, this, _("LOGI"));
  wxWindow* logParent = logBox->GetStaticBox();
  logPane_ = new wxTextCtrl(logParent, wxID_ANY, wxString(), wxDefaultPosition, wxSize(-1, 150),
                            wxTE_MULTILINE | wxTE_READONLY | wxTE_RICH2, wxDefaultValidator, "logPane");
  logBox->Add(logPane_, 1, wxEXPAND | wxALL, 6);
  auto* logButtons = new wxBoxSizer(wxHORIZONTAL);
  logButtons->Add(MakeButton(logParent, kDbConfigCopyLog, _("Kopiuj log"), "copyLogButton"), 0, wxRIGHT, 8);
  logButtons->Add(MakeButton(logParent, kDbConfigClearLog, _("Wyczyść log"), "clearLogButton"), 0);
  logBox->Add(logButtons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 6);
  column->Add(logBox, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 8);

  column->Add(new wxStaticLine(this), 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
  column->Add(RightAlignedRow({MakeButton(this, wxID_CLOSE, _("Zamknij"), "closeButton")}), 0, wxEXPAND | wxALL, 8);
  SetSizer(column);
  Layout();
}

wxString DatabaseConfigDialog::SelectedServerType() const {
  const int selection = serverTypeChoice_->GetSelection();
  return selection == wxNOT_FOUND ? wxString() : serverTypeChoice_->GetString(static_cast<unsigned>(selection));
}

void DatabaseConfigDialog::UpdateControlStates() {
  const bool editable = adminMode_ && !busy_;
  const wxString type = SelectedServerType();
  const bool sqlServer = type.IsSameAs("SQL Server", false);
  const bool hasEntry = currentIndex_ >= 0;
  for (wxWindow* control : {static_cast<wxWindow*>(nameField_), static_cast<wxWindow*>(serverTypeChoice_),
                            static_cast<wxWindow*>(serverField_), static_cast<wxWindow*>(portField_),
                            static_cast<wxWindow*>(databaseField_)}) {
    control->Enable(editable);
  }
  windowsAuthCheck_->Enable(editable && sqlServer);
  for (wxWindow* control : {static_cast<wxWindow*>(showPasswordCheck_), static_cast<wxWindow*>(rememberPasswordCheck_),
                            static_cast<wxWindow*>(logSqlCheck_), static_cast<wxWindow*>(newButton_),
                            static_cast<wxWindow*>(saveButton_)}) {
    control->Enable(editable);
  }
  duplicateButton_->Enable(editable && hasEntry);
  deleteButton_->Enable(editable && hasEntry && profiles_.size() > 1);
  // A database found without the program's tables may still be given them.
  createButton_->Enable(editable && (!databaseExists_ || structureMissing_) &&
                        !TrimmedText(databaseField_->GetValue()).empty());
  archiveButton_->Enable(editable && databaseExists_ &&
                         (type.IsSameAs("SQLite", false) || sqlServer));
  upgradeButton_->Enable(editable && upgradeRequired_);
  connectionList_->Enable(!busy_);
  connectButton_->Enable(!busy_ && (hasEntry || newEntryPending_));
  adminButton_->Enable(!busy_ && !adminMode_);
  UpdateEngineControls();
}

void DatabaseConfigDialog::UpdateEngineControls() {
  const bool editable = adminMode_ && !busy_;
  const wxString type = SelectedServerType();
  const bool sqlite = type.IsSameAs("SQLite", false);
  const bool sqlServer = type.IsSameAs("SQL Server", false);
  if (sqlite) {
    archiveButton_->SetToolTip(_("Archiwizuje spójną kopię bazy SQLite do pliku ZIP."));
  } else if (sqlServer) {
    archiveButton_->SetToolTip(_("Tworzy natywną kopię SQL Server (.bak), weryfikuje ją i zapisuje w pliku ZIP."));
  } else {
    archiveButton_->SetToolTip(_("Archiwizacja tego silnika wymaga natywnego mechanizmu kopii zapasowej serwera."));
  }
  if (!sqlServer) windowsAuthCheck_->SetValue(false);
  const bool windowsAuth = sqlServer && windowsAuthCheck_->GetValue();
  portField_->Enable(editable && !sqlite);
  for (wxWindow* control : {static_cast<wxWindow*>(loginField_), static_cast<wxWindow*>(passwordField_),
                            static_cast<wxWindow*>(rememberPasswordCheck_)}) {
    control->Enable(editable && !sqlite && !windowsAuth);
  }
  if (sqlite) {
    databaseField_->SetHint(_("Wpisz tylko przy tworzeniu nowego pliku SQLite"));
    databaseField_->SetToolTip(
        _("Bieżąca baza SQLite jest wskazana w polu „Serwer/IP lub plik”. To pole wypełnij tylko wtedy, gdy chcesz "
          "utworzyć nowy plik bazy."));
  } else {
    databaseField_->SetHint(wxString());
    databaseField_->UnsetToolTip();
  }
}

void DatabaseConfigDialog::ResetDatabaseStatus() {
  versionLabel_->SetLabel(_("Wersja bazy: -"));
  statusLabel_->SetLabel(_("Status bazy: -"));
  probedConnectionString_.clear();
  upgradeRequired_ = false;
  databaseExists_ = false;
  structureMissing_ = false;
  UpdateControlStates();
  Layout();
}

void DatabaseConfigDialog::ShowProbeResult(const DatabaseProbeResult& result) {
  versionLabel_->SetLabelText(_("Wersja bazy: ") +
                          (result.databaseVersion.empty() ? wxString(L"\u2014") : result.databaseVersion));
  statusLabel_->SetLabelText(_("Status bazy: ") +
                         (result.status.empty() ? _("Nie udało się odczytać wersji") : result.status));
  ConnectionProfile form;
  probedConnectionString_ = FormToConnection(&form, nullptr) ? BuildConnectionString(form.info) : wxString();
  upgradeRequired_ = result.status == _("Wymagana aktualizacja");
  databaseExists_ = result.exists;
  structureMissing_ = result.exists && result.status == _("Brak tabel programu");
  UpdateControlStates();
  Layout();
}

void DatabaseConfigDialog::SetBusy(bool busy, const wxString& status) {
  busy_ = busy;
  if (!status.empty()) progressLabel_->SetLabelText(status);
  if (!busy_ && progressGauge_->GetValue() < progressGauge_->GetRange()) {
    progressGauge_->SetValue(progressGauge_->GetRange());
  }
  if (wxWindow* close = FindWindow(wxID_CLOSE)) close->Enable(!busy_);
  UpdateControlStates();
  Layout();
}

void DatabaseConfigDialog::OnClose(wxCommandEvent&) {
  if (busy_) return;
  adminMode_ = false;
  if (IsModal()) {
    EndModal(wxID_CLOSE);
  } else {
    SetReturnCode(wxID_CLOSE);
    Hide();
  }
}

void DatabaseConfigDialog::OnCloseWindow(wxCloseEvent& event) {
  if (busy_ && event.CanVeto()) {
    event.Veto();
    AppendLog(_("Trwa operacja na bazie danych. Okno można zamknąć po jej zakończeniu."));
    return;
  }
  // Forced while busy: the destructor detaches the worker's relay.
  busy_ = false;
  wxCommandEvent close(wxEVT_BUTTON, wxID_CLOSE);
  OnClose(close);
}

void DatabaseConfigDialog::OnCharHook(wxKeyEvent& event) {
  if (event.GetKeyCode() == WXK_ESCAPE && busy_) return;
  event.Skip();
}

void DatabaseConfigDialog::AppendLog(const wxString& text) {
  if (!logPane_ || text.empty()) return;
  // A connection string that reaches a line through an error text keeps its password out.
  logPane_->AppendText(wxDateTime::Now().Format("%H:%M:%S  ") + MaskConnectionPasswords(text) + "\n");
}

void DatabaseConfigDialog::OnCopyLog(wxCommandEvent&) {
  if (!wxTheClipboard->Open()) return;
  wxTheClipboard->SetData(new wxTextDataObject(logPane_->GetValue()));
  wxTheClipboard->Close();
}

void DatabaseConfigDialog::OnClearLog(wxCommandEvent&) { logPane_->Clear(); }

bool DatabaseConfigDialog::RequireAdmin(const wxString& operation) {
  if (adminMode_) return true;
  AppendLog(_("Zablokowano operację administracyjną - brak uprawnień: ") + operation);
  veldrix::ShowMessageBox(_("Ta operacja wymaga uprawnień administratora."), _("Brak uprawnień"),
                          wxOK | wxICON_EXCLAMATION, this);
  return false;
}

void DatabaseConfigDialog::OnUnlockAdmin(wxCommandEvent&) {
  if (adminMode_) {
    AppendLog(_("Tryb administratora jest już aktywny."));
    return;
  }
  if (!verifyAdministrator_) {
    AppendLog(_("Nie można zweryfikować administratora: brak dostępu do bazy użytkowników programu."));
    veldrix::ShowMessageBox(_("Nie można zweryfikować administratora bez działającej bazy użytkowników programu."),
                            _("Autoryzacja administratora"), wxOK | wxICON_ERROR, this);
    return;
  }
  wxString username;
  wxString password;
  {
    AdministratorAuthorizationDialog authorization(this);
    if (authorization.ShowModal() != wxID_OK) return;
    username = authorization.GetUserName();
    password = authorization.GetPassword();
  }
  wxString ignored;
  if (!verifyAdministrator_(username, password, &ignored)) {
    AppendLog(_("Nieudana próba odblokowania trybu administratora."));
    veldrix::ShowMessageBox(_("Nieprawidłowy użytkownik lub hasło administratora."), _("Autoryzacja administratora"),
                            wxOK | wxICON_ERROR, this);
    return;
  }
  adminMode_ = true;
  AppendLog(_("Tryb administratora został odblokowany."));
  UpdateControlStates();
}
