// SQLData on the real PostgreSQL and MariaDB servers: transactions, parameterised
// statements with every kind of value and the new row id, texts that must survive
// unchanged, and sessions the server ends.
#include "db/connection_info.h"
#include "server_support.h"
#include "sqldata/engine_statements.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"
#include "tcp_relay.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <thread>

using veldrix::test::AwkwardCompanyName;
using veldrix::test::IsolatedFolders;
using veldrix::test::TcpRelay;
using veldrix::test::UniqueServerName;
using Clock = std::chrono::steady_clock;

namespace {

// Waits short enough for a test: the screens' own are the same in kind, longer.
ServerWaits ShortWaits() {
  ServerWaits waits;
  waits.connectSeconds = 2;
  waits.answerMs = 2000;
  waits.rowLockMs = 1000;
  return waits;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

class SqlDataServer : public ::testing::TestWithParam<veldrix::test::TestServer> {
 protected:
  void SetUp() override {
    VELDRIX_REQUIRE_SERVER(GetParam().variable, connectionString_);
    db_ = Open();
    ASSERT_EQ(db_->GetEngine(), GetParam().engine);
  }

  void TearDown() override {
    if (!db_) return;
    for (const wxString& statement : cleanup_) db_->DeleteData(statement);
  }

  std::unique_ptr<SQLData> Open() {
    auto db = std::make_unique<SQLData>(connectionString_);
    EXPECT_TRUE(db->IniciujBazeDanych()) << db->lastError;
    return db;
  }

  bool IsMySql() const { return wxString(GetParam().engine) == "MySQL"; }

  DbConnectionInfo ServerInfo() const {
    DbConnectionInfo info;
    EXPECT_TRUE(ParseConnectionInfo(connectionString_, &info, nullptr));
    return info;
  }

  // A workstation with the short waits whose connections go through the relay,
  // not yet opened.
  std::unique_ptr<SQLData> Through(const TcpRelay& relay) {
    DbConnectionInfo info = ServerInfo();
    info.server = "127.0.0.1";
    info.port = relay.port();
    info.options.clear();
    auto db = std::make_unique<SQLData>(BuildConnectionString(info));
    db->SetServerWaits(ShortWaits());
    return db;
  }

  std::unique_ptr<SQLData> OpenThrough(const TcpRelay& relay) {
    auto db = Through(relay);
    EXPECT_TRUE(db->IniciujBazeDanych()) << db->lastError;
    return db;
  }

  // The server's id of the session the object works on.
  wxString SessionOf(SQLData& db) {
    const wxArrayString id = db.FrameData(IsMySql() ? "SELECT CONNECTION_ID()" : "SELECT pg_backend_pid()");
    EXPECT_EQ(id.size(), 1u) << db.lastError;
    return id.empty() ? wxString("0") : id[0];
  }

  // Ends the session from db_, as an administrator, a server restart or an idle
  // time-out ends it, and waits until the server has let it go.
  void EndSession(const wxString& session) {
    if (IsMySql()) {
      EXPECT_NE(db_->DeleteData("KILL " + session), -1) << db_->lastError;
    } else {
      EXPECT_EQ(db_->FrameData("SELECT pg_terminate_backend(" + session + ")").size(), 1u) << db_->lastError;
    }
    const wxString alive = IsMySql() ? "SELECT 1 FROM information_schema.processlist WHERE id = " + session
                                     : "SELECT 1 FROM pg_stat_activity WHERE pid = " + session;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (db_->IsExistsData(alive) && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_FALSE(db_->IsExistsData(alive)) << session;
  }

  wxString NewTable(const wxString& columns) {
    const wxString table = UniqueServerName("sqldata");
    const wxString id = IsMySql() ? "id INT PRIMARY KEY AUTO_INCREMENT" : "id SERIAL PRIMARY KEY";
    EXPECT_NE(db_->DeleteData("CREATE TABLE " + table + " (" + id + ", " + columns + ")"), -1)
        << db_->lastError;
    cleanup_.push_back("DROP TABLE IF EXISTS " + table);
    return table;
  }

  wxString connectionString_;
  std::unique_ptr<SQLData> db_;
  std::vector<wxString> cleanup_;
  IsolatedFolders folders_;
  wxLogNull quiet_;
};

TEST_P(SqlDataServer, CommitsAndRollsBackTransactions) {
  const wxString table = NewTable("name VARCHAR(40)");
  auto observer = Open();
  db_->StartTransaction();
  db_->ExecPrepared("INSERT INTO " + table + " (name) VALUES (?)", {SqlValue("cofnięty")});
  EXPECT_FALSE(observer->IsExistsData("SELECT 1 FROM " + table));
  db_->RollbackTransaction();
  EXPECT_FALSE(db_->errorFlag) << db_->lastError;
  EXPECT_FALSE(db_->IsExistsData("SELECT 1 FROM " + table));

  db_->StartTransaction();
  db_->ExecPrepared("INSERT INTO " + table + " (name) VALUES (?)", {SqlValue("zapisany")});
  db_->ExecPrepared("INSERT INTO " + table + " (name) VALUES (?)", {SqlValue("drugi")});
  db_->CommitTransaction();
  EXPECT_FALSE(db_->errorFlag) << db_->lastError;
  const wxArrayString names = observer->FrameData("SELECT name FROM " + table + " ORDER BY id");
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[0], "zapisany");
}

TEST_P(SqlDataServer, AFailedStatementInsideATransactionIsRolledBackWithTheRest) {
  const wxString table = NewTable("name VARCHAR(5) NOT NULL");
  db_->StartTransaction();
  db_->ExecPrepared("INSERT INTO " + table + " (name) VALUES (?)", {SqlValue("a")});
  db_->ExecPrepared("INSERT INTO " + table + " (name) VALUES (?)", {SqlValue::Null()});
  ASSERT_TRUE(db_->errorFlag);
  EXPECT_TRUE(db_->lastError.StartsWith("ExecPrepared | ")) << db_->lastError;
  db_->RollbackTransaction();
  EXPECT_FALSE(db_->IsExistsData("SELECT 1 FROM " + table));
}

TEST_P(SqlDataServer, ExecPreparedWritesEveryKindOfValueAndReturnsTheNewId) {
  const wxString table =
      NewTable("i INTEGER, b BIGINT, d DOUBLE PRECISION, f INTEGER, t VARCHAR(100), n VARCHAR(10)");
  const wxString insert = "INSERT INTO " + table + " (i, b, d, f, t, n) VALUES (?, ?, ?, ?, ?, ?)";
  SqlExecResult first = db_->ExecPrepared(
      insert, {SqlValue(-7), SqlValue::Int64(9007199254740993LL), SqlValue::Double(1234.5), SqlValue(true),
               SqlValue("it's ? here"), SqlValue::Null()});
  ASSERT_FALSE(db_->errorFlag) << db_->lastError;
  EXPECT_EQ(first.changes, 1);
  EXPECT_EQ(first.newRowId, 1);
  SqlExecResult second = db_->ExecPrepared(
      insert, {SqlValue(0), SqlValue::Int64(-1), SqlValue::Double(0.1), SqlValue(false), SqlValue(""), SqlValue("x")});
  EXPECT_EQ(second.newRowId, 2);

  const wxArrayString row = db_->FrameData("SELECT i, b, d, f, t, n FROM " + table + " WHERE id = 1");
  ASSERT_EQ(row.size(), 6u);
  EXPECT_EQ(row[0], "-7");
  EXPECT_EQ(row[1], "9007199254740993");
  EXPECT_EQ(row[2], "1234.5");
  EXPECT_EQ(row[3], "1");
  EXPECT_EQ(row[4], "it's ? here");
  EXPECT_EQ(row[5], "");
  EXPECT_TRUE(db_->IsExistsData("SELECT 1 FROM " + table + " WHERE id = 1 AND n IS NULL"));
  EXPECT_TRUE(db_->IsExistsData("SELECT 1 FROM " + table + " WHERE id = 2 AND t = '' AND n = 'x'"));

  SqlExecResult update = db_->ExecPrepared("UPDATE " + table + " SET f = ?", {SqlValue(5)});
  EXPECT_EQ(update.changes, 2);
}

TEST_P(SqlDataServer, TheNewIdQueryNeverBreaksAnOpenTransaction) {
  // A fresh session, and a table without a sequence: PostgreSQL's lastval() has
  // nothing to give and would fail.
  const wxString table = UniqueServerName("plain");
  ASSERT_NE(db_->DeleteData("CREATE TABLE " + table + " (k INTEGER, name VARCHAR(10))"), -1) << db_->lastError;
  cleanup_.push_back("DROP TABLE IF EXISTS " + table);
  auto fresh = Open();
  fresh->StartTransaction();
  SqlExecResult result = fresh->ExecPrepared("INSERT INTO " + table + " VALUES (?, ?)", {SqlValue(1), SqlValue("a")});
  EXPECT_EQ(result.changes, 1);
  EXPECT_EQ(result.newRowId, 0);
  fresh->ExecPrepared("INSERT INTO " + table + " VALUES (?, ?)", {SqlValue(2), SqlValue("b")});
  EXPECT_FALSE(fresh->errorFlag) << fresh->lastError;
  fresh->CommitTransaction();
  EXPECT_FALSE(fresh->errorFlag) << fresh->lastError;
  EXPECT_EQ(db_->FrameData("SELECT k FROM " + table).size(), 2u);
}

TEST_P(SqlDataServer, TextsWithQuotesBackslashesAndPolishLettersRoundTrip) {
  const wxString table = NewTable("name VARCHAR(200)");
  const wxString text = veldrix::test::AwkwardCompanyName();
  db_->ExecPrepared("INSERT INTO " + table + " (name) VALUES (?)", {SqlValue(text)});
  EXPECT_NE(db_->InsertData("INSERT INTO " + table + " (name) VALUES ('" + EscapeSqlText(text) + "')"), -1)
      << db_->lastError;
  const wxArrayString names = db_->FrameData("SELECT name FROM " + table + " ORDER BY id");
  ASSERT_EQ(names.size(), 2u) << db_->lastError;
  EXPECT_EQ(names[0], text);
  EXPECT_EQ(names[1], text);
  EXPECT_TRUE(db_->IsExistsData("SELECT 1 FROM " + table + " WHERE name = '" + EscapeSqlText(text) + "'"));
  EXPECT_EQ(db_->FrameData("SELECT 'a' || 'b'")[0], "ab");
}

TEST_P(SqlDataServer, ColumnExistsLooksOnlyAtTheOwnDatabase) {
  const wxString table = NewTable("Nip VARCHAR(20)");
  EXPECT_TRUE(db_->ColumnExists(table, "nip"));
  EXPECT_FALSE(db_->ColumnExists(table, "regon"));
  const wxString elsewhere = UniqueServerName("elsewhere");
  ASSERT_NE(db_->DeleteData("CREATE SCHEMA " + elsewhere), -1) << db_->lastError;
  cleanup_.push_back(IsMySql() ? "DROP DATABASE IF EXISTS " + elsewhere
                               : "DROP SCHEMA IF EXISTS " + elsewhere + " CASCADE");
  ASSERT_NE(db_->DeleteData("CREATE TABLE " + elsewhere + ".firma_obca (regon VARCHAR(14))"), -1) << db_->lastError;
  EXPECT_FALSE(db_->ColumnExists("firma_obca", "regon"));
  EXPECT_FALSE(db_->errorFlag);
}

TEST_P(SqlDataServer, ChecksTheProgramDatabaseItIsGiven) {
  // A database of its own: the tests of other checkouts share veldrix_test.
  const wxString name = UniqueServerName("program");
  ASSERT_NE(db_->DeleteData("CREATE DATABASE " + name), -1) << db_->lastError;
  cleanup_.push_back("DROP DATABASE IF EXISTS " + name);
  DbConnectionInfo info;
  ASSERT_TRUE(ParseConnectionInfo(connectionString_, &info, nullptr));
  info.database = name;
  SQLData program(BuildConnectionString(info));
  ASSERT_TRUE(program.IniciujBazeDanych()) << program.lastError;
  wxString message;
  EXPECT_FALSE(program.SprawdzBazeDanych(message));
  EXPECT_EQ(message, "Brak wymaganych struktur bazy danych");
  EXPECT_NE(program.DeleteData("CREATE TABLE baza (wersja DOUBLE PRECISION)"), -1) << program.lastError;
  EXPECT_TRUE(program.SprawdzBazeDanych(message)) << program.lastError;
  EXPECT_EQ(message, "OK");
  EXPECT_TRUE(program.ZamknijBazeDanych());
}

// A workstation whose session the server ended while it stood idle notices nothing:
// its next read and its next whole save run on a new session, which has the
// settings of every session (here "||" concatenating on MariaDB).
TEST_P(SqlDataServer, TheNextReadAndSaveAfterAnEndedSessionRunOnANewOne) {
  const wxString table = NewTable("name VARCHAR(40)");
  auto workstation = Open();
  EndSession(SessionOf(*workstation));
  const wxArrayString joined = workstation->FrameData("SELECT 'a' || 'b'");
  ASSERT_EQ(joined.size(), 1u) << workstation->lastError;
  EXPECT_EQ(joined[0], "ab");

  EndSession(SessionOf(*workstation));
  EXPECT_TRUE(workstation->RunTransaction([&] {
    workstation->ExecPrepared("INSERT INTO " + table + " (name) VALUES (?)", {SqlValue("po restarcie")});
    return !workstation->errorFlag;
  })) << workstation->lastError;
  // A change outside a transaction, which would not be run again had it been sent.
  EndSession(SessionOf(*workstation));
  workstation->ExecPrepared("UPDATE " + table + " SET name = ?", {SqlValue("zmieniony")});
  EXPECT_FALSE(workstation->errorFlag) << workstation->lastError;
  const wxArrayString names = db_->FrameData("SELECT name FROM " + table);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "zmieniony");
}

// A session ended between two statements of a transaction: the transaction fails
// whole and is not run again, nothing of it is stored, and the next one runs.
TEST_P(SqlDataServer, ATransactionCutInTheMiddleStoresNothingAndTheNextOneRuns) {
  const wxString table = NewTable("name VARCHAR(40)");
  auto workstation = Open();
  const wxString session = SessionOf(*workstation);
  const wxString insert = "INSERT INTO " + table + " (name) VALUES (?)";
  int runs = 0;
  EXPECT_FALSE(workstation->RunTransaction([&] {
    ++runs;
    workstation->ExecPrepared(insert, {SqlValue("pierwszy")});
    EndSession(session);
    workstation->ExecPrepared(insert, {SqlValue("drugi")});
    return !workstation->errorFlag;
  }));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(workstation->errorFlag);
  EXPECT_FALSE(db_->IsExistsData("SELECT 1 FROM " + table));

  EXPECT_TRUE(workstation->RunTransaction([&] {
    workstation->ExecPrepared(insert, {SqlValue(wxString::FromUTF8("następny"))});
    return !workstation->errorFlag;
  })) << workstation->lastError;
  const wxArrayString names = db_->FrameData("SELECT name FROM " + table);
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], wxString::FromUTF8("następny"));
}

