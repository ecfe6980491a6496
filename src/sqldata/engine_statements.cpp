#include "sqldata/engine_statements.h"

#include "sqldata/sql_literals.h"

namespace {

bool Is(const wxString& engine, const char* name) { return engine.IsSameAs(name, false); }

wxString LowerEquals(const wxString& column, const wxString& value) {
  return "LOWER(" + column + ") = LOWER(" + QuoteSqlLiteral(value) + ")";
}

}  // namespace

wxString BeginTransactionStatement(const wxString& engine) {
  if (Is(engine, "MySQL")) return "START TRANSACTION";
  if (Is(engine, "PostgreSQL")) return "BEGIN";
  if (Is(engine, "Oracle")) return wxString();
  return "BEGIN TRANSACTION";
}

wxString LockTableStatement(const wxString& engine, const wxString& table) {
  if (Is(engine, "PostgreSQL") || Is(engine, "Oracle")) return "LOCK TABLE " + table + " IN SHARE ROW EXCLUSIVE MODE";
  if (Is(engine, "MySQL")) return "SELECT wersja FROM baza FOR UPDATE";
  // SQL Server has no hint that holds off writers only: an exclusive lock on the
  // table, held to the end of the transaction.
  if (Is(engine, "SQL Server")) return "SELECT COUNT(*) FROM " + table + " WITH (TABLOCKX, HOLDLOCK)";
  return wxString();
}

wxString LockedSelectStatement(const wxString& engine, const wxString& columns, const wxString& table,
                               const wxString& condition) {
  if (Is(engine, "SQL Server")) {
    return "SELECT " + columns + " FROM " + table + " WITH (UPDLOCK, ROWLOCK) WHERE " + condition;
  }
  const wxString select = "SELECT " + columns + " FROM " + table + " WHERE " + condition;
  // The table lock that the update after this read takes anyway is taken first, as
  // Oracle's FOR UPDATE does by itself: a writer holding LockTableStatement's lock
  // is then waited for before any row is locked, so that its own writes never wait
  // for a row locked here while the update here waits for its table lock.
  if (Is(engine, "PostgreSQL")) return "LOCK TABLE " + table + " IN ROW EXCLUSIVE MODE; " + select + " FOR UPDATE";
  if (Is(engine, "MySQL")) return select + " FOR UPDATE";
  // Oracle has no session bound of a row-lock wait: the statement gives its own.
  if (Is(engine, "Oracle")) return select + wxString::Format(" FOR UPDATE WAIT %d", kOracleRowLockWaitSeconds);
  return select;
}

wxString LastInsertIdStatement(const wxString& engine) {
  if (Is(engine, "SQLite")) return "SELECT last_insert_rowid()";
  if (Is(engine, "MySQL")) return "SELECT LAST_INSERT_ID()";
  if (Is(engine, "SQL Server")) return "SELECT CAST(@@IDENTITY AS BIGINT)";
  if (Is(engine, "PostgreSQL")) {
    // lastval() raises an error before the session has used a sequence, and an error
    // aborts the open transaction. The exception block runs it in a subtransaction
    // of its own and leaves the answer in a session setting.
    return "DO $$BEGIN PERFORM set_config('veldrix.last_insert_id', lastval()::text, false); "
           "EXCEPTION WHEN OTHERS THEN PERFORM set_config('veldrix.last_insert_id', '', false); END$$; "
           "SELECT current_setting('veldrix.last_insert_id', true)";
  }
  return wxString();
}

wxString ColumnExistsStatement(const wxString& engine, const wxString& table, const wxString& column) {
  if (Is(engine, "Oracle")) {
    return "SELECT 1 FROM USER_TAB_COLUMNS WHERE " + LowerEquals("TABLE_NAME", table) + " AND " +
           LowerEquals("COLUMN_NAME", column);
  }
  wxString scope;
  if (Is(engine, "MySQL")) scope = " AND TABLE_SCHEMA = DATABASE()";
  if (Is(engine, "PostgreSQL")) scope = " AND table_schema = current_schema()";
  return "SELECT 1 FROM INFORMATION_SCHEMA.COLUMNS WHERE " + LowerEquals("TABLE_NAME", table) + " AND " +
         LowerEquals("COLUMN_NAME", column) + scope;
}
