#include "app/connection_settings.h"

#include "app/common/config_access.h"
#include "app/common/i18n.h"
#include "db/driver_registry.h"
#include "sqldata/db_log.h"

#include <wx/config.h>

#include <algorithm>

namespace {

const char kActiveGroup[] = "/AppDatabase";
const char kHistoryGroup[] = "/AppDatabase/History";

wxString HistoryEntryGroup(int index) { return wxString::Format("/AppDatabase/History/%d", index); }

wxString WithoutPassword(DbConnectionInfo info) {
  info.password.clear();
  return BuildConnectionString(info);
}

struct StoredActive {
  wxString connection;
  bool rememberPassword = false;
  bool logSqlQueries = false;
  wxString encryptedPassword;
};

StoredActive ReadStoredActive(wxConfigBase* config) {
  StoredActive stored;
  config->SetPath(kActiveGroup);
  config->Read("ConnectionString", &stored.connection, wxString());
  config->Read("RememberPassword", &stored.rememberPassword, false);
  config->Read("LogSqlQueries", &stored.logSqlQueries, false);
  config->Read("EncryptedPassword", &stored.encryptedPassword, wxString());
  config->SetPath("/");
  return stored;
}

// Writes a connection's keys into the current group; the password never goes into
// the string, a remembered one goes apart, protected.
void WriteConnectionKeys(wxConfigBase* config, const SavedConnection& entry) {
  config->Write("ConnectionString", WithoutPassword(entry.info));
  config->Write("RememberPassword", entry.rememberPassword);
  config->Write("LogSqlQueries", entry.logSqlQueries);
  if (entry.rememberPassword && !entry.encryptedPassword.empty()) {
    config->Write("EncryptedPassword", entry.encryptedPassword);
  } else {
    config->DeleteEntry("EncryptedPassword", false);
  }
}

void WriteStoredActive(wxConfigBase* config, const SavedConnection& active) {
  config->SetPath(kActiveGroup);
  WriteConnectionKeys(config, active);
  config->SetPath("/");
}

// Whether the active connection's keys already hold the entry as it would write them.
bool IsStoredActive(wxConfigBase* config, const SavedConnection& entry) {
  const StoredActive stored = ReadStoredActive(config);
  const wxString password = entry.rememberPassword ? entry.encryptedPassword : wxString();
  const wxString storedPassword = stored.rememberPassword ? stored.encryptedPassword : wxString();
  return stored.connection == WithoutPassword(entry.info) && stored.rememberPassword == entry.rememberPassword &&
         stored.logSqlQueries == entry.logSqlQueries && storedPassword == password;
}

// Puts the whole history in place of the stored one, without writing the file.
void ReplaceSavedConnections(wxConfigBase* config, const std::vector<SavedConnection>& list) {
  config->SetPath("/");
  config->DeleteGroup(kHistoryGroup);
  const int count = static_cast<int>(std::min<std::size_t>(list.size(), kMaxSavedConnections));
  config->SetPath(kHistoryGroup);
  config->Write("Count", static_cast<long>(count));
  for (int index = 0; index < count; ++index) {
    const SavedConnection& entry = list[static_cast<std::size_t>(index)];
    config->SetPath(HistoryEntryGroup(index));
    config->Write("Name", entry.name);
    WriteConnectionKeys(config, entry);
  }
  config->SetPath("/");
}

}  // namespace

bool IsSameConnection(const DbConnectionInfo& a, const DbConnectionInfo& b) {
  return WithoutPassword(a) == WithoutPassword(b);
}

bool ReadSavedConnection(wxConfigBase* config, int index, SavedConnection* out, bool decryptPassword) {
  if (!config || !out || index < 0) return false;
  SavedConnection entry;
  wxString connection;
  config->SetPath(HistoryEntryGroup(index));
  config->Read("ConnectionString", &connection, wxString());
  config->Read("Name", &entry.name, wxString());
  config->Read("RememberPassword", &entry.rememberPassword, false);
  config->Read("LogSqlQueries", &entry.logSqlQueries, false);
  config->Read("EncryptedPassword", &entry.encryptedPassword, wxString());
  config->SetPath("/");
  if (connection.empty() || !ParseConnectionInfo(connection, &entry.info, nullptr)) return false;
  if (decryptPassword && entry.rememberPassword && !entry.encryptedPassword.empty()) {
    wxString password;
    if (UnprotectDatabasePassword(entry.encryptedPassword, &password)) entry.info.password = password;
  }
  *out = std::move(entry);
  return true;
}