// A server host that cannot be reached: the relay has dropped the connections and
// takes new ones into its backlog without a word. One reconnect waits for the
// connect time-out; the statements after it fail at once, and once the relay
// accepts again the next one after the pause works without being asked to.
TEST_P(SqlDataServer, AfterAFailedReconnectStatementsFailAtOnceAndWorkAgainByThemselves) {
  const DbConnectionInfo server = ServerInfo();
  TcpRelay relay(server.server, server.port);
  auto workstation = OpenThrough(relay);
  ASSERT_EQ(workstation->FrameData("SELECT 1").size(), 1u) << workstation->lastError;
  relay.SetAccepting(false);
  relay.DropConnections();

  Clock::time_point start = Clock::now();
  EXPECT_TRUE(workstation->FrameData("SELECT 1").empty());
  EXPECT_EQ(workstation->LastConnectionFailure(), ConnectionFailure::Lost) << workstation->lastError;
  std::printf("first statement, one failed reconnect: %.2f s\n", SecondsSince(start));
  for (int i = 0; i < 4; ++i) {
    start = Clock::now();
    EXPECT_TRUE(workstation->FrameData("SELECT 1").empty());
    const double took = SecondsSince(start);
    EXPECT_LT(took, 1.0) << "statement " << i;
    EXPECT_EQ(workstation->LastConnectionFailure(), ConnectionFailure::Lost) << workstation->lastError;
    std::printf("statement %d while the server cannot be reached: %.3f s\n", i, took);
  }

  relay.SetAccepting(true);
  const Clock::time_point back = Clock::now();
  wxArrayString answer;
  while (answer.empty() && Clock::now() - back < SQLData::kReconnectPause + std::chrono::seconds(5)) {
    start = Clock::now();
    answer = workstation->FrameData("SELECT 1");
    EXPECT_LT(SecondsSince(start), 1.0);
    if (answer.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(200));
  }
  EXPECT_EQ(answer.size(), 1u) << workstation->lastError;
  std::printf("working again %.2f s after the server could be reached\n", SecondsSince(back));
}

