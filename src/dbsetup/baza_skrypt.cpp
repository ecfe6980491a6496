#include "dbsetup/baza_skrypt.h"

#include "app/common/paths.h"
#include "dbsetup/append_db_log.h"
#include "dbsetup/json_document.h"
#include "dbsetup/schema_checks.h"
#include "dbsetup/schema_version.h"
#include "sqldata/sql_literals.h"

#include <wx/dir.h>
#include <wx/filename.h>

#include <algorithm>
#include <map>

using nlohmann::json;

BazaSkrypt::~BazaSkrypt() = default;

void BazaSkrypt::Add(const wxString& name, const wxString& sqlText, int kind) {
  kinds.Add(kind);
  names.Add(name);
  sql.Add(sqlText);
}

namespace {

// A version text of a script; one that does not parse counts as 0.
double ScriptVersion(const std::string& text) {
  double value = 0;
  ParseSchemaVersion(wxString::FromUTF8(text), &value);
  return value;
}

// Reads and parses the file, logging a parse failure. 1 when the file is missing.
int ReadScriptFile(const wxString& path, json* root) {
  if (!wxFileName::FileExists(path)) return ScriptFileMissing;
  wxString error;
  if (!ReadJsonFile(path, root, &error)) {
    AppendDbLog(wxString::Format("JSON load error in '%s': %s", path, error));
    return ScriptFileBroken;
  }
  return ScriptLoaded;
}

// name and SQL of one statement object, or false when either is missing.
bool ReadStatement(const json& statement, const wxString& engine, wxString* name, wxString* sqlText) {
  if (!statement.is_object()) return false;
  const std::optional<std::string> nameText = FindJsonString(statement, "name");
  if (!nameText) return false;
  const std::optional<std::string> chosen = SelectStatementSql(statement, engine);
  if (!chosen) return false;
  *name = wxString::FromUTF8(*nameText);
  *sqlText = wxString::FromUTF8(*chosen);
  return true;
}

}  // namespace

std::vector<wxString> ModuleFolderNames(const wxString& modulesFolder) {
  return veldrix::SortedFolderEntries(modulesFolder, wxDIR_DIRS);
}

namespace {

// The candidate keys of an engine's SQL members, the driver key first.
std::vector<std::string> CandidateKeys(const wxString& engine) {
  const std::string key = NormalizeDriverName(engine).utf8_string();
  std::vector<std::string> keys{key};
  if (key == "sql_server") {
    keys.push_back("mssql");
    keys.push_back("sqlserver");
  } else if (key == "postgresql") {
    keys.push_back("postgres");
  }
  return keys;
}

}  // namespace

int LoadCreateScript(const wxString& engine, const wxString& path, BazaSkrypt* target) {
  json root;
  const int read = ReadScriptFile(path, &root);
  if (read != ScriptLoaded) return read;
  const std::optional<std::string> version = FindJsonString(root, "version");
  if (!version) return ScriptFileBroken;
  target->version = ScriptVersion(*version);

  const struct {
    const char* section;
    ScriptStatementKind kind;
  } sections[] = {{"tables", ScriptStatementTable}, {"views", ScriptStatementView}, {"inserts", ScriptStatementInsert}};
  for (const auto& section : sections) {
    const auto it = root.find(section.section);
    if (it == root.end()) continue;
    if (!it->is_array()) return ScriptFileBroken;
    for (const json& statement : *it) {
      wxString name, sqlText;
      if (!ReadStatement(statement, engine, &name, &sqlText)) return ScriptFileBroken;
      target->Add(name, sqlText, section.kind);
    }
  }
  return ScriptLoaded;
}

int LoadUpdateScript(const wxString& engine, const wxString& path, UpdateScriptList* list, int* statementCount) {
  json root;
  const int read = ReadScriptFile(path, &root);
  if (read != ScriptLoaded) return read;
  if (!root.is_object()) return ScriptFileBroken;

  wxString moduleKey;
  if (const std::optional<std::string> module = FindJsonString(root, "module")) {
    moduleKey = wxString::FromUTF8(*module).Lower();
  }
  const auto updates = root.find("updates");
  if (updates == root.end() || !updates->is_array()) return ScriptFileBroken;
  for (const json& step : *updates) {
    const std::optional<std::string> version = FindJsonString(step, "version");
    if (!version) return ScriptFileBroken;
    const auto statements = step.find("statements");
    if (statements == step.end() || !statements->is_array()) return ScriptFileBroken;

    auto script = std::make_unique<BazaSkrypt>();
    script->version = ScriptVersion(*version);
    script->module = moduleKey;
    for (const json& statement : *statements) {
      wxString name, sqlText;
      if (!ReadStatement(statement, engine, &name, &sqlText)) return ScriptFileBroken;
      script->Add(name, sqlText, ScriptStatementUpdate);
      if (statementCount) ++*statementCount;
    }
    list->push_back(std::move(script));
  }
  return ScriptLoaded;
}

