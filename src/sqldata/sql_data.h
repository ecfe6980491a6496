// SQLData: the database object of every screen, worker and module host. It runs
// SQL written in the SQLite dialect on the program database: on SQLite through
// wxSQLite3, on the server engines through an IDbConnection of the driver registry.
#pragma once

#include "db/connection_info.h"
#include "sqldata/sql_value.h"

#include <wx/arrstr.h>
#include <wx/dynarray.h>
#include <wx/object.h>
#include <wx/string.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class DVModel;
class IDbConnection;
struct DbQueryResult;
class wxControlWithItems;
class wxSQLite3Database;
class wxSQLite3Exception;

// True when the most recently constructed SQLData works on SQL Server; the shared
// SQL texts pick their dialect by it.
extern std::atomic<bool> SqlServerEngineFlag;

// The connection string of a location: a connection string, a SQLite file path,
// or "" for veldrix.db in the program folder. *server gets the server field (the
// file for SQLite), *engine the server type ("SQLite", "SQL Server", ...).
wxString ResolveDatabaseLocation(const wxString& location, wxString* server, wxString* engine);

// SQLite databases held open by SQLData objects, plus checks in progress.
int SqliteUseCount();
// Gives back one use taken by an open or a check.
void ReleaseSqliteLibrary();

// The id of the row the connection inserted last: last_insert_rowid() on SQLite,
// LAST_INSERT_ID() on MySQL, @@IDENTITY on SQL Server, lastval() on PostgreSQL
// (guarded, so it never aborts the open transaction); 0 on Oracle, on a failed
// query or an empty answer. Nothing is logged.
std::int64_t LastInsertIdQuery(IDbConnection* connection, const wxString& engine);

// What a failure had to do with the connection to the server.
enum class ConnectionFailure {
  None,  // nothing failed, or the failure was of another kind
  // The connection was lost, or could not be made again, before anything of the
  // failed work was stored: a transaction it cut was undone by the server.
  Lost,
  // The answer to a commit, or to a change made outside a transaction, was lost on
  // the way: the server may or may not have stored it.
  Unknown,
};

// One row of a result while it is read: SQLite's result set or a driver's set.
class SqlRow {
 public:
  virtual ~SqlRow() = default;
  virtual int columnCount() const = 0;
  // The cell as text; NULL is empty.
  virtual wxString text(int column) const = 0;
  // True only on SQLite for a cell stored as REAL; driver cells are all text.
  virtual bool isFloat(int column) const = 0;
  // The cell as a number: SQLite's own conversion, or the driver text read with
  // ParseDbNumber / ToLong; NULL and unreadable text give 0.
  virtual double asDouble(int column) const = 0;
  virtual long asLong(int column) const = 0;
};

// Error state: a failed operation sets errorFlag and lastError ("Method | error")
// and writes the error with its statement to the database log. No method clears
// them except ClearError, StartTransaction and ColumnExists, so a caller that runs
// several statements as one unit calls StartTransaction, runs them, and commits only
// when errorFlag is still false after the last one; otherwise it rolls back. On
// SQLite, ExecPrepared also throws wxSQLite3Exception; RunTransaction takes it as
// its unit's failure, other callers catch it and roll back. A screen that must tell
// whether one read failed calls ClearError before it.
//
// On the server engines a connection that the server has ended (a restart, an
// administrator, an idle time-out) is replaced by a new one from the same
// connection string before the next statement, with the settings every open
// applies, and a line in the database log; the caller sees nothing. Only where
// nothing can be lost or done twice, though: a transaction it cut fails as a whole
// (its later statements and its commit fail too, RunTransaction does not run it
// again), a read whose connection was lost while it ran runs once more, and a
// change outside a transaction or a commit whose answer was lost is reported,
// never run again. LastConnectionFailure tells these failures from the others.
//
// A server that cannot be reached, or does not answer, holds no statement without
// bound: each waits for the server as ServerWaits says (by default ScreenWaits), a
// statement that got no answer fails as a lost connection and is not run again.
// Such a statement, an open or a reconnect that failed, starts kReconnectPause for
// every object of the process on the same connection string: their statements and
// opens fail at once as lost, and the first one after the pause tries again. An
// object whose open failed opens so at its next statement, as a lost connection is
// replaced.
//
// An object belongs to one thread at a time; a worker makes its own.
class SQLData : public wxObject {
 public:
  static constexpr std::chrono::seconds kReconnectPause{5};
  // The waits of the screens' statements: 15 s to connect, 25 s for any answer,
  // 10 s for a row lock held elsewhere (below the answer bound, so a lock wait
  // ends as such, with the connection kept).
  static ServerWaits ScreenWaits();

  explicit SQLData(const wxString& location = wxString());
  ~SQLData() override;
  SQLData(const SQLData&) = delete;
  SQLData& operator=(const SQLData&) = delete;

