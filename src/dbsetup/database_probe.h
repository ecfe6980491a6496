// What state the program database of a connection record is in: reached or not,
// present or not, its structure version against the version the upgrade scripts
// lead to, and one status line for the user. The configuration dialog receives
// ProbeDatabase and EnsureProgramDatabase as its callbacks; start-up asks
// IsDatabaseUpgradeRequired before it lets anybody log in.
#pragma once

#include "db/connection_info.h"

#include <wx/string.h>

#include <functional>
#include <map>
#include <vector>

class SQLData;

struct DatabaseProbeResult {
  bool reached = false;       // the SQLite file location or the server was examined
  bool exists = false;        // the file exists, or the server reports the database
  wxString databaseVersion;   // baza.wersja as FormatSchemaVersion writes it
  wxString scriptVersion;     // the highest version of the program's own upgrade steps
  wxString status;            // translated status text; empty when the probe failed
};

using DatabaseProbeFunction = std::function<bool(const DbConnectionInfo&, DatabaseProbeResult*, wxString*)>;
using EnsureDatabaseFunction = std::function<bool(const DbConnectionInfo&, bool*, wxString*)>;

// One step of an upgrade script as the version checks see it.
struct UpgradeManifestEntry {
  wxString module;  // lower case; empty for the program's own steps
  double version = 0;
};

// Module key (lower case, trimmed) -> version recorded in baza_modul.
using ModuleVersionMap = std::map<wxString, double>;

// false when the result is null, when existence could not be checked, or when an
// existing database could not be connected to; every problem found after that is
// a status with true.
// The screens ask it on the GUI thread: every connection of the probe waits as
// QuickCheckWaits say, so that a server that does not answer fails it in time.
bool ProbeDatabase(const DbConnectionInfo& info, DatabaseProbeResult* result, wxString* error);
bool ProbeDatabaseWithin(const ServerWaits& waits, const DbConnectionInfo& info, DatabaseProbeResult* result,
                         wxString* error);

// Some upgrade step of the program or of a module is above its base version.
bool IsDatabaseUpgradeRequired(SQLData* db, wxString* error, double bazaVersion);

// The upgrade steps of the program folder's and every module folder's script.
bool LoadUpgradeManifest(std::vector<UpgradeManifestEntry>* entries, wxString* error);
bool LoadUpgradeManifestFile(const wxString& path, std::vector<UpgradeManifestEntry>* entries, wxString* error);

void ReadModuleVersions(SQLData* db, ModuleVersionMap* versions);
// The version a module's steps are compared with: its baza_modul row, else the
// program's version when the module's marker table exists, else 0.
double ModuleBaseVersion(SQLData* db, const wxString& moduleKey, const ModuleVersionMap& versions,
                         double bazaVersion);

// Reads baza.wersja of an open database; false when there is no readable value.
bool ReadDatabaseVersion(SQLData* db, double* version);
