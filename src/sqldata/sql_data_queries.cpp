// SQLData's query methods: reading results, existence tests, list filling, data
// changes and parameterised statements, on SQLite and on the driver engines.
#include "sqldata/sql_data.h"

#include "db/db_connection.h"
#include "sqldata/db_log.h"
#include "sqldata/db_number.h"
#include "sqldata/engine_statements.h"
#include "sqldata/sql_literals.h"
#include "sqldata/sql_translate.h"

#include <wx/ctrlsub.h>
#include <wx/numformatter.h>
#include <wx/wxsqlite3.h>

namespace {

// A row of a wxSQLite3 result set. The wrapper's getters are not const, hence mutable.
class SqliteRow : public SqlRow {
 public:
  explicit SqliteRow(wxSQLite3ResultSet& rows) : rows_(rows) {}
  int columnCount() const override { return rows_.GetColumnCount(); }
  wxString text(int column) const override { return rows_.GetAsString(column); }
  bool isFloat(int column) const override { return rows_.GetColumnType(column) == WXSQLITE_FLOAT; }
  double asDouble(int column) const override { return rows_.GetDouble(column, 0.0); }
  long asLong(int column) const override { return static_cast<long>(rows_.GetInt64(column, 0).GetValue()); }

 private:
  wxSQLite3ResultSet& rows_;
};

class DriverRow : public SqlRow {
 public:
  DriverRow(const DbResultSet& set, int row) : set_(set), row_(row) {}
  int columnCount() const override { return static_cast<int>(set_.columns.size()); }
  wxString text(int column) const override { return set_.text(row_, column); }
  bool isFloat(int) const override { return false; }
  double asDouble(int column) const override {
    double value = 0.0;
    return ParseDbNumber(text(column), &value) ? value : 0.0;
  }
  long asLong(int column) const override {
    long value = 0;
    return text(column).ToLong(&value, 10) ? value : 0;
  }

 private:
  const DbResultSet& set_;
  int row_;
};

bool StartsWithInsert(const wxString& sql) { return StartsWithNoCase(CollapseSqlWhitespace(sql), "insert "); }

}  // namespace

std::int64_t LastInsertIdQuery(IDbConnection* connection, const wxString& engine) {
  if (!connection) return 0;
  const wxString query = LastInsertIdStatement(engine);
  if (query.empty()) return 0;
  DbQueryResult result;
  wxString error;
  if (!connection->execute(query, &result, &error) || result.resultSets.empty()) return 0;
  const DbResultSet& set = result.resultSets.back();
  if (set.rowCount < 1 || set.columns.empty()) return 0;
  long long id = 0;
  return set.text(0, 0).ToLongLong(&id, 10) ? id : 0;
}

wxString SQLData::PrepareStatementForEngine(const wxString& sql) const {
  // SQL Server statements get rewritten from the SQLite dialect into T-SQL; the
  // other engines take the text as written.
  return TranslateSqlForEngine(sql, engine);
}

void SQLData::NoteSqliteFailure(const wxString& context, const wxSQLite3Exception& exception) {
  errorFlag = true;
  deadlockFailure_ = false;
  connectionFailure_ = ConnectionFailure::None;
  lastError = FormatSqliteError(context, exception);
  // The busy handler gave up: another connection held the file's lock for the
  // whole busy time-out, which is the row-lock bound (ApplySqliteBusyTimeout).
  // (sqlite3.h's names clash with wxSQLite3's own: SQLITE_BUSY 5, SQLITE_LOCKED 6.)
  const int code = exception.GetErrorCode();
  rowLockFailure_ = code == 5 || code == 6;
  connectionFailureText_ = lastError;
  NoteTransactionFailure();
}

void SQLData::RecordSqliteFailure(const wxString& context, const wxString& sql, const wxSQLite3Exception& exception) {
  NoteSqliteFailure(context, exception);
  LogSqlException(context, sql, exception);
}

