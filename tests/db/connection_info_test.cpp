#include "db/connection_info.h"
#include "db/db_connection.h"

#include <gtest/gtest.h>

namespace {

DbConnectionInfo Parse(const wxString& text) {
  DbConnectionInfo info;
  wxString error;
  EXPECT_TRUE(ParseConnectionInfo(text, &info, &error)) << text << ": " << error;
  return info;
}

wxString ParseError(const wxString& text) {
  DbConnectionInfo info;
  info.server = "untouched";
  wxString error;
  EXPECT_FALSE(ParseConnectionInfo(text, &info, &error)) << text;
  EXPECT_EQ(info.server, "untouched");
  return error;
}

}  // namespace

TEST(ConnectionString, SplitsPairsWithoutQuoting) {
  ConnectionOptions map;
  EXPECT_FALSE(ParseConnectionString("", &map));
  EXPECT_FALSE(ParseConnectionString(";;;", &map));
  EXPECT_FALSE(ParseConnectionString("abc", &map));
  EXPECT_FALSE(ParseConnectionString("=x", &map));
  EXPECT_FALSE(ParseConnectionString("Server=a", nullptr));
  ASSERT_TRUE(ParseConnectionString("Server=", &map));
  EXPECT_EQ(map.size(), 1u);
  EXPECT_EQ(map["Server"], "");

  ASSERT_TRUE(ParseConnectionString("  Password = a=b ; Other=\"x;y\"", &map));
  EXPECT_EQ(GetConnectionOption(map, "password"), "a=b");
  EXPECT_EQ(GetConnectionOption(map, "Other"), "\"x");
}

TEST(ConnectionString, LaterPairReplacesAndFirstSortedCaseWins) {
  EXPECT_EQ(Parse("Server=a;Server=b;ServerType=MySQL").server, "b");
  EXPECT_EQ(Parse("server=a;Server=b;ServerType=MySQL").server, "b");
  EXPECT_EQ(Parse("server=c;SERVER=d;Server=e;ServerType=MySQL").server, "d");
}

TEST(ConnectionString, EmptyAndMalformedGiveTheirErrors) {
  for (const char* text : {"", ";;;", "abc", "=x"}) {
    EXPECT_EQ(ParseError(text), "Connection string is empty or invalid.");
  }
  EXPECT_EQ(ParseError("ServerType=Foo;Server=x"), "No compatible database driver found for the connection string.");

  wxString error;
  EXPECT_FALSE(ParseConnectionInfo("Server=x", nullptr, &error));
  EXPECT_EQ(error, "Missing DbConnectionInfo output.");
  EXPECT_FALSE(ParseConnectionInfo("", nullptr, nullptr));
}

TEST(ConnectionString, HugeAndBinaryInputNeverCrashes) {
  wxString huge;
  for (int i = 0; i < 20000; ++i) huge << "Key" << i << "=" << wxString('v', 20) << ";";
  DbConnectionInfo info;
  EXPECT_TRUE(ParseConnectionInfo(huge, &info, nullptr));
  EXPECT_EQ(ServerTypeOf(info), "SQLite");

  wxString noise;
  for (int i = 1; i < 3000; ++i) noise << wxUniChar(static_cast<unsigned>((i * 7919) % 0xD000 + 1));
  wxString error;
  ParseConnectionInfo(noise, &info, &error);
  ParseConnectionInfo(wxString(';', 100000) + wxString('=', 100000), &info, &error);
  EXPECT_EQ(error, "Connection string is empty or invalid.");
}

TEST(ConnectionString, SqliteRecordRoundTripsToCanonicalForm) {
  const DbConnectionInfo info = Parse("Data Source=D:\\data\\test.db;Version=3;");
  EXPECT_EQ(info.driver, "SQLite (sqlite3)");
  EXPECT_EQ(info.server, "D:\\data\\test.db");
  EXPECT_EQ(info.port, 0);
  EXPECT_EQ(GetConnectionOption(info.options, "authentication"), "sql");
  EXPECT_EQ(GetConnectionOption(info.options, "server_input"), "D:\\data\\test.db");
  EXPECT_EQ(GetConnectionOption(info.options, "server_type"), "SQLite");
  const wxString canonical =
      "Driver=SQLite (sqlite3);ServerType=SQLite;Server=D:\\data\\test.db;Port=0;Database=;User ID=;Password=;SSL=0;"
      "authentication=sql;server_input=D:\\data\\test.db;server_type=SQLite;Data Source=D:\\data\\test.db;Version=3;";
  EXPECT_EQ(BuildConnectionString(info), canonical);
  EXPECT_EQ(BuildConnectionString(Parse(canonical)), canonical);
}