std::vector<SavedConnection> ReadSavedConnections(wxConfigBase* config, bool decryptPassword) {
  std::vector<SavedConnection> list;
  if (!config) return list;
  long count = 0;
  config->SetPath(kHistoryGroup);
  config->Read("Count", &count, 0L);
  config->SetPath("/");
  const int limit = static_cast<int>(std::min<long>(std::max<long>(count, 0), kMaxSavedConnections));
  for (int index = 0; index < limit; ++index) {
    SavedConnection entry;
    if (ReadSavedConnection(config, index, &entry, decryptPassword)) list.push_back(std::move(entry));
  }
  return list;
}

bool WriteSavedConnections(wxConfigBase* config, const std::vector<SavedConnection>& list, wxString* error) {
  if (config) ReplaceSavedConnections(config, list);
  return veldrix::FlushConfig(config, error);
}

wxString ConnectionSettings::GetDefaultDatabasePath() const {
  std::lock_guard<std::mutex> guard(lock_);
  return defaultDatabasePath_;
}

void ConnectionSettings::SetDefaultDatabasePath(const wxString& path) {
  std::lock_guard<std::mutex> guard(lock_);
  defaultDatabasePath_ = path;
}

wxString ConnectionSettings::CachedConnection() const {
  std::lock_guard<std::mutex> guard(lock_);
  return activeConnectionCache_;
}

void ConnectionSettings::SetCachedConnection(const wxString& connection) {
  std::lock_guard<std::mutex> guard(lock_);
  activeConnectionCache_ = connection;
}

wxString ConnectionSettings::DefaultSqliteConnection() const {
  RegisterBuiltinDrivers();
  const wxString text = "Data Source=" + GetDefaultDatabasePath() + ";Version=3;";
  DbConnectionInfo info;
  if (ParseConnectionInfo(text, &info, nullptr)) return BuildConnectionString(info);
  return text;
}

wxString ConnectionSettings::GetActiveConnection() const {
  const wxString cached = CachedConnection();
  if (!cached.empty()) return cached;
  const wxString fallback = DefaultSqliteConnection();
  StoredActive stored;
  {
    veldrix::ConfigAccess config;
    if (!config) return fallback;
    stored = ReadStoredActive(config.get());
  }
  SqlTraceEnabled.store(stored.logSqlQueries);
  if (stored.connection.empty()) return fallback;
  DbConnectionInfo info;
  if (!ParseConnectionInfo(stored.connection, &info, nullptr)) return stored.connection;
  wxString password;
  if (stored.rememberPassword && !stored.encryptedPassword.empty() &&
      UnprotectDatabasePassword(stored.encryptedPassword, &password)) {
    info.password = password;
  }
  return BuildConnectionString(info);
}

DbConnectionInfo ConnectionSettings::GetActiveConnectionInfo() const {
  DbConnectionInfo info;
  ParseConnectionInfo(GetActiveConnection(), &info, nullptr);
  return info;
}

bool ConnectionSettings::SetActiveConnection(const wxString& connection, wxString* error) {
  if (!connection.empty()) {
    SetCachedConnection(connection);
    return true;
  }
  SetCachedConnection(wxString());
  SqlTraceEnabled.store(false);
  veldrix::ConfigAccess config;
  if (config) {
    config->SetPath(kActiveGroup);
    config->DeleteEntry("ConnectionString", false);
    config->DeleteEntry("RememberPassword", false);
    config->DeleteEntry("LogSqlQueries", false);
    config->DeleteEntry("EncryptedPassword", false);
    config->SetPath("/");
  }
  return veldrix::FlushConfig(config.get(), error);
}

std::vector<ConnectionProfile> ConnectionSettings::ReadConnectionProfiles() const {
  std::vector<ConnectionProfile> profiles;
  std::vector<SavedConnection> history;
  StoredActive stored;
  bool haveConfig = false;
  {
    veldrix::ConfigAccess config;
    if (config) {
      haveConfig = true;
      history = ReadSavedConnections(config.get(), true);
      if (history.empty()) stored = ReadStoredActive(config.get());
    }
  }
  for (const SavedConnection& entry : history) {
    ConnectionProfile profile;
    profile.name = entry.name.empty() ? DescribeConnection(entry.info) : entry.name;
    profile.info = entry.info;
    profile.rememberPassword = entry.rememberPassword;
    profile.logSqlQueries = entry.logSqlQueries;
    profiles.push_back(std::move(profile));
  }
  if (profiles.empty()) {
    ConnectionProfile profile;
    ParseConnectionInfo(GetActiveConnection(), &profile.info, nullptr);
    profile.name = DescribeConnection(profile.info);
    profile.rememberPassword = haveConfig && stored.rememberPassword;
    profile.logSqlQueries = haveConfig && stored.logSqlQueries;
    profiles.push_back(std::move(profile));
  }
  return profiles;
}

