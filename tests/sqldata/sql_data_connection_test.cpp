// SQLData on the connection path (every engine but SQLite), driven through a
// recording driver that runs the statements on a real SQLite file, answers the few
// engine-specific ones the way the server would, and ends its session when told.
#include "sqldata/sql_data.h"

#include "db/connection_info.h"
#include "db/db_connection.h"
#include "db/driver_registry.h"
#include "sqldata/db_log.h"
#include "sqldata/engine_statements.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <algorithm>

using veldrix::test::IsolatedFolders;
using veldrix::test::ReadFileBytes;

namespace {

struct Recorder {
  std::vector<wxString> statements;
  int opens = 0;
  bool hideRowsAffected = false;
  bool failSessionOptions = false;
  int endedOpen = 0;   // the connection of this open (1: the first) was ended by the server
  wxString endDuring;  // the next statement that starts so ends its connection as it runs
};

const char kEndedReason[] = "Session 77 ended by the server";

Recorder& Record() {
  static Recorder recorder;
  return recorder;
}

class RecordingConnection : public IDbConnection {
 public:
  bool open(const DbConnectionInfo& info, wxString* error) override {
    number_ = ++Record().opens;
    if (!OpenConnection("Data Source=" + info.server + ";Version=3;", &inner_, nullptr, error)) return false;
    DbQueryResult ignored;
    // ColumnExists asks INFORMATION_SCHEMA.COLUMNS: an attached database of that name.
    return inner_->execute("ATTACH DATABASE ':memory:' AS INFORMATION_SCHEMA; "
                           "CREATE TABLE INFORMATION_SCHEMA.COLUMNS(TABLE_NAME, COLUMN_NAME); "
                           "INSERT INTO INFORMATION_SCHEMA.COLUMNS VALUES ('firma', 'nazwa'), ('o''k', 'a''b')",
                           &ignored, error);
  }
  void close() override {
    if (inner_) inner_->close();
    inner_.reset();
  }
  bool isConnected() const override { return inner_ && inner_->isConnected(); }
  bool execute(const wxString& sql, DbQueryResult* result, wxString* error) override {
    Record().statements.push_back(sql);
    if (!Record().endDuring.empty() && sql.StartsWith(Record().endDuring)) {
      Record().endDuring.clear();
      Record().endedOpen = number_;
    }
    if (ended()) {
      result->clear();
      result->connectionLost = true;
      *error = kEndedReason;
      return false;
    }
    wxString run = sql;
    if (sql.StartsWith("SET ANSI_NULLS ON;")) {
      result->clear();
      if (Record().failSessionOptions) *error = "SET refused";
      return !Record().failSessionOptions;
    }
    if (sql == "SELECT LAST_INSERT_ID()" || sql == "SELECT CAST(@@IDENTITY AS BIGINT)") run = "SELECT last_insert_rowid()";
    if (sql == "START TRANSACTION") run = "BEGIN TRANSACTION";
    if (sql == "IF @@TRANCOUNT > 0 COMMIT TRANSACTION") run = "COMMIT";
    if (sql == "IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION") run = "ROLLBACK";
    const bool ok = inner_->execute(run, result, error);
    if (Record().hideRowsAffected) result->rowsAffected = -1;
    return ok;
  }
  void cancel() override {}
  bool lost(wxString* reason) override {
    if (!ended()) return false;
    *reason = kEndedReason;
    return true;
  }

 private:
  // The server undoes what the session left uncommitted as it ends it.
  bool ended() {
    if (number_ != Record().endedOpen) return false;
    if (inner_) inner_->close();
    return true;
  }

  std::shared_ptr<IDbConnection> inner_;
  int number_ = 0;
};

class RecordingDriver : public IDatabaseDriver {
 public:
  wxString name() const override { return "Recording Engine"; }
  std::shared_ptr<IDbConnection> createConnection() override { return std::make_shared<RecordingConnection>(); }
};

class SqlDataConnection : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterBuiltinDrivers();
    DriverRegistry::instance().add(std::make_unique<RecordingDriver>());
    Record() = Recorder();
  }

  std::unique_ptr<SQLData> Open(const wxString& engine) {
    auto db = std::make_unique<SQLData>("Driver=Recording Engine;ServerType=" + engine + ";Server=" + folders.root() +
                                        "/server.db;Database=veldrix;User ID=app;Password=Hidden77;");
    EXPECT_EQ(db->GetEngine(), engine);
    EXPECT_TRUE(db->IniciujBazeDanych()) << db->lastError;
    return db;
  }

  // The server ends the session now, as a restart or an administrator does.
  static void EndSession() { Record().endedOpen = Record().opens; }

  int TimesSent(const wxString& start) const {
    const auto& all = Record().statements;
    return static_cast<int>(
        std::count_if(all.begin(), all.end(), [&](const wxString& sent) { return sent.StartsWith(start); }));
  }

  bool Sent(const wxString& statement) const {
    const auto& all = Record().statements;
    return std::find(all.begin(), all.end(), statement) != all.end();
  }

  wxString LogText() const { return wxString::FromUTF8(ReadFileBytes(DbLogFilePath())); }

  IsolatedFolders folders;
  wxLogNull quiet;
};

}  // namespace