TEST(ConnectionString, CanonicalFormIsAFixedPointForEveryEngine) {
  const char* inputs[] = {
      "Data Source=srv;Initial Catalog=db",
      "Host=h;SSL/TLS=On;Database=d;User ID=u;Password=p;Charset=utf8mb4",
      "Service=ORCL;Host=h",
      "Driver=PostgreSQL (libpq);Server=pg;Port=6543;Database=x",
      "Driver=SQL Server (FreeTDS);Server=s;ServerInstance=SQLEXPRESS;Database=x",
      "ServerInput=x;Data Source=/srv/dane/firma.db",
      "ServerType=SQLite;ServerInput=x;Data Source=/srv/dane/firma.db;Version=3",
      "Server=h;Database=d",
  };
  for (const char* input : inputs) {
    const DbConnectionInfo first = Parse(input);
    const wxString once = BuildConnectionString(first);
    const DbConnectionInfo again = Parse(once);
    EXPECT_EQ(BuildConnectionString(again), once) << input;
    // Read back, the canonical text names the same database.
    EXPECT_EQ(again.server, first.server) << input;
    EXPECT_EQ(again.database, first.database) << input;
  }
}

TEST(ConnectionString, InfersServerTypesInRuleOrder) {
  DbConnectionInfo sqlServer = Parse("Data Source=srv;Initial Catalog=db");
  EXPECT_EQ(sqlServer.server, "srv");
  EXPECT_EQ(sqlServer.database, "db");
  EXPECT_EQ(sqlServer.port, 1433);
  EXPECT_EQ(sqlServer.driver, "SQL Server (FreeTDS)");
  EXPECT_EQ(GetConnectionOption(sqlServer.options, "authentication"), "sql");
  EXPECT_EQ(GetConnectionOption(Parse("Data Source=srv;Integrated Security=true").options, "authentication"),
            "windows");

  DbConnectionInfo mysql = Parse("Host=h;SSL/TLS=On;Database=d");
  EXPECT_EQ(ServerTypeOf(mysql), "MySQL");
  EXPECT_TRUE(mysql.ssl);
  EXPECT_EQ(mysql.port, 3306);
  DbConnectionInfo mysqlOff = Parse("Host=h;SSL/TLS=Off;Database=d");
  EXPECT_EQ(ServerTypeOf(mysqlOff), "MySQL");
  EXPECT_FALSE(mysqlOff.ssl);
  EXPECT_TRUE(Parse("Host=h;SSL/TLS=Off;SSL=1").ssl);

  DbConnectionInfo oracle = Parse("Service=ORCL;Host=h");
  EXPECT_EQ(ServerTypeOf(oracle), "Oracle");
  EXPECT_EQ(oracle.database, "ORCL");
  EXPECT_EQ(oracle.port, 1521);

  DbConnectionInfo noType = Parse("Server=h;Database=d");
  EXPECT_EQ(ServerTypeOf(noType), "SQLite");
  EXPECT_EQ(noType.server, "");
  EXPECT_EQ(noType.database, "d");

  DbConnectionInfo stored = Parse("server_type=postgresql;Server=p");
  EXPECT_EQ(ServerTypeOf(stored), "postgresql");
  EXPECT_EQ(stored.port, 5432);
  EXPECT_EQ(stored.driver, "PostgreSQL (libpq)");
}

TEST(ConnectionString, PortsOutsideTheRangeFallBackToTheDefault) {
  EXPECT_EQ(Parse("Service=o;Port=70000").port, 1521);
  EXPECT_EQ(Parse("Service=o;Port=-1").port, 1521);
  EXPECT_EQ(Parse("Service=o;Port=0").port, 0);
  EXPECT_EQ(Parse("Service=o;Port=abc").port, 1521);
  EXPECT_EQ(Parse("Service=o;Port=65535").port, 65535);
}

