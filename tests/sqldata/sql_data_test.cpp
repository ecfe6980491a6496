// SQLData on real SQLite files: construction, opening and closing, the program
// database check, transactions, ColumnExists and the error state.
#include "sqldata/sql_data.h"

#include "app/common/paths.h"
#include "db/connection_info.h"
#include "db/db_connection.h"
#include "sqldata/db_log.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <atomic>
#include <thread>

using veldrix::test::IsolatedFolders;
using veldrix::test::ReadFileBytes;
using veldrix::test::TempDir;

namespace {

wxString LogText() { return wxString::FromUTF8(ReadFileBytes(DbLogFilePath())); }

class SqlDataFile : public ::testing::Test {
 protected:
  void SetUp() override {
    path = folders.root() + "/program.db";
    db = std::make_unique<SQLData>(path);
    ASSERT_TRUE(db->IniciujBazeDanych());
    ASSERT_EQ(db->DeleteData("CREATE TABLE firma(id INTEGER PRIMARY KEY, nazwa TEXT, kwota REAL)"), 0);
  }

  int CountRows(const wxString& table) {
    const wxArrayString cells = db->FrameData("SELECT COUNT(*) FROM " + table);
    return cells.empty() ? -1 : wxAtoi(cells[0]);
  }

  IsolatedFolders folders;
  wxLogNull quiet;
  wxString path;
  std::unique_ptr<SQLData> db;
};

// While it lives, connections opened count the sleeps of their busy handler, which
// waits for another connection's lock: the default file layer, its sleep counted.
struct BusySleeps {
  static inline sqlite3_vfs* base = nullptr;
  static inline std::atomic<int> count{0};
  sqlite3_vfs counting = *(base = sqlite3_vfs_find(nullptr));

  BusySleeps() {
    counting.zName = "veldrix-counting";
    counting.xSleep = [](sqlite3_vfs*, int microseconds) { return ++count, base->xSleep(base, microseconds); };
    sqlite3_vfs_register(&counting, 1);
  }
  ~BusySleeps() {
    sqlite3_vfs_unregister(&counting);
    sqlite3_vfs_register(base, 1);
  }
};

}  // namespace

TEST(SqlDataLocation, EmptyLocationIsVeldrixDbInTheProgramFolder) {
  IsolatedFolders folders;
  veldrix::SetProgramFolderOverride(folders.programFolder());
  SQLData db;
  veldrix::SetProgramFolderOverride("");
  const wxString file = veldrix::JoinPath(folders.programFolder(), "veldrix.db");
  EXPECT_EQ(db.GetServer(), file);
  EXPECT_EQ(db.GetEngine(), "SQLite");
  EXPECT_TRUE(db.IsSQLite());
  EXPECT_TRUE(db.GetConnectionString().EndsWith("Data Source=" + file + ";Version=3;")) << db.GetConnectionString();
  EXPECT_FALSE(db.IsOpen());
}

TEST(SqlDataLocation, PlainPathOrConnectionString) {
  SQLData plain("/tmp/some folder/a.db");
  EXPECT_EQ(plain.GetServer(), "/tmp/some folder/a.db");
  EXPECT_EQ(plain.GetEngine(), "SQLite");

  SQLData server("Driver=PostgreSQL;ServerType=PostgreSQL;Server=db.local;Port=5433;Database=v;User ID=u;Password=p;");
  EXPECT_EQ(server.GetEngine(), "PostgreSQL");
  EXPECT_EQ(server.GetServer(), "db.local");
  EXPECT_FALSE(server.IsSQLite());
}

TEST(SqlDataLocation, SqlServerFlagFollowsTheLatestConstruction) {
  auto sqlServer = std::make_unique<SQLData>("ServerType=SQL Server;Server=10.0.0.1;Database=v;User ID=sa;Password=x;");
  EXPECT_EQ(sqlServer->GetEngine(), "SQL Server");
  EXPECT_TRUE(SqlServerEngineFlag);
  SQLData sqlite("/tmp/x.db");
  EXPECT_FALSE(SqlServerEngineFlag);  // while the SQL Server object still lives
  SQLData again("ServerType=sql server;Server=10.0.0.1;Database=v;");
  EXPECT_EQ(again.GetEngine(), "sql server");
  EXPECT_TRUE(SqlServerEngineFlag);
  SQLData last("/tmp/y.db");
  EXPECT_FALSE(SqlServerEngineFlag);
}

