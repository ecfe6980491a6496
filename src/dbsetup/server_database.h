// Whether the program database a connection record names exists on its server,
// and the creation of an empty SQL Server database. Used by the probe, by the
// start-up preparation and by the database configuration dialog.
#pragma once

#include "db/connection_info.h"

#include <wx/string.h>

// The waits of a quick question a screen asks on the GUI thread: the screens' own
// (SQLData::ScreenWaits).
ServerWaits QuickCheckWaits();

// The question was answered: *exists says whether the database is there. A server
// that does not answer fails it within the waits.
bool ServerDatabaseExists(const DbConnectionInfo& info, bool* exists, wxString* error,
                          const ServerWaits& waits = QuickCheckWaits());
bool SqlServerDatabaseExists(const DbConnectionInfo& info, bool* exists, wxString* error,
                             const ServerWaits& waits = QuickCheckWaits());

// The statements sent to SQL Server for a database name.
wxString SqlServerDatabaseExistsSql(const wxString& name);
wxString CreateSqlServerDatabaseSql(const wxString& name);

// Creates the record's SQL Server database when it is missing; true when it
// exists afterwards, and true without doing anything on other engines.
bool CreateSqlServerDatabase(const DbConnectionInfo& info, wxString* error);

// MySQL and PostgreSQL: the statement that creates an empty program database, and
// running it on the record's server (the name trimmed).
wxString CreateServerDatabaseSql(const wxString& engine, const wxString& name);
bool CreateServerDatabase(const DbConnectionInfo& info, wxString* error);

// SQLite: answers whether the file exists (a new file is built by the database
// worker). SQL Server, MySQL and PostgreSQL: creates a missing database. Other
// engines are refused.
// *existed false together with true: the database is new or still to be built.
bool EnsureProgramDatabase(const DbConnectionInfo& info, bool* existed, wxString* error);
