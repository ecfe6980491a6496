// SQLData: construction, opening and closing, the program-database check,
// transactions and ColumnExists. The query methods are in sql_data_queries.cpp.
#include "sqldata/sql_data.h"

#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "app/common/private_file.h"
#include "db/connection_info.h"
#include "db/db_connection.h"
#include "db/driver_registry.h"
#include "db/sqlite_functions.h"
#include "sqldata/db_log.h"
#include "sqldata/engine_statements.h"

#include <wx/file.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/wxsqlite3.h>

#include <map>
#include <mutex>
#include <string>

std::atomic<bool> SqlServerEngineFlag{false};

namespace {

std::mutex& DbOpenLock() {
  static std::mutex lock;
  return lock;
}

int& UseCount() {
  static int count = 0;
  return count;
}

// SQLite is initialised on the first use and deliberately never shut down: the
// SQLite driver behind IDbConnection, the database lifecycle and other code open
// SQLite databases of their own, which this count does not see, and
// sqlite3_shutdown while any of them is open is undefined. The count only tells
// how many of SQLData's databases are open.
void AcquireSqliteLibrary() {
  std::lock_guard<std::mutex> guard(DbOpenLock());
  if (UseCount()++ == 0) wxSQLite3Database::InitializeSQLite();
}

// The servers found silent or unreachable, by connection string: until when the
// objects on the string fail at once, and why (UTF-8: the record crosses threads).
// A statement left unanswered stops every statement on the string; a failed open
// (which may be a refusal: too many connections) only the opens, so connections
// that work go on.
struct ServerPause {
  std::chrono::steady_clock::time_point until;
  std::string reason;
  bool silent = false;
};

std::mutex& PauseLock() {
  static std::mutex lock;
  return lock;
}

std::map<std::string, ServerPause>& Pauses() {
  static std::map<std::string, ServerPause> pauses;
  return pauses;
}

// True, with the reason, while the connection string's server is in a pause that
// stops an open (opening) or a statement on an open connection.
bool InServerPause(const wxString& connectionString, bool opening, wxString* reason) {
  std::lock_guard<std::mutex> guard(PauseLock());
  auto& pauses = Pauses();
  if (pauses.empty()) return false;
  const auto found = pauses.find(connectionString.utf8_string());
  if (found == pauses.end()) return false;
  if (std::chrono::steady_clock::now() >= found->second.until) return false;
  if (!opening && !found->second.silent) return false;
  *reason = wxString::FromUTF8(found->second.reason);
  return true;
}

// The server answered an open: the objects waiting out its pause need not.
void EndServerPause(const wxString& connectionString) {
  std::lock_guard<std::mutex> guard(PauseLock());
  if (!Pauses().empty()) Pauses().erase(connectionString.utf8_string());
}

const char kSqlServerSessionOptions[] =
    "SET ANSI_NULLS ON; SET QUOTED_IDENTIFIER ON; SET ANSI_PADDING ON; SET ANSI_WARNINGS ON; "
    "SET CONCAT_NULL_YIELDS_NULL ON; SET ARITHABORT ON; SET NUMERIC_ROUNDABORT OFF; SET ANSI_NULL_DFLT_ON ON";

// lower() of the program's SQLite connections (db/sqlite_functions.h), installed
// through wxSQLite3, which keeps the native handle to itself.
class UnicodeLowerFunction : public wxSQLite3ScalarFunction {
 public:
  void Execute(wxSQLite3FunctionContext& context) override {
    if (context.IsNull(0)) {
      context.SetResultNull();
      return;
    }
    // The UTF-8 buffer lives inside the string, which must outlive it.
    const wxString text = context.GetString(0);
    const wxScopedCharBuffer utf8 = text.utf8_str();
    context.SetResult(wxString::FromUTF8(LowerUtf8(utf8.data(), utf8.length())));
  }
};

bool IsSqlServerName(wxString engine) {
  engine.Trim(true).Trim(false);
  engine.MakeLower();
  engine.Replace(" ", "_");
  engine.Replace("-", "_");
  return engine == "sql_server" || engine == "sqlserver" || engine == "mssql";
}

}  // namespace

int SqliteUseCount() {
  std::lock_guard<std::mutex> guard(DbOpenLock());
  return UseCount();
}

void ReleaseSqliteLibrary() {
  std::lock_guard<std::mutex> guard(DbOpenLock());
  if (UseCount() > 0) --UseCount();
}

