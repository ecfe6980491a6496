#include "dbsetup/sql_server_backup.h"

#include "app/common/i18n.h"
#include "db/db_connection.h"
#include "db/sql_server_address.h"
#include "dbsetup/database_archive.h"
#include "sqldata/sql_literals.h"

#include <wx/filename.h>
#include <wx/utils.h>

#include <memory>

namespace {

// The first non-NULL cell of the first result set that has a row and a column.
bool FirstCell(const DbQueryResult& result, wxString* text) {
  for (const DbResultSet& set : result.resultSets) {
    if (set.rowCount < 1 || set.columns.empty()) continue;
    if (set.isNull(0, 0)) return false;
    *text = set.text(0, 0);
    return true;
  }
  return false;
}

void RemoveIfSeen(const wxString& path) {
  if (wxFileName::FileExists(path)) wxRemoveFile(path);
}

}  // namespace

wxString ShortHostName(const wxString& name) {
  wxString text = name;
  text.Trim(true).Trim(false);
  return text.Lower().BeforeFirst('.');
}

wxString SqlServerBackupTempPath(const wxString& archivePath) {
  wxFileName path(archivePath);
  path.SetName(path.GetName() + "_veldrix_temp");
  path.SetExt("bak");
  return path.GetFullPath();
}

wxString SqlServerMachineNameSql() { return "SELECT CAST(SERVERPROPERTY('MachineName') AS nvarchar(128))"; }

wxString SqlServerFolderCheckSql(const wxString& folder) {
  return "DECLARE @veldrix_path TABLE ([FileExists] int, [IsDirectory] int, [ParentExists] int); "
         "INSERT INTO @veldrix_path EXEC master.dbo.xp_fileexist " +
         QuoteSqlNLiteral(folder) + "; SELECT [IsDirectory] FROM @veldrix_path;";
}

wxString SqlServerBackupSql(const wxString& database, const wxString& backupPath) {
  return "BACKUP DATABASE " + QuoteIdentifier(database, "SQL Server") + " TO DISK = " + QuoteSqlNLiteral(backupPath) +
         " WITH COPY_ONLY, INIT, CHECKSUM";
}

wxString SqlServerVerifySql(const wxString& backupPath) {
  return "RESTORE VERIFYONLY FROM DISK = " + QuoteSqlNLiteral(backupPath);
}

bool IsLocalSqlServer(IDbConnection* connection, const wxString& serverField, bool* known, wxString* machineName) {
  bool isKnown = false;
  wxString machine;
  DbQueryResult result;
  bool local = false;
  if (connection && connection->execute(SqlServerMachineNameSql(), &result, nullptr) && FirstCell(result, &machine)) {
    isKnown = true;
    local = ShortHostName(wxGetHostName()) == ShortHostName(machine);
  } else {
    // The instance part does not name a computer; "." and "(local)" do.
    local = IsLocalSqlHost(serverField.BeforeFirst('\\'));
    isKnown = local;
  }
  if (known) *known = isKnown;
  if (machineName) *machineName = machine;
  return local;
}

bool SqlServerPathIsDirectory(IDbConnection* connection, const wxString& folder, bool* checked) {
  if (checked) *checked = false;
  DbQueryResult result;
  wxString cell;
  long value = 0;
  if (!connection || !connection->execute(SqlServerFolderCheckSql(folder), &result, nullptr) ||
      !FirstCell(result, &cell) || !cell.ToLong(&value)) {
    return true;
  }
  if (checked) *checked = true;
  return value != 0;
}

bool BackupSqlServerDatabase(const DbConnectionInfo& info, const wxString& archivePath, const wxString& information,
                             wxString* error) {
  const wxString backupPath = SqlServerBackupTempPath(archivePath);
  RemoveIfSeen(backupPath);
  const auto fail = [error](const wxString& text) {
    if (error) *error = text;
    return false;
  };

  DbConnectionInfo master = info;
  master.database = "master";
  std::shared_ptr<IDbConnection> connection;
  wxString failure;
  if (!OpenConnection(BuildConnectionString(master), &connection, nullptr, &failure)) {
    return fail(_("Nie udało się połączyć z bazą master SQL Server: ") + failure);
  }
  bool known = false;
  wxString machine;
  const bool local = IsLocalSqlServer(connection.get(), info.server, &known, &machine);
  const wxString folder = wxFileName(backupPath).GetPath();
  if (known && !local && !folder.StartsWith("\\\\")) {
    connection->close();
    wxString text = _("Połączenie prowadzi do zdalnego SQL Server");
    if (!machine.empty()) text << " (" << machine << ")";
    text << ".\n\n" << _("Wybrana ścieżka jest lokalna dla komputera z Veldrix:") << "\n" << folder << "\n\n"
         << _("Dla zdalnego serwera wybierz wspólną ścieżkę UNC, np. \\\\serwer\\backup.");
    return fail(text);
  }
  bool checked = false;
  if (!SqlServerPathIsDirectory(connection.get(), folder, &checked) && checked) {
    connection->close();
    return fail(_("Usługa SQL Server nie widzi wybranego katalogu albo nie ma do niego dostępu:") + "\n" + folder +
                "\n\n" + _("Wybierz katalog dostępny dla konta usługi SQL Server. Dla serwera zdalnego użyj ścieżki UNC."));
  }
  DbQueryResult result;
  if (!connection->execute(SqlServerBackupSql(info.database, backupPath), &result, &failure)) {
    connection->close();
    RemoveIfSeen(backupPath);
    return fail(_("SQL Server nie wykonał kopii zapasowej: ") + failure + "\n\n" +
                _("Usługa SQL Server musi mieć prawo zapisu do katalogu:") + "\n" + folder);
  }
  const bool verified = connection->execute(SqlServerVerifySql(backupPath), &result, &failure);
  connection->close();
  const bool seen = wxFileName::FileExists(backupPath);
  if (!verified) {
    RemoveIfSeen(backupPath);
    return fail(_("Kopia SQL Server została utworzona, ale nie przeszła weryfikacji RESTORE VERIFYONLY: ") + failure);
  }
  if (!seen) {
    return fail(_("SQL Server utworzył plik .bak po stronie serwera, ale Veldrix nie może odczytać go pod ścieżką:") +
                "\n" + backupPath + "\n\n" +
                _("Dla zdalnego SQL Server wybierz katalog UNC dostępny dla usługi SQL Server i komputera z Veldrix."));
  }
  const bool written = WriteZipArchive(backupPath, SafeFileNamePart(info.database) + ".bak", archivePath, information,
                                       error);
  RemoveIfSeen(backupPath);
  return written;
}