TEST(ConnectionString, UnknownDriversParseButDoNotOpen) {
  DbConnectionInfo foo = Parse("Driver=Foo");
  EXPECT_EQ(foo.driver, "Foo");
  EXPECT_EQ(ServerTypeOf(foo), "SQLite");

  std::shared_ptr<IDbConnection> connection;
  DbConnectionInfo info;
  info.server = "untouched";
  wxString error;
  EXPECT_FALSE(OpenConnection("Driver=Foo", &connection, &info, &error));
  EXPECT_EQ(error, "Database driver is not available in this build.");
  EXPECT_FALSE(connection);
  EXPECT_EQ(info.server, "untouched");

  DbConnectionInfo pg = Parse("Driver=PostgreSQL");
  EXPECT_EQ(ServerTypeOf(pg), "PostgreSQL");
  EXPECT_EQ(pg.port, 5432);
  EXPECT_FALSE(OpenConnection("Driver=PostgreSQL", &connection, nullptr, &error));
  EXPECT_EQ(error, "Database driver is not available in this build.");
  EXPECT_FALSE(OpenConnection("", &connection, nullptr, &error));
  EXPECT_EQ(error, "Connection string is empty or invalid.");
}

TEST(ConnectionString, WritesOnlyTheKnownOptions) {
  DbConnectionInfo info = Parse("Data Source=/tmp/a.db;Version=3");
  SetConnectionOption(&info.options, "application_name", "Veldrix");
  SetConnectionOption(&info.options, "SERVER_INPUT", "elsewhere");
  const wxString text = BuildConnectionString(info);
  EXPECT_EQ(text.Find("application_name"), wxNOT_FOUND);
  EXPECT_NE(text.Find("server_input=elsewhere;"), wxNOT_FOUND);
}

TEST(ConnectionOptions, SetKeepsSpellingAndIgnoresEmptyValues) {
  ConnectionOptions options;
  SetConnectionOption(&options, "Charset", "utf8");
  SetConnectionOption(&options, "charset", "latin2");
  SetConnectionOption(&options, "charset", "");
  ASSERT_EQ(options.size(), 1u);
  EXPECT_EQ(options.begin()->first, "Charset");
  EXPECT_EQ(GetConnectionOption(options, "CHARSET"), "latin2");
  EXPECT_EQ(GetConnectionOption(options, "missing"), "");
}

TEST(ServerInput, BuildsHostInstanceAndPort) {
  DbConnectionInfo info;
  info.server = "srv";
  info.port = 1433;
  SetConnectionOption(&info.options, "server_type", "SQL Server");
  SetConnectionOption(&info.options, "server_instance", "SQLEXPRESS");
  EXPECT_EQ(BuildServerInput(info), "srv\\SQLEXPRESS");
  info.options.erase("server_instance");
  EXPECT_EQ(BuildServerInput(info), "srv:1433");

  DbConnectionInfo noType;
  noType.server = "h";
  noType.port = 5432;
  EXPECT_EQ(BuildServerInput(noType), "h:5432");
  SetConnectionOption(&noType.options, "server_input", "typed by hand");
  EXPECT_EQ(ServerInputOf(noType), "typed by hand");

  EXPECT_EQ(BuildServerInput(Parse("Data Source=/data/x.db;Version=3")), "/data/x.db");

  DbConnectionInfo ipv6;
  ipv6.server = "::1";
  ipv6.port = 5432;
  EXPECT_EQ(BuildServerInput(ipv6), "[::1]:5432");
  ipv6.server = "[fe80::1]";
  EXPECT_EQ(BuildServerInput(ipv6), "[fe80::1]:5432");
}

TEST(DriverNames, MapEveryServerTypeToARegisteredDriver) {
  DbConnectionInfo info;
  ParseConnectionInfo("Server=x", &info, nullptr);  // fills the registry
  EXPECT_EQ(DriverNameForServerType("sql server"), "SQL Server (FreeTDS)");
  EXPECT_EQ(DriverNameForServerType("MySQL"), "MySQL (MariaDB Connector/C)");
  EXPECT_EQ(DriverNameForServerType("Oracle"), "Oracle (ODPI-C)");
  EXPECT_EQ(DriverNameForServerType("PostgreSQL"), "PostgreSQL (libpq)");
  EXPECT_EQ(DriverNameForServerType("SQLITE"), "SQLite (sqlite3)");
  EXPECT_EQ(DriverNameForServerType("Foo"), "");
}
