#include "app/program_database.h"

#include "app/common/i18n.h"
#include "db/connection_info.h"
#include "dbsetup/database_probe.h"
#include "dbsetup/initial_database.h"
#include "dbsetup/server_database.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"

#include <wx/filefn.h>

namespace {

bool Fail(const wxString& text, wxString* error) {
  if (error) *error = text;
  return false;
}

// The structure check's text on its own line, unless it says nothing or "OK".
wxString WithCheckText(const wxString& text, const wxString& checkText) {
  if (checkText.empty() || checkText == "OK") return text;
  return text + "\n" + checkText;
}

}  // namespace

bool PrepareProgramDatabaseFor(const wxString& connection, const DbConnectionInfo& info,
                               PreparedProgramDatabase* out, wxString* error) {
  PreparedProgramDatabase prepared;
  prepared.database = std::make_unique<SQLData>(connection);
  SQLData* db = prepared.database.get();
  prepared.isSqlite = db->GetEngine().IsSameAs("SQLite", false);
  const bool isSqlServer = db->GetEngine().IsSameAs("SQL Server", false);

  bool fileExisted = false;
  if (prepared.isSqlite) {
    prepared.sqliteFile = db->GetServer();
    fileExisted = wxFileExists(prepared.sqliteFile);
    wxString text;
    if (!fileExisted && !PrepareInitialDatabase(prepared.sqliteFile, &text)) return Fail(text, error);
  } else if (isSqlServer) {
    bool exists = false;
    wxString text;
    if (!SqlServerDatabaseExists(info, &exists, &text)) return Fail(text, error);
    if (!exists) {
      return Fail(_("Baza programu nie istnieje na SQL Server. Utwórz ją w oknie „Konfiguracja bazy danych” po "
                    "odblokowaniu trybu administratora."),
                  error);
    }
  }

  wxString checkText;
  const bool structureOk = db->SprawdzBazeDanych(checkText);
  if (structureOk || prepared.isSqlite) db->IniciujBazeDanych();

  // Read with every digit: the list shows a SQLite REAL rounded to two decimals.
  double version = 0.0;
  db->ClearError();
  if (structureOk) ReadDatabaseVersion(db, &version);
  // Read as 0, the version would ask for an upgrade the database does not need.
  if (db->errorFlag) return Fail(ReadFailureText(*db, _("Nie udało się otworzyć bazy programu.")), error);

  if (!structureOk) {
    if (prepared.isSqlite && fileExisted) {
      return Fail(_("Brak tabel programu w pliku SQLite. Utwórz nową bazę w oknie „Konfiguracja bazy danych” po "
                    "odblokowaniu trybu administratora."),
                  error);
    }
    if (prepared.isSqlite) return Fail(_("Nie udało się utworzyć pliku bazy programu."), error);
    if (isSqlServer) {
      return Fail(WithCheckText(_("Nie udało się utworzyć lub potwierdzić struktury bazy SQL Server."), checkText),
                  error);
    }
    return Fail(WithCheckText(_("Nie udało się potwierdzić struktury skonfigurowanej bazy SQL. Sprawdź połączenie "
                                "albo poproś administratora o utworzenie i aktualizację bazy programu."),
                              checkText),
                error);
  }

  // Every engine: the update scripts have steps for the servers too, and the screens
  // would write columns that an older database lacks.
  wxString upgradeText;
  if (IsDatabaseUpgradeRequired(db, &upgradeText, version)) {
    prepared.upgradeRequired = true;
  } else if (!upgradeText.empty()) {
    return Fail(upgradeText, error);
  }

  if (!prepared.upgradeRequired) {
    checkText.clear();
    if (!db->SprawdzBazeDanych(checkText)) {
      return Fail(checkText.empty() ? _("Nie udało się otworzyć bazy programu.") : checkText, error);
    }
    db->IniciujBazeDanych();
  }
  *out = std::move(prepared);
  return true;
}