// A screen opened while the server could not be reached: what it is asked to do
// fails at once as the connection's failure, and the first statement after the
// pause opens it once the server can be reached.
TEST_P(SqlDataServer, AnObjectWhoseOpenFailedOpensAtItsNextStatementAfterThePause) {
  const DbConnectionInfo server = ServerInfo();
  TcpRelay relay(server.server, server.port);
  // Another screen whose connection works: a failed open (perhaps a refusal) does
  // not stop it.
  auto screen = OpenThrough(relay);
  relay.SetAccepting(false);
  auto workstation = Through(relay);
  EXPECT_FALSE(workstation->IniciujBazeDanych());
  EXPECT_EQ(screen->FrameData("SELECT 1").size(), 1u) << screen->lastError;
  relay.SetAccepting(true);

  const Clock::time_point start = Clock::now();
  workstation->StartTransaction();
  EXPECT_LT(SecondsSince(start), 1.0);
  EXPECT_EQ(workstation->LastConnectionFailure(), ConnectionFailure::Lost) << workstation->lastError;
  EXPECT_TRUE(SaveFailureText(*workstation, workstation->lastError).Contains("przerwane")) << workstation->lastError;
  std::this_thread::sleep_for(SQLData::kReconnectPause);
  EXPECT_EQ(workstation->FrameData("SELECT 1").size(), 1u) << workstation->lastError;
}

