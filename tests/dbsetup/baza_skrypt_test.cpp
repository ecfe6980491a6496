#include "dbsetup/baza_skrypt.h"

#include "worker_test_support.h"

#include <gtest/gtest.h>

#include <set>

using nlohmann::json;
using veldrix::JoinPath;
using veldrix::test::IsolatedFolders;
using veldrix::test::WriteText;

namespace {

std::set<wxString> TableNames(const BazaSkrypt& script) {
  std::set<wxString> names;
  for (size_t i = 0; i < script.GetCount(); ++i) {
    if (script.kinds[i] == ScriptStatementTable) names.insert(script.names[i]);
  }
  return names;
}

}  // namespace

TEST(CreateScript, ReadsSectionsInFixedOrder) {
  IsolatedFolders folders;
  const wxString path = JoinPath(folders.root(), "baza.json");
  WriteText(path, R"J({"inserts":[{"name":"baza","sql":"insert into baza values(@wersja)"}],
                      "views":[{"name":"v","sql":"create view v as select 1"}],
                      "version":"1,5",
                      "tables":[{"name":"baza","sql":"create table baza(wersja real)"},
                                {"name":"t","sql":"create table t(x)"}]})J");
  BazaSkrypt script;
  ASSERT_EQ(LoadCreateScript("SQLite", path, &script), ScriptLoaded);
  EXPECT_DOUBLE_EQ(script.version, 1.5);
  ASSERT_EQ(script.GetCount(), 4u);
  EXPECT_EQ(script.names[0], "baza");
  EXPECT_EQ(script.kinds[0], ScriptStatementTable);
  EXPECT_EQ(script.names[1], "t");
  EXPECT_EQ(script.kinds[2], ScriptStatementView);
  EXPECT_EQ(script.kinds[3], ScriptStatementInsert);
  EXPECT_EQ(script.sql[3], "insert into baza values(@wersja)");
}

TEST(CreateScript, RefusesWhatBreaksTheFormat) {
  IsolatedFolders folders;
  const wxString path = JoinPath(folders.root(), "baza.json");
  const char* broken[] = {
      R"J({"version":1.25,"tables":[]})J",                          // version must be a string
      R"J({"tables":[]})J",                                         // no version
      R"J({"version":"1","tables":{}})J",                           // section not an array
      R"J({"version":"1","tables":[{"sql":"create table t(x)"}]})J",  // no name
      R"J({"version":"1","tables":[{"name":"t","sql_mariadb":"create table t(x)"}]})J",  // no SQL for SQLite
      R"J([1,2])J",
  };
  for (const char* text : broken) {
    WriteText(path, text);
    BazaSkrypt script;
    EXPECT_EQ(LoadCreateScript("SQLite", path, &script), ScriptFileBroken) << text;
  }
  BazaSkrypt empty;
  WriteText(path, R"J({"version":"1","views":[]})J");
  EXPECT_EQ(LoadCreateScript("SQLite", path, &empty), ScriptLoaded);
  EXPECT_EQ(empty.GetCount(), 0u);
  EXPECT_EQ(LoadCreateScript("SQLite", JoinPath(folders.root(), "none.json"), &empty), ScriptFileMissing);
}

TEST(CreateScript, ParseFailureIsLogged) {
  IsolatedFolders folders;
  const wxString path = JoinPath(folders.root(), "baza.json");
  WriteText(path, R"J({"version":"1",})J");
  BazaSkrypt script;
  EXPECT_EQ(LoadCreateScript("SQLite", path, &script), ScriptFileBroken);
  EXPECT_TRUE(veldrix::test::DbLogText().Contains("JSON load error in '" + path + "': "));
}

TEST(StatementSql, ChoosesByDriverKeyThenAliasesThenPlainSql) {
  const json byDriverDefault = json::parse(R"J({"sql_by_driver":{"default":"D"},"sql_sqlite":"S","sql":"P"})J");
  EXPECT_EQ(SelectStatementSql(byDriverDefault, "SQLite").value_or(""), "D");

  const json mssqlOnly = json::parse(R"J({"sql_mssql":"M"})J");
  EXPECT_EQ(SelectStatementSql(mssqlOnly, "SQL Server").value_or(""), "M");
  EXPECT_FALSE(SelectStatementSql(mssqlOnly, "SQLite"));

  const json mariadbOnly = json::parse(R"J({"sql_mariadb":"X"})J");
  for (const char* engine : {"SQLite", "SQL Server", "MySQL", "MariaDB", "PostgreSQL", "Oracle"}) {
    EXPECT_FALSE(SelectStatementSql(mariadbOnly, engine)) << engine;
  }

  const json perDriver = json::parse(
      R"J({"sql_by_driver":{"sqlserver":"alias","sql_server":"key","postgres":"pg"},"sql_mysql":"my","sql":"any"})J");
  EXPECT_EQ(SelectStatementSql(perDriver, "SQL Server").value_or(""), "key");
  EXPECT_EQ(SelectStatementSql(perDriver, "PostgreSQL").value_or(""), "pg");
  EXPECT_EQ(SelectStatementSql(perDriver, "MariaDB").value_or(""), "my");
  EXPECT_EQ(SelectStatementSql(perDriver, "Oracle").value_or(""), "any");

  const json notAnObject = json::parse(R"J({"sql_by_driver":"nonsense","sql":"plain"})J");
  EXPECT_EQ(SelectStatementSql(notAnObject, "SQLite").value_or(""), "plain");

  const json repeated = json::parse(R"J({"sql":"first"})J");
  EXPECT_EQ(SelectStatementSql(repeated, "SQLite").value_or(""), "first");
}