TEST_F(SqlDataConnection, OpensOnceAndSetsSessionOptionsOnlyOnSqlServer) {
  auto mysql = Open("MySQL");
  EXPECT_TRUE(mysql->IsOpen());
  EXPECT_TRUE(mysql->IniciujBazeDanych());
  EXPECT_EQ(Record().opens, 1);
  EXPECT_TRUE(Record().statements.empty());
  EXPECT_TRUE(mysql->ZamknijBazeDanych());
  EXPECT_FALSE(mysql->IsOpen());
  EXPECT_FALSE(mysql->ZamknijBazeDanych());

  Record().failSessionOptions = true;
  auto sqlServer = Open("SQL Server");
  ASSERT_EQ(Record().statements.size(), 1u);
  EXPECT_TRUE(Record().statements[0].Contains("SET ANSI_NULL_DFLT_ON ON"));
  // The screens' sessions wait for a row another one holds within a bound.
  EXPECT_TRUE(Record().statements[0].Contains("SET LOCK_TIMEOUT ")) << Record().statements[0];
  EXPECT_FALSE(sqlServer->errorFlag);  // a refused option batch is only a warning
  EXPECT_NE(LogText().Find("IniciujBazeDanych | SET refused"), wxNOT_FOUND);
}

TEST_F(SqlDataConnection, TransactionStatementsPerEngine) {
  auto db = Open("MySQL");
  db->DeleteData("CREATE TABLE firma(id INTEGER PRIMARY KEY, nazwa TEXT)");
  db->StartTransaction();
  db->InsertData("INSERT INTO firma(nazwa) VALUES('a')");
  db->CommitTransaction();
  db->StartTransaction();
  db->InsertData("INSERT INTO firma(nazwa) VALUES('b')");
  db->RollbackTransaction();
  EXPECT_FALSE(db->errorFlag) << db->lastError;
  EXPECT_TRUE(Sent("START TRANSACTION"));
  EXPECT_TRUE(Sent("COMMIT"));
  EXPECT_TRUE(Sent("ROLLBACK"));
  const wxArrayString names = db->FrameData("SELECT nazwa FROM firma");
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "a");

  Record().statements.clear();
  auto sqlServer = Open("SQL Server");
  sqlServer->StartTransaction();
  sqlServer->CommitTransaction();
  sqlServer->StartTransaction();
  sqlServer->RollbackTransaction();
  EXPECT_TRUE(Sent("IF @@TRANCOUNT > 0 COMMIT TRANSACTION"));
  EXPECT_TRUE(Sent("IF @@TRANCOUNT > 0 ROLLBACK TRANSACTION"));
  EXPECT_FALSE(sqlServer->errorFlag) << sqlServer->lastError;

  sqlServer->CommitTransaction();  // nothing open: the driver's error is recorded
  EXPECT_TRUE(sqlServer->errorFlag);
  EXPECT_TRUE(sqlServer->lastError.StartsWith("CommitTransaction | ")) << sqlServer->lastError;
}