TEST(SqlDataOpen, CountsSqliteUsesAndKeepsSqliteInitialised) {
  IsolatedFolders folders;
  const int before = SqliteUseCount();
  SQLData first(folders.root() + "/a.db");
  SQLData second(folders.root() + "/b.db");
  ASSERT_TRUE(first.IniciujBazeDanych());
  ASSERT_TRUE(first.IniciujBazeDanych());  // reopens, one use not two
  EXPECT_EQ(SqliteUseCount(), before + 1);
  ASSERT_TRUE(second.IniciujBazeDanych());
  EXPECT_EQ(SqliteUseCount(), before + 2);
  EXPECT_TRUE(first.ZamknijBazeDanych());
  EXPECT_FALSE(first.ZamknijBazeDanych());
  EXPECT_EQ(SqliteUseCount(), before + 1);
  EXPECT_EQ(second.FrameData("SELECT 40+2")[0], "42");

  // A connection of the SQLite driver stays usable when the last SQLData closes:
  // SQLite must not be shut down under it.
  std::shared_ptr<IDbConnection> driver;
  wxString error;
  ASSERT_TRUE(OpenConnection("Data Source=" + folders.root() + "/c.db;Version=3;", &driver, nullptr, &error)) << error;
  EXPECT_TRUE(second.ZamknijBazeDanych());
  EXPECT_EQ(SqliteUseCount(), before);
  // sqlite3_config is refused only while the library is initialised.
  EXPECT_EQ(sqlite3_config(SQLITE_CONFIG_LOG, nullptr, nullptr), SQLITE_MISUSE);
  DbQueryResult result;
  ASSERT_TRUE(driver->execute("CREATE TABLE t(a); INSERT INTO t VALUES(1); SELECT a FROM t", &result, &error)) << error;
  EXPECT_EQ(result.resultSets.at(0).text(0, 0), "1");
  driver->close();

  {
    SQLData never(folders.root() + "/d.db");
  }
  SQLData closedFirst(folders.root() + "/e.db");
  ASSERT_TRUE(closedFirst.IniciujBazeDanych());
  closedFirst.ZamknijBazeDanych();
  EXPECT_EQ(SqliteUseCount(), before);
}

TEST(SqlDataOpen, FailsWithoutAWritableFolder) {
  IsolatedFolders folders;
  const int before = SqliteUseCount();
  SQLData bare("bare.db");
  EXPECT_FALSE(bare.IniciujBazeDanych());
  SQLData missing(folders.root() + "/no/such/folder/a.db");
  EXPECT_FALSE(missing.IniciujBazeDanych());
  EXPECT_FALSE(missing.errorFlag);
  EXPECT_EQ(SqliteUseCount(), before);
}

TEST(SqlDataOpen, AnOpenErrorIsRecordedAndGivesItsUseBack) {
  IsolatedFolders folders;
  wxLogNull quiet;
  const wxString path = folders.root() + "/folder.db";  // a folder cannot be opened as a database
  ASSERT_TRUE(wxMkdir(path));
  const int before = SqliteUseCount();
  SQLData db(path);
  EXPECT_FALSE(db.IniciujBazeDanych());
  EXPECT_TRUE(db.errorFlag);
  EXPECT_TRUE(db.lastError.StartsWith("IniciujBazeDanych | SQL error 14: ")) << db.lastError;
  EXPECT_FALSE(db.IsOpen());
  EXPECT_EQ(SqliteUseCount(), before);
  EXPECT_NE(LogText().Find("QUERY: " + path + "\n"), wxNOT_FOUND);
}

TEST(SqlDataOpen, ServerOpenFailureLogsTheConnectionStringWithoutItsPassword) {
  IsolatedFolders folders;
  wxLogNull quiet;
  // Oracle's client library is absent here, so the open fails without a network.
  SQLData db("Driver=Oracle;ServerType=Oracle;Server=127.0.0.1;Port=1;Database=x;User ID=u;Password=TopSecret9;");
  EXPECT_FALSE(db.IniciujBazeDanych());
  EXPECT_TRUE(db.errorFlag);
  EXPECT_TRUE(db.lastError.StartsWith("IniciujBazeDanych | ")) << db.lastError;
  wxString message;
  EXPECT_FALSE(db.SprawdzBazeDanych(message));
  EXPECT_EQ(message, L"Błąd połączenia z bazą danych");
  const wxString log = LogText();
  EXPECT_NE(log.Find("Password=***"), wxNOT_FOUND) << log;
  EXPECT_EQ(log.Find("TopSecret9"), wxNOT_FOUND) << log;
}

