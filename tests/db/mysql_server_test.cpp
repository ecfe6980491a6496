#include "server_support.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;
using veldrix::test::SecondsSince;

class MySqlServer : public veldrix::test::ServerConnectionTest {
 protected:
  MySqlServer() : ServerConnectionTest(veldrix::test::kMySqlServerVariable, "MySQL (MariaDB Connector/C)") {}
};

TEST_F(MySqlServer, ReturnsOneSetPerSelectWithNamesAndTypes) {
  const wxString table = TableName("my_contract");
  Run("CREATE TABLE " + table + " (id INT, name VARCHAR(20), price DECIMAL(10,2), d DATETIME)");
  Run("INSERT INTO " + table + " VALUES (1, 'a', 12.50, '2024-03-05 07:08:09')");
  DbQueryResult result = Run("SELECT 1 AS a; SELECT id, name, price, d FROM " + table);
  ASSERT_EQ(result.resultSets.size(), 2u);
  EXPECT_EQ(result.resultSets[0].columns[0].name, "a");
  EXPECT_EQ(result.resultSets[0].text(0, 0), "1");
  const DbResultSet& set = result.resultSets[1];
  ASSERT_EQ(set.columns.size(), 4u);
  EXPECT_EQ(set.columns[0].name, "id");
  EXPECT_EQ(set.columns[0].type, "3");
  EXPECT_EQ(set.columns[1].type, "253");
  EXPECT_EQ(set.columns[2].type, "246");
  EXPECT_EQ(set.columns[3].type, "12");
  EXPECT_EQ(set.text(0, 2), "12.50");
  EXPECT_EQ(set.text(0, 3), "2024-03-05 07:08:09");
}

TEST_F(MySqlServer, TellsNullFromEmptyText) {
  DbQueryResult result = Run("SELECT NULL, ''");
  ASSERT_EQ(result.resultSets.size(), 1u);
  const DbResultSet& set = result.resultSets[0];
  EXPECT_TRUE(set.isNull(0, 0));
  EXPECT_FALSE(set.isNull(0, 1));
  int length = -5;
  EXPECT_NE(set.cell(0, 1, &length), nullptr);
  EXPECT_EQ(length, 0);
}

TEST_F(MySqlServer, CountsRowsOfDataChangingStatements) {
  const wxString table = TableName("my_contract");
  Run("CREATE TABLE " + table + " (id INT PRIMARY KEY AUTO_INCREMENT, name VARCHAR(20))");
  DbQueryResult result = Run("INSERT INTO " + table + " (name) VALUES ('a'), ('b')");
  EXPECT_TRUE(result.resultSets.empty());
  EXPECT_EQ(result.rowsAffected, 2);
  result = Run("UPDATE " + table + " SET name = 'z' WHERE id = 2");
  EXPECT_EQ(result.rowsAffected, 1);
  result = Run("DELETE FROM " + table);
  EXPECT_EQ(result.rowsAffected, 2);
}

TEST_F(MySqlServer, KeepsTheSetsBeforeAFailingStatementAndStaysUsable) {
  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection_->execute("SELECT 1; SELECT * FROM no_such_table_here; SELECT 3", &result, &error));
  EXPECT_TRUE(error.Contains("no_such_table_here")) << error;
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].text(0, 0), "1");
  result = Run("SELECT 5");
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].text(0, 0), "5");
}

TEST_F(MySqlServer, ReadsLiteralsAndConcatenationAsSqliteDoes) {
  const wxString table = TableName("my_contract");
  const wxString text = veldrix::test::AwkwardCompanyName();
  wxString literal = text;
  literal.Replace("'", "''");  // the only escaping the program does
  Run("CREATE TABLE " + table + " (id INT, name VARCHAR(100))");
  Run("INSERT INTO " + table + " VALUES (1, '" + literal + "')");
  DbQueryResult result = Run("SELECT name, CHAR_LENGTH(name), 'a' || 'b' FROM " + table + " WHERE name = '" +
                             literal + "'");
  ASSERT_EQ(result.resultSets.size(), 1u);
  ASSERT_EQ(result.resultSets[0].rowCount, 1);
  EXPECT_EQ(result.resultSets[0].text(0, 0), text);
  EXPECT_EQ(result.resultSets[0].text(0, 1), wxString::Format("%zu", text.length()));
  EXPECT_EQ(result.resultSets[0].text(0, 2), "ab");
}

// A server set up without strict mode (or a table that is not transactional) would
// otherwise cut a long company name short and store the rest without a word.
TEST_F(MySqlServer, RefusesATooLongValueInsteadOfCuttingItShort) {
  const wxString table = TableName("my_contract");
  Run("CREATE TABLE " + table + " (name VARCHAR(3)) ENGINE=Aria");
  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection_->execute("INSERT INTO " + table + " VALUES ('ab'), ('abcdef')", &result, &error));
  EXPECT_FALSE(error.empty());
  result = Run("SELECT name FROM " + table + " WHERE name LIKE 'abc%'");
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].rowCount, 0);
}