TEST_F(SqlDataConnection, ExecPreparedWritesParametersInAndAsksForTheRowId) {
  auto db = Open("MySQL");
  db->DeleteData("CREATE TABLE v(id INTEGER PRIMARY KEY, n, i, l, d, b, s)");
  const std::vector<SqlValue> params{SqlValue::Null(), SqlValue(-3), SqlValue::Int64(9000000000LL),
                                     SqlValue::Double(1.5), SqlValue(true), SqlValue("it's ?")};
  Record().statements.clear();
  SqlExecResult result = db->ExecPrepared("INSERT INTO v(n, i, l, d, b, s) VALUES(?, ?, ?, ?, ?, ?)", params);
  ASSERT_GE(Record().statements.size(), 2u);
  EXPECT_EQ(Record().statements[0],
            "INSERT INTO v(n, i, l, d, b, s) VALUES(NULL, -3, 9000000000, 1.500000000000000, 1, 'it''s ?')");
  EXPECT_EQ(Record().statements[1], "SELECT LAST_INSERT_ID()");
  EXPECT_EQ(result.changes, 1);
  EXPECT_EQ(result.newRowId, 1);
  const wxArrayString cells = db->FrameData("SELECT typeof(n), i, l, d, b, s FROM v");
  ASSERT_EQ(cells.size(), 6u);
  EXPECT_EQ(cells[0], "null");
  EXPECT_EQ(cells[3], "1.5");  // driver text, no locale formatting
  EXPECT_EQ(cells[5], "it's ?");

  // An UPDATE that changes rows also asks, and gets what the server answers.
  Record().statements.clear();
  result = db->ExecPrepared("UPDATE v SET s = ? WHERE id = ?", {SqlValue("x"), SqlValue(1)});
  EXPECT_EQ(result.changes, 1);
  EXPECT_TRUE(Sent("SELECT LAST_INSERT_ID()"));
  EXPECT_EQ(result.newRowId, 1);

  // Without a reported count an INSERT counts as one change, anything else as none.
  Record().hideRowsAffected = true;
  result = db->ExecPrepared("\n\t insert   INTO v(s) VALUES(?)", {SqlValue("y")});
  EXPECT_EQ(result.changes, 1);
  EXPECT_EQ(result.newRowId, 2);
  result = db->ExecPrepared("UPDATE v SET s = ?", {SqlValue("z")});
  EXPECT_EQ(result.changes, 0);
  EXPECT_EQ(result.newRowId, 0);
  EXPECT_FALSE(db->errorFlag);

  result = db->ExecPrepared("INSERT INTO nowhere VALUES(?)", {SqlValue(1)});  // no exception here
  EXPECT_EQ(result.changes, 0);
  EXPECT_TRUE(db->errorFlag);
  EXPECT_TRUE(db->lastError.StartsWith("ExecPrepared | ")) << db->lastError;
  EXPECT_NE(LogText().Find("QUERY: INSERT INTO nowhere VALUES(1)"), wxNOT_FOUND);
}

TEST_F(SqlDataConnection, RowIdsPerEngine) {
  auto postgres = Open("PostgreSQL");
  postgres->DeleteData("CREATE TABLE t(id INTEGER PRIMARY KEY, a)");
  Record().statements.clear();
  // The recorder cannot answer the guarded lastval() query; the real server does
  // in the server tests.
  EXPECT_EQ(postgres->ExecPrepared("INSERT INTO t(a) VALUES(?)", {SqlValue(1)}).newRowId, 0);
  EXPECT_TRUE(Sent(LastInsertIdStatement("PostgreSQL")));
  postgres->ZamknijBazeDanych();

  auto oracle = Open("Oracle");
  Record().statements.clear();
  EXPECT_EQ(oracle->InsertData("INSERT INTO t(a) VALUES(2)"), 0);
  EXPECT_EQ(Record().statements.size(), 1u);  // no id query on Oracle
  oracle->StartTransaction();                 // nor a begin statement
  EXPECT_EQ(Record().statements.size(), 1u);
  EXPECT_FALSE(oracle->errorFlag) << oracle->lastError;
  oracle->ZamknijBazeDanych();

  auto sqlServer = Open("SQL Server");
  EXPECT_EQ(sqlServer->InsertData("INSERT INTO t(a) VALUES(3)"), 3);
  EXPECT_TRUE(Sent("SELECT CAST(@@IDENTITY AS BIGINT)"));
  Record().hideRowsAffected = true;
  EXPECT_EQ(sqlServer->InsertData("INSERT INTO t(a) VALUES(4)"), 0);
  EXPECT_EQ(sqlServer->DeleteData("DELETE FROM t"), 0);
  wxString blad;
  EXPECT_EQ(sqlServer->InsertData(blad, "INSERT INTO t(a) VALUES(5)"), 0);
  EXPECT_EQ(sqlServer->InsertData(blad, "INSERT INTO nowhere VALUES(5)"), -1);
  EXPECT_NE(blad.Find("nowhere"), wxNOT_FOUND) << blad;
  EXPECT_TRUE(sqlServer->lastError.StartsWith("InsertData(blad) | ")) << sqlServer->lastError;
  Record().hideRowsAffected = false;
  EXPECT_EQ(sqlServer->DeleteData("DELETE FROM t"), 1);
  EXPECT_EQ(sqlServer->DeleteData("DELETE FROM nowhere"), -1);
  EXPECT_TRUE(sqlServer->lastError.StartsWith("SQLData | ")) << sqlServer->lastError;
}