// A server that stops answering with its connections open (hung, or a network gone
// silent): a read and a save each give up after the answer bound, as a lost
// connection, and the next one after the server answers again runs.
TEST_P(SqlDataServer, AStatementTheServerDoesNotAnswerFailsWithinTheBoundAndTheNextRuns) {
  const wxString table = NewTable("name VARCHAR(40)");
  const DbConnectionInfo server = ServerInfo();
  TcpRelay relay(server.server, server.port);
  auto workstation = OpenThrough(relay);
  // Another screen of the same program, on a connection of its own.
  auto screen = OpenThrough(relay);
  auto save = [&] {
    return workstation->RunTransaction([&] {
      workstation->ExecPrepared("INSERT INTO " + table + " (name) VALUES (?)", {SqlValue("zapis")});
      return !workstation->errorFlag;
    });
  };
  const std::function<bool()> actions[] = {[&] { return workstation->FrameData("SELECT 1").size() == 1; }, save};
  for (const auto& action : actions) {
    relay.SetForwarding(false);
    const Clock::time_point start = Clock::now();
    EXPECT_FALSE(action());
    const double took = SecondsSince(start);
    EXPECT_LT(took, ShortWaits().answerMs / 1000.0 + 2.0);
    EXPECT_EQ(workstation->LastConnectionFailure(), ConnectionFailure::Lost) << workstation->lastError;
    EXPECT_TRUE(SaveFailureText(*workstation, workstation->lastError).Contains("przerwane"));
    std::printf("statement without an answer failed after %.2f s\n", took);
    // Neither the rest of the action nor the other screen waits for the server again.
    const Clock::time_point after = Clock::now();
    EXPECT_TRUE(workstation->FrameData("SELECT 1").empty());
    EXPECT_TRUE(screen->FrameData("SELECT 1").empty());
    EXPECT_LT(SecondsSince(after), 0.5);
    EXPECT_EQ(screen->LastConnectionFailure(), ConnectionFailure::Lost) << screen->lastError;
    relay.SetForwarding(true);
    std::this_thread::sleep_for(SQLData::kReconnectPause);
    EXPECT_TRUE(action()) << workstation->lastError;
    EXPECT_EQ(screen->FrameData("SELECT 1").size(), 1u) << screen->lastError;
  }
  EXPECT_EQ(db_->FrameData("SELECT name FROM " + table).size(), 1u);
}