TEST(StatementSql, DriverKeys) {
  EXPECT_EQ(NormalizeDriverName(" SQL Server "), "sql_server");
  EXPECT_EQ(NormalizeDriverName("MSSQL"), "sql_server");
  EXPECT_EQ(NormalizeDriverName("MariaDB"), "mysql");
  EXPECT_EQ(NormalizeDriverName("Postgres"), "postgresql");
  EXPECT_EQ(NormalizeDriverName("SQLite"), "sqlite");
  EXPECT_EQ(NormalizeDriverName("My-New Engine"), "my_new_engine");
}

TEST(UpdateScript, ReadsStepsInFileOrderWithModuleKey) {
  IsolatedFolders folders;
  const wxString path = JoinPath(folders.root(), "baza_aktualizacja.json");
  WriteText(path, R"J({"module":"KPiR","updates":[
      {"version":"1.10","statements":[{"name":"a","sql":"A"},{"name":"b","sql":"B"}]},
      {"version":"1,05","statements":[{"name":"c","sql":"C"}]}]})J");
  UpdateScriptList steps;
  int count = 3;
  ASSERT_EQ(LoadUpdateScript("SQLite", path, &steps, &count), ScriptLoaded);
  EXPECT_EQ(count, 6);
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0]->module, "kpir");
  EXPECT_DOUBLE_EQ(steps[0]->version, 1.10);
  EXPECT_EQ(steps[0]->kinds[1], ScriptStatementUpdate);
  EXPECT_DOUBLE_EQ(steps[1]->version, 1.05);

  WriteText(path, R"J({"updates":[]})J");
  UpdateScriptList none;
  EXPECT_EQ(LoadUpdateScript("SQLite", path, &none, &count), ScriptLoaded);
  EXPECT_TRUE(none.empty());

  for (const char* text : {R"J({"module":"x"})J", R"J({"updates":[{"version":1.3,"statements":[]}]})J",
                           R"J({"updates":[{"version":"1.3"}]})J",
                           R"J({"updates":[{"version":"1.3","statements":[{"name":"n"}]}]})J"}) {
    WriteText(path, text);
    UpdateScriptList broken;
    EXPECT_EQ(LoadUpdateScript("SQLite", path, &broken, &count), ScriptFileBroken) << text;
  }
}

TEST(UpdateScript, StepsRunInAscendingVersionPerModule) {
  UpdateScriptList steps;
  auto add = [&steps](const char* module, double version) {
    auto step = std::make_unique<BazaSkrypt>();
    step->module = module;
    step->version = version;
    steps.push_back(std::move(step));
  };
  add("", 1.10);
  add("", 1.05);
  add("kpir", 2.0);
  add("kpir", 1.5);
  add("", 1.20);
  add("faktury", 1.0);
  OrderUpdateSteps(&steps);
  std::vector<std::pair<wxString, double>> order;
  for (const auto& step : steps) order.emplace_back(step->module, step->version);
  const std::vector<std::pair<wxString, double>> expected{{"", 1.05},     {"", 1.10},     {"", 1.20},
                                                          {"kpir", 1.5}, {"kpir", 2.0}, {"faktury", 1.0}};
  EXPECT_EQ(order, expected);
}

