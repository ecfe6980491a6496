#include "dbsetup/db_worker.h"

#include "app/common/crash_point.h"
#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "app/common/private_file.h"
#include "app/common/work_files.h"
#include "app/common/worker_registry.h"
#include "dbsetup/append_db_log.h"
#include "dbsetup/baza_skrypt.h"
#include "dbsetup/database_probe.h"
#include "dbsetup/schema_checks.h"
#include "dbsetup/schema_version.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"

#include <wx/filename.h>

#include <unistd.h>

namespace {

wxString ProgramScriptPath(const wxString& name) { return veldrix::JoinPath(veldrix::ProgramFolder(), name); }

wxString ModulesFolder() { return veldrix::JoinPath(veldrix::ProgramFolder(), "Moduly"); }

// What a failed statement reports: its name, the engine's error and the SQL.
wxString StatementErrorText(const wxString& name, const wxString& error, const wxString& sql) {
  return name + ":\n" + error + "\n\n" + sql;
}

wxString CreateLoadErrorText(int code) {
  return code == ScriptFileMissing ? _("Nie znaleziono pliku skryptu tworzącego bazę danych (baza.json).")
                                   : _("Błąd ładowania skryptu tworzącego bazę danych (baza.json).");
}

wxString UpdateLoadErrorText(int code) {
  return code == ScriptFileMissing
             ? _("Nie znaleziono pliku skryptu aktualizującego bazę danych (baza_aktualizacja.json).")
             : _("Błąd ładowania skryptu aktualizującego bazę danych (baza_aktualizacja.json).");
}

// Removes a SQLite file with the journal files SQLite may have left beside it.
// true when the database file is gone.
bool RemoveSqliteFiles(const wxString& path) {
  for (const char* suffix : {"-journal", "-wal", "-shm"}) {
    const wxString side = path + suffix;
    if (wxFileName::FileExists(side)) wxRemoveFile(side);
  }
  return !wxFileName::FileExists(path) || wxRemoveFile(path);
}

// A create run builds a new SQLite file beside the database under the name of a
// work file (app/common/work_files.h) with this prefix, and moves it into place
// after the commit.
wxString CreationWorkPrefix(const wxString& databaseFile) {
  return wxFileName(databaseFile).GetFullName() + ".tworzenie.";
}

// Opens the run's transaction. A run never goes on without one: a failure half-way
// would leave half of the statements applied.
bool BeginRunTransaction(SQLData& db, const wxString& logPrefix, wxString* error) {
  db.StartTransaction();
  if (!db.errorFlag) return true;
  *error = _("Nie udało się rozpocząć transakcji: ") + db.lastError;
  AppendDbLog(logPrefix + "cannot begin the transaction: " + db.lastError);
  return false;
}

// The upgrade steps of the program and of every module folder, in the order in
// which they are applied.
int LoadAllUpdateScripts(const wxString& engine, UpdateScriptList* steps, int* statements) {
  int code = LoadUpdateScript(engine, ProgramScriptPath("baza_aktualizacja.json"), steps, statements);
  if (code == ScriptLoaded) code = LoadModuleUpdateScripts(engine, ModulesFolder(), steps, statements);
  OrderUpdateSteps(steps);
  return code;
}

// Runs statement i of an upgrade step: placeholders filled, the SQLite
// foreign-key switch run between transactions, an ADD COLUMN of a column that is
// there skipped. false with *error when it failed. errorLog and skipLog begin
// the log lines of a failure and of a skipped column.
bool RunUpgradeStatement(SQLData& db, const BazaSkrypt& step, size_t i, bool* transactionOpen,
                         const wxString& errorLog, const wxString& skipLog, wxString* error) {
  const wxString& name = step.names[i];
  const wxString text = FillStatementPlaceholders(name, step.sql[i], ScriptStatementUpdate, step.version, step.module);
  wxString failure;
  bool handled = false;
  if (ExecuteForeignKeysPragma(&db, text, transactionOpen, &handled, &failure) && handled) return true;
  if (!handled) {
    wxString table, column;
    if (AddColumnAlreadyExists(&db, text, &table, &column)) {
      AppendDbLog(skipLog + table + "." + column + "'");
      return true;
    }
    if (db.InsertData(failure, text) >= 0) return true;
  }
  *error = StatementErrorText(name, failure, text);
  AppendDbLog(errorLog + name + "': " + failure);
  return false;
}

// Commits the run's transaction. A commit that fails (disk full, a file locked by
// another process) is rolled back and reported, never taken for a finished run.
bool Commit(SQLData& db, const wxString& failureLog, wxString* error) {
  db.errorFlag = false;
  db.CommitTransaction();
  if (!db.errorFlag) return true;
  *error = db.lastError;
  AppendDbLog(failureLog + *error);
  db.RollbackTransaction();
  return false;
}

}  // namespace

