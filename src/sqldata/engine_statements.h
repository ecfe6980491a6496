// Statements that SQLData sends in the engine's own dialect, never rewritten: the
// start of a transaction, the id of the row inserted last, and the column look-up
// that must see only the connection's own database or schema.
#pragma once

#include <wx/string.h>

// "BEGIN TRANSACTION", "START TRANSACTION" on MySQL (which has no BEGIN
// TRANSACTION), "BEGIN" on PostgreSQL; empty on Oracle, where a transaction starts
// with the first change and no begin statement exists.
wxString BeginTransactionStatement(const wxString& engine);

// The statement that makes another transaction wait until this one ends before it
// writes the table. A table lock where the engine has one inside a transaction:
// PostgreSQL and Oracle let readers go on, SQL Server (through table hints) makes
// them wait as well. MySQL has none: a locking read of the table's rows would leave
// an empty table to gap locks, which two writers share and then deadlock on, so
// there the row of baza, which every program database holds, is locked instead
// (writers that take it wait for each other). That one row is then the lock of
// every table: a transaction takes it before its first row lock, and at most once,
// or it may hold a row that the holder of baza's row goes on to lock. Empty on
// SQLite, whose write transaction already locks the database, and on an engine not
// named here.
wxString LockTableStatement(const wxString& engine, const wxString& table);

// How long Oracle's locked select waits for a row another session holds; the
// other engines bound the wait in their session settings (ServerWaits::rowLockMs).
constexpr int kOracleRowLockWaitSeconds = 10;

// A select of the table's rows that match the condition which also locks them until
// the transaction ends, so that no other workstation changes them between this read
// and the writes that follow it: FOR UPDATE, or the UPDLOCK and ROWLOCK hints on SQL
// Server. On SQLite the plain select: its write transaction already holds the lock.
// A transaction that takes LockTableStatement's lock of the table takes it before
// this read, or two such transactions could wait for each other.
wxString LockedSelectStatement(const wxString& engine, const wxString& columns, const wxString& table,
                               const wxString& condition);

// A query whose only result set holds the id of the row this connection inserted
// last; empty where the engine has no such query (Oracle). On PostgreSQL it never
// fails, so it cannot abort the surrounding transaction: the value is empty when the
// session has not used a sequence yet.
wxString LastInsertIdStatement(const wxString& engine);

// A query that returns a row when the table has the column in the connection's own
// database or schema (SQL Server: the current database), names compared ignoring
// case. SQLite is asked through its own PRAGMA instead.
wxString ColumnExistsStatement(const wxString& engine, const wxString& table, const wxString& column);
