#include "pluginmanager/module_settings_store.h"

#include "app/common/config_access.h"
#include "pluginmanager/host_application.h"
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

bool ModuleSettingsStore::Set(const wxString& path, const wxString& key, const wxString& value, wxString* error) {
  std::lock_guard<std::mutex> guard(StoreLock());
  const wxString p = NormalizeConfigPath(path);
  if (IsCompanyPath(p)) {
    RemoveConfigGroup(p);
    return WriteCompanyValue(p, key, value, error);
  }
  veldrix::ConfigAccess access;
  wxConfigBase* config = access.get();
  if (config && !key.empty()) {
    config->SetPath(p);
    config->Write(key, value);
    config->SetPath("/");
  }
  // A value only in memory is gone at the next start.
  return FlushConfig(config, error);
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

bool ModuleSettingsStore::WriteCompanyValue(const wxString& path, const wxString& key, const wxString& value,
                                             wxString* error) {
  const long company = WorkingCompanyId();
  IHostApplication* app = HostApplication();
  if (key.empty() || company <= 0 || !app) return false;
  SQLData db(app->GetActiveConnection());
  auto fail = [&db, error] {
    if (error) *error = db.ErrorReason();
    return false;
  };
  if (!db.IniciujBazeDanych()) return fail();
  const wxString where = wxString::Format(" WHERE id_firmy=%ld", company) + " AND sciezka=" + QuoteSqlLiteral(path) +
                         " AND klucz=" + QuoteSqlLiteral(key);
  // Delete and insert are one unit: a failed insert must not leave the value gone.
  db.StartTransaction();
  if (db.errorFlag) return fail();
  const bool deleted = db.DeleteData("DELETE FROM ksef_ustawienia" + where) >= 0;
  const bool inserted =
      deleted && db.DeleteData(wxString::Format("INSERT INTO ksef_ustawienia(id_firmy, sciezka, klucz, wartosc, "
                                                "updated_at) VALUES(%ld,",
                                                company) +
                               QuoteSqlLiteral(path) + "," + QuoteSqlLiteral(key) + "," + QuoteSqlLiteral(value) +
                               ",CURRENT_TIMESTAMP)") >= 0;
  if (inserted && !db.errorFlag) {
    db.CommitTransaction();
    if (!db.errorFlag) return true;
  }
  if (error) *error = db.ErrorReason();
  db.RollbackTransaction();
  return false;
}

}  // namespace veldrix
