#include "dbsetup/db_worker.h"

#include "dbsetup/baza_skrypt.h"
#include "dbsetup/database_probe.h"
#include "dbsetup/schema_checks.h"
#include "sqldata/sql_data.h"
#include "stopped_child.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filename.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <set>
#include <string>

extern char** environ;

using veldrix::JoinPath;
using veldrix::test::IsolatedFolders;
using veldrix::test::RecordedWorkerEvent;
using veldrix::test::RunWorker;
using veldrix::test::ScopedWorkerRegistry;
using veldrix::test::WriteText;

namespace {

class WorkerTest : public ::testing::Test {
 protected:
  wxString Program(const wxString& name) const { return JoinPath(folders_.programFolder(), name); }
  wxString DatabaseFile() const { return Program("veldrix.db"); }

  std::vector<RecordedWorkerEvent> Create(const wxString& database) { return RunWorker(false, database, workers_); }
  std::vector<RecordedWorkerEvent> Update(const wxString& database) { return RunWorker(true, database, workers_); }

  // The database the worker left, or none.
  // No work file of a create run (nor its journal) is left beside the database.
  bool HasOnlyTheDatabaseFile() const {
    return veldrix::SortedFolderEntries(folders_.programFolder(), wxDIR_FILES | wxDIR_HIDDEN, "veldrix.db.*").empty();
  }

  wxString Cell(const wxString& sql) {
    SQLData db(DatabaseFile());
    EXPECT_TRUE(db.IniciujBazeDanych());
    const wxArrayString cells = db.FrameData(sql);
    return cells.empty() ? wxString("<none>") : cells[0];
  }

  double Version(const wxString& table = "baza", const wxString& where = "") {
    double version = -1;
    ParseSchemaVersionCell(Cell("select cast(wersja as text) from " + table + where), &version);
    return version;
  }
  static void ParseSchemaVersionCell(const wxString& cell, double* version) { cell.ToCDouble(version); }

  void ExpectEveryProgramTable() {
    SQLData db(DatabaseFile());
    ASSERT_TRUE(db.IniciujBazeDanych());
    for (const char* table : veldrix::test::ProgramTables()) EXPECT_TRUE(TableExists(&db, table)) << table;
  }

  IsolatedFolders folders_;
  ScopedWorkerRegistry workers_;
};

}  // namespace

TEST_F(WorkerTest, CreatesTheProgramDatabaseFromTheShippedScripts) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  const auto events = Create(DatabaseFile());

  BazaSkrypt script;
  ASSERT_EQ(LoadCreateScript("SQLite", veldrix::test::ShippedScript("baza.json"), &script), ScriptLoaded);
  const int count = static_cast<int>(script.GetCount());
  ASSERT_EQ(events.size(), static_cast<size_t>(count) + 1);
  const int step = 10000 / count;
  for (int i = 0; i < count; ++i) {
    EXPECT_EQ(events[i].progress, i == count - 1 ? 9999 : (i + 1) * step);
    EXPECT_EQ(events[i].kind, DbWorkerStatus);
    EXPECT_TRUE(events[i].text.empty());
  }
  EXPECT_EQ(events.back().progress, 10000);
  EXPECT_EQ(events.back().kind, DbWorkerInformation);
  EXPECT_EQ(events.back().text, wxString::FromUTF8("Baza danych została utworzona."));

  ExpectEveryProgramTable();
  EXPECT_TRUE(HasOnlyTheDatabaseFile());
  EXPECT_DOUBLE_EQ(Version(), 1.0);
  EXPECT_EQ(Cell("select count(*) from veldrix_roles where role_key in ('administrator','uzytkownik')"), "2");
  EXPECT_EQ(Cell("select count(*) from veldrix_users"), "0");

  const wxString log = veldrix::test::DbLogText();
  EXPECT_TRUE(log.Contains("DB worker start. aktualizacja=0, db='" + DatabaseFile() + "'"));
  EXPECT_TRUE(log.Contains("Create: loading script '" + Program("baza.json") + "'"));
  EXPECT_TRUE(log.Contains("Create: applying update script '" + Program("baza_aktualizacja.json") + "'"));
  EXPECT_TRUE(log.Contains("Create success."));

  const DbConnectionInfo info = veldrix::test::SqliteInfo(DatabaseFile());
  DatabaseProbeResult probe;
  wxString error;
  ASSERT_TRUE(ProbeDatabase(info, &probe, &error)) << error;
  EXPECT_EQ(probe.status, "Baza poprawna");
  EXPECT_EQ(probe.databaseVersion, "1");
  EXPECT_EQ(probe.scriptVersion, "1");

  // A second create finds table baza and leaves the database alone.
  const auto again = Create(DatabaseFile());
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].kind, DbWorkerInformation);
  EXPECT_EQ(again[0].text, wxString::FromUTF8("Baza danych już istnieje. Pomijam tworzenie."));
}

