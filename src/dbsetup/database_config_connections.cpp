// The configuration dialog's connection form and saved connections: reading and
// filling the form, the list with "Nowe", "Powiel", "Zapisz" and "Usuń", choosing
// an entry, the reactions to edits, and the connection test "Połącz".
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "dbsetup/database_config_dialog.h"
#include "sqldata/db_log.h"

#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

void DatabaseConfigDialog::SetFormValue(wxTextCtrl* field, const wxString& value) {
  // ChangeValue raises no text event, so filling the form resets nothing twice.
  field->ChangeValue(value);
}

bool DatabaseConfigDialog::FormToConnection(ConnectionProfile* out, wxString* error) {
  ConnectionForm form;
  form.name = nameField_->GetValue();
  form.serverType = SelectedServerType();
  form.server = serverField_->GetValue();
  form.port = portField_->GetValue();
  form.login = loginField_->GetValue();
  form.password = passwordField_->GetValue();
  form.database = databaseField_->GetValue();
  form.windowsAuth = windowsAuthCheck_->GetValue();
  form.rememberPassword = rememberPasswordCheck_->GetValue();
  form.logSqlQueries = logSqlCheck_->GetValue();
  return ReadConnectionForm(form, out, error);
}

void DatabaseConfigDialog::ConnectionToForm(const ConnectionProfile& profile) {
  const ConnectionForm form = FillConnectionForm(profile);
  SetFormValue(nameField_, form.name);
  serverTypeChoice_->SetStringSelection(form.serverType);
  SetFormValue(serverField_, form.server);
  SetFormValue(portField_, form.port);
  SetFormValue(loginField_, form.login);
  SetFormValue(passwordField_, form.password);
  SetFormValue(databaseField_, form.database);
  windowsAuthCheck_->SetValue(form.windowsAuth);
  rememberPasswordCheck_->SetValue(form.rememberPassword);
  logSqlCheck_->SetValue(form.logSqlQueries);
  ResetDatabaseStatus();
  UpdateEngineControls();
}

void DatabaseConfigDialog::StoreFormInCurrentEntry() {
  if (!adminMode_ || currentIndex_ < 0 || currentIndex_ >= static_cast<int>(profiles_.size())) return;
  ConnectionProfile entry;
  if (FormToConnection(&entry, nullptr)) profiles_[static_cast<size_t>(currentIndex_)] = entry;
}

void DatabaseConfigDialog::RefreshConnectionList(int index) {
  connectionList_->Clear();
  for (const ConnectionProfile& profile : profiles_) connectionList_->Append(ConnectionDisplayLabel(profile));
  if (profiles_.empty()) {
    currentIndex_ = -1;
    return;
  }
  if (index < 0 || index >= static_cast<int>(profiles_.size())) index = 0;
  currentIndex_ = index;
  connectionList_->SetSelection(index);
  ConnectionToForm(profiles_[static_cast<size_t>(index)]);
}

bool DatabaseConfigDialog::SaveConnections(const wxString& caption) {
  wxString error;
  const bool stored = store_ ? store_->SaveConnectionSettings(profiles_, currentIndex_, &error) : false;
  if (!stored) {
    if (!store_) error = _("Nie można otworzyć konfiguracji programu.");
    AppendLog(_("Błąd zapisu konfiguracji: ") + error);
    veldrix::ShowMessageBox(error, caption, wxOK | wxICON_ERROR, this);
    return false;
  }
  saved_ = true;
  const bool valid = currentIndex_ >= 0 && currentIndex_ < static_cast<int>(profiles_.size());
  if (valid && profiles_[static_cast<size_t>(currentIndex_)].logSqlQueries) {
    AppendLog(_("Logowanie zapytań SQL włączone: ") + SqlLogFilePath(wxString()));
  } else {
    AppendLog(_("Logowanie zapytań SQL wyłączone."));
  }
  AppendLog(_("Zapisano konfigurację połączeń."));
  progressLabel_->SetLabel(_("Konfiguracja została zapisana."));
  return true;
}

bool DatabaseConfigDialog::SaveConnectionsOrUndo(const wxString& caption,
                                                 const std::vector<ConnectionProfile>& previousProfiles,
                                                 int previousIndex, bool previousPending) {
  if (SaveConnections(caption)) return true;
  profiles_ = previousProfiles;
  currentIndex_ = previousIndex;
  newEntryPending_ = previousPending;
  return false;
}