int LoadModuleCreateScripts(const wxString& engine, const wxString& modulesFolder, const wxString& fileName,
                            BazaSkrypt* target) {
  for (const wxString& folder : ModuleFolderNames(modulesFolder)) {
    const wxString path = veldrix::JoinPath(modulesFolder, folder, fileName);
    if (!wxFileName::FileExists(path)) continue;
    BazaSkrypt moduleScript;
    const int code = LoadCreateScript(engine, path, &moduleScript);
    if (code != ScriptLoaded) return code;
    for (size_t i = 0; i < moduleScript.GetCount(); ++i) {
      target->Add(moduleScript.names[i], moduleScript.sql[i], moduleScript.kinds[i]);
    }
    target->Add("baza_modul", SetModuleVersionSql(engine, folder.Lower(), moduleScript.version), ScriptStatementInsert);
    AppendDbLog("DB: loaded module create script '" + path + "'");
  }
  return ScriptLoaded;
}

int LoadModuleUpdateScripts(const wxString& engine, const wxString& modulesFolder, UpdateScriptList* list,
                            int* statementCount) {
  for (const wxString& folder : ModuleFolderNames(modulesFolder)) {
    const wxString path = veldrix::JoinPath(modulesFolder, folder, "baza_aktualizacja.json");
    if (!wxFileName::FileExists(path)) continue;
    int added = 0;
    const int code = LoadUpdateScript(engine, path, list, &added);
    if (statementCount) *statementCount += added;
    if (code != ScriptLoaded) return code;
    AppendDbLog(wxString::Format("DB: loaded module update script '%s' (%d statements)", path, added));
  }
  return ScriptLoaded;
}

void OrderUpdateSteps(UpdateScriptList* list) {
  std::map<wxString, size_t> firstSeen;
  for (const auto& step : *list) firstSeen.emplace(step->module, firstSeen.size());
  std::stable_sort(list->begin(), list->end(), [&firstSeen](const auto& a, const auto& b) {
    const size_t rankA = firstSeen[a->module];
    const size_t rankB = firstSeen[b->module];
    if (rankA != rankB) return rankA < rankB;
    return a->version < b->version;
  });
}

wxString NormalizeDriverName(const wxString& engine) {
  wxString key = engine;
  key.Trim(true).Trim(false);
  key.MakeLower();
  key.Replace(" ", "_");
  key.Replace("-", "_");
  if (key == "sqlite") return "sqlite";
  if (key == "sql_server" || key == "mssql" || key == "sqlserver") return "sql_server";
  if (key == "postgres" || key == "postgresql") return "postgresql";
  if (key == "mysql" || key == "mariadb") return "mysql";
  if (key == "oracle") return "oracle";
  return key;
}

std::optional<std::string> SelectStatementSql(const json& statement, const wxString& engine) {
  const std::vector<std::string> keys = CandidateKeys(engine);
  if (statement.is_object()) {
    const auto byDriver = statement.find("sql_by_driver");
    if (byDriver != statement.end() && byDriver->is_object()) {
      for (const std::string& key : keys) {
        if (auto text = FindJsonString(*byDriver, key.c_str())) return text;
      }
      if (auto text = FindJsonString(*byDriver, "default")) return text;
    }
  }
  for (const std::string& key : keys) {
    if (auto text = FindJsonString(statement, ("sql_" + key).c_str())) return text;
  }
  return FindJsonString(statement, "sql");
}

wxString FillStatementPlaceholders(const wxString& name, const wxString& sqlText, int kind, double version,
                                   const wxString& moduleKey) {
  wxString text = sqlText;
  const bool programVersion = name == "baza" && (kind == ScriptStatementInsert ||
                                                 (kind == ScriptStatementUpdate && moduleKey.empty()));
  const bool moduleVersion = name == "baza_modul" && kind == ScriptStatementUpdate;
  if (programVersion || moduleVersion) text.Replace("@wersja", FormatVersionFixed(version, 4));
  if (moduleVersion) text.Replace("@modul", QuoteSqlLiteral(moduleKey));
  return text;
}