  // Opens the database (a SQLite file is created when missing). True when open.
  bool IniciujBazeDanych();
  // True when something was open and is now closed.
  bool ZamknijBazeDanych();
  // The waits of the next open and reconnect. Work that may rightly run long
  // (creating or upgrading a database, a module's own queries) sets its own,
  // ServerWaits() being no bound but the connect time-out.
  void SetServerWaits(const ServerWaits& waits) { waits_ = waits; }

  // Whether the program database at the location is usable ("OK") or why not;
  // works on a connection of its own, never on this object's.
  bool SprawdzBazeDanych(wxString& message);
  // True also for a server object whose open failed: its next statement opens it.
  bool IsOpen() const;
  bool IsSQLite() const;

  // StartTransaction clears the error state; Commit and Rollback do nothing on a
  // closed object. On SQLite the transaction takes the write lock at its start, so
  // that another copy's writing makes it wait (up to the busy time-out) instead of
  // failing at its first change after a read.
  void StartTransaction();
  void CommitTransaction();
  void RollbackTransaction();

  // Runs unit between StartTransaction and CommitTransaction. When the begin fails,
  // a statement inside fails (whatever the unit answers then), the unit answers
  // false or throws wxSQLite3Exception, or the commit fails, the transaction is
  // rolled back and false returned, the first failure's reason kept in lastError. A
  // transaction that the server ended to break a deadlock is run once more from
  // its start.
  bool RunTransaction(const std::function<bool()>& unit);

  // Makes another transaction that writes the table wait until this one ends;
  // readers go on (on SQL Server they wait too). Called in a transaction before its
  // first change of the table, it serialises statements such as "clear the old
  // default, set the new one". On MySQL only writers that call it wait (see
  // LockTableStatement); SQLite needs nothing, its transaction holds the database's
  // write lock. False on failure, with the error state set.
  bool LockTableForWrite(const wxString& table);

  // Whether the table has the column (name compared ignoring case). Clears the
  // error state first.
  bool ColumnExists(const wxString& table, const wxString& column);

  // Every cell of every row, row by row; on SQLite a REAL cell is shown with two
  // decimals in the UI locale.
  wxArrayString FrameData(wxString sql);
  // The same, with the result's column count in *columnCount (0 when no row came).
  wxArrayString FrameData(wxString sql, int* columnCount);
  // Whether the query gives a row; false also when it failed, which only the error
  // state tells.
  bool IsExistsData(wxString sql);
  // The same for a caller that acts on "none": false when the query failed (the
  // error state set), otherwise true with the answer in *found.
  bool IsExistsData(const wxString& sql, bool* found);
  // Fills the control with column 0 (or 1 with textInSecondColumn) and ids with
  // the last column; values, when given, with the column after the text. With
  // selectDefault the last row whose column 0 is 1 is selected. Returns that
  // row's index, 0 when none.
  int ComboBoxData(wxString sql, wxControlWithItems* control, wxArrayInt* ids, wxArrayDouble* values,
                   bool textInSecondColumn, bool selectDefault);
  // Reloads the model from the query: its rows replaced, its columns kept, each
  // cell read by the kind of its model column; with numberRows column 0 shows the
  // row number. Returns the last row whose last result column equals key (as a
  // number when key is one), -1 when none or on failure.
  int InsertRowsDataView(wxObjectDataPtr<DVModel>& model, bool numberRows, wxString sql, wxString key);
  // Column 0 into texts, column 1 into ids.
  void SimpleListData(wxArrayString* texts, wxArrayInt* ids, wxString sql);
  // Any data-changing statement: rows changed, -1 on failure.
  int DeleteData(wxString sql);
  // The new row's id, 0 when no row changed, -1 on failure.
  long InsertData(wxString sql);
  // 0 done, -1 failed with the reason in blad.
  int InsertData(wxString& blad, wxString sql);
  // Runs the statement with its "?" parameters: bound on SQLite, written in as
  // literals on the other engines. newRowId is set when rows changed.
  SqlExecResult ExecPrepared(const wxString& sql, const std::vector<SqlValue>& params);

  // Forgets the last failure, so that errorFlag then tells about what runs next.
  void ClearError();
  // Whether the last failure was the connection's (None once errorFlag or
  // lastError have been cleared or replaced by another failure).
  ConnectionFailure LastConnectionFailure() const;
  // Whether the last failure was a wait for a lock another session holds, given
  // up after the row-lock bound; nothing of the failed statement was done.
  bool LastFailureWasRowLock() const;
  // Whether the last failure was the server ending the transaction to break a
  // deadlock (after RunTransaction's second run too).
  bool LastFailureWasDeadlock() const;
  // The last failure's reason without the method name before " | "; "DB not open"
  // when no text was kept (a read of a database that is not open keeps none).
  wxString ErrorReason() const;

