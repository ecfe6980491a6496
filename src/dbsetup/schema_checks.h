// The small checks the database worker makes before it runs a script statement
// against a database that may already hold part of the structure: tables and
// columns that exist, the SQLite foreign-key switch, per-module versions in table
// baza_modul, and the clean-up of a half-built SQL Server schema.
#pragma once

#include <wx/string.h>

class BazaSkrypt;
class SQLData;

// Engine names ("SQLite", "SQL Server", "MySQL", ...) compare ignoring case.
bool SameEngine(const wxString& engine, const wxString& name);

// "insert or replace into baza_modul(modul,wersja) values('<key>',<version>)" with
// four decimals and "." whatever the locale; PostgreSQL and MySQL get their own
// upsert of the same row.
wxString SetModuleVersionSql(const wxString& engine, const wxString& moduleKey, double version);

// The expression that reads a version column as text with every digit (SQLData
// shows a SQLite REAL with two decimals in the UI locale).
wxString VersionColumnSql(const wxString& engine, const wxString& column);

// The version stored for the module, 0 when there is none or the read fails.
double GetModuleVersion(SQLData* db, const wxString& moduleKey);

// The query that tests for a table in the engine's own current schema.
wxString TableExistsSql(const wxString& engine, const wxString& table);
// Asks the catalogue whether the table exists. false with *error when the query
// failed: a failed probe says nothing about the table, and nothing may be created
// over it or dropped because of it. The object's error state is left as it was
// unless the probe fails.
bool ProbeTable(SQLData* db, const wxString& table, bool* exists, wxString* error);
// ProbeTable for callers to whom a failed probe is the same as no table.
bool TableExists(SQLData* db, const wxString& table);

// A table or column token without trailing ";" or "," and without one pair of
// enclosing quotes, backticks or brackets.
wxString CleanSqlIdentifier(const wxString& token);

// Whether the statement is "ALTER TABLE [IF EXISTS] t ADD [COLUMN] c ..." for a
// column the table already has; the names go to *table and *column.
bool AddColumnAlreadyExists(SQLData* db, const wxString& sql, wxString* table, wxString* column);

// Trimmed, lower-cased, without blanks, tabs, line breaks and ";".
wxString NormalizeSqlForCompare(const wxString& sql);

// On SQLite "PRAGMA foreign_keys=ON/OFF" has no effect inside a transaction, so
// it is run between two: the open transaction is committed first (and can no
// longer be rolled back), the pragma runs, a new transaction begins. *handled says
// the statement was run here. false only when a recognised pragma failed, or the
// commit before it or the transaction after it (*transactionOpen tells which is open).
bool ExecuteForeignKeysPragma(SQLData* db, const wxString& sql, bool* transactionOpen, bool* handled,
                              wxString* error);

// The script's table names, each once (ignoring case), as N'...' literals joined
// with ",".
wxString ScriptTableNameList(const BazaSkrypt& script);

// The T-SQL batch that drops the foreign keys touching the listed tables of
// schema dbo and then those tables.
wxString SqlServerResetBatch(const wxString& tableList);

// Removes what an earlier failed create left in a SQL Server database without
// table baza: only the tables the create script names. true on other engines.
bool ResetSqlServerPartialSchema(SQLData* db, const BazaSkrypt* createScript, wxString* error);

// The table whose presence proves a module's structure where no baza_modul row
// records it ("kpir" -> "kpir_zapis"), or empty.
wxString ModuleMarkerTable(const wxString& moduleKey);

// Records a module whose tables predate baza_modul at the program's version.
void AdoptExistingModuleSchema(SQLData* db, const wxString& moduleKey, double bazaVersion);