void PostDbWorkerEvent(wxEvtHandler* sink, int progress, const wxString& text, long kind) {
  if (!sink) return;
  wxThreadEvent event(wxEVT_THREAD, DbWorkerEventId);
  event.SetInt(progress);
  event.SetString(text);
  event.SetExtraLong(kind);
  sink->QueueEvent(event.Clone());
}

MyThread::MyThread(wxEvtHandler* sink, bool update, const wxString& database)
    : sink_(sink), database_(database), update_(update) {
  SQLData probe(database_);
  engine_ = probe.GetEngine();
}

wxThread::ExitCode MyThread::Entry() {
  AppendDbLog(wxString::Format("DB worker start. aktualizacja=%d, db='%s'", update_ ? 1 : 0, database_));
  if (update_) {
    RunUpdate();
  } else {
    RunCreate();
  }
  return nullptr;
}

bool MyThread::StopRequested() { return veldrix::Workers().IsShuttingDown() || TestDestroy(); }

void MyThread::Send(int progress, const wxString& text, long kind) { PostDbWorkerEvent(sink_, progress, text, kind); }

void MyThread::RunCreate() {
  const bool sqlite = SameEngine(engine_, "SQLite");
  wxString file;
  {
    SQLData location(database_);
    file = location.GetServer();
  }
  const bool fileExisted = sqlite && wxFileName::FileExists(file);

  bool resetNeeded = false;
  if (fileExisted || SameEngine(engine_, "SQL Server")) {
    SQLData check(database_);
    if (check.IniciujBazeDanych()) {
      bool hasBase = false;
      wxString probeError;
      const bool probed = ProbeTable(&check, "baza", &hasBase, &probeError);
      check.ZamknijBazeDanych();
      if (!probed) {
        // Unknown is not "no table": nothing is created over the database or reset in it.
        AppendDbLog("Create: cannot tell whether the database holds the base table: " + probeError);
        Send(DbWorkerProgressEnd, _("Nie udało się sprawdzić struktury bazy danych:\n") + probeError, DbWorkerError);
        return;
      }
      if (hasBase) {
        AppendDbLog("Create skipped: DB already contains base table.");
        Send(DbWorkerProgressEnd, _("Baza danych już istnieje. Pomijam tworzenie."), DbWorkerInformation);
        return;
      }
      if (sqlite) {
        AppendDbLog("Create: DB file exists without base table; completing schema.");
      } else {
        AppendDbLog("Create: SQL Server database exists without base table; resetting known Veldrix tables.");
        resetNeeded = true;
      }
    }
  }

  const wxString createPath = ProgramScriptPath("baza.json");
  AppendDbLog("Create: loading script '" + createPath + "'");
  BazaSkrypt script;
  int code = LoadCreateScript(engine_, createPath, &script);
  if (code == ScriptLoaded) code = LoadModuleCreateScripts(engine_, ModulesFolder(), "baza.json", &script);
  if (code != ScriptLoaded) {
    const wxString text = CreateLoadErrorText(code);
    AppendDbLog("Create: script load failed: " + text);
    Send(DbWorkerProgressEnd, text, DbWorkerError);
    return;
  }
  if (script.GetCount() == 0) {
    const wxString text = _("Plik baza.json nie zawiera polecen SQL (GetCount()==0).");
    AppendDbLog("Create: " + text);
    Send(DbWorkerProgressEnd, text, DbWorkerError);
    return;
  }

  if (resetNeeded) {
    SQLData resetDb(database_);
    resetDb.SetServerWaits(ServerWaits());
    wxString text;
    bool reset = false;
    if (resetDb.IniciujBazeDanych()) {
      reset = ResetSqlServerPartialSchema(&resetDb, &script, &text);
    }
    if (!reset) {
      if (text.empty()) text = resetDb.lastError;
      if (text.empty()) text = _("Nie udało się wyczyścić niedokończonego schematu SQL Server.");
      AppendDbLog("Create: SQL Server partial schema reset failed: " + text);
      Send(DbWorkerProgressEnd, text, DbWorkerError);
      return;
    }
    resetDb.ZamknijBazeDanych();
    AppendDbLog("Create: SQL Server partial schema reset finished.");
  }

  // A new SQLite file is built under a name of this run's own and moved into place
  // after the commit: a run that is killed half-way leaves no file the program
  // would open as its database, only a leftover that a later run clears, and two
  // runs at once never build in the same file.
  const bool buildAside = sqlite && !fileExisted && !file.empty();
  wxString workFile;
  if (buildAside) {
    const wxString folder = wxFileName(file).GetPath();
    std::vector<wxString> leftovers;
    const int fd = veldrix::CreateWorkFile(folder, CreationWorkPrefix(file), &workFile, &leftovers);
    for (const wxString& left : leftovers) AppendDbLog("Create: removed the work file of an earlier run: " + left);
    if (fd < 0) {
      AppendDbLog("Create: cannot create a work file beside " + file);
      Send(DbWorkerProgressEnd, _("Nie udało się zapisać pliku bazy danych: ") + file, DbWorkerError);
      return;
    }
    ::close(fd);
  }

  wxString error;
  bool failed = false;
  {
    SQLData db(buildAside ? workFile : database_);
    db.SetServerWaits(ServerWaits());  // as for an upgrade
    db.IniciujBazeDanych();
    bool transactionOpen = BeginRunTransaction(db, "Create: ", &error);
    failed = !transactionOpen;

    const int count = static_cast<int>(script.GetCount());
    const int step = DbWorkerProgressEnd / count;
    int acc = 0;
    for (int i = 0; i < count && !failed; ++i) {
      if (StopRequested()) {
        AppendDbLog("Create interrupted (shutdown/TestDestroy). Rolling back.");
        error = _("Operacja przerwana.");
        failed = true;
        break;
      }
      acc = (i == count - 1) ? DbWorkerProgressEnd - 1 : acc + step;
      Send(acc, wxString(), DbWorkerStatus);

      const wxString& name = script.names[i];
      const int kind = script.kinds[i];
      if (kind == ScriptStatementTable) {
        bool exists = false;
        wxString probeError;
        if (!ProbeTable(&db, name, &exists, &probeError)) {
          error = StatementErrorText(name, probeError, TableExistsSql(engine_, name));
          AppendDbLog("Create: cannot tell whether table '" + name + "' exists: " + probeError);
          failed = true;
          break;
        }
        if (exists) {
          AppendDbLog("Create: table already exists, skipping '" + name + "'");
          continue;
        }
      }
      const wxString text = FillStatementPlaceholders(name, script.sql[i], kind, script.version, wxString());
      wxString table, column;
      if (AddColumnAlreadyExists(&db, text, &table, &column)) {
        AppendDbLog("Create: column already exists, skipping '" + table + "." + column + "'");
        continue;
      }
      wxString failure;
      if (db.InsertData(failure, text) < 0) {
        error = StatementErrorText(name, failure, text);
        AppendDbLog("Create: SQL error in '" + name + "': " + failure);
        failed = true;
        break;
      }
      veldrix::CrashPoint("database creation statement");
    }

    if (!failed) {
      AppendDbLog("Create: applying update script '" + ProgramScriptPath("baza_aktualizacja.json") + "'");
      UpdateScriptList steps;
      int statements = 0;
      code = LoadAllUpdateScripts(engine_, &steps, &statements);
      if (code != ScriptLoaded) {
        error = UpdateLoadErrorText(code);
        AppendDbLog("Create: update script load failed: " + error);
        failed = true;
      }
      for (size_t s = 0; s < steps.size() && !failed; ++s) {
        const BazaSkrypt& upgrade = *steps[s];
        const double base = upgrade.module.empty() ? script.version : GetModuleVersion(&db, upgrade.module);
        if (!VersionAbove(upgrade.version, base)) continue;
        for (size_t i = 0; i < upgrade.GetCount() && !failed; ++i) {
          failed = !RunUpgradeStatement(db, upgrade, i, &transactionOpen, "Create: SQL update error in '",
                                        "Create: update column already exists, skipping '", &error);
        }
      }
    }

    if (failed) {
      if (transactionOpen) db.RollbackTransaction();
    } else if (transactionOpen) {
      failed = !Commit(db, "Create: commit failed: ", &error);
    }
    db.ZamknijBazeDanych();
  }

  bool builtElsewhere = false;
  if (!failed && buildAside) {
    wxString moveError;
    if (!veldrix::MoveWithoutReplacing(workFile, file, &builtElsewhere, &moveError)) {
      AppendDbLog("Create: cannot move the new database file into place: " + moveError);
      error = _("Nie udało się zapisać pliku bazy danych: ") + file;
      failed = true;
    }
  }

  if (builtElsewhere) {
    // Another run finished first; its database stays, this run's copy goes.
    RemoveSqliteFiles(workFile);
    AppendDbLog("Create skipped: another run has created the database meanwhile.");
    Send(DbWorkerProgressEnd, _("Baza danych już istnieje. Pomijam tworzenie."), DbWorkerInformation);
    return;
  }
  if (failed) {
    if (buildAside) {
      AppendDbLog(RemoveSqliteFiles(workFile) ? "Create rollback: DB file removed."
                                              : "Create rollback: failed to remove DB file.");
    }
    Send(DbWorkerProgressEnd, error.empty() ? _("Wystąpił błąd podczas tworzenia bazy.") : error, DbWorkerError);
    return;
  }
  AppendDbLog("Create success.");
  Send(DbWorkerProgressEnd, _("Baza danych została utworzona."), DbWorkerInformation);
}