void SQLData::RecordDbFailure(const wxString& context, const wxString& sql, const wxString& error,
                              ConnectionFailure failure) {
  errorFlag = true;
  deadlockFailure_ = false;
  lastError = FormatDbError(context, error);
  LogDbError(context, sql, error);
  connectionFailure_ = failure;
  rowLockFailure_ = false;
  connectionFailureText_ = lastError;
  NoteTransactionFailure();
}

void SQLData::RecordDriverFailure(const wxString& context, const wxString& sql, const wxString& error,
                                  const DbQueryResult& result, StatementRole role) {
  ConnectionFailure failure = ConnectionFailure::None;
  if (result.connectionLost) {
    // The server undoes an unfinished transaction with its session, and a read or
    // a begin stores nothing; a commit may have been carried out before the answer
    // was lost, and so may a change outside a transaction, which commits itself.
    const bool mayBeStored =
        role == StatementRole::Commit || (role == StatementRole::Change && !inTransaction_);
    failure = mayBeStored ? ConnectionFailure::Unknown : ConnectionFailure::Lost;
  }
  RecordDbFailure(context, sql, error, failure);
  deadlockFailure_ = result.deadlock;
  rowLockFailure_ = result.lockTimeout;
}

bool SQLData::RunOnConnection(const wxString& context, const wxString& statement, const wxString& loggedSql,
                              StatementRole role, DbQueryResult* result, wxString* error) {
  wxString failure;
  if (connection->execute(statement, result, &failure)) return true;
  // The other objects on the string need not wait for the same silence.
  if (result->answerTimedOut) NoteServerSilent(failure, true);
  // A statement the server did not answer would only wait as long again.
  const bool rerun = result->connectionLost && !result->answerTimedOut && !inTransaction_ &&
                     (role == StatementRole::Read || role == StatementRole::Begin);
  if (rerun) {
    if (!Reconnect(context, failure)) {
      if (error) *error = ErrorReason();
      return false;
    }
    result->clear();
    failure.clear();
    if (connection->execute(statement, result, &failure)) return true;
  }
  if (role != StatementRole::Rollback || !result->connectionLost) {
    RecordDriverFailure(context, loggedSql, failure, *result, role);
  }
  if (error) *error = failure;
  return false;
}

bool SQLData::ExecuteOnConnection(const wxString& traceContext, const wxString& errorContext, const wxString& sql,
                                  StatementRole role, DbQueryResult* result, wxString* error,
                                  const wxString& loggedSql) {
  const wxString statement = PrepareStatementForEngine(sql);
  const wxString logged = loggedSql.empty() ? statement : PrepareStatementForEngine(loggedSql);
  LogSqlStatement(traceContext, engine, logged);
  return RunOnConnection(errorContext, statement, logged, role, result, error);
}

bool SQLData::ForEachRow(const wxString& context, const wxString& sql,
                         const std::function<bool(const SqlRow&)>& onRow) {
  if (IsSQLite()) {
    if (!IsSqliteOpen()) return false;
    LogSqlStatement(context, engine, sql);
    try {
      wxSQLite3ResultSet rows = sqliteDb->ExecuteQuery(sql);
      SqliteRow row(rows);
      while (rows.NextRow()) {
        if (!onRow(row)) break;
      }
      return true;
    } catch (const wxSQLite3Exception& e) {
      RecordSqliteFailure(context, sql, e);
      return false;
    }
  }
  if (PrepareSession(context) != Session::Open) return false;
  DbQueryResult result;
  if (!ExecuteOnConnection(context, context, sql, StatementRole::Read, &result, nullptr)) return false;
  if (result.resultSets.empty()) return true;
  const DbResultSet& set = result.resultSets.front();
  for (int r = 0; r < set.rowCount; ++r) {
    if (!onRow(DriverRow(set, r))) break;
  }
  return true;
}

wxArrayString SQLData::FrameData(wxString sql) { return FrameData(std::move(sql), nullptr); }

