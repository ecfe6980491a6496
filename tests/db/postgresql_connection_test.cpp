#include "db/connection_info.h"
#include "db/libpq_api.h"
#include "db/postgresql_connection.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(BuildPgConnInfo(info),
            "host='db.example' port=5433 dbname='firma' user='jan' password='p\\'a\\\\ss' sslmode=require "
            "application_name='Veldrix'");
}

TEST(PostgreSqlConnInfo, FillsDefaultsAndLeavesOutEmptyCredentials) {
  DbConnectionInfo info;
  info.port = 0;
  EXPECT_EQ(BuildPgConnInfo(info), "host='localhost' port=5432 dbname='postgres' sslmode=prefer application_name='Veldrix'");
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