  const wxString& GetServer() const { return server; }
  const wxString& GetConnectionString() const { return connectionString; }
  const wxString& GetEngine() const { return engine; }

  bool errorFlag = false;
  wxString lastError;

 private:
  // What a statement sent to a server is, for what a lost answer to it means.
  enum class StatementRole { Read, Change, Begin, Commit, Rollback };
  // Where a statement starts from: it can run; the object was never opened or has
  // been closed; or its connection is lost and cannot be replaced now (recorded).
  enum class Session { Open, Closed, Lost };

  bool IsSqliteOpen() const;
  // Before every statement: fails at once during a pause of the connection string,
  // opens the connection of a failed open, replaces a connection the server has
  // ended unless a transaction ran on it. A failure is recorded under context.
  Session PrepareSession(const wxString& context);
  bool ConnectionEnded(wxString* reason);
  // A new connection in place of the lost one (or of a failed open), with the
  // session settings; the old one stays when it cannot be made (recorded under
  // context), so the next statement after the pause tries again.
  bool Reconnect(const wxString& context, const wxString& reason);
  // False, with the failure recorded under context as lost, while the connection
  // string's server is in a pause that stops an open (opening) or a statement.
  bool OutsideServerPause(const wxString& context, bool opening);
  // Starts the pause of the connection string for the reason given: of every
  // statement when the server left one unanswered (silent), else of the opens.
  void NoteServerSilent(const wxString& reason, bool silent);
  // A server object that is not open: its failure counts as the connection's.
  void RecordNotOpen(const wxString& context);
  // Notes lastError as the running transaction's failure, if it is the first.
  void NoteTransactionFailure();
  void ApplySessionOptions();
  void ApplySqliteBusyTimeout(wxSQLite3Database& db) const;
  // SQL Server statements get rewritten from the SQLite dialect into T-SQL here;
  // every query statement bound for a non-SQLite engine passes through it.
  wxString PrepareStatementForEngine(const wxString& sql) const;
  // Runs a row-returning statement, tracing it under context: the rows of SQLite's
  // result or of the driver's first result set go to onRow until it answers false.
  // A failure is recorded under context; false when not open or on failure.
  bool ForEachRow(const wxString& context, const wxString& sql, const std::function<bool(const SqlRow&)>& onRow);
  // Runs a statement as it is. A read or a begin whose connection was lost while it
  // ran outside a transaction runs once more on a new connection. A failure is
  // recorded under context (loggedSql as its statement) and its reason put in *error.
  bool RunOnConnection(const wxString& context, const wxString& statement, const wxString& loggedSql,
                       StatementRole role, DbQueryResult* result, wxString* error);
  // Traces and runs a statement on the connection (rewritten for the engine); a
  // failure is recorded under errorContext with the statement as run. The trace
  // and the log show loggedSql instead when it is given (secrets masked).
  bool ExecuteOnConnection(const wxString& traceContext, const wxString& errorContext, const wxString& sql,
                           StatementRole role, DbQueryResult* result, wxString* error,
                           const wxString& loggedSql = wxString());
  void RecordSqliteFailure(const wxString& context, const wxString& sql, const wxSQLite3Exception& exception);
  // The error state of a SQLite failure, without the log.
  void NoteSqliteFailure(const wxString& context, const wxSQLite3Exception& exception);
  void RecordDriverFailure(const wxString& context, const wxString& sql, const wxString& error,
                           const DbQueryResult& result, StatementRole role);
  // A driver-side failure, with what it had to do with the connection.
  void RecordDbFailure(const wxString& context, const wxString& sql, const wxString& error,
                       ConnectionFailure failure);
  bool RunTransactionStatement(const wxString& method, const wxString& statement, StatementRole role,
                               const std::function<void(wxSQLite3Database&)>& onSqlite);

  // The last failure was the server ending the transaction to break a deadlock.
  bool deadlockFailure_ = false;
  // A transaction has begun on the connection and not yet ended: its connection
  // is never replaced while it runs.
  bool inTransaction_ = false;
  ConnectionFailure connectionFailure_ = ConnectionFailure::None;
  bool rowLockFailure_ = false;
  // lastError as the driver failure set it: its kind holds only while it stays.
  wxString connectionFailureText_;
  ServerWaits waits_ = ScreenWaits();
  // The last open of this server object failed and no close came since.
  bool openFailed_ = false;
  // Why the first statement of the running transaction that failed did: such a
  // transaction is never committed. Empty while none failed.
  wxString transactionFailure_;
  std::unique_ptr<wxSQLite3Database> sqliteDb;
  std::shared_ptr<IDbConnection> connection;
  wxString server;
  wxString connectionString;
  wxString engine;
};