wxArrayString SQLData::FrameData(wxString sql, int* columnCount) {
  wxArrayString cells;
  if (columnCount) *columnCount = 0;
  const bool ok = ForEachRow("FrameData", sql, [&](const SqlRow& row) {
    const int count = row.columnCount();
    if (columnCount) *columnCount = count;
    for (int i = 0; i < count; ++i) {
      // On SQLite a REAL cell is shown in the UI locale; driver cells stay as delivered.
      cells.Add(row.isFloat(i) ? wxNumberFormatter::ToString(row.asDouble(i), 2, wxNumberFormatter::Style_None)
                               : row.text(i));
    }
    return true;
  });
  if (!ok) {
    cells.Clear();
    if (columnCount) *columnCount = 0;
  }
  return cells;
}

bool SQLData::IsExistsData(wxString sql) {
  bool found = false;
  ForEachRow("IsExistsData", sql, [&](const SqlRow&) {
    found = true;
    return false;
  });
  return found;
}

bool SQLData::IsExistsData(const wxString& sql, bool* found) {
  *found = false;
  const bool ok = ForEachRow("IsExistsData", sql, [&](const SqlRow&) {
    *found = true;
    return false;
  });
  if (!ok && !errorFlag) RecordNotOpen("IsExistsData");
  return ok;
}

int SQLData::ComboBoxData(wxString sql, wxControlWithItems* control, wxArrayInt* ids, wxArrayDouble* values,
                          bool textInSecondColumn, bool selectDefault) {
  if (!control || !ids || PrepareSession("ComboBoxData") != Session::Open) return 0;
  control->Clear();
  ids->Clear();
  if (values) values->Clear();
  const int textColumn = textInSecondColumn ? 1 : 0;
  int defaultIndex = 0;
  int index = 0;
  const bool ok = ForEachRow("ComboBoxData", sql, [&](const SqlRow& row) {
    control->Append(row.text(textColumn));
    if (values) {
      double value = 0.0;
      ParseDbNumber(row.text(textColumn + 1), &value);
      values->Add(value);
    }
    long id = 0;
    row.text(row.columnCount() - 1).ToLong(&id, 10);
    ids->Add(static_cast<int>(id));
    if (selectDefault && row.asLong(0) == 1) defaultIndex = index;
    ++index;
    return true;
  });
  if (!ok) return 0;
  if (selectDefault && control->GetCount() > 0) control->SetSelection(defaultIndex);
  return defaultIndex;
}

void SQLData::SimpleListData(wxArrayString* texts, wxArrayInt* ids, wxString sql) {
  if (!texts || !ids) return;
  ForEachRow("SimpleListData", sql, [&](const SqlRow& row) {
    texts->Add(row.text(0));
    long id = 0;
    row.text(1).ToLong(&id, 10);
    ids->Add(static_cast<int>(id));
    return true;
  });
}

int SQLData::DeleteData(wxString sql) {
  const Session session = PrepareSession("SQLData");
  if (session == Session::Lost) return -1;
  if (session == Session::Closed) {
    RecordNotOpen("SQLData");
    return -1;
  }
  if (IsSQLite()) {
    LogSqlStatement("DeleteData", engine, sql);
    try {
      return sqliteDb->ExecuteUpdate(sql);
    } catch (const wxSQLite3Exception& e) {
      RecordSqliteFailure("SQLData", sql, e);
      return -1;
    }
  }
  DbQueryResult result;
  if (!ExecuteOnConnection("DeleteData", "SQLData", sql, StatementRole::Change, &result, nullptr)) return -1;
  return result.rowsAffected < 0 ? 0 : result.rowsAffected;
}

long SQLData::InsertData(wxString sql) {
  if (PrepareSession("InsertData") != Session::Open) return -1;
  if (IsSQLite()) {
    LogSqlStatement("InsertData", engine, sql);
    try {
      if (sqliteDb->ExecuteUpdate(sql) < 1) return 0;
      return static_cast<long>(sqliteDb->GetLastRowId().GetValue());
    } catch (const wxSQLite3Exception& e) {
      RecordSqliteFailure("InsertData", sql, e);
      return -1;
    }
  }
  DbQueryResult result;
  if (!ExecuteOnConnection("InsertData", "InsertData", sql, StatementRole::Change, &result, nullptr)) return -1;
  if (result.rowsAffected < 1) return 0;
  return static_cast<long>(LastInsertIdQuery(connection.get(), engine));
}