TEST(ModuleScripts, RegisterEachModuleThatHasACreateScript) {
  IsolatedFolders folders;
  const wxString modules = JoinPath(folders.programFolder(), "Moduly");
  WriteText(JoinPath(modules, "KSeF", "baza.json"),
            R"J({"version":"1.25","tables":[{"name":"ksef_faktury","sql":"create table ksef_faktury(x)"}]})J");
  WriteText(JoinPath(modules, "Artykuly", "baza.json"), R"J({"version":"2","inserts":[{"name":"i","sql":"I"}]})J");
  WriteText(JoinPath(modules, "bez_skryptu", "readme.txt"), "nothing");
  BazaSkrypt script;
  ASSERT_EQ(LoadModuleCreateScripts("SQLite", modules, "baza.json", &script), ScriptLoaded);
  ASSERT_EQ(script.GetCount(), 4u);
  EXPECT_EQ(script.names[0], "i");
  EXPECT_EQ(script.names[1], "baza_modul");
  EXPECT_EQ(script.sql[1], "insert or replace into baza_modul(modul,wersja) values('artykuly',2.0000)");
  EXPECT_EQ(script.kinds[2], ScriptStatementTable);
  EXPECT_EQ(script.sql[3], "insert or replace into baza_modul(modul,wersja) values('ksef',1.2500)");
  EXPECT_EQ(script.kinds[3], ScriptStatementInsert);
  EXPECT_TRUE(veldrix::test::DbLogText().Contains("DB: loaded module create script '" +
                                                  JoinPath(modules, "KSeF", "baza.json") + "'"));

  WriteText(JoinPath(modules, "Zepsuty", "baza.json"), R"J({"version":"1","tables":[{}]})J");
  BazaSkrypt failing;
  EXPECT_EQ(LoadModuleCreateScripts("SQLite", modules, "baza.json", &failing), ScriptFileBroken);

  BazaSkrypt nothing;
  EXPECT_EQ(LoadModuleCreateScripts("SQLite", JoinPath(folders.root(), "brak"), "baza.json", &nothing), ScriptLoaded);
  EXPECT_EQ(nothing.GetCount(), 0u);
}

TEST(ModuleScripts, UpdateScriptsAreCountedAndLogged) {
  IsolatedFolders folders;
  const wxString modules = JoinPath(folders.programFolder(), "Moduly");
  const wxString path = JoinPath(modules, "kpir", "baza_aktualizacja.json");
  WriteText(path, R"J({"module":"kpir","updates":[{"version":"1.1","statements":[{"name":"a","sql":"A"},
                                                                               {"name":"b","sql":"B"}]}]})J");
  UpdateScriptList steps;
  int count = 1;
  ASSERT_EQ(LoadModuleUpdateScripts("SQLite", modules, &steps, &count), ScriptLoaded);
  EXPECT_EQ(count, 3);
  EXPECT_TRUE(veldrix::test::DbLogText().Contains("DB: loaded module update script '" + path + "' (2 statements)"));
}

TEST(Placeholders, FillOnlyTheNamedStatements) {
  EXPECT_EQ(FillStatementPlaceholders("baza", "insert into baza(wersja) values(@wersja)", ScriptStatementInsert, 2,
                                      ""),
            "insert into baza(wersja) values(2.0000)");
  EXPECT_EQ(FillStatementPlaceholders("Baza", "x=@wersja", ScriptStatementInsert, 2, ""), "x=@wersja");
  EXPECT_EQ(FillStatementPlaceholders("baza", "x=@wersja", ScriptStatementUpdate, 1.25, ""), "x=1.2500");
  EXPECT_EQ(FillStatementPlaceholders("baza", "x=@wersja", ScriptStatementUpdate, 1.25, "kpir"), "x=@wersja");
  EXPECT_EQ(FillStatementPlaceholders("baza_modul", "v(@modul,@wersja,@wersja)", ScriptStatementUpdate, 1.5, "o'k"),
            "v('o''k',1.5000,1.5000)");
  EXPECT_EQ(FillStatementPlaceholders("baza_modul", "v(@modul,@wersja)", ScriptStatementUpdate, 1.5, ""),
            "v('',1.5000)");
  EXPECT_EQ(FillStatementPlaceholders("other", "x=@wersja", ScriptStatementUpdate, 1.5, ""), "x=@wersja");
}

TEST(ShippedScripts, LoadOnEveryEngineAndNameEveryProgramTable) {
  std::set<wxString> required;
  for (const char* table : veldrix::test::ProgramTables()) required.insert(table);
  for (const char* engine : {"SQLite", "SQL Server"}) {
    BazaSkrypt script;
    ASSERT_EQ(LoadCreateScript(engine, veldrix::test::ShippedScript("baza.json"), &script), ScriptLoaded) << engine;
    EXPECT_DOUBLE_EQ(script.version, 1.0);
    EXPECT_EQ(TableNames(script), required) << engine;
    for (const char* marker : {"artykul", "kontrahent", "dokument_handlowy", "kpir_zapis", "jpk_vat", "ksef_faktury"}) {
      EXPECT_EQ(TableNames(script).count(marker), 0u) << marker << " belongs to its module";
    }
    UpdateScriptList steps;
    int count = 0;
    EXPECT_EQ(LoadUpdateScript(engine, veldrix::test::ShippedScript("baza_aktualizacja.json"), &steps, &count),
              ScriptLoaded);
    EXPECT_GT(count, 0);
  }
}