TEST_F(WorkerTest, TwoFirstStartsAtOnceBuildOneWholeDatabase) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  veldrix::test::WorkerEventRecorder first;
  veldrix::test::WorkerEventRecorder second;
  ASSERT_NE(StartDbWorker(&first, false, DatabaseFile()), nullptr);
  ASSERT_NE(StartDbWorker(&second, false, DatabaseFile()), nullptr);
  ASSERT_TRUE(first.WaitForEnd());
  ASSERT_TRUE(second.WaitForEnd());
  workers_.WaitUntilIdle();
  EXPECT_EQ(first.last().kind, DbWorkerInformation) << first.last().text;
  EXPECT_EQ(second.last().kind, DbWorkerInformation) << second.last().text;
  ExpectEveryProgramTable();
  EXPECT_TRUE(HasOnlyTheDatabaseFile());
  EXPECT_DOUBLE_EQ(Version(), 1.0);
}

TEST_F(WorkerTest, ThreeStatementsReportThirds) {
  WriteText(Program("baza.json"), R"J({"version":"1","tables":[{"name":"baza","sql":"create table baza(wersja real)"},
      {"name":"t","sql":"create table t(x)"}],"inserts":[{"name":"baza","sql":"insert into baza values(@wersja)"}]})J");
  WriteText(Program("baza_aktualizacja.json"), R"J({"updates":[]})J");
  const auto events = Create(DatabaseFile());
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].progress, 3333);
  EXPECT_EQ(events[1].progress, 6666);
  EXPECT_EQ(events[2].progress, 9999);
  EXPECT_EQ(events[3].progress, 10000);
  EXPECT_EQ(events[3].kind, DbWorkerInformation);
}

TEST_F(WorkerTest, AFailureAtAnyStatementLeavesNoDatabaseFile) {
  const std::vector<std::string> tables{R"J({"name":"baza","sql":"create table baza(wersja real)"})J",
                                        R"J({"name":"a","sql":"create table a(x)"})J",
                                        R"J({"name":"b","sql":"create table b(x)"})J"};
  const std::string bad = R"J({"name":"zly","sql":"create tabel zly(x)"})J";
  for (size_t failAt = 0; failAt <= tables.size(); ++failAt) {
    std::string list;
    for (size_t i = 0; i <= tables.size(); ++i) {
      const std::string& statement = i == failAt ? bad : tables[i < failAt ? i : i - 1];
      list += (list.empty() ? "" : ",") + statement;
    }
    WriteText(Program("baza.json"), R"J({"version":"1","tables":[)J" + list + "]}");
    WriteText(Program("baza_aktualizacja.json"), R"J({"updates":[]})J");
    const auto events = Create(DatabaseFile());
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events.back().kind, DbWorkerError) << failAt;
    EXPECT_TRUE(events.back().text.StartsWith("zly:\n")) << events.back().text;
    EXPECT_TRUE(events.back().text.EndsWith("\n\ncreate tabel zly(x)"));
    EXPECT_FALSE(wxFileName::FileExists(DatabaseFile())) << failAt;
    EXPECT_TRUE(HasOnlyTheDatabaseFile());
  }
  const wxString log = veldrix::test::DbLogText();
  EXPECT_TRUE(log.Contains("Create: SQL error in 'zly': "));
  EXPECT_TRUE(log.Contains("Create rollback: DB file removed."));

  // An upgrade step that fails takes the create statements down with it.
  WriteText(Program("baza.json"), R"J({"version":"1","tables":[)J" + tables[0] + "]}");
  WriteText(Program("baza_aktualizacja.json"),
            R"J({"updates":[{"version":"1.1","statements":[{"name":"ok","sql":"create table c(x)"},)J" + bad + "]}]}");
  const auto events = Create(DatabaseFile());
  EXPECT_EQ(events.back().kind, DbWorkerError);
  EXPECT_FALSE(wxFileName::FileExists(DatabaseFile()));
  EXPECT_TRUE(veldrix::test::DbLogText().Contains("Create: SQL update error in 'zly': "));
}