TEST_F(SqlDataConnection, SqlServerGetsEveryStatementInTransactSql) {
  auto sqlServer = Open("SQL Server");
  Record().statements.clear();
  sqlServer->FrameData("select nazwa || ' (' || nip || ')' from firma order by nazwa COLLATE NOCASE limit 1");
  EXPECT_TRUE(Sent("select TOP 1 nazwa + N' (' + nip + N')' from firma order by nazwa")) << Record().statements[0];
  // Parameters are written in as literals first, so they become national literals too.
  sqlServer->ExecPrepared("UPDATE firma SET nazwa = ? WHERE nazwa = ifnull(?, '')", {SqlValue("it's"), SqlValue::Null()});
  EXPECT_TRUE(Sent("UPDATE firma SET nazwa = N'it''s' WHERE nazwa = ISNULL(NULL, N'')"));
  sqlServer->DeleteData("CREATE TABLE IF NOT EXISTS x (id INTEGER PRIMARY KEY AUTOINCREMENT, opis TEXT)");
  EXPECT_TRUE(Sent("IF OBJECT_ID(N'dbo.x', N'U') IS NULL BEGIN CREATE TABLE x (id INT IDENTITY(1,1) PRIMARY KEY, "
                   "opis NVARCHAR(MAX)) END"));

  auto mysql = Open("MySQL");
  Record().statements.clear();
  mysql->FrameData("select nazwa || 'x' from firma limit 1");
  EXPECT_TRUE(Sent("select nazwa || 'x' from firma limit 1"));
}

TEST_F(SqlDataConnection, ColumnExistsAsksInformationSchemaWithEscapedNames) {
  auto db = Open("SQL Server");
  EXPECT_TRUE(db->ColumnExists("firma", "nazwa"));
  EXPECT_TRUE(db->ColumnExists("o'k", "a'b"));
  EXPECT_FALSE(db->ColumnExists("firma", "nip"));
  EXPECT_TRUE(Sent("SELECT 1 FROM INFORMATION_SCHEMA.COLUMNS WHERE LOWER(TABLE_NAME) = LOWER('o''k') AND "
                   "LOWER(COLUMN_NAME) = LOWER('a''b')"));
  db->ZamknijBazeDanych();
  EXPECT_FALSE(db->ColumnExists("firma", "nazwa"));
  EXPECT_FALSE(db->errorFlag);
}

TEST_F(SqlDataConnection, ReadersAndTheirFailures) {
  auto db = Open("MySQL");
  db->DeleteData("CREATE TABLE t(id INTEGER PRIMARY KEY, nazwa TEXT)");
  db->DeleteData("INSERT INTO t(nazwa) VALUES('a'), (NULL)");
  EXPECT_TRUE(db->IsExistsData("SELECT 1 FROM t WHERE nazwa = 'a'"));
  EXPECT_FALSE(db->IsExistsData("SELECT 1 FROM t WHERE nazwa = 'b'"));
  wxArrayString texts;
  wxArrayInt ids;
  db->SimpleListData(&texts, &ids, "SELECT nazwa, id FROM t ORDER BY id");
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[1], "");
  EXPECT_EQ(ids[1], 2);

  EXPECT_TRUE(db->FrameData("SELECT x FROM missing").empty());
  EXPECT_TRUE(db->errorFlag);
  EXPECT_TRUE(db->lastError.StartsWith("FrameData | ")) << db->lastError;
  // Asked for an answer to act on, a failed query is no "none".
  bool found = true;
  EXPECT_TRUE(db->IsExistsData("SELECT 1 FROM t WHERE nazwa = 'b'", &found));
  EXPECT_FALSE(found);
  EXPECT_FALSE(db->IsExistsData("SELECT x FROM missing", &found));
  const wxString log = LogText();
  EXPECT_NE(log.Find("QUERY: SELECT x FROM missing"), wxNOT_FOUND);
  EXPECT_EQ(log.Find("Hidden77"), wxNOT_FOUND);

  db->ZamknijBazeDanych();
  EXPECT_EQ(db->ExecPrepared("DELETE FROM t", {}).changes, 0);
  EXPECT_EQ(db->lastError, "ExecPrepared | DB not open");
}

TEST_F(SqlDataConnection, CheckOfTheProgramDatabaseUsesAConnectionOfItsOwn) {
  auto db = Open("MySQL");
  wxString message;
  EXPECT_FALSE(db->SprawdzBazeDanych(message));
  EXPECT_EQ(message, "Brak wymaganych struktur bazy danych");
  EXPECT_TRUE(db->lastError.StartsWith("SprawdzBazeDanych | ")) << db->lastError;
  db->DeleteData("CREATE TABLE baza(wersja REAL)");
  EXPECT_TRUE(db->SprawdzBazeDanych(message));
  EXPECT_EQ(message, "OK");
  EXPECT_EQ(Record().opens, 3);
  EXPECT_TRUE(db->IsOpen());
}

