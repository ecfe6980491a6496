// Getting the program database ready for a login: a missing SQLite file is created
// from the scripts, a SQL Server database must exist, the structure is checked and
// the recorded version compared with the upgrade scripts. The main window installs
// the result (VeldrixFrame::PrepareProgramDatabase).
#pragma once

#include <wx/string.h>

#include <memory>

class SQLData;
struct DbConnectionInfo;

struct PreparedProgramDatabase {
  std::unique_ptr<SQLData> database;  // open on the connection
  bool upgradeRequired = false;       // nobody may log in until it is upgraded
  bool isSqlite = false;
  wxString sqliteFile;                // the SQLite file, for the default database path
};

// `connection` is the active connection string, `info` the same parsed. False with
// the reason when the database cannot be used; `out` is then left empty.
bool PrepareProgramDatabaseFor(const wxString& connection, const DbConnectionInfo& info,
                               PreparedProgramDatabase* out, wxString* error);
