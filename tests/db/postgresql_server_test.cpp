#include "server_support.h"
#include "tcp_relay.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using veldrix::test::SecondsSince;

class PostgreSqlServer : public veldrix::test::ServerConnectionTest {
 protected:
  PostgreSqlServer() : ServerConnectionTest(veldrix::test::kPostgreSqlServerVariable, "PostgreSQL (libpq)") {}

};

TEST_F(PostgreSqlServer, ReturnsOneSetPerSelectWithNamesAndTypes) {
  DbQueryResult result = Run(
      "SELECT 1 AS a; SELECT 'x'::text AS b, 2::bigint AS c, 1.50::numeric(5,2) AS d, 'v'::varchar AS e, TRUE AS f, "
      "DATE '2024-03-05' AS g, TIMESTAMP '2024-03-05 07:08:09' AS h, INTERVAL '1 day' AS i, 2.5::float8 AS j");
  ASSERT_EQ(result.resultSets.size(), 2u);
  const DbResultSet& first = result.resultSets[0];
  ASSERT_EQ(first.columns.size(), 1u);
  EXPECT_EQ(first.columns[0].name, "a");
  EXPECT_EQ(first.columns[0].type, "integer");
  EXPECT_EQ(first.text(0, 0), "1");
  const DbResultSet& second = result.resultSets[1];
  ASSERT_EQ(second.columns.size(), 9u);
  const char* types[] = {"text", "bigint", "numeric", "varchar", "boolean", "date", "timestamp", "oid:1186",
                         "double precision"};
  const char* texts[] = {"x", "2", "1.50", "v", "t", "2024-03-05", "2024-03-05 07:08:09", "1 day", "2.5"};
  for (int c = 0; c < 9; ++c) {
    EXPECT_EQ(second.columns[c].type, types[c]) << c;
    EXPECT_EQ(second.text(0, c), texts[c]) << c;
  }
  EXPECT_EQ(result.rowsAffected, -1);
}

TEST_F(PostgreSqlServer, TellsNullFromEmptyText) {
  DbQueryResult result = Run("SELECT NULL::text AS n, '' AS e, 'a' AS v");
  ASSERT_EQ(result.resultSets.size(), 1u);
  const DbResultSet& set = result.resultSets[0];
  ASSERT_EQ(set.rowCount, 1);
  EXPECT_TRUE(set.isNull(0, 0));
  EXPECT_FALSE(set.isNull(0, 1));
  int length = -5;
  ASSERT_NE(set.cell(0, 1, &length), nullptr);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(set.text(0, 2), "a");
}

TEST_F(PostgreSqlServer, CountsRowsOfDataChangingStatements) {
  const wxString table = TableName("pg_contract");
  Run("CREATE TABLE " + table + " (id serial PRIMARY KEY, name text)");
  DbQueryResult result = Run("INSERT INTO " + table + " (name) VALUES ('a'), ('b'), ('c')");
  EXPECT_TRUE(result.resultSets.empty());
  EXPECT_EQ(result.rowsAffected, 3);
  result = Run("UPDATE " + table + " SET name = 'z' WHERE id > 1");
  EXPECT_EQ(result.rowsAffected, 2);
  result = Run("DELETE FROM " + table + " WHERE id = 99");
  EXPECT_EQ(result.rowsAffected, 0);
  result = Run("SELECT name FROM " + table + " ORDER BY id");
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].rowCount, 3);
  EXPECT_EQ(result.resultSets[0].text(2, 0), "z");
}

TEST_F(PostgreSqlServer, KeepsTheSetsBeforeAFailingStatementAndStaysUsable) {
  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection_->execute("SELECT 1; SELECT 1/0; SELECT 3", &result, &error));
  EXPECT_TRUE(error.Contains("division by zero")) << error;
  EXPECT_FALSE(error.EndsWith("\n"));
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].text(0, 0), "1");

  error.clear();
  EXPECT_FALSE(connection_->execute("SELEC nonsense", &result, &error));
  EXPECT_TRUE(error.Contains("syntax error")) << error;

  result = Run("SELECT 5");
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].text(0, 0), "5");
}

TEST_F(PostgreSqlServer, StoresQuotesBackslashesAndPolishLettersUnchanged) {
  const wxString table = TableName("pg_contract");
  const wxString text = veldrix::test::AwkwardCompanyName();
  wxString literal = text;
  literal.Replace("'", "''");
  Run("CREATE TABLE " + table + " (id integer, name text)");
  Run("INSERT INTO " + table + " VALUES (1, '" + literal + "')");
  DbQueryResult result = Run("SELECT name, length(name) FROM " + table + " WHERE name = '" + literal + "'");
  ASSERT_EQ(result.resultSets.size(), 1u);
  ASSERT_EQ(result.resultSets[0].rowCount, 1);
  EXPECT_EQ(result.resultSets[0].text(0, 0), text);
  EXPECT_EQ(result.resultSets[0].text(0, 1), wxString::Format("%zu", text.length()));
}

TEST_F(PostgreSqlServer, RefusesAWrongPasswordWithTheServersMessage) {
  DbConnectionInfo info = info_;
  info.password = "not-the-password";
  wxString error;
  EXPECT_EQ(OpenWith(info, &error), nullptr);
  EXPECT_TRUE(error.Contains("password authentication failed for user \"veldrix\"")) << error;
}