TEST_F(MySqlServer, RefusesAWrongPasswordWithDetails) {
  DbConnectionInfo info = info_;
  info.password = "not-the-password";
  wxString error;
  EXPECT_EQ(OpenWith(info, &error), nullptr);
  EXPECT_TRUE(error.Contains("Access denied for user 'veldrix'")) << error;
  EXPECT_TRUE(error.Contains("\nClient library: ")) << error;
  EXPECT_TRUE(error.Contains("\nSSL options: verify=0 enforce=0 use_ssl=0 client_flag_ssl=0")) << error;
}

TEST_F(MySqlServer, ConnectsWithoutADefaultDatabase) {
  DbConnectionInfo info = info_;
  info.database.clear();
  wxString error;
  auto other = OpenWith(info, &error);
  ASSERT_NE(other, nullptr) << error;
  DbQueryResult result;
  ASSERT_TRUE(other->execute("SELECT DATABASE(), @@character_set_client", &result, &error)) << error;
  EXPECT_TRUE(result.resultSets[0].isNull(0, 0));
  EXPECT_EQ(result.resultSets[0].text(0, 1), "utf8mb4");
}

// The server ends an idle session (KILL, a restart, wait_timeout): the connection
// tells so from its socket without a statement; a statement during which the
// session ends is reported as lost.
TEST_F(MySqlServer, TellsASessionTheServerEnded) {
  auto other = OpenAnother();
  const wxString id = Run("SELECT CONNECTION_ID()", other.get()).resultSets[0].text(0, 0);
  wxString reason;
  EXPECT_FALSE(other->lost(&reason));
  Run("KILL " + id);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!other->lost(&reason) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(other->lost(&reason));
  EXPECT_FALSE(reason.empty());

  const wxString own = Run("SELECT CONNECTION_ID()").resultSets[0].text(0, 0);
  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection_->execute("KILL " + own, &result, &error));
  EXPECT_TRUE(result.connectionLost) << error;
  EXPECT_TRUE(connection_->lost(&reason));
}

TEST_F(MySqlServer, ClosesAndReportsNotConnected) {
  connection_->close();
  EXPECT_FALSE(connection_->isConnected());
  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection_->execute("SELECT 1", &result, &error));
  EXPECT_EQ(error, "MySQL is not connected.");
  connection_->cancel();  // no effect, no crash
  ASSERT_TRUE(connection_->open(info_, &error)) << error;
  ASSERT_TRUE(connection_->open(info_, &error)) << error;
  EXPECT_EQ(Run("SELECT 1").resultSets.size(), 1u);
}

// Another session's open transaction has read the table, so an ALTER of it waits
// for the table's metadata lock, which InnoDB's row-lock bound does not cover: the
// wait ends at the lock bound as a lock wait, well before the answer bound, and the
// connection stays.
TEST_F(MySqlServer, AWaitForATableLockEndsAtTheLockBoundAndKeepsTheConnection) {
  const wxString table = TableName("my_contract");
  Run("CREATE TABLE " + table + " (id INT) ENGINE=InnoDB");
  auto holder = OpenAnother();
  Run("START TRANSACTION; SELECT id FROM " + table, holder.get());
  DbConnectionInfo info = ShortWaits();
  info.waits.answerMs = 5000;
  wxString error;
  auto waiting = OpenWith(info, &error);
  ASSERT_NE(waiting, nullptr) << error;
  const Clock::time_point start = Clock::now();
  DbQueryResult result;
  EXPECT_FALSE(waiting->execute("ALTER TABLE " + table + " ADD COLUMN name VARCHAR(20)", &result, &error));
  EXPECT_TRUE(result.lockTimeout) << error;
  EXPECT_FALSE(result.connectionLost);
  EXPECT_LT(SecondsSince(start), 4.0);
  EXPECT_EQ(Run("SELECT 1", waiting.get()).resultSets.size(), 1u);
  Run("ROLLBACK", holder.get());
}

// A statement the answer bound cuts on a server that is slow but alive is stopped
// there, so its session does not run on holding its locks; on a server that answers
// nothing the cut still ends at the bound plus the stop's own short one.
TEST_F(MySqlServer, AStatementCutByTheAnswerBoundEndsOnTheServer) {
  ExpectACutStatementEndsOnTheServer("SELECT CONNECTION_ID()", "SELECT SLEEP(8)",
                                     "SELECT COUNT(*) FROM information_schema.processlist WHERE id = %s "
                                     "AND command = 'Query'");
}

}  // namespace

TEST_F(MySqlServer, EncryptsExactlyWhenAsked) {
  // The test server offers SSL with a self-signed certificate, which is not verified.
  for (const bool ssl : {true, false}) {
    DbConnectionInfo info = info_;
    info.ssl = ssl;
    wxString error;
    auto other = OpenWith(info, &error);
    ASSERT_NE(other, nullptr) << error;
    DbQueryResult result = Run("SHOW SESSION STATUS LIKE 'Ssl_cipher'", other.get());
    ASSERT_EQ(result.resultSets.size(), 1u);
    EXPECT_EQ(result.resultSets[0].text(0, 1).empty(), !ssl) << result.resultSets[0].text(0, 1);
    // Several statements per text work on both.
    EXPECT_EQ(Run("SELECT 1; SELECT 2", other.get()).resultSets.size(), 2u);
  }
}
