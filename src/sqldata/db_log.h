// The database log "veldrix_db.log" and the SQL trace "veldrix_sql.log" (plus one
// trace file per business area), both in the user data folder, and the error texts
// that SQLData keeps as its last error. Any thread may write; one process-wide
// lock keeps whole lines and whole trace entries apart.
#pragma once

#include "sqldata/sql_value.h"

#include <wx/string.h>

#include <atomic>
#include <vector>

class wxSQLite3Exception;

// Switch of the SQL trace, set from the active connection's "LogSqlQueries". Off
// until the connection settings turn it on; read without the log lock.
extern std::atomic<bool> SqlTraceEnabled;

// UserDataFolder()/veldrix_db.log
wxString DbLogFilePath();
// The local date and time as log lines start with: "YYYY-MM-DD HH:MM:SS".
wxString DbLogTimestamp();

// Appends `line` and "\n" to the database log under the process-wide log lock,
// creating the folder when missing. The text is written as given (no date added),
// except that connection-string passwords are masked. A file that cannot be
// opened is skipped silently: logging never fails an operation.
void AppendDbLogLine(const wxString& line);
// One database-log line: the date and time, a blank, the text.
void LogDbMessage(const wxString& text);

// Replaces the value of every "Password=" / "Pwd=" pair of a connection string
// found in the text (at its start or after ";") with "***".
wxString MaskConnectionPasswords(const wxString& text);

// The trace file of an area ("" = veldrix_sql.log, else veldrix_sql_<area>.log).
wxString SqlLogFilePath(const wxString& area);
// The business area of a statement ("faktury", "ksef", ...) or "" when none.
wxString SqlLogAreaOf(const wxString& sql);
// "1=5, 2=NULL, 3='x'"; a secret value is "***".
wxString FormatSqlParams(const std::vector<SqlValue>& params);
// Appends one trace entry to the file at path (no lock taken here).
void WriteSqlLogEntry(const wxString& path, const wxString& context, const wxString& engine, const wxString& sql,
                      const std::vector<SqlValue>* params);
// While the trace is on and sql is not empty: one entry in veldrix_sql.log and,
// when the statement has an area, the same entry in that area's file.
void LogSqlStatement(const wxString& context, const wxString& engine, const wxString& sql,
                     const std::vector<SqlValue>* params = nullptr);

// The distinct non-empty lines of an error, trimmed, in first-seen order; a text
// with no such line comes back unchanged.
wxString NormalizeDbErrorText(const wxString& error);
// "context | cleaned error"
wxString FormatDbError(const wxString& context, const wxString& error);
// "context | SQL error <code>: <message>"
wxString FormatSqliteError(const wxString& context, const wxSQLite3Exception& exception);

// Log the FormatDbError text, then "QUERY: " + sql when sql is not empty; LogDbError
// also hands the first text to wxLogError.
void LogDbError(const wxString& context, const wxString& sql, const wxString& error);
void LogDbWarning(const wxString& context, const wxString& sql, const wxString& error);
void LogSqlException(const wxString& context, const wxString& sql, const wxSQLite3Exception& exception);
