// The active database connection and the saved connections (at most 50) in the
// configuration file, with passwords kept out of every stored connection string and
// remembered passwords stored protected. Every screen, worker and module opens the
// program database on ConnectionSettings::GetActiveConnection.
#pragma once

#include "app/password_protection.h"
#include "db/connection_info.h"
#include "dbsetup/connection_profile.h"

#include <wx/arrstr.h>
#include <wx/string.h>

#include <mutex>
#include <vector>

class wxConfigBase;

// One history entry as stored.
struct SavedConnection {
  wxString name;
  DbConnectionInfo info;
  bool rememberPassword = false;
  bool logSqlQueries = false;
  wxString encryptedPassword;  // the protected record; empty when none
};

constexpr int kMaxSavedConnections = 50;

// Two connections are the same when their connection strings without passwords match.
bool IsSameConnection(const DbConnectionInfo& a, const DbConnectionInfo& b);

// The configuration functions do nothing, or fail, when config is null. The caller
// holds the configuration lock (veldrix::ConfigAccess) when config is the process one.
// Entry `index` of "/AppDatabase/History"; false when it is missing, empty or does not parse.
bool ReadSavedConnection(wxConfigBase* config, int index, SavedConnection* out, bool decryptPassword);
// The readable entries among the first 50, in index order.
std::vector<SavedConnection> ReadSavedConnections(wxConfigBase* config, bool decryptPassword);
// Replaces the whole history with the first 50 of the list and writes the file;
// false, with the reason, when the file did not take it (nothing is changed then).
bool WriteSavedConnections(wxConfigBase* config, const std::vector<SavedConnection>& list,
                           wxString* error = nullptr);

// The connection state of one program run: the default database path, and the active
// connection string cached with its password until the program ends. Works on the
// installed process configuration; safe to call from any thread.
class ConnectionSettings : public IConnectionProfileStore {
 public:
  // Full path of the default SQLite file ("veldrix.db" beside the executable or "-bd").
  wxString GetDefaultDatabasePath() const;
  void SetDefaultDatabasePath(const wxString& path);

  // The default SQLite file in the canonical form of BuildConnectionString.
  wxString DefaultSqliteConnection() const;
  // The cached connection, else the stored one with its remembered password put back,
  // else the default. Also switches the SQL trace to the stored "LogSqlQueries".
  wxString GetActiveConnection() const;
  DbConnectionInfo GetActiveConnectionInfo() const;
  // An empty text returns to the default database: the cache and the stored active
  // connection are cleared, the saved connections stay; false, with the reason, when
  // the file did not take that. Another text becomes the active connection of this
  // run (not stored).
  bool SetActiveConnection(const wxString& connection, wxString* error = nullptr);

  // For the database configuration dialog: the history with passwords, or the active
  // connection alone when the history is empty. A save the file did not take
  // changes nothing, the active connection of this run included.
  std::vector<ConnectionProfile> ReadConnectionProfiles() const override;
  bool SaveConnectionSettings(const std::vector<ConnectionProfile>& profiles, int activeIndex,
                              wxString* error = nullptr) override;

  // For the login dialog: the names of the saved connections (the active connection's
  // description when there are none), the index of the active one among them (0 when
  // it is not found), and the switch to one of them by that same index. A failed
  // switch leaves the active connection as it was and says why.
  wxArrayString GetSavedConnectionNames() const;
  int FindActiveSavedConnection() const override;
  bool ActivateSavedConnection(int index, wxString* error = nullptr);

 private:
  wxString CachedConnection() const;
  void SetCachedConnection(const wxString& connection);

  mutable std::mutex lock_;
  wxString defaultDatabasePath_;
  wxString activeConnectionCache_;
};
