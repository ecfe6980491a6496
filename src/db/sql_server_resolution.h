// Finding the TCP endpoint of a SQL Server: client aliases and instance ports from
// the registry (empty on this platform), and the SQL Server Browser service asked
// over UDP for the port of a named instance. Used by the SQL Server driver when it
// connects; every failure comes back as one English text.
#pragma once

#include "db/registry_reader.h"

#include <wx/string.h>

// Where the lookups look. The defaults are the program's: the system registry and
// the Browser on UDP port 1434 with a wait of two seconds. Tests point them elsewhere.
struct SqlServerLookup {
  const IRegistryReader* registry = nullptr;  // null: SystemRegistryReader()
  int browserPort = 1434;
  int browserTimeoutMs = 2000;

  const IRegistryReader& registryReader() const { return registry ? *registry : SystemRegistryReader(); }
};

// "TcpPort" of the key, else "TcpDynamicPorts" (HKEY_LOCAL_MACHINE, every view).
bool ReadInstanceTcpPort(const IRegistryReader& registry, const wxString& keyPath, int* port);
// The first sub-key but "IPAll" of the key whose ReadInstanceTcpPort gives a port.
bool FindPortInTcpSubkeys(const IRegistryReader& registry, const wxString& keyPath, int* port);

// The port of a named instance of this computer from its registry keys.
bool ResolveSqlServerInstance(const wxString& instance, int* port, wxString* error,
                              const SqlServerLookup& lookup = SqlServerLookup());
// The port of host\instance: the local registry for this computer, else (or when
// that has no answer) the Browser of the host.
bool ResolveSqlServerEndpoint(const wxString& host, const wxString& instance, int* port, wxString* error,
                              const SqlServerLookup& lookup = SqlServerLookup());
// The client alias of that name, if one is configured (true). A true result with a
// non-empty error is an alias the driver cannot use.
bool ResolveSqlServerAlias(const wxString& alias, wxString* host, int* port, wxString* error,
                           const SqlServerLookup& lookup = SqlServerLookup());

// One question to the Browser of `host` on `browserPort`: the TCP port of the
// instance. The error texts name host and instance.
bool QuerySqlBrowser(const wxString& host, const wxString& instance, int browserPort, int timeoutMs, int* port,
                     wxString* error);