TEST_F(WorkerTest, CreateNeedsTheUpgradeScriptToo) {
  WriteText(Program("baza.json"), R"J({"version":"1","tables":[{"name":"t","sql":"create table t(x)"}]})J");
  const auto events = Create(DatabaseFile());
  EXPECT_EQ(events.back().kind, DbWorkerError);
  EXPECT_EQ(events.back().text,
            wxString::FromUTF8("Nie znaleziono pliku skryptu aktualizującego bazę danych (baza_aktualizacja.json)."));
  EXPECT_FALSE(wxFileName::FileExists(DatabaseFile()));

  wxRemoveFile(Program("baza.json"));
  const auto missing = Create(DatabaseFile());
  ASSERT_EQ(missing.size(), 1u);
  EXPECT_EQ(missing[0].text, wxString::FromUTF8("Nie znaleziono pliku skryptu tworzącego bazę danych (baza.json)."));

  WriteText(Program("baza.json"), R"J({"version":"1"})J");
  const auto empty = Create(DatabaseFile());
  EXPECT_EQ(empty.back().text, "Plik baza.json nie zawiera polecen SQL (GetCount()==0).");
  EXPECT_FALSE(wxFileName::FileExists(DatabaseFile()));
}

TEST_F(WorkerTest, CompletesAFileThatHasNoProgramTables) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  {
    SQLData db(DatabaseFile());
    ASSERT_TRUE(db.IniciujBazeDanych());
    wxString error;
    ASSERT_EQ(db.InsertData(error, "create table firma(id_firmy integer primary key autoincrement, nazwa text)"), 0);
    ASSERT_EQ(db.InsertData(error, "insert into firma(nazwa) values('Stara firma')"), 0);
  }
  const auto events = Create(DatabaseFile());
  EXPECT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
  ExpectEveryProgramTable();
  EXPECT_EQ(Cell("select nazwa from firma"), "Stara firma");
  const wxString log = veldrix::test::DbLogText();
  EXPECT_TRUE(log.Contains("Create: DB file exists without base table; completing schema."));
  EXPECT_TRUE(log.Contains("Create: table already exists, skipping 'firma'"));
}

TEST_F(WorkerTest, AFailedRunKeepsAFileThatWasThereBefore) {
  {
    SQLData db(DatabaseFile());
    ASSERT_TRUE(db.IniciujBazeDanych());
  }
  WriteText(Program("baza.json"), R"J({"version":"1","tables":[{"name":"t","sql":"create table t(x)"},
                                                            {"name":"zly","sql":"nonsense"}]})J");
  WriteText(Program("baza_aktualizacja.json"), R"J({"updates":[]})J");
  const auto events = Create(DatabaseFile());
  EXPECT_EQ(events.back().kind, DbWorkerError);
  ASSERT_TRUE(wxFileName::FileExists(DatabaseFile()));
  SQLData db(DatabaseFile());
  ASSERT_TRUE(db.IniciujBazeDanych());
  EXPECT_FALSE(TableExists(&db, "t"));
}

