// The configuration dialog's database operations: creating a program database and
// upgrading one on the database worker, with progress, saving the connection and
// probing again at the end; and archiving the database into a ZIP file.
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "dbsetup/database_archive.h"
#include "dbsetup/database_config_dialog.h"
#include "dbsetup/db_worker.h"
#include "dbsetup/db_worker_relay.h"
#include "dbsetup/sql_server_backup.h"

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>

namespace {

bool IsSqlite(const DbConnectionInfo& info) { return ServerTypeOf(info).IsSameAs("SQLite", false); }

// "Baza:" for SQLite names a file: a relative name goes beside the current database
// file and gets ".db" when it has no extension of its own.
wxString NewSqliteFilePath(const wxString& name, const wxString& currentFile) {
  wxFileName path(name);
  if (path.IsAbsolute()) return path.GetFullPath();
  if (!path.HasExt()) path.SetExt("db");
  path.MakeAbsolute(wxFileName(currentFile).GetPath());
  return path.GetFullPath();
}

wxString ChooseArchivePath(wxWindow* parent, const wxString& proposedName) {
  wxFileDialog chooser(parent, _("Zapisz archiwum bazy danych"), wxString(), proposedName,
                       _("Archiwa ZIP (*.zip)|*.zip"), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
  return chooser.ShowModal() == wxID_OK ? chooser.GetPath() : wxString();
}

}  // namespace

void DatabaseConfigDialog::OnCreateDatabase(wxCommandEvent&) {
  if (!RequireAdmin(_("utworzenie bazy programu"))) return;
  const wxString name = TrimmedText(databaseField_->GetValue());
  if (name.empty()) {
    veldrix::ShowMessageBox(_("Podaj nazwę nowej bazy programu."), _("Tworzenie bazy"), wxOK | wxICON_EXCLAMATION,
                            this);
    return;
  }
  // The name becomes part of the saved connection (for SQLite, of its file path).
  wxString error;
  if (!FitsConnectionString(name, "Baza", &error)) {
    veldrix::ShowMessageBox(error, _("Tworzenie bazy"), wxOK | wxICON_EXCLAMATION, this);
    return;
  }
  ConnectionProfile entry;
  if (!FormToConnection(&entry, &error)) {
    veldrix::ShowMessageBox(error, _("Tworzenie bazy"), wxOK | wxICON_EXCLAMATION, this);
    return;
  }
  DbConnectionInfo& connection = entry.info;
  const bool sqlite = IsSqlite(connection);
  if (sqlite) {
    const wxString path = NewSqliteFilePath(name, connection.server);
    connection.server = path;
    connection.options["server_input"] = path;
  } else {
    connection.database = name;
  }

  progressGauge_->SetValue(0);
  SetBusy(true, _("Sprawdzanie możliwości utworzenia bazy..."));
  AppendLog(_("Sprawdzanie, czy baza istnieje: ") + name);
  wxYieldIfNeeded();

  bool existed = false;
  error.clear();
  const bool ensured = ensure_ && ensure_(connection, &existed, &error);
  if (ensured && !existed) {
    StartCreate(connection, _("Utworzono bazę fizyczną lub przygotowano plik. Tworzenie struktury programu..."));
    return;
  }
  if (ensured && MayCompleteExistingDatabase(connection, name)) {
    StartCreate(connection, _("Baza istnieje bez tabel programu. Tworzenie struktury programu..."));
    return;
  }
  progressGauge_->SetValue(progressGauge_->GetRange());
  if (ensured) {
    SetBusy(false, _("Baza już istnieje."));
    databaseExists_ = true;
    UpdateControlStates();
    AppendLog(_("Baza o podanej nazwie już istnieje. Nie utworzono jej ponownie."));
    veldrix::ShowMessageBox(_("Baza o podanej nazwie już istnieje."), _("Tworzenie bazy"), wxOK | wxICON_INFORMATION,
                            this);
    return;
  }
  SetBusy(false, _("Nie udało się utworzyć bazy."));
  AppendLog(_("Błąd przygotowania bazy: ") + error);
  veldrix::ShowMessageBox(error.empty() ? _("Nie udało się przygotować nowej bazy.") : error, _("Tworzenie bazy"),
                          wxOK | wxICON_ERROR, this);
}

bool DatabaseConfigDialog::MayCompleteExistingDatabase(const DbConnectionInfo& connection, const wxString& name) {
  DatabaseProbeResult result;
  if (!probe_ || !probe_(connection, &result, nullptr) || !result.exists ||
      result.status != _("Brak tabel programu")) {
    return false;
  }
  const int answer = veldrix::ShowMessageBox(
      wxString::Format(_("Baza „%s” istnieje, ale nie zawiera tabel programu (na przykład po przerwanym tworzeniu). "
                         "Czy utworzyć w niej strukturę programu?"),
                       name),
      _("Tworzenie bazy"), wxYES_NO | wxICON_QUESTION, this);
  return answer == wxYES;
}

void DatabaseConfigDialog::StartCreate(const DbConnectionInfo& connection, const wxString& logLine) {
  if (IsSqlite(connection)) {
    SetFormValue(serverField_, connection.server);
  } else {
    SetFormValue(databaseField_, connection.database);
  }
  StoreFormInCurrentEntry();
  AppendLog(logLine);
  RunDatabaseOperation(connection, false);
}

void DatabaseConfigDialog::OnUpgradeDatabase(wxCommandEvent&) {
  if (!RequireAdmin(_("aktualizacja bazy"))) return;
  if (!upgradeRequired_) {
    AppendLog(_("Aktualizacja nie jest wymagana dla wybranej bazy."));
    return;
  }
  ConnectionProfile entry;
  wxString error;
  if (!FormToConnection(&entry, &error)) {
    veldrix::ShowMessageBox(error, _("Aktualizacja bazy"), wxOK | wxICON_EXCLAMATION, this);
    return;
  }
  RunDatabaseOperation(entry.info, true);
}

void DatabaseConfigDialog::RunDatabaseOperation(const DbConnectionInfo& connection, bool update) {
  upgradeOperation_ = update;
  progressGauge_->SetValue(0);
  SetBusy(true, update ? _("Aktualizowanie struktury bazy...") : _("Tworzenie struktury bazy..."));
  AppendLog(update ? _("Uruchamianie aktualizacji struktury bazy.") : _("Uruchamianie tworzenia struktury programu."));
  const wxString database = IsSqlite(connection) ? connection.server : BuildConnectionString(connection);
  relay_ = new DbWorkerRelay([this](wxThreadEvent& event) { OnThreadEvent(event); });
  if (!StartDbWorker(relay_, update, database)) {
    relay_->Discard();
    relay_ = nullptr;
    SetBusy(false, _("Nie udało się uruchomić operacji."));
    AppendLog(_("Błąd: nie udało się uruchomić wątku operacji na bazie."));
    veldrix::ShowMessageBox(_("Nie udało się uruchomić operacji na bazie danych."), _("Błąd"), wxOK | wxICON_ERROR,
                            this);
  }
}

void DatabaseConfigDialog::OnThreadEvent(wxThreadEvent& event) {
  const int progress = event.GetInt();
  const wxString text = event.GetString();
  const long kind = event.GetExtraLong();
  if (progress >= 0 && progress <= DbWorkerProgressEnd) progressGauge_->SetValue(progress);
  if (progress < DbWorkerProgressEnd) {
    if (!text.empty()) {
      progressLabel_->SetLabelText(text);
      AppendLog(text);
    }
    return;
  }
  // The relay deletes itself once this returns.
  relay_ = nullptr;
  const wxString finalText = !text.empty()            ? text
                             : upgradeOperation_ ? _("Aktualizacja zakończona pomyślnie.")
                                                 : _("Baza danych została utworzona.");
  const bool failed = kind == DbWorkerError;
  SetBusy(false, failed ? _("Operacja zakończona błędem.") : finalText);
  AppendLog((failed ? _("Błąd: ") : _("Sukces: ")) + finalText);
  if (failed) {
    veldrix::ShowMessageBox(finalText, _("Operacja na bazie danych"), wxOK | wxICON_ERROR, this);
    return;
  }
  if (!newEntryPending_ && currentIndex_ >= 0 && currentIndex_ < static_cast<int>(profiles_.size())) {
    StoreFormInCurrentEntry();
    if (SaveConnections(_("Zapisywanie połączenia"))) {
      connectionList_->SetString(static_cast<unsigned>(currentIndex_),
                                 ConnectionDisplayLabel(profiles_[static_cast<size_t>(currentIndex_)]));
      progressLabel_->SetLabelText(finalText);
    }
  }
  ConnectionProfile entry;
  if (!FormToConnection(&entry, nullptr) || !probe_) return;
  DatabaseProbeResult result;
  wxString error;
  if (!probe_(entry.info, &result, &error)) {
    AppendLog(_("Nie udało się zweryfikować bazy po operacji: ") + error);
    return;
  }
  ShowProbeResult(result);
  AppendLog(_("Weryfikacja po operacji: ") + result.status + _(", wersja ") + result.databaseVersion);
}

void DatabaseConfigDialog::OnArchiveDatabase(wxCommandEvent&) {
  if (!RequireAdmin(_("archiwizacja bazy"))) return;
  if (!databaseExists_) {
    veldrix::ShowMessageBox(_("Najpierw wykonaj test połączenia i potwierdź, że baza istnieje."),
                            _("Archiwizacja bazy"), wxOK | wxICON_INFORMATION, this);
    return;
  }
  ConnectionProfile entry;
  wxString error;
  if (!FormToConnection(&entry, &error)) {
    veldrix::ShowMessageBox(error, _("Archiwizacja bazy"), wxOK | wxICON_WARNING, this);
    return;
  }
  const DbConnectionInfo& connection = entry.info;
  const wxString engine = ServerTypeOf(connection);
  const bool sqlite = engine.IsSameAs("SQLite", false);
  if (!sqlite && !engine.IsSameAs("SQL Server", false)) {
    veldrix::ShowMessageBox(
        wxString::Format(_("Archiwizacja silnika %s wymaga osobnego natywnego mechanizmu kopii zapasowej."), engine),
        _("Archiwizacja bazy"), wxOK | wxICON_INFORMATION, this);
    return;
  }
  const wxString proposed = DefaultArchiveFileName(connection, wxDateTime::Now());
  const wxString chosen = chooseArchivePath_ ? chooseArchivePath_(this, proposed) : ChooseArchivePath(this, proposed);
  if (chosen.empty()) return;
  const wxString archivePath = ArchivePathWithZipExtension(chosen);
  const wxString information = ArchiveInformationText(connection, wxDateTime::Now());

  progressGauge_->SetValue(0);
  SetBusy(true, _("Tworzenie archiwum bazy..."));
  AppendLog(_("Rozpoczęto archiwizację bazy do pliku: ") + archivePath);
  wxYieldIfNeeded();
  bool archived = false;
  {
    wxBusyCursor wait;
    archived = sqlite ? BackupSqliteToTemp(connection.server, archivePath, information, &error)
                      : BackupSqlServerDatabase(connection, archivePath, information, &error);
  }
  progressGauge_->SetValue(progressGauge_->GetRange());
  SetBusy(false, archived ? _("Archiwum bazy zostało zapisane.") : _("Nie udało się utworzyć archiwum bazy."));
  if (archived) {
    AppendLog(_("Zapisano archiwum bazy: ") + archivePath);
    veldrix::ShowMessageBox(_("Archiwum bazy zostało zapisane:\n") + archivePath, _("Archiwizacja bazy"),
                            wxOK | wxICON_INFORMATION, this);
  } else {
    AppendLog(_("Błąd archiwizacji: ") + error);
    veldrix::ShowMessageBox(error, _("Archiwizacja bazy"), wxOK | wxICON_ERROR, this);
  }
}