wxString ResolveDatabaseLocation(const wxString& location, wxString* server, wxString* engine) {
  RegisterBuiltinDrivers();
  const wxString where = location.empty() ? veldrix::JoinPath(veldrix::ProgramFolder(), "veldrix.db") : location;
  const wxString sqliteString = "Data Source=" + where + ";Version=3;";
  DbConnectionInfo info;
  if (ParseConnectionInfo(where, &info, nullptr) || ParseConnectionInfo(sqliteString, &info, nullptr)) {
    if (server) *server = info.server;
    if (engine) *engine = ServerTypeOf(info);
    return BuildConnectionString(info);
  }
  if (server) *server = where;
  if (engine) *engine = "SQLite";
  return sqliteString;
}

ServerWaits SQLData::ScreenWaits() {
  ServerWaits waits;
  waits.answerMs = 25000;
  // As long as Oracle's locked select waits, which no session setting bounds.
  waits.rowLockMs = kOracleRowLockWaitSeconds * 1000;
  return waits;
}

SQLData::SQLData(const wxString& location) {
  connectionString = ResolveDatabaseLocation(location, &server, &engine);
  SqlServerEngineFlag = IsSqlServerName(engine);
}

SQLData::~SQLData() { ZamknijBazeDanych(); }

bool SQLData::IsSQLite() const { return engine.IsSameAs("SQLite", false); }

bool SQLData::IsSqliteOpen() const { return sqliteDb && sqliteDb->IsOpen(); }

// A connection lost while it is open stays open for the object, and so does a
// failed open: the next statement replaces or opens it.
bool SQLData::IsOpen() const { return IsSQLite() ? IsSqliteOpen() : connection != nullptr || openFailed_; }

bool SQLData::IniciujBazeDanych() {
  if (!IsSQLite()) {
    wxString ended;
    if (connection) return !ConnectionEnded(&ended) || Reconnect("IniciujBazeDanych", ended);
    openFailed_ = true;
    if (!OutsideServerPause("IniciujBazeDanych", true)) return false;
    wxString error;
    std::shared_ptr<IDbConnection> opened;
    if (!OpenConnection(connectionString, &opened, nullptr, &error, waits_)) {
      NoteServerSilent(error, false);
      // The connection string goes to the log with its password masked.
      RecordDbFailure("IniciujBazeDanych", connectionString, error, ConnectionFailure::Lost);
      return false;
    }
    EndServerPause(connectionString);
    openFailed_ = false;
    connection = opened;
    inTransaction_ = false;
    ApplySessionOptions();
    return true;
  }

  const wxString folder = wxPathOnly(server);
  if (folder.empty() || !wxDirExists(folder) || !wxFile::Access(folder, wxFile::read_write)) return false;

  AcquireSqliteLibrary();
  if (sqliteDb) ZamknijBazeDanych();
  sqliteDb = std::make_unique<wxSQLite3Database>();
  // A new database holds the company's data and the users' password records:
  // created the user's only, which SQLite carries over to its journal files.
  if (!wxFileExists(server)) veldrix::CreatePrivateFile(server);
  try {
    sqliteDb->Open(server, wxString(), WXSQLITE_OPEN_READWRITE | WXSQLITE_OPEN_CREATE);
    if (sqliteDb->IsOpen()) {
      ApplySqliteBusyTimeout(*sqliteDb);
      static UnicodeLowerFunction lower;
      sqliteDb->CreateFunction("lower", 1, lower, true);
      const wxString pragma = "PRAGMA foreign_keys=ON;";
      LogSqlStatement("IniciujBazeDanych", engine, pragma);
      sqliteDb->ExecuteUpdate(pragma);
      return true;
    }
    LogDbMessage(L"IniciujBazeDanych | Nie można otworzyć bazy: " + server);
  } catch (const wxSQLite3Exception& e) {
    errorFlag = true;
    lastError = FormatSqliteError("IniciujBazeDanych", e);
    LogSqlException("IniciujBazeDanych", server, e);
  }
  sqliteDb.reset();
  ReleaseSqliteLibrary();
  return false;
}

bool SQLData::ZamknijBazeDanych() {
  if (!IsSQLite()) {
    openFailed_ = false;
    if (!connection) return false;
    connection->close();
    connection.reset();
    return true;
  }
  if (!sqliteDb) return false;
  try {
    if (sqliteDb->IsOpen()) {
      sqliteDb->ReleaseMemory();
      sqliteDb->Close();
    }
  } catch (const wxSQLite3Exception& e) {
    errorFlag = true;
    lastError = FormatSqliteError("ZamknijBazeDanych", e);
    LogSqlException("ZamknijBazeDanych", wxString(), e);
  }
  sqliteDb.reset();
  ReleaseSqliteLibrary();
  return true;
}