TEST(SqlDataCheck, ReportsMissingFileMissingStructuresAndOk) {
  IsolatedFolders folders;
  const wxString path = folders.root() + "/check.db";
  SQLData db(path);
  wxString message;
  EXPECT_FALSE(db.SprawdzBazeDanych(message));
  EXPECT_EQ(message, L"Nie można odnaleźć pliku bazy danych programu. Sprawdzana lokalizacja: " + path);
  EXPECT_FALSE(db.errorFlag);

  ASSERT_TRUE(db.IniciujBazeDanych());
  EXPECT_FALSE(db.SprawdzBazeDanych(message));
  EXPECT_EQ(message, "Brak wymaganych struktur bazy danych");
  ASSERT_EQ(db.DeleteData("CREATE TABLE baza(wersja REAL)"), 0);
  const int uses = SqliteUseCount();
  EXPECT_TRUE(db.SprawdzBazeDanych(message));
  EXPECT_EQ(message, "OK");
  EXPECT_EQ(SqliteUseCount(), uses);
  EXPECT_TRUE(db.IsOpen());  // the check works beside the object's own database
}

TEST_F(SqlDataFile, CommittedInsertStaysRolledBackInsertIsGone) {
  db->StartTransaction();
  EXPECT_GT(db->InsertData("INSERT INTO firma(nazwa) VALUES('kept')"), 0);
  db->CommitTransaction();
  EXPECT_FALSE(db->errorFlag);

  db->StartTransaction();
  EXPECT_GT(db->InsertData("INSERT INTO firma(nazwa) VALUES('dropped')"), 0);
  EXPECT_EQ(CountRows("firma"), 2);
  db->RollbackTransaction();
  EXPECT_FALSE(db->errorFlag);
  const wxArrayString names = db->FrameData("SELECT nazwa FROM firma");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "kept");

  // Another connection sees the committed row after the object is closed.
  db->ZamknijBazeDanych();
  SQLData other(path);
  ASSERT_TRUE(other.IniciujBazeDanych());
  EXPECT_TRUE(other.IsExistsData("SELECT 1 FROM firma WHERE nazwa='kept'"));
  EXPECT_FALSE(other.IsExistsData("SELECT 1 FROM firma WHERE nazwa='dropped'"));
}

TEST_F(SqlDataFile, AWriteTransactionWaitsForAnotherWriterInsteadOfFailing) {
  BusySleeps sleeps;
  SQLData copy(path);
  ASSERT_TRUE(copy.IniciujBazeDanych());
  db->StartTransaction();
  ASSERT_GT(db->InsertData("INSERT INTO firma(nazwa) VALUES('first')"), 0);

  // The other copy reads before it writes, as a save that checks its record does.
  std::atomic<bool> done{false};
  std::thread save([&] {
    copy.StartTransaction();
    copy.IsExistsData("SELECT 1 FROM firma WHERE nazwa='second'");
    copy.InsertData("INSERT INTO firma(nazwa) VALUES('second')");
    copy.CommitTransaction();
    done = true;
  });
  while (!done && BusySleeps::count == 0) wxMilliSleep(5);
  db->CommitTransaction();
  save.join();
  EXPECT_FALSE(copy.errorFlag) << copy.lastError;
  EXPECT_EQ(CountRows("firma"), 2);
}

TEST_F(SqlDataFile, AUnitSeesAFailedStatementThroughTheErrorFlag) {
  db->lastError = "older failure";
  db->errorFlag = true;
  db->StartTransaction();
  EXPECT_FALSE(db->errorFlag);
  EXPECT_EQ(db->lastError, "");
  db->InsertData("INSERT INTO firma(nazwa) VALUES('a')");
  db->InsertData("INSERT INTO no_such_table VALUES(1)");
  db->InsertData("INSERT INTO firma(nazwa) VALUES('b')");  // a later success does not hide it
  ASSERT_TRUE(db->errorFlag);
  EXPECT_TRUE(db->lastError.StartsWith("InsertData | SQL error 1: ")) << db->lastError;
  db->RollbackTransaction();
  EXPECT_EQ(CountRows("firma"), 0);
}

// A unit that answers true past a failed statement stores none of its work; one
// that checks its errors stores all of it.
TEST_F(SqlDataFile, ATransactionWithAFailedStatementRollsBackWhateverTheUnitAnswers) {
  EXPECT_FALSE(db->RunTransaction([&] {
    db->InsertData("INSERT INTO firma(nazwa) VALUES('a')");
    db->InsertData("INSERT INTO no_such_table VALUES(1)");
    return true;
  }));
  EXPECT_TRUE(db->lastError.StartsWith("InsertData | SQL error 1: ")) << db->lastError;
  EXPECT_EQ(CountRows("firma"), 0);

  EXPECT_TRUE(db->RunTransaction([&] {
    db->InsertData("INSERT INTO firma(nazwa) VALUES('a')");
    db->InsertData("INSERT INTO firma(nazwa) VALUES('b')");
    return !db->errorFlag;
  })) << db->lastError;
  EXPECT_EQ(db->FrameData("SELECT group_concat(nazwa) FROM firma"), wxArrayString(1, "a,b"));
}