TEST_F(WorkerTest, ModuleScriptsAreAppliedAndRecorded) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  const wxString modules = Program("Moduly");
  WriteText(JoinPath(modules, "KSeF", "baza.json"), R"J({"version":"1.0","tables":[
      {"name":"ksef_faktury","sql":"CREATE TABLE IF NOT EXISTS ksef_faktury (id INTEGER PRIMARY KEY AUTOINCREMENT, numer TEXT)"}]})J");
  WriteText(JoinPath(modules, "KSeF", "baza_aktualizacja.json"), R"J({"module":"ksef","updates":[
      {"version":"1.2","statements":[{"name":"kol2","sql":"ALTER TABLE ksef_faktury ADD COLUMN upo TEXT"},
                                     {"name":"baza_modul","sql":"insert or replace into baza_modul(modul,wersja) values(@modul,@wersja)"}]},
      {"version":"1.1","statements":[{"name":"kol1","sql":"ALTER TABLE ksef_faktury ADD COLUMN xml TEXT"},
                                     {"name":"baza_modul","sql":"insert or replace into baza_modul(modul,wersja) values(@modul,@wersja)"}]}]})J");
  const auto events = Create(DatabaseFile());
  ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
  EXPECT_DOUBLE_EQ(Version("baza_modul", " where modul='ksef'"), 1.2);
  SQLData db(DatabaseFile());
  ASSERT_TRUE(db.IniciujBazeDanych());
  EXPECT_TRUE(TableExists(&db, "ksef_faktury"));
  EXPECT_TRUE(db.ColumnExists("ksef_faktury", "xml"));
  EXPECT_TRUE(db.ColumnExists("ksef_faktury", "upo"));
  wxString error;
  EXPECT_FALSE(IsDatabaseUpgradeRequired(&db, &error, 1.0));
  EXPECT_TRUE(error.empty()) << error;
}

TEST_F(WorkerTest, UpgradeStepsRunInAscendingOrderWhateverTheFileOrder) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  ASSERT_EQ(Create(DatabaseFile()).back().kind, DbWorkerInformation);
  WriteText(Program("baza_aktualizacja.json"), R"J({"updates":[
      {"version":"1.10","statements":[{"name":"t110","sql":"create table t110(x)"},{"name":"baza","sql":"update baza set wersja=@wersja"}]},
      {"version":"1.05","statements":[{"name":"t105","sql":"create table t105(x)"},{"name":"baza","sql":"update baza set wersja=@wersja"}]},
      {"version":"1.0","statements":[{"name":"never","sql":"create table never(x)"}]}]})J");
  const auto events = Update(DatabaseFile());
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[0].text, "Aktualizacja bazy do wersji: 1.05");
  EXPECT_EQ(events[0].progress, 2500);
  EXPECT_EQ(events[2].text, "Aktualizacja bazy do wersji: 1.10");
  EXPECT_EQ(events[3].progress, 9999);
  EXPECT_EQ(events[4].progress, 10000);
  EXPECT_EQ(events[4].text, wxString::FromUTF8("Aktualizacja zakończona pomyślnie."));
  EXPECT_DOUBLE_EQ(Version(), 1.10);
  EXPECT_EQ(Cell("select count(*) from sqlite_master where name in ('t105','t110','never')"), "2");
  EXPECT_TRUE(veldrix::test::DbLogText().Contains("Update: current database version 1.0000"));

  // The stored version is the highest step's, so nothing is left to do.
  const auto again = Update(DatabaseFile());
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].kind, DbWorkerEndedQuietly);
  SQLData db(DatabaseFile());
  ASSERT_TRUE(db.IniciujBazeDanych());
  wxString error;
  EXPECT_FALSE(IsDatabaseUpgradeRequired(&db, &error, 1.10));
}

TEST_F(WorkerTest, ModulesOlderThanTheirVersionRowsAreAdoptedAtTheProgramsVersion) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  ASSERT_EQ(Create(DatabaseFile()).back().kind, DbWorkerInformation);
  {
    SQLData db(DatabaseFile());
    ASSERT_TRUE(db.IniciujBazeDanych());
    wxString error;
    ASSERT_EQ(db.InsertData(error, "create table kpir_zapis(id integer primary key autoincrement)"), 0) << error;
  }
  WriteText(JoinPath(Program("Moduly"), "kpir", "baza_aktualizacja.json"), R"J({"module":"kpir","updates":[
      {"version":"1.0","statements":[{"name":"stary","sql":"create table kpir_zapis(id integer)"}]},
      {"version":"1.1","statements":[{"name":"kol","sql":"ALTER TABLE kpir_zapis ADD COLUMN opis TEXT"},
          {"name":"baza_modul","sql":"insert or replace into baza_modul(modul,wersja) values(@modul,@wersja)"}]}]})J");
  const auto events = Update(DatabaseFile());
  ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
  EXPECT_EQ(events.size(), 3u) << "only the step above the adopted version runs";
  EXPECT_DOUBLE_EQ(Version("baza_modul", " where modul='kpir'"), 1.1);
}

