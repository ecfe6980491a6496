#include "dbsetup/schema_checks.h"

#include "db/db_connection.h"
#include "app/common/i18n.h"
#include "dbsetup/baza_skrypt.h"
#include "dbsetup/schema_version.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"

#include <wx/tokenzr.h>

#include <set>
#include <vector>

namespace {

bool SameWord(const wxString& token, const char* word) { return token.CmpNoCase(word) == 0; }

std::vector<wxString> SplitSqlTokens(const wxString& sql) {
  wxString text = sql;
  text.Replace("\r", " ");
  text.Replace("\n", " ");
  std::vector<wxString> tokens;
  wxStringTokenizer tokenizer(text, " \t", wxTOKEN_STRTOK);
  while (tokenizer.HasMoreTokens()) tokens.push_back(tokenizer.GetNextToken());
  return tokens;
}

}  // namespace

bool SameEngine(const wxString& engine, const wxString& name) { return engine.CmpNoCase(name) == 0; }

wxString SetModuleVersionSql(const wxString& engine, const wxString& moduleKey, double version) {
  const wxString values =
      "baza_modul(modul,wersja) values(" + QuoteSqlLiteral(moduleKey) + "," + FormatVersionFixed(version, 4) + ")";
  // SQLData rewrites "insert or replace" for SQL Server only; these two would refuse it.
  if (SameEngine(engine, "PostgreSQL")) {
    return "insert into " + values + " on conflict (modul) do update set wersja=excluded.wersja";
  }
  if (SameEngine(engine, "MySQL")) return "replace into " + values;
  return "insert or replace into " + values;
}

wxString VersionColumnSql(const wxString& engine, const wxString& column) {
  // SQLData shows a SQLite REAL cell with two decimals in the UI locale; as text
  // the stored version keeps every digit.
  if (SameEngine(engine, "SQLite")) return "cast(" + column + " as text)";
  return column;
}

double GetModuleVersion(SQLData* db, const wxString& moduleKey) {
  if (!db || moduleKey.empty()) return 0;
  const wxArrayString cells = db->FrameData("select " + VersionColumnSql(db->GetEngine(), "wersja") +
                                            " from baza_modul where modul=" + QuoteSqlLiteral(moduleKey));
  double version = 0;
  if (cells.empty() || !ParseSchemaVersion(cells[0], &version)) return 0;
  return version;
}

wxString TableExistsSql(const wxString& engine, const wxString& table) {
  const wxString name = QuoteSqlLiteral(table);
  if (SameEngine(engine, "SQLite")) return "select 1 from sqlite_master where type='table' and name=" + name;
  if (SameEngine(engine, "MySQL")) {
    return "select 1 from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA=DATABASE() and TABLE_NAME=" + name;
  }
  if (SameEngine(engine, "PostgreSQL")) {
    return "select 1 from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA=current_schema() and TABLE_NAME=" + name;
  }
  // Oracle keeps unquoted names in capitals.
  if (SameEngine(engine, "Oracle")) return "select 1 from user_tables where table_name=UPPER(" + name + ")";
  return "select 1 from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA='dbo' and TABLE_NAME=" + name;
}

bool ProbeTable(SQLData* db, const wxString& table, bool* exists, wxString* error) {
  *exists = false;
  if (!db || !db->IsOpen()) {
    if (error) *error = _("Brak połączenia z bazą danych.");
    return false;
  }
  if (table.empty()) return true;
  const bool hadError = db->errorFlag;
  const wxString hadText = db->lastError;
  db->errorFlag = false;
  const bool found = db->IsExistsData(TableExistsSql(db->GetEngine(), table));
  if (db->errorFlag) {
    if (error) *error = ReadFailureText(*db, db->lastError);
    return false;
  }
  db->errorFlag = hadError;
  db->lastError = hadText;
  *exists = found;
  return true;
}

bool TableExists(SQLData* db, const wxString& table) {
  bool exists = false;
  return ProbeTable(db, table, &exists, nullptr) && exists;
}

wxString CleanSqlIdentifier(const wxString& token) {
  wxString text = token;
  text.Trim(true).Trim(false);
  while (!text.empty() && (text.Last() == ';' || text.Last() == ',')) text.RemoveLast();
  if (text.length() >= 2) {
    const wxUniChar first = text[0];
    const wxUniChar last = text.Last();
    if ((first == '"' && last == '"') || (first == '`' && last == '`') || (first == '[' && last == ']')) {
      text = text.Mid(1, text.length() - 2);
    }
  }
  return text;
}

bool AddColumnAlreadyExists(SQLData* db, const wxString& sql, wxString* table, wxString* column) {
  if (!db) return false;
  const std::vector<wxString> tokens = SplitSqlTokens(sql);
  if (tokens.size() < 5) return false;
  if (!SameWord(tokens[0], "alter") || !SameWord(tokens[1], "table")) return false;
  size_t tableIndex = 2;
  if (SameWord(tokens[2], "if") && tokens.size() >= 8) {
    if (!SameWord(tokens[3], "exists")) return false;
    tableIndex = 4;
  }
  const size_t addIndex = tableIndex + 1;
  if (addIndex + 1 >= tokens.size() || !SameWord(tokens[addIndex], "add")) return false;
  size_t columnIndex = addIndex + 1;
  if (SameWord(tokens[columnIndex], "column")) ++columnIndex;
  if (columnIndex >= tokens.size()) return false;

  const wxString tableName = CleanSqlIdentifier(tokens[tableIndex]);
  const wxString columnName = CleanSqlIdentifier(tokens[columnIndex]);
  if (tableName.empty() || columnName.empty() || !db->ColumnExists(tableName, columnName)) return false;
  if (table) *table = tableName;
  if (column) *column = columnName;
  return true;
}

