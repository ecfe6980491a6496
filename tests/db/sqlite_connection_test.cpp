#include "db/connection_info.h"
#include "db/db_connection.h"
#include "db/driver_registry.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <thread>

using veldrix::test::TempDir;

namespace {

std::shared_ptr<IDbConnection> OpenFile(const wxString& path) {
  std::shared_ptr<IDbConnection> connection;
  wxString error;
  EXPECT_TRUE(OpenConnection("Data Source=" + path + ";Version=3;", &connection, nullptr, &error)) << error;
  return connection;
}

}  // namespace

TEST(SqliteConnection, OpensAFileThroughAConnectionString) {
  TempDir temp;
  const wxString path = temp.file("program.db");
  std::shared_ptr<IDbConnection> connection;
  DbConnectionInfo info;
  wxString error;
  ASSERT_TRUE(OpenConnection("Data Source=" + path + ";Version=3;", &connection, &info, &error)) << error;
  EXPECT_TRUE(connection->isConnected());
  EXPECT_EQ(info.server, path);
  EXPECT_TRUE(wxFileExists(path));
  connection->close();
  EXPECT_FALSE(connection->isConnected());
  connection->close();
}

TEST(SqliteConnection, RunsSeveralStatementsIntoSeveralSets) {
  TempDir temp;
  auto connection = OpenFile(temp.file("a.db"));
  DbQueryResult result;
  wxString error;
  ASSERT_TRUE(connection->execute("SELECT 1; SELECT 2", &result, &error)) << error;
  ASSERT_EQ(result.resultSets.size(), 2u);
  EXPECT_EQ(result.resultSets[0].text(0, 0), "1");
  EXPECT_EQ(result.resultSets[1].text(0, 0), "2");
  EXPECT_EQ(result.resultSets[1].rowCount, 1);
  EXPECT_EQ(result.resultSets[1].columns[0].type, "TEXT");

  ASSERT_TRUE(connection->execute("CREATE TABLE t(a); INSERT INTO t VALUES(1)", &result, &error)) << error;
  EXPECT_TRUE(result.resultSets.empty());
  EXPECT_EQ(result.rowsAffected, 1);

  ASSERT_TRUE(connection->execute("-- only a comment", &result, &error));
  EXPECT_TRUE(result.resultSets.empty());
  EXPECT_EQ(result.rowsAffected, -1);
  ASSERT_TRUE(connection->execute("", &result, &error));
}

TEST(SqliteConnection, KeepsNullApartFromEmptyTextAndNamesColumns) {
  TempDir temp;
  auto connection = OpenFile(temp.file("a.db"));
  DbQueryResult result;
  wxString error;
  ASSERT_TRUE(connection->execute(L"SELECT NULL, '', 1+2, 'zażółć' AS nazwa, x'00ff'", &result, &error)) << error;
  const DbResultSet& set = result.resultSets.at(0);
  EXPECT_TRUE(set.isNull(0, 0));
  EXPECT_FALSE(set.isNull(0, 1));
  EXPECT_EQ(set.text(0, 1), "");
  EXPECT_EQ(set.columns[2].name, "1+2");
  EXPECT_EQ(set.text(0, 2), "3");
  EXPECT_EQ(set.columns[3].name, "nazwa");
  EXPECT_EQ(set.text(0, 3), wxString::FromUTF8("zażółć"));
  int length = 0;
  const char* blob = set.cell(0, 4, &length);
  ASSERT_EQ(length, 2);
  EXPECT_EQ(static_cast<unsigned char>(blob[1]), 0xff);
}