void MyThread::RunUpdate() {
  {
    SQLData location(database_);
    if (SameEngine(engine_, "SQLite") && !wxFileName::FileExists(location.GetServer())) {
      const wxString text = _("Nie znaleziono pliku bazy danych do aktualizacji.");
      AppendDbLog("Update: " + text);
      Send(DbWorkerProgressEnd, text, DbWorkerError);
      return;
    }
  }

  AppendDbLog("Update: loading script '" + ProgramScriptPath("baza_aktualizacja.json") + "'");
  UpdateScriptList steps;
  int statements = 0;
  const int code = LoadAllUpdateScripts(engine_, &steps, &statements);
  if (code != ScriptLoaded) {
    const wxString text = UpdateLoadErrorText(code);
    AppendDbLog("Update: script load failed: " + text);
    Send(DbWorkerProgressEnd, text, DbWorkerError);
    return;
  }
  if (statements == 0) {
    AppendDbLog(wxString::FromUTF8("Update: no statements to execute (iAktIlość==0)."));
    Send(DbWorkerProgressEnd, wxString(), DbWorkerEndedQuietly);
    return;
  }

  SQLData db(database_);
  // An upgrade's statements may rightly run long and wait for other workstations'
  // transactions: its own progress shows, no statement bound cuts it.
  db.SetServerWaits(ServerWaits());
  db.IniciujBazeDanych();
  db.InsertData("CREATE TABLE IF NOT EXISTS baza_modul (modul VARCHAR(100) PRIMARY KEY, wersja REAL NOT NULL DEFAULT 0)");
  double dbVersion = 0;
  db.ClearError();
  ReadDatabaseVersion(&db, &dbVersion);
  if (db.errorFlag) {
    // Read as 0, every step would look due again.
    AppendDbLog("Update: the database version could not be read: " + db.lastError);
    Send(DbWorkerProgressEnd, ReadFailureText(db, _("Wystąpił błąd podczas aktualizacji bazy.")), DbWorkerError);
    return;
  }
  AppendDbLog("Update: current database version " + FormatVersionFixed(dbVersion, 4));

  for (const auto& upgrade : steps) {
    if (!upgrade->module.empty()) AdoptExistingModuleSchema(&db, upgrade->module, dbVersion);
  }
  auto baseOf = [&db, dbVersion](const BazaSkrypt& upgrade) {
    return upgrade.module.empty() ? dbVersion : GetModuleVersion(&db, upgrade.module);
  };
  int pending = 0;
  for (const auto& upgrade : steps) {
    if (VersionAbove(upgrade->version, baseOf(*upgrade))) pending += static_cast<int>(upgrade->GetCount());
  }
  if (pending == 0) {
    db.ZamknijBazeDanych();
    Send(DbWorkerProgressEnd, wxString(), DbWorkerEndedQuietly);
    return;
  }

  wxString error;
  bool transactionOpen = BeginRunTransaction(db, "Update: ", &error);
  bool failed = !transactionOpen;
  const int step = DbWorkerProgressEnd / pending;
  int done = 0;
  int acc = 0;
  for (size_t s = 0; s < steps.size() && !failed; ++s) {
    const BazaSkrypt& upgrade = *steps[s];
    if (!VersionAbove(upgrade.version, baseOf(upgrade))) continue;
    const wxString progressText = _("Aktualizacja bazy do wersji: ") + FormatVersionFixed(upgrade.version, 2);
    for (size_t i = 0; i < upgrade.GetCount(); ++i) {
      ++done;
      if (StopRequested()) {
        AppendDbLog("Update interrupted (shutdown/TestDestroy). Rolling back.");
        if (transactionOpen) db.RollbackTransaction();
        transactionOpen = false;
        error = _("Operacja przerwana.");
        failed = true;
        break;
      }
      acc = (done >= pending) ? DbWorkerProgressEnd - 1 : acc + step;
      Send(acc, progressText, DbWorkerStatus);

      if (!RunUpgradeStatement(db, upgrade, i, &transactionOpen, "Update: SQL error in '",
                               "Update: column already exists, skipping '", &error)) {
        // A failed foreign-key switch has left no transaction to roll back.
        if (transactionOpen) db.RollbackTransaction();
        transactionOpen = false;
        failed = true;
        break;
      }
    }
  }
  if (!failed && transactionOpen) failed = !Commit(db, "Update: commit failed: ", &error);
  db.ZamknijBazeDanych();

  if (failed) {
    Send(DbWorkerProgressEnd, error.empty() ? _("Wystąpił błąd podczas aktualizacji bazy.") : error, DbWorkerError);
    return;
  }
  AppendDbLog("Update success.");
  Send(DbWorkerProgressEnd, _("Aktualizacja zakończona pomyślnie."), DbWorkerInformation);
}

MyThread* StartDbWorker(wxEvtHandler* sink, bool update, const wxString& database) {
  auto* thread = new MyThread(sink, update, database);
  return veldrix::StartWorker(thread) == wxTHREAD_NO_ERROR ? thread : nullptr;
}
