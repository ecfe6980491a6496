#include "dbsetup/database_probe.h"

#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "db/db_connection.h"
#include "dbsetup/baza_skrypt.h"
#include "dbsetup/json_document.h"
#include "dbsetup/schema_checks.h"
#include "dbsetup/schema_version.h"
#include "dbsetup/server_database.h"
#include "sqldata/sql_data.h"

#include <wx/filename.h>

#include <algorithm>
#include <memory>

bool LoadUpgradeManifestFile(const wxString& path, std::vector<UpgradeManifestEntry>* entries, wxString* error) {
  if (!wxFileName::FileExists(path)) return true;
  nlohmann::json root;
  wxString failure;
  if (!ReadJsonFile(path, &root, &failure)) {
    if (error) *error = wxString::Format(_("Błąd ładowania skryptu aktualizacji bazy: %s"), failure);
    return false;
  }
  const auto updates = root.is_object() ? root.find("updates") : root.end();
  if (!root.is_object() || updates == root.end() || !updates->is_array()) {
    if (error) *error = _("Błąd formatu skryptu aktualizacji bazy.");
    return false;
  }
  wxString moduleKey;
  if (const auto module = FindJsonString(root, "module")) moduleKey = wxString::FromUTF8(*module).Lower();
  for (const nlohmann::json& step : *updates) {
    const auto version = FindJsonString(step, "version");
    if (!version) {
      if (error) *error = _("Błąd formatu wersji w skrypcie aktualizacji bazy.");
      return false;
    }
    UpgradeManifestEntry entry;
    entry.module = moduleKey;
    if (!ParseSchemaVersion(wxString::FromUTF8(*version), &entry.version)) entry.version = 0;
    entries->push_back(entry);
  }
  return true;
}

bool LoadUpgradeManifest(std::vector<UpgradeManifestEntry>* entries, wxString* error) {
  const wxString program = veldrix::ProgramFolder();
  if (!LoadUpgradeManifestFile(veldrix::JoinPath(program, "baza_aktualizacja.json"), entries, error)) return false;
  const wxString modules = veldrix::JoinPath(program, "Moduly");
  for (const wxString& folder : ModuleFolderNames(modules)) {
    if (!LoadUpgradeManifestFile(veldrix::JoinPath(modules, folder, "baza_aktualizacja.json"), entries, error)) {
      return false;
    }
  }
  return true;
}

void ReadModuleVersions(SQLData* db, ModuleVersionMap* versions) {
  versions->clear();
  if (!db || !TableExists(db, "baza_modul")) return;
  const wxArrayString cells =
      db->FrameData("select modul, " + VersionColumnSql(db->GetEngine(), "wersja") + " from baza_modul");
  for (size_t i = 0; i + 1 < cells.size(); i += 2) {
    wxString key = cells[i].Lower();
    key.Trim(true).Trim(false);
    if (key.empty()) continue;
    double version = 0;
    if (!ParseSchemaVersion(cells[i + 1], &version)) version = 0;
    double& stored = (*versions)[key];
    stored = std::max(stored, version);
  }
}

double ModuleBaseVersion(SQLData* db, const wxString& moduleKey, const ModuleVersionMap& versions,
                         double bazaVersion) {
  if (!db || moduleKey.empty()) return 0;
  wxString key = moduleKey.Lower();
  key.Trim(true).Trim(false);
  const auto found = versions.find(key);
  if (found != versions.end() && found->second > 0) return found->second;
  const wxString marker = ModuleMarkerTable(key);
  if (!marker.empty() && TableExists(db, marker)) return bazaVersion;
  return 0;
}

bool IsDatabaseUpgradeRequired(SQLData* db, wxString* error, double bazaVersion) {
  std::vector<UpgradeManifestEntry> entries;
  if (!LoadUpgradeManifest(&entries, error)) return false;
  std::map<wxString, double> highest;
  for (const UpgradeManifestEntry& entry : entries) {
    double& top = highest[entry.module];
    top = std::max(top, entry.version);
  }
  ModuleVersionMap versions;
  ReadModuleVersions(db, &versions);
  for (const auto& [key, version] : highest) {
    const double base = key.empty() ? bazaVersion : ModuleBaseVersion(db, key, versions, bazaVersion);
    if (VersionAbove(version, base)) return true;
  }
  return false;
}

bool ReadDatabaseVersion(SQLData* db, double* version) {
  if (!db) return false;
  const wxArrayString cells = db->FrameData("select " + VersionColumnSql(db->GetEngine(), "wersja") + " from baza");
  return !cells.empty() && ParseSchemaVersion(cells[0], version);
}

bool ProbeDatabase(const DbConnectionInfo& info, DatabaseProbeResult* result, wxString* error) {
  return ProbeDatabaseWithin(QuickCheckWaits(), info, result, error);
}

bool ProbeDatabaseWithin(const ServerWaits& waits, const DbConnectionInfo& info, DatabaseProbeResult* result,
                         wxString* error) {
  if (!result) return false;
  *result = DatabaseProbeResult();
  const wxString engine = ServerTypeOf(info);
  if (SameEngine(engine, "SQLite")) {
    result->reached = true;
    if (!wxFileName::FileExists(info.server)) {
      result->status = _("Baza nie istnieje");
      return true;
    }
    result->exists = true;
  } else {
    bool exists = false;
    if (!ServerDatabaseExists(info, &exists, error, waits)) return false;
    result->reached = true;
    result->exists = exists;
    if (!exists) {
      result->status = _("Baza nie istnieje");
      return true;
    }
  }

  const wxString connectionString = BuildConnectionString(info);
  {
    std::shared_ptr<IDbConnection> connection;
    wxString failure;
    if (!OpenConnection(connectionString, &connection, nullptr, &failure, waits)) {
      if (error) *error = _("Baza istnieje, ale nie udało się jej otworzyć: ") + failure;
      return false;
    }
    connection->close();
  }

  SQLData db(connectionString);
  db.SetServerWaits(waits);
  wxString message;
  if (!db.SprawdzBazeDanych(message)) {
    result->status = message.Contains(_("struktur")) ? _("Brak tabel programu") : _("Nie udało się odczytać wersji");
    return true;
  }
  db.IniciujBazeDanych();
  double databaseVersion = 0;
  if (!ReadDatabaseVersion(&db, &databaseVersion)) {
    result->status = _("Nie udało się odczytać wersji");
    db.ZamknijBazeDanych();
    return true;
  }
  result->databaseVersion = FormatSchemaVersion(databaseVersion);

  std::vector<UpgradeManifestEntry> entries;
  wxString manifestError;
  if (!LoadUpgradeManifest(&entries, &manifestError)) {
    result->status = _("Nie udało się odczytać wersji");
    if (error) *error = manifestError;
    db.ZamknijBazeDanych();
    return true;
  }
  double scriptVersion = 0;
  for (const UpgradeManifestEntry& entry : entries) {
    if (entry.module.empty()) scriptVersion = std::max(scriptVersion, entry.version);
  }
  result->scriptVersion = FormatSchemaVersion(scriptVersion);

  wxString upgradeError;
  const bool upgrade = IsDatabaseUpgradeRequired(&db, &upgradeError, databaseVersion);
  if (!upgradeError.empty()) {
    result->status = _("Nie udało się odczytać wersji");
  } else if (scriptVersion > 0 && VersionAbove(databaseVersion, scriptVersion)) {
    result->status = _("Baza jest nowsza niż program");
  } else if (upgrade) {
    result->status = _("Wymagana aktualizacja");
  } else {
    result->status = _("Baza poprawna");
  }
  db.ZamknijBazeDanych();
  return true;
}