TEST_F(WorkerTest, ForeignKeySwitchesInAnUpgradeRunBetweenTransactions) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  ASSERT_EQ(Create(DatabaseFile()).back().kind, DbWorkerInformation);
  {
    SQLData db(DatabaseFile());
    ASSERT_TRUE(db.IniciujBazeDanych());
    for (const char* name : {"Przelew", "Karta", "Gotowka"}) {
      db.ExecPrepared("insert into platnosc(nazwa,domyslna) values(?,0)", {SqlValue(wxString(name))});
    }
    ASSERT_FALSE(db.errorFlag) << db.lastError;
  }
  // The usual SQLite way of changing a column: rebuild the table with the
  // foreign-key checks off.
  WriteText(Program("baza_aktualizacja.json"), R"J({"updates":[{"version":"1.1","statements":[
      {"name":"fk_off","sql":"PRAGMA foreign_keys = OFF;"},
      {"name":"nowa","sql":"create table platnosc_nowa(id_platnosci integer primary key autoincrement, nazwa varchar(80) not null, domyslna integer not null default 0)"},
      {"name":"kopia","sql":"insert into platnosc_nowa select id_platnosci, nazwa, domyslna from platnosc"},
      {"name":"stara","sql":"drop table platnosc"},
      {"name":"nazwa","sql":"alter table platnosc_nowa rename to platnosc"},
      {"name":"fk_on","sql":"PRAGMA foreign_keys = ON;"},
      {"name":"baza","sql":"update baza set wersja=@wersja"}]}]})J");
  const auto events = Update(DatabaseFile());
  ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
  EXPECT_DOUBLE_EQ(Version(), 1.1);
  EXPECT_EQ(Cell("select count(*) from platnosc"), "3");
}

TEST_F(WorkerTest, StepsWithinTheToleranceAreNotRun) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  ASSERT_EQ(Create(DatabaseFile()).back().kind, DbWorkerInformation);
  WriteText(Program("baza_aktualizacja.json"),
            R"J({"updates":[{"version":"1.0000005","statements":[{"name":"x","sql":"create table x(y)"}]}]})J");
  const auto events = Update(DatabaseFile());
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].progress, 10000);
  EXPECT_EQ(events[0].kind, DbWorkerEndedQuietly);
  EXPECT_TRUE(events[0].text.empty());
}

TEST_F(WorkerTest, AFailedUpgradeStatementRollsTheRunBack) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  ASSERT_EQ(Create(DatabaseFile()).back().kind, DbWorkerInformation);
  WriteText(Program("baza_aktualizacja.json"), R"J({"updates":[{"version":"1.5","statements":[
      {"name":"baza","sql":"update baza set wersja=@wersja"},{"name":"zly","sql":"alter tabel x"}]}]})J");
  const auto events = Update(DatabaseFile());
  EXPECT_EQ(events.back().kind, DbWorkerError);
  EXPECT_TRUE(events.back().text.StartsWith("zly:\n"));
  EXPECT_DOUBLE_EQ(Version(), 1.0);
  EXPECT_TRUE(veldrix::test::DbLogText().Contains("Update: SQL error in 'zly': "));
}

TEST_F(WorkerTest, ShutdownStopsTheRunAndRollsBack) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  workers_.registry().RequestShutdown();
  const auto created = Create(DatabaseFile());
  EXPECT_EQ(created.back().kind, DbWorkerError);
  EXPECT_EQ(created.back().text, "Operacja przerwana.");
  EXPECT_FALSE(wxFileName::FileExists(DatabaseFile()));
  EXPECT_TRUE(HasOnlyTheDatabaseFile());
  EXPECT_TRUE(veldrix::test::DbLogText().Contains("Create interrupted (shutdown/TestDestroy). Rolling back."));
}

