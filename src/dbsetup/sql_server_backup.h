// The SQL Server side of the database archive: the server writes a native backup
// (.bak) into a folder that both it and this computer reach, verifies it, and this
// program zips it. Used by the database configuration dialog's "Archiwizuj".
#pragma once

#include "db/connection_info.h"

#include <wx/string.h>

class IDbConnection;

// Backs the record's database up next to the archive, verifies it and writes the
// archive with it; the .bak is removed afterwards whenever this computer sees it.
bool BackupSqlServerDatabase(const DbConnectionInfo& info, const wxString& archivePath, const wxString& information,
                             wxString* error);

// Whether the server runs on this computer. *known is false when neither the
// server's own machine name nor its address could tell.
bool IsLocalSqlServer(IDbConnection* connection, const wxString& serverField, bool* known, wxString* machineName);

// Whether the SQL Server service sees `folder` as a folder; *checked false (and
// true returned) when it could not tell.
bool SqlServerPathIsDirectory(IDbConnection* connection, const wxString& folder, bool* checked);

// Trimmed, lower case, cut before the first ".".
wxString ShortHostName(const wxString& name);

// The .bak the server writes for an archive: "<archive name>_veldrix_temp.bak" beside it.
wxString SqlServerBackupTempPath(const wxString& archivePath);

// The statements sent to the server.
wxString SqlServerMachineNameSql();
wxString SqlServerFolderCheckSql(const wxString& folder);
wxString SqlServerBackupSql(const wxString& database, const wxString& backupPath);
wxString SqlServerVerifySql(const wxString& backupPath);
