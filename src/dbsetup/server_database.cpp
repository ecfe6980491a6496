#include "dbsetup/server_database.h"

#include "app/common/i18n.h"
#include "db/db_connection.h"
#include "dbsetup/connection_profile.h"
#include "dbsetup/schema_checks.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"

#include <wx/filename.h>

#include <memory>

namespace {

bool HasRow(const DbQueryResult& result) { return !result.resultSets.empty() && result.resultSets[0].rowCount > 0; }

// Connects to the server's "master" database, or with no database at all when
// the login may not open "master".
bool ConnectToSqlServer(const DbConnectionInfo& info, const ServerWaits& waits,
                        std::shared_ptr<IDbConnection>* connection, wxString* error) {
  DbConnectionInfo server = info;
  server.database = "master";
  if (OpenConnection(BuildConnectionString(server), connection, nullptr, error, waits)) return true;
  server.database.clear();
  error->clear();
  return OpenConnection(BuildConnectionString(server), connection, nullptr, error, waits);
}

// MySQL and PostgreSQL: a connection to the server itself (no database, or the
// "postgres" maintenance database), for questions about the record's database.
bool ConnectWithoutDatabase(const DbConnectionInfo& info, const ServerWaits& waits,
                            std::shared_ptr<IDbConnection>* connection, wxString* error) {
  DbConnectionInfo server = info;
  server.database = SameEngine(ServerTypeOf(info), "MySQL") ? wxString() : wxString("postgres");
  return OpenConnection(BuildConnectionString(server), connection, nullptr, error, waits);
}

wxString WithDetail(const wxString& text, const wxString& detail) {
  return detail.empty() ? text : text + "\n" + detail;
}

}  // namespace

ServerWaits QuickCheckWaits() { return SQLData::ScreenWaits(); }

wxString SqlServerDatabaseExistsSql(const wxString& name) {
  return "SELECT 1 FROM sys.databases WHERE name=" + QuoteSqlNLiteral(name);
}

wxString CreateSqlServerDatabaseSql(const wxString& name) {
  return "CREATE DATABASE " + QuoteIdentifier(name, "SQL Server");
}

wxString CreateServerDatabaseSql(const wxString& engine, const wxString& name) {
  // MariaDB's server default may still be latin1, which would mangle Polish text.
  if (SameEngine(engine, "MySQL")) return "CREATE DATABASE " + QuoteIdentifier(name, engine) + " CHARACTER SET utf8mb4";
  return "CREATE DATABASE " + QuoteIdentifier(name, engine);
}

bool CreateServerDatabase(const DbConnectionInfo& info, wxString* error) {
  const wxString engine = ServerTypeOf(info);
  const wxString name = TrimmedText(info.database);
  if (name.empty()) {
    if (error) *error = _("Podaj nazwę bazy programu.");
    return false;
  }
  std::shared_ptr<IDbConnection> connection;
  wxString failure;
  // Creating a database may rightly take long: no answer bound.
  if (!ConnectWithoutDatabase(info, ServerWaits(), &connection, &failure)) {
    if (error) *error = WithDetail(_("Nie udało się połączyć z serwerem w celu utworzenia bazy programu."), failure);
    return false;
  }
  DbQueryResult result;
  const bool created = connection->execute(CreateServerDatabaseSql(engine, name), &result, &failure);
  connection->close();
  if (!created) {
    if (error) *error = WithDetail(_("Nie udało się utworzyć bazy programu na serwerze."), failure);
    return false;
  }
  return true;
}

bool SqlServerDatabaseExists(const DbConnectionInfo& info, bool* exists, wxString* error, const ServerWaits& waits) {
  if (exists) *exists = false;
  std::shared_ptr<IDbConnection> connection;
  wxString failure;
  if (!ConnectToSqlServer(info, waits, &connection, &failure)) {
    if (error) *error = _("Nie udało się połączyć z serwerem SQL Server: ") + failure;
    return false;
  }
  DbQueryResult result;
  if (!connection->execute(SqlServerDatabaseExistsSql(info.database), &result, &failure)) {
    connection->close();
    if (error) *error = _("Nie udało się sprawdzić istnienia bazy na SQL Server: ") + failure;
    return false;
  }
  if (exists) *exists = HasRow(result);
  connection->close();
  return true;
}