int SQLData::InsertData(wxString& blad, wxString sql) {
  blad.clear();
  const Session session = PrepareSession("InsertData(blad)");
  if (session != Session::Open) {
    blad = session == Session::Lost ? ErrorReason() : wxString("DB not open");
    return -1;
  }
  if (IsSQLite()) {
    LogSqlStatement("InsertData(blad)", engine, sql);
    try {
      sqliteDb->ExecuteUpdate(sql);
      return 0;
    } catch (const wxSQLite3Exception& e) {
      blad = wxString::Format("%d: %s", e.GetErrorCode(), e.GetMessage());
      RecordSqliteFailure("InsertData(blad)", sql, e);
      return -1;
    }
  }
  DbQueryResult result;
  return ExecuteOnConnection("InsertData(blad)", "InsertData(blad)", sql, StatementRole::Change, &result, &blad)
             ? 0
             : -1;
}

SqlExecResult SQLData::ExecPrepared(const wxString& sql, const std::vector<SqlValue>& params) {
  SqlExecResult outcome;
  const Session session = PrepareSession("ExecPrepared");
  if (session == Session::Lost) return outcome;
  if (session == Session::Closed) {
    RecordNotOpen("ExecPrepared");
    return outcome;
  }
  if (IsSQLite()) {
    try {
      wxSQLite3Statement statement = sqliteDb->PrepareStatement(sql);
      for (size_t i = 0; i < params.size(); ++i) {
        const SqlValue& value = params[i];
        const int index = static_cast<int>(i) + 1;
        switch (value.kind) {
          case SqlValueNull:
            statement.BindNull(index);
            break;
          case SqlValueInt:
            statement.Bind(index, static_cast<int>(value.intValue));
            break;
          case SqlValueInt64:
            statement.Bind(index, wxLongLong(value.int64Value));
            break;
          case SqlValueDouble:
            statement.Bind(index, value.doubleValue);
            break;
          case SqlValueBool:
            statement.Bind(index, value.boolValue ? 1 : 0);
            break;
          case SqlValueText:
            statement.Bind(index, value.textValue);
            break;
          default:
            break;  // an unknown kind binds nothing but keeps its position
        }
      }
      LogSqlStatement("ExecPrepared", engine, sql, &params);
      outcome.changes = statement.ExecuteUpdate();
      if (outcome.changes > 0) outcome.newRowId = sqliteDb->GetLastRowId().GetValue();
    } catch (const wxSQLite3Exception& e) {
      // The caller running a unit of statements catches this and rolls back; the
      // error state is set as well, so a caller checking errorFlag sees it too.
      NoteSqliteFailure("ExecPrepared", e);
      throw;
    }
    return outcome;
  }
  DbQueryResult result;
  const wxString inlined = InlineSqlParameters(sql, params);
  // The logs get the statement with every secret value written as "***".
  std::vector<SqlValue> shown(params);
  bool hasSecret = false;
  for (SqlValue& value : shown) {
    if (!value.secret) continue;
    value = SqlValue("***");
    hasSecret = true;
  }
  const wxString logged = hasSecret ? InlineSqlParameters(sql, shown) : wxString();
  if (!ExecuteOnConnection("ExecPrepared", "ExecPrepared", inlined, StatementRole::Change, &result, nullptr,
                           logged)) {
    return outcome;
  }
  if (result.rowsAffected >= 0) {
    outcome.changes = result.rowsAffected;
  } else {
    outcome.changes = StartsWithInsert(inlined) ? 1 : 0;
  }
  if (outcome.changes > 0) outcome.newRowId = LastInsertIdQuery(connection.get(), engine);
  return outcome;
}
