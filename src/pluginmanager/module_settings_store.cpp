#include "pluginmanager/module_settings_store.h"

#include "app/common/config_access.h"
#include "app/common/i18n.h"
#include "pluginmanager/host_application.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"

#include <wx/config.h>

#include <mutex>

namespace veldrix {
namespace {

// Created at first use and never destroyed: module threads may still call in
// while static objects are torn down at exit.
std::mutex& StoreLock() {
  static std::mutex* lock = new std::mutex();
  return *lock;
}

bool IsCompanyPath(const wxString& normalized) { return normalized.IsSameAs("/KSeF", false); }

bool Refuse(wxString* error, const wxString& reason) {
  if (error) *error = reason;
  return false;
}

}  // namespace

wxString NormalizeConfigPath(const wxString& path) {
  if (path.empty()) return "/";
  if (!path.StartsWith("/")) return "/" + path;
  return path;
}

wxString MakeModuleSettingsPath(const wxString& schemaPath, const wxString& moduleId) {
  wxString path = schemaPath.empty() ? "/Plugins/" + moduleId : schemaPath;
  if (!path.StartsWith("/")) path = "/" + path;
  return path;
}

wxString ModuleSettingsStore::Get(const wxString& path, const wxString& key, const wxString& defaultValue) {
  std::lock_guard<std::mutex> guard(StoreLock());
  const wxString p = NormalizeConfigPath(path);
  if (IsCompanyPath(p)) {
    RemoveConfigGroup(p);
    wxString value;
    return ReadCompanyValue(p, key, &value) ? value : defaultValue;
  }
  veldrix::ConfigAccess access;
  wxConfigBase* config = access.get();
  if (!config || key.empty()) return defaultValue;
  config->SetPath(p);
  wxString value;
  const bool found = config->Read(key, &value);
  config->SetPath("/");
  return found ? value : defaultValue;
}

bool ModuleSettingsStore::SetValues(const wxString& path, const ModuleSettingValues& values, wxString* error) {
  for (const auto& entry : values) {
    if (entry.first.empty()) return Refuse(error, _("Ustawienie modułu nie ma nazwy."));
  }
  if (values.empty()) return true;
  std::lock_guard<std::mutex> guard(StoreLock());
  const wxString p = NormalizeConfigPath(path);
  if (IsCompanyPath(p)) {
    RemoveConfigGroup(p);
    return WriteCompanyValues(p, values, error);
  }
  veldrix::ConfigAccess access;
  wxConfigBase* config = access.get();
  if (config) {
    config->SetPath(p);
    for (const auto& [key, value] : values) config->Write(key, value);
    config->SetPath("/");
  }
  // A value only in memory is gone at the next start; a failed flush drops them all.
  return FlushConfig(config, error);
}

bool ModuleSettingsStore::Set(const wxString& path, const wxString& key, const wxString& value, wxString* error) {
  return SetValues(path, {{key, value}}, error);
}

void ModuleSettingsStore::RemoveConfigGroup(const wxString& path) {
  veldrix::ConfigAccess access;
  wxConfigBase* config = access.get();
  if (!config) return;
  const wxString group = NormalizeConfigPath(path).Mid(1);
  if (group.empty()) return;
  config->SetPath("/");
  // Only tidying: a group the file keeps is removed again next time.
  if (config->HasGroup(group)) {
    config->DeleteGroup(group);
    FlushConfig(config);
  }
  config->SetPath("/");
}

bool ModuleSettingsStore::ReadCompanyValue(const wxString& path, const wxString& key, wxString* value) {
  const long company = WorkingCompanyId();
  IHostApplication* app = HostApplication();
  if (key.empty() || company <= 0 || !app) return false;
  SQLData db(app->GetActiveConnection());
  if (!db.IniciujBazeDanych()) return false;
  const wxArrayString cells =
      db.FrameData(wxString::Format("SELECT coalesce(wartosc,'') FROM ksef_ustawienia WHERE id_firmy=%ld", company) +
                   " AND sciezka=" + QuoteSqlLiteral(path) + " AND klucz=" + QuoteSqlLiteral(key) + " LIMIT 1");
  if (db.errorFlag || cells.empty()) return false;
  if (value) *value = cells[0];
  return true;
}

bool ModuleSettingsStore::WriteCompanyValues(const wxString& path, const ModuleSettingValues& values,
                                              wxString* error) {
  const long company = WorkingCompanyId();
  if (company <= 0) return Refuse(error, _("Nie wybrano firmy, dla której zapisać ustawienia."));
  IHostApplication* app = HostApplication();
  if (!app) return Refuse(error, _("Brak połączenia z bazą danych programu."));
  SQLData db(app->GetActiveConnection());
  // Every delete and insert is one unit: a failed insert must leave neither its
  // value gone nor the page's earlier values stored.
  const bool stored = db.IniciujBazeDanych() && db.RunTransaction([&] {
    for (const auto& [key, value] : values) {
      const wxString where = wxString::Format(" WHERE id_firmy=%ld", company) + " AND sciezka=" +
                             QuoteSqlLiteral(path) + " AND klucz=" + QuoteSqlLiteral(key);
      if (db.DeleteData("DELETE FROM ksef_ustawienia" + where) < 0) return false;
      const wxString insert = wxString::Format("INSERT INTO ksef_ustawienia(id_firmy, sciezka, klucz, wartosc, "
                                               "updated_at) VALUES(%ld,",
                                               company) +
                              QuoteSqlLiteral(path) + "," + QuoteSqlLiteral(key) + "," + QuoteSqlLiteral(value) +
                              ",CURRENT_TIMESTAMP)";
      if (db.DeleteData(insert) < 0) return false;
    }
    return true;
  });
  if (!stored && error) *error = SaveFailureText(db, db.ErrorReason());
  return stored;
}

}  // namespace veldrix
