#include "db/connection_info.h"
#include "db/libpq_api.h"
#include "db/postgresql_connection.h"

#include "loopback_socket.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

TEST(PostgreSqlConnInfo, QuotesEveryTextValue) {
  EXPECT_EQ(QuotePgConnValue("abc"), "'abc'");
  EXPECT_EQ(QuotePgConnValue(""), "''");
  EXPECT_EQ(QuotePgConnValue("a'b\\c d"), "'a\\'b\\\\c d'");

  DbConnectionInfo info;
  info.server = "db.example";
  info.port = 5433;
  info.database = "firma";
  info.user = "jan";
  info.password = "p'a\\ss";
  info.ssl = true;
  info.waits.connectSeconds = 4;
  info.waits.answerMs = 2500;
  info.waits.rowLockMs = 1200;
  EXPECT_EQ(BuildPgConnInfo(info),
            "host='db.example' port=5433 dbname='firma' user='jan' password='p\\'a\\\\ss' sslmode=require "
            "application_name='Veldrix' connect_timeout=4 keepalives=1 keepalives_idle=30 keepalives_interval=10 "
            "keepalives_count=3 tcp_user_timeout=2500 client_encoding='UTF8' "
            "options='-c standard_conforming_strings=on -c lock_timeout=1200'");
}

TEST(PostgreSqlConnInfo, FillsDefaultsAndLeavesOutEmptyCredentials) {
  DbConnectionInfo info;
  info.port = 0;
  EXPECT_EQ(BuildPgConnInfo(info),
            "host='localhost' port=5432 dbname='postgres' sslmode=prefer application_name='Veldrix' connect_timeout=15 "
            "keepalives=1 keepalives_idle=30 keepalives_interval=10 keepalives_count=3 client_encoding='UTF8' "
            "options='-c standard_conforming_strings=on'");
}

TEST(PostgreSqlTypes, NamesKnownOidsAndNumbersTheRest) {
  EXPECT_EQ(PgTypeName(23), "integer");
  EXPECT_EQ(PgTypeName(1184), "timestamp with time zone");
  EXPECT_EQ(PgTypeName(2950), "uuid");
  EXPECT_EQ(PgTypeName(1186), "oid:1186");
}

TEST(PostgreSqlLibrary, MissingLibraryIsAnErrorOfTheConnectionAndIsNotRetried) {
  LibpqApi api({"/nonexistent/folder/libpq.so.5"});
  auto connection = MakePostgreSqlConnection(&api);
  DbConnectionInfo info;
  wxString error;
  EXPECT_FALSE(connection->open(info, &error));
  const wxString expected =
      "PostgreSQL client library libpq was not found. Place libpq.so.5 next to the program executable or install the "
      "PostgreSQL client library (libpq5).";
  EXPECT_EQ(error, expected);
  EXPECT_FALSE(connection->isConnected());
  error.clear();
  EXPECT_FALSE(connection->open(info, &error));
  EXPECT_EQ(error, expected);
  DbQueryResult result;
  EXPECT_FALSE(connection->execute("SELECT 1", &result, &error));
  EXPECT_EQ(error, "PostgreSQL is not connected.");
}

TEST(PostgreSqlLibrary, NamesTheFirstMissingEntryPoint) {
  // The C library loads but has none of libpq's entry points.
  LibpqApi api({"libc.so.6"});
  wxString error;
  EXPECT_FALSE(api.load(&error));
  EXPECT_EQ(error, "PostgreSQL client library is missing symbol: PQconnectdb");
  EXPECT_EQ(api.PQconnectdb, nullptr);
}

TEST(PostgreSqlLibrary, SearchesTheProgramFolderFirst) {
  const std::vector<wxString> paths = LibpqCandidatePaths();
  ASSERT_EQ(paths.size(), 2u);
  EXPECT_TRUE(paths[0].EndsWith("/libpq.so.5"));
  EXPECT_EQ(paths[1], "libpq.so.5");
}

TEST(PostgreSqlConnection, AClosedPortGivesLibpqsMessage) {
  std::shared_ptr<IDbConnection> connection;
  wxString error;
  // Port 1 on loopback: nothing listens there.
  EXPECT_FALSE(OpenConnection("ServerType=PostgreSQL;Driver=PostgreSQL (libpq);Server=127.0.0.1;Port=1;User ID=x",
                              &connection, nullptr, &error));
  EXPECT_TRUE(error.Contains("Connection refused")) << error;
  EXPECT_EQ(connection, nullptr);
}

// A port where something accepts the connection but never speaks (another service, a
// stalled server) must end in an error, not keep the login window waiting for good.
TEST(PostgreSqlConnection, AServerThatNeverAnswersEndsInAnErrorInTime) {
  int port = 0;
  const int listener = BindLoopback(AF_INET, SOCK_STREAM, &port);
  ASSERT_GE(listener, 0);
  ASSERT_EQ(listen(listener, 4), 0);

  std::mutex lock;
  std::condition_variable changed;
  bool done = false;
  bool opened = true;
  wxString error;
  std::thread opener([&] {
    std::shared_ptr<IDbConnection> connection;
    wxString message;
    const bool ok = OpenConnection(wxString::Format("ServerType=PostgreSQL;Driver=PostgreSQL (libpq);Server=127.0.0.1;"
                                                    "Port=%d;User ID=x;Password=y",
                                                    port),
                                   &connection, nullptr, &message);
    std::lock_guard<std::mutex> guard(lock);
    opened = ok;
    error = message;
    done = true;
    changed.notify_all();
  });
  bool inTime;
  {
    std::unique_lock<std::mutex> guard(lock);
    inTime = changed.wait_for(guard, std::chrono::seconds(60), [&] { return done; });
  }
  close(listener);  // frees a connection attempt still waiting, so the test ends either way
  opener.join();
  EXPECT_TRUE(inTime);
  EXPECT_FALSE(opened);
  EXPECT_FALSE(error.empty());
}
