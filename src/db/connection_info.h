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

// How long a connection waits for its server; set by the caller that opens it,
// never part of a connection string. Each driver bounds the waits with its client
// library's own means.
struct ServerWaits {
  int connectSeconds = 15;  // to reach the server and log in
  // For the next bytes of a statement's answer: when the server sends nothing for
  // this long the statement fails and the connection is dropped. 0: no bound.
  int answerMs = 0;
  // For a row or table lock another session holds (the session setting of every
  // open); the statement then fails and the connection stays. 0: the server's own.
  int rowLockMs = 0;
};

// How long a driver waits for the server to take the cancel of a statement the
// answer bound cut: a server that still listens takes it at once; a silent one adds
// no more than this to the bound (MariaDB: its connect and its answer each).
inline int CutCancelMs(int answerMs) { return answerMs / 2 < 3000 ? answerMs / 2 : 3000; }

struct DbConnectionInfo {
  wxString driver;
  wxString server;
  int port = 1433;
  wxString database;
  wxString user;
  wxString password;
  bool ssl = false;
  ConnectionOptions options;
  ServerWaits waits;
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
// Parses the text, picks its driver and opens a connection with the waits. On
// failure nothing is written to `connection` or `info`.
bool OpenConnection(const wxString& text, std::shared_ptr<IDbConnection>* connection, DbConnectionInfo* info,
                    wxString* error, const ServerWaits& waits = ServerWaits());