// Another workstation holds the row (its save's transaction, or a session a tool
// left open): the save gives up after the row-lock bound, stores nothing and says
// so; once the row is free the same save runs.
TEST_P(SqlDataServer, ASaveWaitingForARowAnotherWorkstationHoldsGivesUpAndRunsOnceItIsFree) {
  const wxString table = NewTable("name VARCHAR(40)");
  ASSERT_NE(db_->DeleteData("INSERT INTO " + table + " (name) VALUES ('stary')"), -1) << db_->lastError;
  const wxString locked = LockedSelectStatement(GetParam().engine, "name", table, "id = 1");
  auto holder = Open();
  // The holder's own session ends after a while, so that even a wait without a
  // bound of its own comes to an end.
  holder->DeleteData(IsMySql() ? "SET SESSION idle_transaction_timeout = 8"
                               : "SET idle_in_transaction_session_timeout = 8000");
  holder->StartTransaction();
  ASSERT_EQ(holder->FrameData(locked).size(), 1u) << holder->lastError;

  auto workstation = std::make_unique<SQLData>(connectionString_);
  workstation->SetServerWaits(ShortWaits());
  ASSERT_TRUE(workstation->IniciujBazeDanych()) << workstation->lastError;
  auto save = [&] {
    return workstation->RunTransaction([&] {
      if (workstation->FrameData(locked).size() != 1) return false;
      workstation->ExecPrepared("UPDATE " + table + " SET name = ? WHERE id = 1", {SqlValue("nowy")});
      return !workstation->errorFlag;
    });
  };
  const Clock::time_point start = Clock::now();
  EXPECT_FALSE(save());
  const double took = SecondsSince(start);
  EXPECT_LT(took, ShortWaits().rowLockMs / 1000.0 + 2.0);
  EXPECT_TRUE(workstation->LastFailureWasRowLock()) << workstation->lastError;
  EXPECT_EQ(workstation->LastConnectionFailure(), ConnectionFailure::None);
  EXPECT_TRUE(SaveFailureText(*workstation, workstation->lastError).Contains("innym stanowisku"));
  std::printf("save waiting for a held row gave up after %.2f s\n", took);

  holder->RollbackTransaction();
  EXPECT_EQ(db_->FrameData("SELECT name FROM " + table)[0], "stary");
  EXPECT_TRUE(save()) << workstation->lastError;
  EXPECT_EQ(db_->FrameData("SELECT name FROM " + table)[0], "nowy");
}