void DatabaseConfigDialog::OnNewConnection(wxCommandEvent&) {
  if (!RequireAdmin(_("utworzenie nowego połączenia"))) return;
  wxString type = SelectedServerType();
  if (type.empty()) type = "SQL Server";
  ConnectionProfile entry;
  entry.info.driver = DriverNameForChoice(type);
  entry.info.port = DefaultPortForChoice(type);
  entry.info.options["server_type"] = type;
  entry.info.options["authentication"] = "sql";
  entry.info.options["charset"] = "UTF-8";
  newEntryPending_ = true;
  currentIndex_ = -1;
  connectionList_->SetSelection(wxNOT_FOUND);
  ConnectionToForm(entry);
  nameField_->SetFocus();
  AppendLog(_("Rozpoczęto wprowadzanie nowego połączenia. Uzupełnij dane i kliknij „Zapisz”."));
  UpdateControlStates();
}

void DatabaseConfigDialog::OnDuplicateConnection(wxCommandEvent&) {
  if (!RequireAdmin(_("powielenie połączenia"))) return;
  if (currentIndex_ < 0 || currentIndex_ >= static_cast<int>(profiles_.size())) return;
  const std::vector<ConnectionProfile> before = profiles_;
  const int beforeIndex = currentIndex_;
  const bool beforePending = newEntryPending_;
  ConnectionProfile copy = profiles_[static_cast<size_t>(currentIndex_)];
  copy.name = UniqueConnectionName(profiles_, ConnectionDisplayLabel(copy));
  profiles_.push_back(copy);
  newEntryPending_ = false;
  currentIndex_ = static_cast<int>(profiles_.size()) - 1;
  if (SaveConnectionsOrUndo(_("Powielanie połączenia"), before, beforeIndex, beforePending)) {
    RefreshConnectionList(currentIndex_);
    AppendLog(_("Powielono i zapisano połączenie: ") + ConnectionDisplayLabel(copy));
  }
  UpdateControlStates();
}

void DatabaseConfigDialog::OnSaveConnection(wxCommandEvent&) {
  if (!RequireAdmin(_("zapis połączenia"))) return;
  ConnectionProfile entry;
  wxString error;
  if (!FormToConnection(&entry, &error)) {
    veldrix::ShowMessageBox(error, _("Zapisywanie połączenia"), wxOK | wxICON_WARNING, this);
    UpdateControlStates();
    return;
  }
  const std::vector<ConnectionProfile> before = profiles_;
  const int beforeIndex = currentIndex_;
  const bool beforePending = newEntryPending_;
  const bool replace = !newEntryPending_ && currentIndex_ >= 0 && currentIndex_ < static_cast<int>(profiles_.size());
  if (replace) {
    profiles_[static_cast<size_t>(currentIndex_)] = entry;
  } else {
    profiles_.push_back(entry);
    currentIndex_ = static_cast<int>(profiles_.size()) - 1;
  }
  newEntryPending_ = false;
  if (SaveConnectionsOrUndo(_("Zapisywanie połączenia"), before, beforeIndex, beforePending)) {
    AppendLog((replace ? _("Zaktualizowano i zapisano połączenie: ") : _("Dodano i zapisano nowe połączenie: ")) +
              ConnectionDisplayLabel(entry));
    RefreshConnectionList(currentIndex_);
  }
  UpdateControlStates();
}

void DatabaseConfigDialog::OnDeleteConnection(wxCommandEvent&) {
  if (!RequireAdmin(_("usunięcie połączenia"))) return;
  if (currentIndex_ < 0 || currentIndex_ >= static_cast<int>(profiles_.size())) return;
  if (profiles_.size() == 1) {
    veldrix::ShowMessageBox(_("W konfiguracji musi pozostać co najmniej jedno połączenie."), _("Usuwanie połączenia"),
                            wxOK | wxICON_INFORMATION, this);
    UpdateControlStates();
    return;
  }
  const std::vector<ConnectionProfile> before = profiles_;
  const int beforeIndex = currentIndex_;
  const bool beforePending = newEntryPending_;
  const wxString removed = ConnectionDisplayLabel(profiles_[static_cast<size_t>(currentIndex_)]);
  profiles_.erase(profiles_.begin() + currentIndex_);
  newEntryPending_ = false;
  currentIndex_ = std::min(currentIndex_, static_cast<int>(profiles_.size()) - 1);
  if (SaveConnectionsOrUndo(_("Usuwanie połączenia"), before, beforeIndex, beforePending)) {
    RefreshConnectionList(currentIndex_);
    AppendLog(_("Usunięto i zapisano zmianę połączenia: ") + removed);
  }
  UpdateControlStates();
}