TEST_F(SqlDataFile, TransactionFailuresAndAClosedObject) {
  db->CommitTransaction();  // no transaction open
  EXPECT_TRUE(db->errorFlag);
  EXPECT_TRUE(db->lastError.StartsWith("CommitTransaction | SQL error 1: ")) << db->lastError;

  db->ZamknijBazeDanych();
  db->lastError = "kept";
  db->CommitTransaction();
  db->RollbackTransaction();
  EXPECT_EQ(db->lastError, "kept");
  db->StartTransaction();
  EXPECT_TRUE(db->errorFlag);
  EXPECT_EQ(db->lastError, "StartTransaction | DB not open");
  EXPECT_NE(LogText().Find(" StartTransaction | DB not open\n"), wxNOT_FOUND);
}

TEST_F(SqlDataFile, ColumnExistsIgnoresCaseAndClearsTheErrorState) {
  db->errorFlag = true;
  EXPECT_TRUE(db->ColumnExists("firma", "NAZWA"));
  EXPECT_FALSE(db->errorFlag);
  EXPECT_FALSE(db->ColumnExists("firma", "nip"));
  EXPECT_FALSE(db->ColumnExists("no_table", "id"));
  EXPECT_FALSE(db->ColumnExists("firma)", "id"));
  EXPECT_TRUE(db->errorFlag);
  EXPECT_TRUE(db->lastError.StartsWith("ColumnExists | SQL error")) << db->lastError;
  db->ZamknijBazeDanych();
  EXPECT_FALSE(db->ColumnExists("firma", "nazwa"));
  EXPECT_FALSE(db->errorFlag);
}

TEST_F(SqlDataFile, TracesEveryStatementOnlyWhileOn) {
  db->FrameData("SELECT 1");
  EXPECT_FALSE(wxFileExists(SqlLogFilePath("")));
  SqlTraceEnabled = true;
  db->StartTransaction();
  db->ExecPrepared("INSERT INTO firma(nazwa, kwota) VALUES(?, ?)", {SqlValue("a"), SqlValue::Double(2.5)});
  db->CommitTransaction();
  db->FrameData("SELECT nazwa FROM firma");
  SqlTraceEnabled = false;
  db->FrameData("SELECT 2");
  const wxString trace = wxString::FromUTF8(ReadFileBytes(SqlLogFilePath("")));
  EXPECT_NE(trace.Find(" SQL StartTransaction [SQLite]\nBEGIN IMMEDIATE TRANSACTION\n\n"), wxNOT_FOUND) << trace;
  EXPECT_NE(trace.Find(" SQL ExecPrepared [SQLite]\nINSERT INTO firma(nazwa, kwota) VALUES(?, ?)\n"
                       "PARAMS: 1='a', 2=2.5000000000\n\n"),
            wxNOT_FOUND)
      << trace;
  EXPECT_NE(trace.Find(" SQL FrameData [SQLite]\nSELECT nazwa FROM firma\n\n"), wxNOT_FOUND);
  EXPECT_EQ(trace.Find("SELECT 1"), wxNOT_FOUND);
  EXPECT_EQ(trace.Find("SELECT 2"), wxNOT_FOUND);
}

TEST_F(SqlDataFile, LowerFoldsPolishCapitalsOnBothSqliteConnections) {
  ASSERT_NE(db->ExecPrepared("INSERT INTO firma(nazwa) VALUES (?)", {SqlValue(L"ŚLUSARSTWO Łączny Żółw")}).changes, 0);
  const wxString search = "SELECT nazwa FROM firma WHERE lower(nazwa) LIKE lower('%" + wxString(L"ślusarstwo łą") + "%')";
  EXPECT_EQ(db->FrameData(search).size(), 1u);
  const wxArrayString lowered = db->FrameData("SELECT lower(nazwa), lower(NULL) IS NULL FROM firma");
  ASSERT_EQ(lowered.size(), 2u);
  EXPECT_EQ(lowered[0], wxString(L"ślusarstwo łączny żółw"));
  EXPECT_EQ(lowered[1], "1");

  std::shared_ptr<IDbConnection> connection;
  wxString error;
  ASSERT_TRUE(OpenConnection("Data Source=" + path + ";Version=3;", &connection, nullptr, &error)) << error;
  DbQueryResult result;
  ASSERT_TRUE(connection->execute(search, &result, &error)) << error;
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].rowCount, 1);
}