// Another program (or another copy of this one) writing the file holds its lock for
// as long as its transaction runs: waited for only as long as a server's row lock.
// Without that bound (creating or upgrading a database) the wrapper's own wait holds.
void SQLData::ApplySqliteBusyTimeout(wxSQLite3Database& db) const {
  if (waits_.rowLockMs > 0) db.SetBusyTimeout(waits_.rowLockMs);
}

void SQLData::ApplySessionOptions() {
  if (!engine.IsSameAs("SQL Server", false)) return;
  wxString options = kSqlServerSessionOptions;
  // The other drivers bound a lock wait in their own session settings.
  if (waits_.rowLockMs > 0) options += wxString::Format("; SET LOCK_TIMEOUT %d", waits_.rowLockMs);
  DbQueryResult result;
  wxString error;
  if (!connection->execute(options, &result, &error)) LogDbWarning("IniciujBazeDanych", options, error);
}

bool SQLData::ConnectionEnded(wxString* reason) {
  if (connection->lost(reason)) return true;
  if (connection->isConnected()) return false;
  *reason = "The connection to the database server was lost.";
  return true;
}

bool SQLData::OutsideServerPause(const wxString& context, bool opening) {
  // Work without an answer bound (creating or upgrading a database, a module's own
  // queries) is not cut short by the screens' pause.
  if (waits_.answerMs <= 0) return true;
  wxString reason;
  if (!InServerPause(connectionString, opening, &reason)) return true;
  RecordDbFailure(context, connectionString, reason, ConnectionFailure::Lost);
  // The server undoes the transaction with the session; a rollback sent now would
  // only wait for the silent server again.
  if (inTransaction_ && connection) connection->close();
  return false;
}

void SQLData::NoteServerSilent(const wxString& reason, bool silent) {
  std::lock_guard<std::mutex> guard(PauseLock());
  const auto now = std::chrono::steady_clock::now();
  ServerPause& pause = Pauses()[connectionString.utf8_string()];
  // A failed open does not lift the stop of statements a silence began.
  const bool stillSilent = pause.silent && now < pause.until;
  pause = ServerPause{now + kReconnectPause, reason.utf8_string(), silent || stillSilent};
}

void SQLData::RecordNotOpen(const wxString& context) {
  errorFlag = true;
  lastError = context + " | DB not open";
  LogDbMessage(lastError);
  deadlockFailure_ = false;
  rowLockFailure_ = false;
  connectionFailure_ = IsSQLite() ? ConnectionFailure::None : ConnectionFailure::Lost;
  connectionFailureText_ = lastError;
  NoteTransactionFailure();
}

void SQLData::NoteTransactionFailure() {
  if (inTransaction_ && transactionFailure_.empty()) transactionFailure_ = lastError;
}

SQLData::Session SQLData::PrepareSession(const wxString& context) {
  if (IsSQLite()) return IsSqliteOpen() ? Session::Open : Session::Closed;
  if (!connection && !openFailed_) return Session::Closed;
  if (!OutsideServerPause(context, !connection)) return Session::Lost;
  if (!connection) return Reconnect(context, wxString()) ? Session::Open : Session::Lost;
  wxString reason;
  if (!ConnectionEnded(&reason)) return Session::Open;
  if (inTransaction_) {
    // The server undid the transaction with its session: going on on a new
    // connection would store only the rest of it.
    RecordDbFailure(context, wxString(), reason, ConnectionFailure::Lost);
    return Session::Lost;
  }
  return Reconnect(context, reason) ? Session::Open : Session::Lost;
}

bool SQLData::Reconnect(const wxString& context, const wxString& reason) {
  if (!OutsideServerPause(context, true)) return false;
  std::shared_ptr<IDbConnection> opened;
  wxString error;
  if (!OpenConnection(connectionString, &opened, nullptr, &error, waits_)) {
    NoteServerSilent(error, false);
    RecordDbFailure(context, connectionString, error, ConnectionFailure::Lost);
    return false;
  }
  EndServerPause(connectionString);
  const bool opening = !connection;
  if (connection) connection->close();
  connection = opened;
  openFailed_ = false;
  inTransaction_ = false;
  ApplySessionOptions();
  if (opening) {
    LogDbMessage(context + " | The database server answered again; the connection was opened.");
    return true;
  }
  wxString why = NormalizeDbErrorText(reason);
  why.Replace("\n", " ");
  LogDbMessage(context + " | The connection to the database server was lost (" + why +
               "); a new connection was opened.");
  return true;
}