wxString NormalizeSqlForCompare(const wxString& sql) {
  wxString text = sql;
  text.Trim(true).Trim(false);
  text.MakeLower();
  wxString squeezed;
  squeezed.reserve(text.length());
  for (const wxUniChar c : text) {
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == ';') continue;
    squeezed += c;
  }
  return squeezed;
}

bool ExecuteForeignKeysPragma(SQLData* db, const wxString& sql, bool* transactionOpen, bool* handled,
                              wxString* error) {
  if (handled) *handled = false;
  if (!db || !transactionOpen || !SameEngine(db->GetEngine(), "SQLite")) return true;
  const wxString normalized = NormalizeSqlForCompare(sql);
  if (normalized != "pragmaforeign_keys=off" && normalized != "pragmaforeign_keys=on") return true;

  if (handled) *handled = true;
  if (*transactionOpen) {
    db->errorFlag = false;
    db->CommitTransaction();
    if (db->errorFlag) {
      if (error) *error = db->lastError;
      return false;
    }
    *transactionOpen = false;
  }
  wxString failure;
  if (db->InsertData(failure, sql) < 0) {
    if (error) *error = failure;
    return false;
  }
  db->StartTransaction();
  if (db->errorFlag) {
    if (error) *error = db->lastError;
    return false;
  }
  *transactionOpen = true;
  return true;
}

wxString ScriptTableNameList(const BazaSkrypt& script) {
  std::set<wxString> taken;
  wxString list;
  for (size_t i = 0; i < script.GetCount(); ++i) {
    if (script.kinds[i] != ScriptStatementTable) continue;
    wxString name = script.names[i];
    name.Trim(true).Trim(false);
    if (name.empty() || !taken.insert(name.Lower()).second) continue;
    if (!list.empty()) list += ",";
    list += QuoteSqlNLiteral(name);
  }
  return list;
}

wxString SqlServerResetBatch(const wxString& tableList) {
  wxString batch;
  batch << "DECLARE @sql NVARCHAR(MAX)=N''; "
        << "SELECT @sql=@sql+N'ALTER TABLE '+QUOTENAME(SCHEMA_NAME(pt.schema_id))+N'.'+QUOTENAME(pt.name)+N' DROP "
           "CONSTRAINT '+QUOTENAME(fk.name)+N';' "
        << "FROM sys.foreign_keys fk "
        << "JOIN sys.tables pt ON pt.object_id=fk.parent_object_id "
        << "JOIN sys.tables rt ON rt.object_id=fk.referenced_object_id "
        << "WHERE (pt.schema_id=SCHEMA_ID(N'dbo') AND pt.name IN (" << tableList << ")) "
        << "OR (rt.schema_id=SCHEMA_ID(N'dbo') AND rt.name IN (" << tableList << ")); "
        << "IF LEN(@sql)>0 EXEC sp_executesql @sql; "
        << "SET @sql=N''; "
        << "SELECT @sql=@sql+N'DROP TABLE '+QUOTENAME(SCHEMA_NAME(t.schema_id))+N'.'+QUOTENAME(t.name)+N';' "
        << "FROM sys.tables t WHERE t.schema_id=SCHEMA_ID(N'dbo') AND t.name IN (" << tableList << "); "
        << "IF LEN(@sql)>0 EXEC sp_executesql @sql;";
  return batch;
}

bool ResetSqlServerPartialSchema(SQLData* db, const BazaSkrypt* createScript, wxString* error) {
  if (!db || !createScript || !SameEngine(db->GetEngine(), "SQL Server")) return true;
  const wxString tables = ScriptTableNameList(*createScript);
  if (tables.empty()) return true;
  bool found = false;
  if (!db->IsExistsData("select 1 from sys.tables t where t.schema_id=SCHEMA_ID(N'dbo') and t.name in (" + tables + ")",
                        &found)) {
    if (error) *error = db->lastError;
    return false;
  }
  if (!found) return true;
  // The batch is T-SQL already: it goes to the engine as it is, past SQLData's
  // rewriting of the SQLite dialect, on a connection of its own.
  std::shared_ptr<IDbConnection> connection;
  wxString failure;
  if (!OpenConnection(db->GetConnectionString(), &connection, nullptr, &failure) || !connection ||
      !connection->isConnected()) {
    if (error) *error = _("Brak połączenia z bazą danych SQL Server.");
    return false;
  }
  DbQueryResult result;
  const bool ran = connection->execute(SqlServerResetBatch(tables), &result, &failure);
  connection->close();
  if (!ran) {
    db->errorFlag = true;
    db->lastError = failure;
    if (error) *error = failure;
    return false;
  }
  return true;
}

wxString ModuleMarkerTable(const wxString& moduleKey) {
  static const struct {
    const char* key;
    const char* table;
  } markers[] = {{"artykuly", "artykul"}, {"kontrahenci", "kontrahent"}, {"faktury", "dokument_handlowy"},
                 {"kpir", "kpir_zapis"},  {"jpk_vat", "jpk_vat"},        {"ksef", "ksef_faktury"}};
  for (const auto& marker : markers) {
    if (moduleKey == marker.key) return marker.table;
  }
  return wxString();
}

void AdoptExistingModuleSchema(SQLData* db, const wxString& moduleKey, double bazaVersion) {
  if (!db || moduleKey.empty() || !(bazaVersion > 0)) return;
  if (GetModuleVersion(db, moduleKey) > 0) return;
  const wxString marker = ModuleMarkerTable(moduleKey);
  if (!marker.empty() && TableExists(db, marker)) {
    db->InsertData(SetModuleVersionSql(db->GetEngine(), moduleKey, bazaVersion));
  }
}
