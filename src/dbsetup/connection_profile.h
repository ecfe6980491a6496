// One saved database connection as the database configuration dialog edits it, the
// names the dialog shows for it, and the store the application keeps the list in
// (the dialog sits below the application and reaches it only through that store).
#pragma once

#include "db/connection_info.h"

#include <wx/string.h>

#include <vector>

struct ConnectionProfile {
  wxString name;
  DbConnectionInfo info;  // password included when known
  bool rememberPassword = false;
  bool logSqlQueries = false;
};

// The server types the connection form offers, in the order it shows them.
const std::vector<wxString>& ServerTypeChoices();

wxString TrimmedText(const wxString& text);

// ServerTypeOf and ServerInputOf joined by " - ", or the one that is not empty.
wxString DescribeConnection(const DbConnectionInfo& info);

// The entry's name trimmed, else DescribeConnection of its connection.
wxString ConnectionDisplayLabel(const ConnectionProfile& profile);

// "<base> kopia", then "<base> kopia 2", 3 ... until no entry's label equals it
// ignoring case; an empty base counts as "Połączenie".
wxString UniqueConnectionName(const std::vector<ConnectionProfile>& profiles, const wxString& base);

// The first usable registered driver whose name contains the server type; "" when
// none does (the engine is missing from this build).
wxString DriverNameForChoice(const wxString& serverType);

// The port the form proposes for a server type; 0 (an empty port field) for SQLite
// and unknown types. Unlike DefaultPortForServerType, which reads connection strings.
int DefaultPortForChoice(const wxString& serverType);

// Where the saved connections live: the application implements it over its
// configuration file.
class IConnectionProfileStore {
 public:
  virtual ~IConnectionProfileStore() = default;
  // The saved connections in stored order, passwords put back; never empty.
  virtual std::vector<ConnectionProfile> ReadConnectionProfiles() const = 0;
  // The position of the saved connection that is the active one; 0 when none is.
  virtual int FindActiveSavedConnection() const = 0;
  // Rewrites the saved list and makes entry activeIndex the active connection.
  virtual bool SaveConnectionSettings(const std::vector<ConnectionProfile>& profiles, int activeIndex,
                                      wxString* error) = 0;
};