void DatabaseConfigDialog::OnConnectionSelected(wxCommandEvent&) {
  const int selection = connectionList_->GetSelection();
  if (selection < 0 || selection >= static_cast<int>(profiles_.size())) return;
  const int previous = currentIndex_;
  currentIndex_ = selection;
  newEntryPending_ = false;
  const ConnectionProfile& entry = profiles_[static_cast<size_t>(selection)];
  ConnectionToForm(entry);
  if (adminMode_) {
    if (SaveConnections(_("Wybór połączenia"))) {
      AppendLog(_("Wybrano i zapisano aktywne połączenie: ") + ConnectionDisplayLabel(entry));
    } else {
      currentIndex_ = previous;
      if (previous >= 0 && previous < static_cast<int>(profiles_.size())) {
        connectionList_->SetSelection(previous);
        ConnectionToForm(profiles_[static_cast<size_t>(previous)]);
      }
    }
  } else {
    AppendLog(_("Wybrano zapisane połączenie: ") + ConnectionDisplayLabel(entry));
  }
  UpdateControlStates();
}

void DatabaseConfigDialog::OnServerTypeChanged(wxCommandEvent&) {
  const int port = DefaultPortForChoice(SelectedServerType());
  SetFormValue(portField_, port > 0 ? wxString::Format("%d", port) : wxString());
  ResetDatabaseStatus();
  UpdateEngineControls();
}

void DatabaseConfigDialog::OnWindowsAuthToggled(wxCommandEvent&) {
  ResetDatabaseStatus();
  UpdateEngineControls();
}

void DatabaseConfigDialog::OnConnectionFieldChanged(wxCommandEvent&) {
  ConnectionProfile form;
  const bool same = !probedConnectionString_.empty() && FormToConnection(&form, nullptr) &&
                    BuildConnectionString(form.info) == probedConnectionString_;
  if (!same) ResetDatabaseStatus();
  UpdateControlStates();
}

void DatabaseConfigDialog::OnShowPasswordToggled(wxCommandEvent&) {
  long style = passwordField_->GetWindowStyleFlag();
  if (showPasswordCheck_->GetValue()) {
    style &= ~wxTE_PASSWORD;
  } else {
    style |= wxTE_PASSWORD;
  }
  passwordField_->SetWindowStyleFlag(style);
  passwordField_->Refresh();
}

void DatabaseConfigDialog::OnTestConnection(wxCommandEvent&) {
  ConnectionProfile entry;
  wxString error;
  if (!FormToConnection(&entry, &error)) {
    AppendLog(_("Test połączenia przerwany: ") + error);
    veldrix::ShowMessageBox(error, _("Test połączenia"), wxOK | wxICON_WARNING, this);
    return;
  }
  progressGauge_->SetValue(0);
  SetBusy(true, _("Łączenie z serwerem..."));
  AppendLog(_("Łączenie z serwerem: ") + ServerInputOf(entry.info));
  wxYieldIfNeeded();

  DatabaseProbeResult result;
  error.clear();
  const bool probed = probe_ && probe_(entry.info, &result, &error);
  progressGauge_->SetValue(progressGauge_->GetRange());
  if (!probed) {
    SetBusy(false, _("Test połączenia nie powiódł się."));
    ResetDatabaseStatus();
    AppendLog(_("Błąd testu połączenia: ") + (error.empty() ? _("Nieznany błąd połączenia.") : error));
    veldrix::ShowMessageBox(error.empty() ? _("Nie udało się połączyć z serwerem.") : error, _("Test połączenia"),
                            wxOK | wxICON_ERROR, this);
    return;
  }
  SetBusy(false, result.exists ? _("Test połączenia zakończony.") : _("Serwer dostępny, baza nie istnieje."));
  ShowProbeResult(result);
  AppendLog(_("Połączenie z serwerem OK."));
  if (result.exists) {
    AppendLog(_("Baza istnieje. Wersja bazy: ") +
              (result.databaseVersion.empty() ? wxString(L"\u2014") : result.databaseVersion));
    AppendLog(_("Status bazy: ") + result.status);
  } else {
    AppendLog(_("Baza nie istnieje. Można ją utworzyć przyciskiem „Utwórz” obok pola „Baza”."));
  }
}