bool ConnectionSettings::SaveConnectionSettings(const std::vector<ConnectionProfile>& profiles, int activeIndex,
                                                wxString* error) {
  if (profiles.empty() || activeIndex < 0 || static_cast<std::size_t>(activeIndex) >= profiles.size()) {
    if (error) *error = _("Wybierz co najmniej jedno połączenie do zapisania.");
    return false;
  }
  veldrix::ConfigAccess config;
  if (!config) {
    if (error) *error = _("Nie można otworzyć konfiguracji programu.");
    return false;
  }
  std::vector<SavedConnection> list;
  list.reserve(profiles.size());
  for (const ConnectionProfile& profile : profiles) {
    SavedConnection entry;
    entry.name = profile.name;
    entry.name.Trim(true).Trim(false);
    if (entry.name.empty()) entry.name = DescribeConnection(profile.info);
    entry.info = profile.info;
    entry.info.password.clear();
    entry.logSqlQueries = profile.logSqlQueries;
    if (profile.rememberPassword && !profile.info.password.empty() &&
        ProtectDatabasePassword(profile.info.password, &entry.encryptedPassword)) {
      entry.rememberPassword = true;
    } else {
      entry.encryptedPassword.clear();
    }
    list.push_back(std::move(entry));
  }
  const SavedConnection& active = list[static_cast<std::size_t>(activeIndex)];
  WriteStoredActive(config.get(), active);
  ReplaceSavedConnections(config.get(), list);
  if (!veldrix::FlushConfig(config.get(), error)) return false;
  SqlTraceEnabled.store(active.logSqlQueries);
  // The running program connects with the password typed in, remembered or not.
  SetCachedConnection(BuildConnectionString(profiles[static_cast<std::size_t>(activeIndex)].info));
  if (error) error->clear();
  return true;
}

wxArrayString ConnectionSettings::GetSavedConnectionNames() const {
  wxArrayString names;
  std::vector<SavedConnection> history;
  {
    veldrix::ConfigAccess config;
    history = ReadSavedConnections(config.get(), false);
  }
  for (const SavedConnection& entry : history) {
    names.Add(entry.name.empty() ? DescribeConnection(entry.info) : entry.name);
  }
  if (names.empty()) names.Add(DescribeConnection(GetActiveConnectionInfo()));
  return names;
}

int ConnectionSettings::FindActiveSavedConnection() const {
  std::vector<SavedConnection> history;
  {
    veldrix::ConfigAccess config;
    history = ReadSavedConnections(config.get(), false);
  }
  if (history.empty()) return 0;
  const DbConnectionInfo active = GetActiveConnectionInfo();
  for (std::size_t index = 0; index < history.size(); ++index) {
    if (IsSameConnection(history[index].info, active)) return static_cast<int>(index);
  }
  return 0;
}

bool ConnectionSettings::ActivateSavedConnection(int index, wxString* error) {
  veldrix::ConfigAccess config;
  if (!config) {
    if (error) *error = _("Nie można otworzyć konfiguracji programu.");
    return false;
  }
  // The index counts in the list GetSavedConnectionNames showed, which leaves out
  // unreadable entries; counting stored entries instead would open another database.
  const std::vector<SavedConnection> history = ReadSavedConnections(config.get(), true);
  if (history.empty() && index == 0) return true;  // the one name shown is the active connection
  if (index < 0 || static_cast<std::size_t>(index) >= history.size()) {
    if (error) *error = _("Nie znaleziono wybranego połączenia w konfiguracji programu.");
    return false;
  }
  const SavedConnection& entry = history[static_cast<std::size_t>(index)];
  // Going back to the stored active connection writes nothing, so it works even
  // while the file cannot be written.
  if (!IsStoredActive(config.get(), entry)) {
    WriteStoredActive(config.get(), entry);
    if (!veldrix::FlushConfig(config.get(), error)) return false;
  }
  SqlTraceEnabled.store(entry.logSqlQueries);
  SetCachedConnection(BuildConnectionString(entry.info));
  return true;
}