bool SQLData::SprawdzBazeDanych(wxString& message) {
  message = "OK";
  if (IsSQLite()) {
    if (!wxFileExists(server)) {
      message = _("Nie można odnaleźć pliku bazy danych programu. Sprawdzana lokalizacja: ") + server;
      return false;
    }
    AcquireSqliteLibrary();
    try {
      wxSQLite3Database check;
      check.Open(server, wxString(), WXSQLITE_OPEN_READWRITE | WXSQLITE_OPEN_CREATE);
      if (check.IsOpen()) {
        ApplySqliteBusyTimeout(check);
        if (!check.TableExists("baza")) message = _("Brak wymaganych struktur bazy danych");
        check.ReleaseMemory();
        check.Close();
      } else {
        message = _("Błąd otwarcia pliku bazy danych");
      }
    } catch (const wxSQLite3Exception& e) {
      errorFlag = true;
      lastError = FormatSqliteError("SprawdzBazeDanych", e);
      LogSqlException("SprawdzBazeDanych", server, e);
      message = _("Błąd otwarcia pliku bazy danych");
    }
    ReleaseSqliteLibrary();
    return message == "OK";
  }

  std::shared_ptr<IDbConnection> probe;
  wxString error;
  const bool paused = waits_.answerMs > 0 && InServerPause(connectionString, true, &error);
  if (paused || !OpenConnection(connectionString, &probe, nullptr, &error, waits_)) {
    if (!paused) NoteServerSilent(error, false);
    errorFlag = true;
    lastError = FormatDbError("SprawdzBazeDanych", error);
    LogDbWarning("SprawdzBazeDanych", connectionString, error);
    message = _("Błąd połączenia z bazą danych");
    return false;
  }
  const wxString select = "select wersja from baza";
  DbQueryResult result;
  bool ok = probe->execute(select, &result, &error);
  if (!ok && result.answerTimedOut) NoteServerSilent(error, true);
  if (!ok) {
    errorFlag = true;
    lastError = FormatDbError("SprawdzBazeDanych", error);
    LogDbWarning("SprawdzBazeDanych", select, error);
    message = _("Brak wymaganych struktur bazy danych");
  }
  probe->close();
  return ok;
}

void SQLData::ClearError() {
  errorFlag = false;
  lastError.clear();
  deadlockFailure_ = false;
  connectionFailure_ = ConnectionFailure::None;
  rowLockFailure_ = false;
  connectionFailureText_.clear();
}

ConnectionFailure SQLData::LastConnectionFailure() const {
  return errorFlag && lastError == connectionFailureText_ ? connectionFailure_ : ConnectionFailure::None;
}

bool SQLData::LastFailureWasRowLock() const {
  return errorFlag && lastError == connectionFailureText_ && rowLockFailure_;
}

bool SQLData::LastFailureWasDeadlock() const {
  return errorFlag && lastError == connectionFailureText_ && deadlockFailure_;
}

wxString SQLData::ErrorReason() const {
  if (lastError.empty()) return "DB not open";
  const int bar = lastError.Find(" | ");
  return bar == wxNOT_FOUND ? lastError : lastError.Mid(static_cast<size_t>(bar) + 3);
}

bool SQLData::RunTransactionStatement(const wxString& method, const wxString& statement, StatementRole role,
                                      const std::function<void(wxSQLite3Database&)>& onSqlite) {
  if (IsSQLite()) {
    try {
      onSqlite(*sqliteDb);
      return true;
    } catch (const wxSQLite3Exception& e) {
      RecordSqliteFailure(method, wxString(), e);
      return false;
    }
  }
  // Sent as written: these statements already are the engine's own.
  DbQueryResult result;
  wxString error;
  if (RunOnConnection(method, statement, statement, role, &result, &error)) return true;
  // A rollback whose connection went has nothing left to undo.
  return role == StatementRole::Rollback && result.connectionLost;
}

void SQLData::StartTransaction() {
  ClearError();
  inTransaction_ = false;
  transactionFailure_.clear();
  // A deferred SQLite transaction that has read cannot wait for the write lock: it
  // would fail at its first change while another connection writes.
  const wxString begin = IsSQLite() ? wxString("BEGIN IMMEDIATE TRANSACTION") : BeginTransactionStatement(engine);
  LogSqlStatement("StartTransaction", engine, begin);
  const Session session = PrepareSession("StartTransaction");
  if (session == Session::Closed) {
    RecordNotOpen("StartTransaction");
    return;
  }
  if (session == Session::Lost) return;
  // Oracle has no begin statement: its transaction starts with the first change.
  if (!begin.empty() &&
      !RunTransactionStatement("StartTransaction", begin, StatementRole::Begin,
                               [](wxSQLite3Database& db) { db.Begin(WXSQLITE_TRANSACTION_IMMEDIATE); })) {
    return;
  }
  inTransaction_ = true;
}