TEST_F(PostgreSqlServer, LogsInWithAPasswordHoldingQuotesAndBackslashes) {
  const wxString role = veldrix::test::UniqueServerName("veldrix_role");
  const wxString password = wxString::FromUTF8("p'a\\ss w\\'ó");
  wxString literal = password;
  literal.Replace("'", "''");
  Run("CREATE ROLE " + role + " LOGIN PASSWORD '" + literal + "'");
  DropAtEnd("DROP ROLE IF EXISTS " + role);
  DbConnectionInfo info = info_;
  info.user = role;
  info.password = password;
  wxString error;
  auto other = OpenWith(info, &error);
  ASSERT_NE(other, nullptr) << error;
  DbQueryResult result = Run("SELECT current_user", other.get());
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].text(0, 0), role);
  other->close();
}

TEST_F(PostgreSqlServer, ClosesAndReopens) {
  EXPECT_TRUE(connection_->isConnected());
  connection_->close();
  EXPECT_FALSE(connection_->isConnected());
  DbQueryResult result;
  result.rowsAffected = 7;
  wxString error;
  EXPECT_FALSE(connection_->execute("SELECT 1", &result, &error));
  EXPECT_EQ(error, "PostgreSQL is not connected.");
  EXPECT_EQ(result.rowsAffected, 7);

  ASSERT_TRUE(connection_->open(info_, &error)) << error;
  ASSERT_TRUE(connection_->open(info_, &error)) << error;  // opening twice reconnects
  result = Run("SELECT current_setting('application_name'), current_setting('client_encoding')");
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].text(0, 0), "Veldrix");
  EXPECT_EQ(result.resultSets[0].text(0, 1), "UTF8");
}

// The server ends an idle session (an administrator, a restart): the connection
// tells so from what it received, with the server's reason, without a statement;
// a statement during which the session ends is reported as lost.
TEST_F(PostgreSqlServer, TellsASessionTheServerEnded) {
  auto other = OpenAnother();
  const wxString pid = Run("SELECT pg_backend_pid()", other.get()).resultSets[0].text(0, 0);
  wxString reason;
  EXPECT_FALSE(other->lost(&reason));
  Run("SELECT pg_terminate_backend(" + pid + ")");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!other->lost(&reason) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(other->lost(&reason));
  EXPECT_TRUE(reason.Contains("terminating connection")) << reason;

  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection_->execute("SELECT pg_terminate_backend(pg_backend_pid())", &result, &error));
  EXPECT_TRUE(result.connectionLost) << error;
  EXPECT_TRUE(connection_->lost(&reason));
}

TEST_F(PostgreSqlServer, CancelInterruptsARunningStatement) {
  DbQueryResult result;
  wxString error;
  bool ok = true;
  std::atomic<bool> done{false};
  const auto started = std::chrono::steady_clock::now();
  std::thread worker([&] {
    ok = connection_->execute("SELECT pg_sleep(30)", &result, &error);
    done = true;
  });
  // A cancel before the statement has been sent does nothing: repeat until it ends.
  while (!done && std::chrono::steady_clock::now() - started < std::chrono::seconds(20)) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    connection_->cancel();
  }
  worker.join();
  EXPECT_FALSE(ok);
  EXPECT_TRUE(error.Contains("canceling statement")) << error;
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(15));
  EXPECT_EQ(Run("SELECT 1").resultSets.size(), 1u);
}

// A server or pooler that lets the login through and then answers nothing: the
// session settings came with the login, so the open sends nothing after it and
// does not wait; its first statement ends at the answer bound. Without the hold the
// same open has its settings in force.
TEST_F(PostgreSqlServer, OpensWithItsSessionSettingsAndNoRoundTripAfterTheLogin) {
  veldrix::test::TcpRelay relay(info_.server, info_.port);
  using Sender = veldrix::test::TcpRelay::Sender;
  relay.HoldOnceSent(Sender::Server, std::string("Z\0\0\0\x05I", 6));  // ReadyForQuery, idle
  const DbConnectionInfo info = ShortWaits(relay.port());
  wxString error;
  const Clock::time_point start = Clock::now();
  auto held = OpenWith(info, &error);
  ASSERT_NE(held, nullptr) << error;
  EXPECT_LT(SecondsSince(start), 1.5);
  DbQueryResult result;
  EXPECT_FALSE(held->execute("SELECT 1", &result, &error));
  EXPECT_TRUE(result.answerTimedOut) << error;

  relay.HoldOnceSent(Sender::Server, "");
  auto other = OpenWith(info, &error);
  ASSERT_NE(other, nullptr) << error;
  result = Run("SELECT current_setting('standard_conforming_strings'), current_setting('lock_timeout'), "
               "current_setting('client_encoding')",
               other.get());
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].text(0, 0), "on");
  EXPECT_EQ(result.resultSets[0].text(0, 1), "1500ms");
  EXPECT_EQ(result.resultSets[0].text(0, 2), "UTF8");
}

// A statement the answer bound cuts on a server that is slow but alive is cancelled
// there, so its session does not run on holding its locks; on a server that answers
// nothing the cut still ends at the bound plus the cancel's own short one.
TEST_F(PostgreSqlServer, AStatementCutByTheAnswerBoundEndsOnTheServer) {
  ExpectACutStatementEndsOnTheServer("SELECT pg_backend_pid()", "SELECT pg_sleep(8)",
                                     "SELECT count(*) FROM pg_stat_activity WHERE pid = %s AND state = 'active'");
}

}  // namespace
