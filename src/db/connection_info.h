// Connection strings and the record they are read into. A connection string is
// ";"-separated key=value pairs with keys matched ignoring case and no quoting;
// the program writes them in one canonical order (BuildConnectionString).
#pragma once

#include <wx/string.h>

#include <map>
#include <memory>

class IDbConnection;

// Ordered by plain code-point comparison of the keys; lookups through
// GetConnectionOption ignore case.
using ConnectionOptions = std::map<wxString, wxString>;

struct DbConnectionInfo {
  wxString driver;
  wxString server;
  int port = 1433;
  wxString database;
  wxString user;
  wxString password;
  bool ssl = false;
  ConnectionOptions options;
};

// Splits the text into pairs; true when at least one pair was read.
bool ParseConnectionString(const wxString& text, ConnectionOptions* out);
void ConnectionInfoFromMap(const ConnectionOptions& values, DbConnectionInfo* out);

// The value of the first key (in map order) equal to `key` ignoring case, or empty.
wxString GetConnectionOption(const ConnectionOptions& options, const wxString& key);
// An empty value changes nothing; an existing key (ignoring case) keeps its spelling.
void SetConnectionOption(ConnectionOptions* options, const wxString& key, const wxString& value);

wxString DriverNameForServerType(const wxString& serverType);
int DefaultPortForServerType(const wxString& serverType);
wxString ServerTypeOf(const DbConnectionInfo& info);
wxString BuildServerInput(const DbConnectionInfo& info);
wxString ServerInputOf(const DbConnectionInfo& info);
wxString BuildConnectionString(const DbConnectionInfo& info);

bool ParseConnectionInfo(const wxString& text, DbConnectionInfo* out, wxString* error);
// Parses the text, picks its driver and opens a connection. On failure nothing is
// written to `connection` or `info`.
bool OpenConnection(const wxString& text, std::shared_ptr<IDbConnection>* connection, DbConnectionInfo* info,
                    wxString* error);