// The server reports a deadlock again when the save runs the second time: the save
// fails after its one retry, told to the user as another workstation saving, with
// the server's reason below, never the server's text alone.
TEST_P(SqlDataServer, ADeadlockAfterTheRetryIsToldAsAnotherWorkstationSaving) {
  // The engine's own deadlock error, as the server raises it for a real one.
  const wxString deadlock =
      IsMySql() ? "SIGNAL SQLSTATE '40001' SET MYSQL_ERRNO = 1213, MESSAGE_TEXT = 'Deadlock found when trying to get "
                  "lock; try restarting transaction'"
                : "DO $$BEGIN RAISE EXCEPTION 'deadlock detected' USING ERRCODE = '40P01'; END$$";
  int runs = 0;
  EXPECT_FALSE(db_->RunTransaction([&] {
    ++runs;
    db_->DeleteData(deadlock);
    return !db_->errorFlag;
  }));
  EXPECT_EQ(runs, 2);
  const wxString text = SaveFailureText(*db_, db_->lastError);
  EXPECT_TRUE(text.StartsWith(
      wxString::FromUTF8("Ten rekord jest właśnie zapisywany na innym stanowisku. Spróbuj ponownie za chwilę.")))
      << text;
  EXPECT_NE(text.Lower().Find("deadlock"), wxNOT_FOUND) << text;
}

