#include "db/connection_info.h"

#include "db/driver_registry.h"

namespace {

void SetError(wxString* error, const wxString& text) {
  if (error) *error = text;
}

bool SameText(const wxString& a, const char* b) { return a.IsSameAs(b, false); }

// The value of the first of the keys that gives a non-empty value.
wxString FirstOf(const ConnectionOptions& values, const char* key, const char* elseKey) {
  wxString value = GetConnectionOption(values, key);
  if (value.empty()) value = GetConnectionOption(values, elseKey);
  return value;
}

bool ParsePort(const wxString& text, int* port) {
  if (text.empty() || text.length() > 5) return false;
  long value = 0;
  for (wxUniChar ch : text) {
    if (ch < '0' || ch > '9') return false;
    value = value * 10 + (ch.GetValue() - '0');
  }
  if (value > 65535) return false;
  *port = static_cast<int>(value);
  return true;
}

wxString InferServerType(const ConnectionOptions& values) {
  if (!GetConnectionOption(values, "Service").empty()) return "Oracle";
  if (!GetConnectionOption(values, "SSL/TLS").empty()) return "MySQL";
  const wxString dataSource = GetConnectionOption(values, "Data Source");
  if (!dataSource.empty() && GetConnectionOption(values, "Version") == "3") return "SQLite";
  if (!dataSource.empty() && (!GetConnectionOption(values, "Initial Catalog").empty() ||
                              SameText(GetConnectionOption(values, "Integrated Security"), "True"))) {
    return "SQL Server";
  }
  const wxString driver = GetConnectionOption(values, "Driver").Lower();
  if (!driver.empty()) {
    if (driver.Contains("sqlite")) return "SQLite";
    if (driver.Contains("mysql")) return "MySQL";
    if (driver.Contains("oracle")) return "Oracle";
    if (driver.Contains("postgres")) return "PostgreSQL";
    if (driver.Contains("sql server")) return "SQL Server";
  }
  return "SQLite";
}

bool ParseInto(const wxString& text, DbConnectionInfo* parsed, wxString* error) {
  ConnectionOptions values;
  if (!ParseConnectionString(text, &values)) {
    SetError(error, "Connection string is empty or invalid.");
    return false;
  }
  ConnectionInfoFromMap(values, parsed);
  if (parsed->driver.empty()) {
    SetError(error, "No compatible database driver found for the connection string.");
    return false;
  }
  return true;
}

}  // namespace

bool ParseConnectionString(const wxString& text, ConnectionOptions* out) {
  if (!out) return false;
  out->clear();
  std::size_t start = 0;
  const std::size_t length = text.length();
  while (start <= length) {
    std::size_t end = text.find(';', start);
    if (end == wxString::npos) end = length;
    wxString piece = text.substr(start, end - start);
    start = end + 1;
    piece.Trim(true).Trim(false);
    if (piece.empty()) continue;
    const std::size_t eq = piece.find('=');
    if (eq == wxString::npos) continue;
    wxString key = piece.substr(0, eq);
    wxString value = piece.substr(eq + 1);
    key.Trim(true).Trim(false);
    value.Trim(true).Trim(false);
    if (key.empty()) continue;
    (*out)[key] = value;
  }
  return !out->empty();
}

wxString GetConnectionOption(const ConnectionOptions& options, const wxString& key) {
  for (const auto& pair : options) {
    if (pair.first.IsSameAs(key, false)) return pair.second;
  }
  return wxString();
}

void SetConnectionOption(ConnectionOptions* options, const wxString& key, const wxString& value) {
  if (!options || value.empty()) return;
  for (auto& pair : *options) {
    if (pair.first.IsSameAs(key, false)) {
      pair.second = value;
      return;
    }
  }
  (*options)[key] = value;
}

void ConnectionInfoFromMap(const ConnectionOptions& values, DbConnectionInfo* out) {
  if (!out) return;
  wxString serverType = FirstOf(values, "ServerType", "server_type");
  const wxString driver = GetConnectionOption(values, "Driver");
  const wxString dataSource = GetConnectionOption(values, "Data Source");
  const wxString server = FirstOf(values, "Server", "Host");
  const wxString service = GetConnectionOption(values, "Service");
  const wxString database = GetConnectionOption(values, "Database");
  const wxString initialCatalog = GetConnectionOption(values, "Initial Catalog");
  const wxString authentication = GetConnectionOption(values, "Authentication");
  const wxString integratedSecurity = GetConnectionOption(values, "Integrated Security");
  const wxString sslTls = GetConnectionOption(values, "SSL/TLS");
  const wxString serverInput = FirstOf(values, "ServerInput", "server_input");
  const wxString instance = FirstOf(values, "ServerInstance", "server_instance");
  const wxString portText = GetConnectionOption(values, "Port");

  if (serverType.empty()) serverType = InferServerType(values);
  const bool isSqlite = SameText(serverType, "SQLite");

  out->options.clear();
  SetConnectionOption(&out->options, "server_type", serverType);
  wxString auth = authentication;
  if (auth.empty()) auth = SameText(integratedSecurity, "True") ? "windows" : "sql";
  SetConnectionOption(&out->options, "authentication", auth);
  wxString input = serverInput;
  if (input.empty()) {
    if (!dataSource.empty() && isSqlite) {
      input = dataSource;
    } else {
      input = !server.empty() ? server : dataSource;
    }
  }
  SetConnectionOption(&out->options, "server_input", input);
  SetConnectionOption(&out->options, "server_instance", instance);
  SetConnectionOption(&out->options, "charset", GetConnectionOption(values, "Charset"));

  out->driver = !driver.empty() ? driver : DriverNameForServerType(serverType);
  if (isSqlite) {
    out->server = dataSource;
  } else {
    out->server = !server.empty() ? server : dataSource;
  }
  if (!database.empty()) {
    out->database = database;
  } else {
    out->database = !initialCatalog.empty() ? initialCatalog : service;
  }
  out->user = GetConnectionOption(values, "User ID");
  out->password = GetConnectionOption(values, "Password");
  out->ssl = SameText(sslTls, "On") || GetConnectionOption(values, "SSL") == "1";
  int port = 0;
  out->port = ParsePort(portText, &port) ? port : DefaultPortForServerType(serverType);
}

