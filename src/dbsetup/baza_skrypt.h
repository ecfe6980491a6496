// The database scripts "baza.json" (create) and "baza_aktualizacja.json" (upgrade
// steps) of the program and of every module folder under "Moduly": the loaded
// script BazaSkrypt, the loaders, and the choice of each statement's SQL for the
// engine. The database worker runs what these load.
#pragma once

#include <nlohmann/json.hpp>
#include <wx/arrstr.h>
#include <wx/dynarray.h>
#include <wx/object.h>
#include <wx/string.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

enum ScriptStatementKind : int {
  ScriptStatementTable = 0,   // "tables" of a create script; skipped when the table exists
  ScriptStatementInsert = 1,  // "inserts", and the registration row of a module
  ScriptStatementUpdate = 2,  // every statement of an upgrade step
  ScriptStatementView = 3,    // "views"
};

// One loaded create script, or one upgrade step: parallel lists of statement
// kinds, names and SQL texts, in the order they were added.
class BazaSkrypt : public wxObject {
 public:
  BazaSkrypt() = default;
  ~BazaSkrypt() override;

  void Add(const wxString& name, const wxString& sqlText, int kind);
  size_t GetCount() const { return names.GetCount(); }

  wxArrayInt kinds;
  wxArrayString names;
  wxArrayString sql;
  double version = 0;
  wxString module;  // empty for the program itself
};

// Upgrade steps: the program's first, then each module folder's, in loading order.
using UpdateScriptList = std::vector<std::unique_ptr<BazaSkrypt>>;

// Loader results.
enum ScriptLoadResult : int {
  ScriptLoaded = 0,
  ScriptFileMissing = 1,
  ScriptFileBroken = 2,  // unreadable, not JSON, or not the script format
};

int LoadCreateScript(const wxString& engine, const wxString& path, BazaSkrypt* target);
// Appends one BazaSkrypt per step and adds the statements read to *statementCount.
int LoadUpdateScript(const wxString& engine, const wxString& path, UpdateScriptList* list, int* statementCount);

// Every subfolder of the modules folder (sorted by name) that holds the file: its
// statements, then its registration row "baza_modul" at the module script's
// version. Returns 0 or the first failing module's code; no folder is no fault.
int LoadModuleCreateScripts(const wxString& engine, const wxString& modulesFolder, const wxString& fileName,
                            BazaSkrypt* target);
int LoadModuleUpdateScripts(const wxString& engine, const wxString& modulesFolder, UpdateScriptList* list,
                            int* statementCount);

// The module folders under the modules folder (hidden ones left out), sorted by
// name; empty when the folder is missing or cannot be read.
std::vector<wxString> ModuleFolderNames(const wxString& modulesFolder);

// Reorders the steps so that each module key's steps (the program's included) run
// in ascending version order; keys keep the order in which they first appear and
// steps of equal version keep their file order.
void OrderUpdateSteps(UpdateScriptList* list);

// The driver key of an engine name: "SQL Server" -> "sql_server", "MariaDB" ->
// "mysql", "Postgres" -> "postgresql"; unknown names are only normalised.
wxString NormalizeDriverName(const wxString& engine);

// The SQL of a statement object for the engine: "sql_by_driver" (the driver key,
// its aliases, then "default"), then "sql_<key>" members, then "sql".
std::optional<std::string> SelectStatementSql(const nlohmann::json& statement, const wxString& engine);

// The statement's SQL with its placeholders filled: "@wersja" of the Insert named
// "baza", and of the Update named "baza" of a program step, becomes the version;
// the Update named "baza_modul" gets "@wersja" and "@modul" (the quoted key).
wxString FillStatementPlaceholders(const wxString& name, const wxString& sqlText, int kind, double version,
                                   const wxString& moduleKey);