bool ServerDatabaseExists(const DbConnectionInfo& info, bool* exists, wxString* error, const ServerWaits& waits) {
  if (exists) *exists = false;
  const wxString engine = ServerTypeOf(info);
  if (SameEngine(engine, "SQL Server")) return SqlServerDatabaseExists(info, exists, error, waits);
  // Opening a SQLite file that is not there would create it.
  if (SameEngine(engine, "SQLite")) {
    if (exists) *exists = wxFileName::FileExists(info.server);
    return true;
  }

  std::shared_ptr<IDbConnection> connection;
  wxString failure;
  const bool mysql = SameEngine(engine, "MySQL");
  if (mysql || SameEngine(engine, "PostgreSQL")) {
    if (!ConnectWithoutDatabase(info, waits, &connection, &failure)) {
      if (error) *error = _("Nie udało się połączyć z serwerem: ") + failure;
      return false;
    }
    const wxString sql = (mysql ? "SELECT 1 FROM INFORMATION_SCHEMA.SCHEMATA WHERE SCHEMA_NAME="
                                : "SELECT 1 FROM pg_database WHERE datname=") +
                         QuoteSqlLiteral(info.database);
    DbQueryResult result;
    if (!connection->execute(sql, &result, &failure)) {
      connection->close();
      if (error) *error = _("Nie udało się sprawdzić istnienia bazy: ") + failure;
      return false;
    }
    if (exists) *exists = HasRow(result);
    connection->close();
    return true;
  }

  if (!OpenConnection(BuildConnectionString(info), &connection, nullptr, &failure, waits)) {
    if (error) *error = _("Nie udało się połączyć z bazą: ") + failure;
    return false;
  }
  connection->close();
  if (exists) *exists = true;
  return true;
}

bool CreateSqlServerDatabase(const DbConnectionInfo& info, wxString* error) {
  if (!SameEngine(ServerTypeOf(info), "SQL Server")) return true;
  wxString name = info.database;
  name.Trim(true).Trim(false);
  if (name.empty()) {
    if (error) *error = _("Podaj nazwę bazy programu dla SQL Server.");
    return false;
  }
  std::shared_ptr<IDbConnection> connection;
  wxString failure;
  // Creating a database may rightly take long: no answer bound.
  if (!ConnectToSqlServer(info, ServerWaits(), &connection, &failure)) {
    if (error) *error = WithDetail(_("Nie udało się połączyć z serwerem SQL w celu sprawdzenia bazy programu."), failure);
    return false;
  }
  DbQueryResult result;
  if (!connection->execute(SqlServerDatabaseExistsSql(name), &result, &failure)) {
    if (error) *error = WithDetail(_("Nie udało się sprawdzić, czy baza programu istnieje na SQL Server."), failure);
    connection->close();
    return false;
  }
  if (!HasRow(result)) {
    DbQueryResult created;
    if (!connection->execute(CreateSqlServerDatabaseSql(name), &created, &failure)) {
      if (error) *error = WithDetail(_("Nie udało się utworzyć bazy programu na SQL Server."), failure);
      connection->close();
      return false;
    }
  }
  connection->close();
  return true;
}

bool EnsureProgramDatabase(const DbConnectionInfo& info, bool* existed, wxString* error) {
  if (existed) *existed = false;
  const wxString engine = ServerTypeOf(info);
  if (SameEngine(engine, "SQLite")) {
    if (existed) *existed = wxFileName::FileExists(info.server);
    return true;
  }
  const bool sqlServer = SameEngine(engine, "SQL Server");
  if (sqlServer || SameEngine(engine, "MySQL") || SameEngine(engine, "PostgreSQL")) {
    bool exists = false;
    if (!ServerDatabaseExists(info, &exists, error)) return false;
    if (existed) *existed = exists;
    if (exists) return true;
    return sqlServer ? CreateSqlServerDatabase(info, error) : CreateServerDatabase(info, error);
  }
  if (error) {
    *error = wxString::Format(_("Tworzenie struktury Veldrix dla silnika %s nie jest jeszcze obsługiwane przez "
                                "dostarczone skrypty. Interfejs połączeń jest przygotowany na dodanie tego silnika."),
                              engine);
  }
  return false;
}