void SQLData::CommitTransaction() {
  if (!IsOpen()) return;
  const wxString statement =
      engine.IsSameAs("SQL Server", false) ? wxString("IF @@TRANCOUNT > 0 COMMIT TRANSACTION") : wxString("COMMIT");
  if (PrepareSession("CommitTransaction") == Session::Open) {
    RunTransactionStatement("CommitTransaction", statement, StatementRole::Commit,
                            [](wxSQLite3Database& db) { db.Commit(); });
  }
  inTransaction_ = false;
}

void SQLData::RollbackTransaction() {
  inTransaction_ = false;
  if (!IsOpen()) return;
  // A lost connection took its transaction with it: nothing is left to undo, and a
  // new one would have nothing to roll back.
  wxString ended;
  if (!IsSQLite() && (!connection || ConnectionEnded(&ended))) return;
  const wxString statement = engine.IsSameAs("SQL Server", false) ? wxString("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION")
                                                                  : wxString("ROLLBACK");
  RunTransactionStatement("RollbackTransaction", statement, StatementRole::Rollback,
                          [](wxSQLite3Database& db) { db.Rollback(wxString()); });
}

bool SQLData::RunTransaction(const std::function<bool()>& unit) {
  for (int attempt = 1;; ++attempt) {
    StartTransaction();
    if (errorFlag) return false;
    bool ok = false;
    try {
      ok = unit();
    } catch (const wxSQLite3Exception& e) {
      // ExecPrepared throws on SQLite; the transaction must not stay open behind it.
      RecordSqliteFailure("RunTransaction", wxString(), e);
    }
    // A unit that went on past a failed statement would commit half its work.
    if (ok && !transactionFailure_.empty()) {
      ok = false;
      if (!errorFlag) {
        errorFlag = true;
        lastError = transactionFailure_;
      }
    }
    if (ok) {
      CommitTransaction();
      ok = !errorFlag;
    }
    if (ok) return true;
    // A deadlock victim's work is undone by the rollback below where the server
    // undid only the statement (Oracle); the other transaction goes on, and a
    // second run then waits for it.
    const bool retry = deadlockFailure_ && attempt == 1;
    const bool failed = errorFlag;
    const wxString reason = lastError;
    const ConnectionFailure connectionFailure = LastConnectionFailure();
    const bool rowLock = LastFailureWasRowLock();
    const bool deadlock = LastFailureWasDeadlock();
    RollbackTransaction();
    if (failed) {
      errorFlag = true;
      lastError = reason;
      connectionFailure_ = connectionFailure;
      rowLockFailure_ = rowLock;
      deadlockFailure_ = deadlock;
      connectionFailureText_ = reason;
    }
    if (!retry) return false;
  }
}

bool SQLData::LockTableForWrite(const wxString& table) {
  if (!IsOpen()) {
    RecordNotOpen("LockTableForWrite");
    return false;
  }
  const wxString statement = LockTableStatement(engine, table);
  if (statement.empty()) return true;
  LogSqlStatement("LockTableForWrite", engine, statement);
  if (PrepareSession("LockTableForWrite") != Session::Open) return false;
  return RunTransactionStatement("LockTableForWrite", statement, StatementRole::Change, [](wxSQLite3Database&) {});
}

bool SQLData::ColumnExists(const wxString& table, const wxString& column) {
  ClearError();
  if (IsSQLite()) {
    if (!IsSqliteOpen()) return false;
    // The name goes in as given: PRAGMA takes no bound parameters, and callers
    // pass the program's own table names.
    const wxString pragma = "PRAGMA table_info(" + table + ")";
    LogSqlStatement("ColumnExists", engine, pragma);
    try {
      wxSQLite3ResultSet rows = sqliteDb->ExecuteQuery(pragma);
      while (rows.NextRow()) {
        if (rows.GetString(1).IsSameAs(column, false)) return true;
      }
    } catch (const wxSQLite3Exception& e) {
      RecordSqliteFailure("ColumnExists", pragma, e);
    }
    return false;
  }
  if (PrepareSession("ColumnExists") != Session::Open) return false;
  // Only the connection's own database or schema: a server holds other databases
  // with tables of the same names.
  const wxString query = ColumnExistsStatement(engine, table, column);
  LogSqlStatement("ColumnExists", engine, query);
  DbQueryResult result;
  wxString error;
  if (!RunOnConnection("ColumnExists", query, query, StatementRole::Read, &result, &error)) return false;
  return !result.resultSets.empty() && result.resultSets.front().rowCount > 0;
}