TEST_F(WorkerTest, ShutdownDuringAnUpgradeKeepsTheOldVersion) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  ASSERT_EQ(Create(DatabaseFile()).back().kind, DbWorkerInformation);
  WriteText(Program("baza_aktualizacja.json"), R"J({"updates":[{"version":"2","statements":[
      {"name":"baza","sql":"update baza set wersja=@wersja"},{"name":"t","sql":"create table t(x)"}]}]})J");
  workers_.registry().RequestShutdown();
  const auto events = Update(DatabaseFile());
  EXPECT_EQ(events.back().kind, DbWorkerError);
  EXPECT_EQ(events.back().text, "Operacja przerwana.");
  EXPECT_DOUBLE_EQ(Version(), 1.0);
  EXPECT_TRUE(veldrix::test::DbLogText().Contains("Update interrupted (shutdown/TestDestroy). Rolling back."));
}

TEST_F(WorkerTest, UpgradeOfAMissingFileCreatesNothing) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  const auto events = Update(DatabaseFile());
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].text, wxString::FromUTF8("Nie znaleziono pliku bazy danych do aktualizacji."));
  EXPECT_FALSE(wxFileName::FileExists(DatabaseFile()));
}

TEST_F(WorkerTest, ANullSinkRunsTheSameWork) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  ASSERT_NE(StartDbWorker(nullptr, false, DatabaseFile()), nullptr);
  workers_.WaitUntilIdle();
  EXPECT_EQ(workers_.registry().RunningCount(), 0u);
  ExpectEveryProgramTable();
}

#ifdef VELDRIX_CREATE_CHILD
namespace {

// Starts the child that creates the database, reads its event lines and kills it
// with SIGKILL after it has reported `statementsBeforeKill` statements.
void CreateAndKillHalfWay(const wxString& programFolder, const wxString& database, int statementsBeforeKill) {
  int pipeFds[2];
  ASSERT_EQ(pipe(pipeFds), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  const std::string program = programFolder.utf8_string();
  const std::string file = database.utf8_string();
  char* argv[] = {const_cast<char*>(VELDRIX_CREATE_CHILD), const_cast<char*>(program.c_str()),
                  const_cast<char*>(file.c_str()), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, VELDRIX_CREATE_CHILD, &actions, nullptr, argv, environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);

  std::string output;
  int statusLines = 0;
  bool ended = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (statusLines < statementsBeforeKill && !ended && std::chrono::steady_clock::now() < deadline) {
    pollfd readable{pipeFds[0], POLLIN, 0};
    if (poll(&readable, 1, 100) <= 0) continue;
    char buffer[256];
    const ssize_t got = read(pipeFds[0], buffer, sizeof buffer);
    if (got <= 0) break;
    output.append(buffer, static_cast<size_t>(got));
    statusLines = 0;
    for (size_t at = 0; (at = output.find('\n', at)) != std::string::npos; ++at) ++statusLines;
    ended = output.find("10000 ") != std::string::npos;
  }
  // Give the statement that just started time to write into the file.
  usleep(150 * 1000);
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  close(pipeFds[0]);
  ASSERT_FALSE(ended) << "the child finished before it could be killed: " << output;
  ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << output;
}

// A create script whose statements each take a noticeable time.
void WriteSlowScripts(const wxString& programFolder) {
  std::string statements = R"J({"name":"baza","sql":"create table baza(wersja real)"},
                               {"name":"big","sql":"create table big(x integer, y text)"})J";
  for (int i = 0; i < 40; ++i) {
    statements += R"J(,{"name":"fill","sql":"insert into big(x,y) with recursive c(n) as (select 1 union all )J"
                  R"J(select n+1 from c where n<400000) select n, hex(randomblob(16)) from c"})J";
  }
  WriteText(JoinPath(programFolder, "baza.json"), R"J({"version":"1","tables":[)J" + statements + "]}");
  WriteText(JoinPath(programFolder, "baza_aktualizacja.json"), R"J({"updates":[]})J");
}

}  // namespace