TEST(SqliteConnection, AnErrorHalfwayKeepsTheCompletedSets) {
  TempDir temp;
  auto connection = OpenFile(temp.file("a.db"));
  DbQueryResult result;
  wxString error;
  ASSERT_TRUE(connection->execute("CREATE TABLE t(a)", &result, &error));
  EXPECT_FALSE(connection->execute("SELECT 1; INSERT INTO t VALUES(5); SELECT * FROM missing; INSERT INTO t VALUES(6)",
                                   &result, &error));
  EXPECT_EQ(error, "no such table: missing");
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.rowsAffected, 1);

  ASSERT_TRUE(connection->execute("SELECT count(*), max(a) FROM t", &result, &error));
  EXPECT_EQ(result.resultSets[0].text(0, 0), "1");
  EXPECT_EQ(result.resultSets[0].text(0, 1), "5");

  // A step error (not a prepare error) also ends the run with the library's text.
  EXPECT_FALSE(connection->execute("SELECT 1; SELECT abs(-9223372036854775807 - 1)", &result, &error));
  EXPECT_EQ(error, "integer overflow");
  EXPECT_EQ(result.resultSets.size(), 1u);
}

TEST(SqliteConnection, ClosedOrNullResultIsNotConnected) {
  auto connection = MakeSqliteDriver()->createConnection();
  DbQueryResult result;
  result.rowsAffected = 42;
  wxString error;
  EXPECT_FALSE(connection->execute("SELECT 1", &result, &error));
  EXPECT_EQ(error, "SQLite is not connected.");
  EXPECT_EQ(result.rowsAffected, 42);

  TempDir temp;
  auto open = OpenFile(temp.file("a.db"));
  EXPECT_FALSE(open->execute("SELECT 1", nullptr, &error));
  EXPECT_EQ(error, "SQLite is not connected.");
}

TEST(SqliteConnection, PathRulesAndOpenFailures) {
  auto connection = MakeSqliteDriver()->createConnection();
  DbConnectionInfo info;
  wxString error;
  info.server = "   ";
  info.database = "ignored.db";
  EXPECT_FALSE(connection->open(info, &error));
  EXPECT_EQ(error, "SQLite file path is empty.");

  TempDir temp;
  info.server = temp.path();  // a folder is no database file
  EXPECT_FALSE(connection->open(info, &error));
  EXPECT_TRUE(error.StartsWith("SQLite open failed: ")) << error;
  EXPECT_FALSE(connection->isConnected());

  // An empty server falls back to the database name, relative to the current folder.
  const wxString previous = wxGetCwd();
  wxSetWorkingDirectory(temp.path());
  info.server.clear();
  info.database = "d";
  EXPECT_TRUE(connection->open(info, &error)) << error;
  wxSetWorkingDirectory(previous);
  EXPECT_TRUE(wxFileExists(temp.file("d")));
}

TEST(SqliteConnection, OpeningAgainSwitchesToTheNewFile) {
  TempDir temp;
  auto connection = MakeSqliteDriver()->createConnection();
  DbConnectionInfo info;
  info.server = temp.file("first.db");
  ASSERT_TRUE(connection->open(info, nullptr));
  DbQueryResult result;
  ASSERT_TRUE(connection->execute("CREATE TABLE only_first(a)", &result, nullptr));
  info.server = temp.file("second.db");
  ASSERT_TRUE(connection->open(info, nullptr));
  wxString error;
  EXPECT_FALSE(connection->execute("SELECT * FROM only_first", &result, &error));
  EXPECT_EQ(error, "no such table: only_first");
}

TEST(SqliteConnection, SerialisesUseFromSeveralThreads) {
  TempDir temp;
  auto connection = OpenFile(temp.file("a.db"));
  DbQueryResult setup;
  ASSERT_TRUE(connection->execute("CREATE TABLE t(a INTEGER)", &setup, nullptr));
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([connection, t] {
      for (int i = 0; i < 50; ++i) {
        DbQueryResult result;
        connection->execute(wxString::Format("INSERT INTO t VALUES(%d)", t * 100 + i), &result, nullptr);
        connection->execute("SELECT count(*) FROM t", &result, nullptr);
        if (i % 10 == 0) connection->cancel();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  DbQueryResult result;
  ASSERT_TRUE(connection->execute("SELECT count(*) FROM t", &result, nullptr));
  EXPECT_EQ(result.resultSets[0].text(0, 0), "200");
}