wxString DriverNameForServerType(const wxString& serverType) {
  const char* needle = nullptr;
  if (SameText(serverType, "SQL Server")) {
    needle = "sql server";
  } else if (SameText(serverType, "MySQL")) {
    needle = "mysql";
  } else if (SameText(serverType, "Oracle")) {
    needle = "oracle";
  } else if (SameText(serverType, "PostgreSQL")) {
    needle = "postgres";
  } else if (SameText(serverType, "SQLite")) {
    needle = "sqlite";
  } else {
    return wxString();
  }
  for (const wxString& name : DriverRegistry::instance().names()) {
    if (name.Lower().Contains(needle)) return name;
  }
  return wxString();
}

int DefaultPortForServerType(const wxString& serverType) {
  if (SameText(serverType, "MySQL")) return 3306;
  if (SameText(serverType, "Oracle")) return 1521;
  if (SameText(serverType, "PostgreSQL")) return 5432;
  if (SameText(serverType, "SQLite")) return 0;
  return 1433;
}

wxString ServerTypeOf(const DbConnectionInfo& info) {
  const wxString stored = GetConnectionOption(info.options, "server_type");
  if (!stored.empty()) return stored;
  const wxString driver = info.driver.Lower();
  if (driver.Contains("sqlite")) return "SQLite";
  if (driver.Contains("mysql")) return "MySQL";
  if (driver.Contains("oracle")) return "Oracle";
  if (driver.Contains("postgres")) return "PostgreSQL";
  return "SQL Server";
}

wxString BuildServerInput(const DbConnectionInfo& info) {
  wxString text = info.server;
  const wxString instance = GetConnectionOption(info.options, "server_instance");
  if (!instance.empty()) text << "\\" << instance;
  if (info.port > 0) {
    const wxString type = GetConnectionOption(info.options, "server_type");
    const bool skipPort = SameText(type, "SQLite") || (SameText(type, "SQL Server") && !instance.empty());
    if (!skipPort) {
      // A bare IPv6 address would run into the port: "::1:1433" reads as another address.
      if (instance.empty() && text.Contains(":") && !text.StartsWith("[")) text = "[" + text + "]";
      text << ":" << info.port;
    }
  }
  return text;
}

wxString ServerInputOf(const DbConnectionInfo& info) {
  const wxString input = GetConnectionOption(info.options, "server_input");
  return input.empty() ? BuildServerInput(info) : input;
}

wxString BuildConnectionString(const DbConnectionInfo& info) {
  const wxString serverType = ServerTypeOf(info);
  wxString text;
  text << "Driver=" << info.driver << ";";
  text << "ServerType=" << serverType << ";";
  text << "Server=" << info.server << ";";
  text << "Port=" << info.port << ";";
  text << "Database=" << info.database << ";";
  text << "User ID=" << info.user << ";";
  text << "Password=" << info.password << ";";
  text << "SSL=" << (info.ssl ? "1" : "0") << ";";
  static const char* const kWrittenOptions[] = {"server_type", "authentication", "server_input", "server_instance",
                                                "charset"};
  for (const auto& pair : info.options) {
    for (const char* key : kWrittenOptions) {
      if (pair.first.IsSameAs(key, false)) {
        text << pair.first << "=" << pair.second << ";";
        break;
      }
    }
  }
  // SQLite takes its file from "Data Source" only: a file whose typed input differs
  // from it must still be written there, or the text read back names no database.
  if (SameText(serverType, "SQLite") && (!info.server.empty() || info.server == ServerInputOf(info))) {
    text << "Data Source=" << info.server << ";Version=3;";
  }
  return text;
}

bool ParseConnectionInfo(const wxString& text, DbConnectionInfo* out, wxString* error) {
  if (!out) {
    SetError(error, "Missing DbConnectionInfo output.");
    return false;
  }
  RegisterBuiltinDrivers();
  DbConnectionInfo parsed;
  if (!ParseInto(text, &parsed, error)) return false;
  *out = std::move(parsed);
  return true;
}

bool OpenConnection(const wxString& text, std::shared_ptr<IDbConnection>* connection, DbConnectionInfo* info,
                    wxString* error, const ServerWaits& waits) {
  RegisterBuiltinDrivers();
  DbConnectionInfo parsed;
  if (!ParseInto(text, &parsed, error)) return false;
  parsed.waits = waits;
  IDatabaseDriver* driver = DriverRegistry::instance().find(parsed.driver);
  if (!driver) {
    SetError(error, "Database driver is not available in this build.");
    return false;
  }
  std::shared_ptr<IDbConnection> opened = driver->createConnection();
  if (!opened) {
    SetError(error, "Cannot create database connection object.");
    return false;
  }
  if (!opened->open(parsed, error)) return false;
  if (connection) *connection = std::move(opened);
  if (info) *info = std::move(parsed);
  return true;
}