TEST_F(WorkerTest, AProcessEndingRightAfterTheCreationEndsCleanly) {
  WriteText(Program("baza.json"), R"J({"version":"1","tables":[{"name":"baza","sql":"create table baza(x)"}]})J");
  WriteText(Program("baza_aktualizacja.json"), R"J({"updates":[]})J");
  // A crash at exit came in a few runs of a hundred: a hundred runs, four at a time.
  const std::string program = folders_.programFolder().utf8_string();
  std::vector<std::string> failures;
  for (int run = 0; run < 100; run += 4) {
    std::vector<std::pair<pid_t, std::string>> children;
    for (int k = run; k < run + 4; ++k) {
      const std::string file = Program(wxString::Format("run%d.db", k)).utf8_string();
      posix_spawn_file_actions_t actions;
      posix_spawn_file_actions_init(&actions);
      posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
      char* argv[] = {const_cast<char*>(VELDRIX_CREATE_CHILD), const_cast<char*>(program.c_str()),
                      const_cast<char*>(file.c_str()), nullptr};
      pid_t child = 0;
      EXPECT_EQ(posix_spawn(&child, VELDRIX_CREATE_CHILD, &actions, nullptr, argv, environ), 0);
      posix_spawn_file_actions_destroy(&actions);
      if (child > 0) children.emplace_back(child, file);
    }
    for (const auto& [child, file] : children) {
      int status = 0;
      waitpid(child, &status, 0);
      if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        failures.push_back(file + (WIFSIGNALED(status) ? " signal " + std::to_string(WTERMSIG(status))
                                                       : " exit " + std::to_string(WEXITSTATUS(status))));
      }
    }
  }
  EXPECT_TRUE(failures.empty()) << failures.size() << " runs failed, first: " << failures.front();
}

TEST_F(WorkerTest, AProcessKilledWhileCreatingLeavesNothingTheNextStartCannotUse) {
  WriteSlowScripts(folders_.programFolder());
  CreateAndKillHalfWay(folders_.programFolder(), DatabaseFile(), 5);
  EXPECT_FALSE(wxFileName::FileExists(DatabaseFile())) << "a half-built file must never stand at the database's place";

  // The next start sees no database and builds it again from the real scripts.
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  const DbConnectionInfo info = veldrix::test::SqliteInfo(DatabaseFile());
  DatabaseProbeResult probe;
  ASSERT_TRUE(ProbeDatabase(info, &probe, nullptr));
  EXPECT_EQ(probe.status, "Baza nie istnieje");
  const auto events = Create(DatabaseFile());
  ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
  ExpectEveryProgramTable();
  EXPECT_TRUE(HasOnlyTheDatabaseFile());
  ASSERT_TRUE(ProbeDatabase(info, &probe, nullptr));
  EXPECT_EQ(probe.status, "Baza poprawna");
}

TEST_F(WorkerTest, TheNextCreationRemovesWhatAKilledOneLeftAndNothingOfARunningOne) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  // Stopped after the first statement, while the new file is still empty beside its journal.
  const std::vector<std::string> child = {VELDRIX_CREATE_CHILD, folders_.programFolder().utf8_string(),
                                          DatabaseFile().utf8_string(), "database creation statement"};
  veldrix::test::StoppedChild killed(child);
  veldrix::test::StoppedChild running(child);
  ASSERT_TRUE(killed.stopped() && running.stopped());
  killed.Kill();
  using veldrix::test::FilesOf;
  const wxString folder = folders_.programFolder();
  ASSERT_EQ(FilesOf(folder, killed.pid()).size(), 2u) << "the file and its journal";

  ASSERT_EQ(Create(DatabaseFile()).back().kind, DbWorkerInformation);
  ExpectEveryProgramTable();
  EXPECT_EQ(FilesOf(folder, killed.pid()).size(), 0u);
  EXPECT_EQ(FilesOf(folder, running.pid()).size(), 2u);
}

TEST_F(WorkerTest, AProcessKilledWhileCompletingAnExistingFileLeavesItUsable) {
  {
    SQLData db(DatabaseFile());
    ASSERT_TRUE(db.IniciujBazeDanych());
  }
  WriteSlowScripts(folders_.programFolder());
  CreateAndKillHalfWay(folders_.programFolder(), DatabaseFile(), 5);
  ASSERT_TRUE(wxFileName::FileExists(DatabaseFile()));
  {
    // SQLite rolls the interrupted transaction back from its journal: none of the
    // run's tables stay behind.
    SQLData db(DatabaseFile());
    ASSERT_TRUE(db.IniciujBazeDanych());
    EXPECT_FALSE(TableExists(&db, "big"));
    EXPECT_FALSE(TableExists(&db, "baza"));
  }
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  const auto events = Create(DatabaseFile());
  ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
  ExpectEveryProgramTable();
}
#endif