TEST_F(SqlDataConnection, TracesTheStatementAsSent) {
  auto db = Open("MySQL");
  SqlTraceEnabled = true;
  db->ExecPrepared("SELECT ?", {SqlValue(7)});
  db->StartTransaction();
  db->RollbackTransaction();
  SqlTraceEnabled = false;
  const wxString trace = wxString::FromUTF8(ReadFileBytes(SqlLogFilePath("")));
  EXPECT_NE(trace.Find(" SQL ExecPrepared [MySQL]\nSELECT 7\n\n"), wxNOT_FOUND) << trace;
  EXPECT_NE(trace.Find(" SQL StartTransaction [MySQL]\nSTART TRANSACTION\n\n"), wxNOT_FOUND) << trace;
  EXPECT_EQ(trace.Find("PARAMS"), wxNOT_FOUND);
}

// The server ends the session while the object is idle, or while one of its
// statements runs: it goes on on a new connection only where nothing can be lost
// or done twice.
TEST_F(SqlDataConnection, ALostConnectionIsReplacedOnlyWhereNothingIsLostOrDoneTwice) {
  auto db = Open("SQL Server");
  db->DeleteData("CREATE TABLE t(id INTEGER PRIMARY KEY, n INTEGER)");
  const wxString insert = "INSERT INTO t(n) VALUES(?)";
  const auto stored = [&] { return wxJoin(db->FrameData("SELECT n FROM t ORDER BY id"), ','); };

  // Ended while idle: the next statement runs on a new connection set up as every
  // open sets one up, and the log tells why.
  EndSession();
  EXPECT_EQ(stored(), "");
  EXPECT_FALSE(db->errorFlag) << db->lastError;
  EXPECT_EQ(Record().opens, 2);
  EXPECT_EQ(TimesSent("SET ANSI_NULLS ON;"), 2);
  EXPECT_NE(LogText().Find(kEndedReason), wxNOT_FOUND);

  // Ended while a read runs: the read runs once more.
  Record().endDuring = "SELECT n FROM t";
  EXPECT_EQ(stored(), "");
  EXPECT_FALSE(db->errorFlag) << db->lastError;
  EXPECT_EQ(TimesSent("SELECT n FROM t"), 3);

  // A change outside a transaction whose answer was lost may have been stored: it
  // is reported so and not sent again.
  Record().endDuring = "INSERT";
  db->ExecPrepared(insert, {SqlValue(1)});
  EXPECT_EQ(db->LastConnectionFailure(), ConnectionFailure::Unknown) << db->lastError;
  EXPECT_EQ(TimesSent("INSERT INTO t(n) VALUES(1)"), 1);

  // A transaction ended in its middle fails whole, and once; the next one runs.
  int runs = 0;
  EXPECT_FALSE(db->RunTransaction([&] {
    ++runs;
    db->ExecPrepared(insert, {SqlValue(2)});
    EndSession();
    db->ExecPrepared(insert, {SqlValue(3)});
    return !db->errorFlag;
  }));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(db->LastConnectionFailure(), ConnectionFailure::Lost) << db->lastError;
  EXPECT_TRUE(db->RunTransaction([&] {
    db->ExecPrepared(insert, {SqlValue(4)});
    return !db->errorFlag;
  })) << db->lastError;
  EXPECT_EQ(stored(), "4");

  // A commit whose answer was lost: reported as not known, neither it nor the
  // unit run again.
  Record().endDuring = "IF @@TRANCOUNT > 0 COMMIT";
  const int commits = TimesSent("IF @@TRANCOUNT > 0 COMMIT");
  runs = 0;
  EXPECT_FALSE(db->RunTransaction([&] {
    ++runs;
    db->ExecPrepared(insert, {SqlValue(5)});
    return !db->errorFlag;
  }));
  EXPECT_EQ(runs, 1);
  EXPECT_EQ(TimesSent("IF @@TRANCOUNT > 0 COMMIT"), commits + 1);
  EXPECT_EQ(db->LastConnectionFailure(), ConnectionFailure::Unknown) << db->lastError;

  db->ClearError();
  EXPECT_TRUE(db->FrameData("SELECT x FROM missing").empty());
  EXPECT_EQ(db->LastConnectionFailure(), ConnectionFailure::None);
}