// A PostgreSQL database whose default reads a backslash in a literal as an escape.
TEST(SqlDataPostgreSql, BackslashesStayOrdinaryWhereTheServerDefaultEscapesThem) {
  wxString connectionString;
  VELDRIX_REQUIRE_SERVER(veldrix::test::kPostgreSqlServerVariable, connectionString);
  IsolatedFolders folders;
  wxLogNull quiet;
  const wxString name = UniqueServerName("escapes");
  SQLData admin(connectionString);
  ASSERT_TRUE(admin.IniciujBazeDanych()) << admin.lastError;
  ASSERT_NE(admin.DeleteData("CREATE DATABASE " + name), -1) << admin.lastError;
  ASSERT_NE(admin.DeleteData("ALTER DATABASE " + name + " SET standard_conforming_strings = off"), -1)
      << admin.lastError;
  DbConnectionInfo info;
  ASSERT_TRUE(ParseConnectionInfo(connectionString, &info, nullptr));
  info.database = name;
  {
    SQLData db(BuildConnectionString(info));
    ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
    ASSERT_NE(db.DeleteData("CREATE TABLE konto (login VARCHAR(200), admin INT)"), -1) << db.lastError;
    db.ExecPrepared("INSERT INTO konto (login, admin) VALUES (?, ?)", {SqlValue("szef"), SqlValue(1)});
    db.ExecPrepared("INSERT INTO konto (login, admin) VALUES (?, ?)", {AwkwardCompanyName(), SqlValue(0)});
    EXPECT_FALSE(db.errorFlag) << db.lastError;

    const wxString login = "x\\' UNION SELECT login FROM konto WHERE admin=1 --";
    const wxArrayString found = db.FrameData("SELECT login FROM konto WHERE login='" + EscapeSqlText(login) + "'");
    EXPECT_TRUE(found.empty()) << found[0];
    const wxArrayString names = db.FrameData("SELECT login FROM konto WHERE admin=0");
    ASSERT_EQ(names.size(), 1u) << db.lastError;
    EXPECT_EQ(names[0], AwkwardCompanyName());
    EXPECT_TRUE(db.IsExistsData("SELECT 1 FROM konto WHERE login=" + QuoteSqlLiteral(AwkwardCompanyName())));
  }
  EXPECT_NE(admin.DeleteData("DROP DATABASE IF EXISTS " + name), -1) << admin.lastError;
}

// The server ends the session while it commits: whether the changes were stored is
// not known, so the commit is reported as such and never run again; the next
// statement runs on a new session.
TEST(SqlDataPostgreSql, ACommitWhoseAnswerWasLostIsReportedAndNotRunAgain) {
  wxString connectionString;
  VELDRIX_REQUIRE_SERVER(veldrix::test::kPostgreSqlServerVariable, connectionString);
  IsolatedFolders folders;
  wxLogNull quiet;
  SQLData db(connectionString);
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  const wxString table = UniqueServerName("commit_cut");
  // A deferred trigger runs at the commit and ends its own session there.
  ASSERT_NE(db.DeleteData("CREATE TABLE " + table + " (name VARCHAR(10))"), -1) << db.lastError;
  ASSERT_NE(db.DeleteData("CREATE FUNCTION " + table + "_end() RETURNS trigger LANGUAGE plpgsql AS "
                          "$$BEGIN PERFORM pg_terminate_backend(pg_backend_pid()); RETURN NULL; END$$"),
            -1)
      << db.lastError;
  ASSERT_NE(db.DeleteData("CREATE CONSTRAINT TRIGGER " + table + "_at_commit AFTER INSERT ON " + table +
                          " DEFERRABLE INITIALLY DEFERRED FOR EACH ROW EXECUTE FUNCTION " + table + "_end()"),
            -1)
      << db.lastError;
  int runs = 0;
  EXPECT_FALSE(db.RunTransaction([&] {
    ++runs;
    db.ExecPrepared("INSERT INTO " + table + " VALUES (?)", {SqlValue("a")});
    return !db.errorFlag;
  }));
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(db.lastError.StartsWith("CommitTransaction | ")) << db.lastError;
  db.ClearError();
  EXPECT_FALSE(db.IsExistsData("SELECT 1 FROM " + table));
  EXPECT_FALSE(db.errorFlag) << db.lastError;
  EXPECT_NE(db.DeleteData("DROP TABLE " + table), -1) << db.lastError;
  EXPECT_NE(db.DeleteData("DROP FUNCTION " + table + "_end()"), -1) << db.lastError;
}

INSTANTIATE_TEST_SUITE_P(Servers, SqlDataServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
