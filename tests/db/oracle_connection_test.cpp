#include "db/connection_info.h"
#include "db/odpi_api.h"
#include "db/oracle_connection.h"
#include "test_support.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

DbConnectionInfo OracleInfo(const wxString& server, int port, const wxString& database) {
  DbConnectionInfo info;
  info.server = server;
  info.port = port;
  info.database = database;
  return info;
}

}  // namespace

TEST(OracleDescriptor, BuildsEasyConnectFromServerPortAndService) {
  EXPECT_EQ(BuildOracleConnectDescriptor(OracleInfo("db1", 1521, "ORCLPDB")), "db1:1521/ORCLPDB");
  EXPECT_EQ(BuildOracleConnectDescriptor(OracleInfo("db1:1522", 1521, "ORCLPDB")), "db1:1522/ORCLPDB");
  EXPECT_EQ(BuildOracleConnectDescriptor(OracleInfo("db1", 0, "ORCLPDB")), "db1/ORCLPDB");
}

TEST(OracleDescriptor, LeavesFullDescriptorsAndServiceNamesAsTyped) {
  EXPECT_EQ(BuildOracleConnectDescriptor(OracleInfo("db1/ORCLPDB", 1521, "OTHER")), "db1/ORCLPDB");
  EXPECT_EQ(BuildOracleConnectDescriptor(OracleInfo("ORCL_TNS", 1521, "")), "ORCL_TNS");
  EXPECT_EQ(BuildOracleConnectDescriptor(OracleInfo("", 1521, "")), "");
}

TEST(OracleDescriptor, CarriesTheConnectBoundUnlessItNamesItsOwn) {
  EXPECT_EQ(WithOracleConnectBound("db1:1521/ORCLPDB", 4), "db1:1521/ORCLPDB?connect_timeout=4");
  EXPECT_EQ(WithOracleConnectBound("db1/ORCLPDB?ssl_server_dn_match=on", 4),
            "db1/ORCLPDB?ssl_server_dn_match=on&connect_timeout=4");
  EXPECT_EQ(WithOracleConnectBound("db1/ORCLPDB?connect_timeout=9", 4), "db1/ORCLPDB?connect_timeout=9");
  EXPECT_EQ(WithOracleConnectBound("(DESCRIPTION=(ADDRESS=(PROTOCOL=TCP)(HOST=db1)(PORT=1521)))", 4),
            "(DESCRIPTION=(CONNECT_TIMEOUT=4)(ADDRESS=(PROTOCOL=TCP)(HOST=db1)(PORT=1521)))");
  EXPECT_EQ(WithOracleConnectBound("(DESCRIPTION = (ADDRESS=(HOST=db1)))", 4),
            "(DESCRIPTION =(CONNECT_TIMEOUT=4) (ADDRESS=(HOST=db1)))");
  EXPECT_EQ(WithOracleConnectBound("ORCL_TNS", 4), "ORCL_TNS");
}

TEST(OracleValues, NumbersKeepFifteenDigitsWhateverTheLocale) {
  EXPECT_EQ(FormatOracleDouble(1234567.5), "1234567.5");
  EXPECT_EQ(FormatOracleDouble(12345678901.25), "12345678901.25");
  EXPECT_EQ(FormatOracleDouble(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatOracleDouble(-0.5), "-0.5");
  EXPECT_EQ(FormatOracleDouble(1e20), "1e+20");
  EXPECT_EQ(FormatOracleInt64(-9223372036854775807LL - 1), "-9223372036854775808");
  EXPECT_EQ(FormatOracleUint64(18446744073709551615ULL), "18446744073709551615");
  veldrix::test::ScopedLocale polish("pl_PL.UTF-8");
  if (polish.ok()) {
    EXPECT_EQ(FormatOracleDouble(2.75), "2.75");
  }
}

TEST(OracleValues, TimestampsDropFractionsAndZone) {
  OdpiTimestamp stamp{};
  stamp.year = 2024;
  stamp.month = 3;
  stamp.day = 5;
  stamp.hour = 7;
  stamp.minute = 8;
  stamp.second = 9;
  stamp.fsecond = 123456789;
  stamp.tzHourOffset = 2;
  EXPECT_EQ(FormatOracleTimestamp(stamp), "2024-03-05 07:08:09");
}

TEST(OracleConnection, OpeningWithoutTheClientLibraryNamesIt) {
  // No Oracle client is installed on the machines that build the program.
  std::shared_ptr<IDbConnection> connection;
  wxString error;
  EXPECT_FALSE(OpenConnection("Service=ORCLPDB;Host=127.0.0.1;User ID=scott;Password=tiger", &connection, nullptr,
                              &error));
  EXPECT_EQ(error,
            "Oracle client library ODPI-C (libodpic.so) was not found. Place libodpic.so next to the program "
            "executable or in the system library path; it also needs an Oracle Instant Client.");
  EXPECT_EQ(connection, nullptr);
}

TEST(OracleConnection, ReportsNotConnectedAndAMissingEntryPoint) {
  OdpiApi api({"libc.so.6"});
  auto connection = MakeOracleConnection(&api);
  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection->execute("SELECT 1 FROM dual", &result, &error));
  EXPECT_EQ(error, "Oracle is not connected.");
  connection->cancel();
  EXPECT_FALSE(connection->open(OracleInfo("db1", 1521, "ORCLPDB"), &error));
  EXPECT_EQ(error, "Oracle client library ODPI-C is missing symbol: dpiContext_createWithParams");
  EXPECT_FALSE(connection->isConnected());
}

namespace {

OdpiApi& FakeOdpi() {
  static OdpiApi api({VELDRIX_FAKE_ODPIC});
  return api;
}

template <typename Fn>
Fn FakeProbe(const char* name) {
  void* handle = dlopen(VELDRIX_FAKE_ODPIC, RTLD_NOW | RTLD_NOLOAD);
  return handle ? reinterpret_cast<Fn>(dlsym(handle, name)) : nullptr;
}

std::shared_ptr<IDbConnection> OpenFake(const wxString& password = "tiger") {
  auto connection = MakeOracleConnection(&FakeOdpi());
  DbConnectionInfo info = OracleInfo("db1", 1521, "ORCLPDB");
  info.user = "scott";
  info.password = password;
  wxString error;
  EXPECT_TRUE(connection->open(info, &error)) << error;
  return connection;
}

}  // namespace

TEST(OracleOnStandInLibrary, PassesCredentialsDescriptorAndUtf8) {
  auto connection = OpenFake();
  EXPECT_TRUE(connection->isConnected());
  auto lastConnect = FakeProbe<const char* (*)()>("fake_odpic_last_connect");
  ASSERT_NE(lastConnect, nullptr);
  EXPECT_STREQ(lastConnect(), "scott|tiger|db1:1521/ORCLPDB?connect_timeout=15|UTF-8|UTF-8");
  auto openConnections = FakeProbe<int (*)()>("fake_odpic_open_connections");
  EXPECT_EQ(openConnections(), 1);
  connection->close();
  EXPECT_FALSE(connection->isConnected());
  EXPECT_EQ(openConnections(), 0);
}

TEST(OracleOnStandInLibrary, AFailedLogonGivesTheLibrarysMessage) {
  auto connection = MakeOracleConnection(&FakeOdpi());
  DbConnectionInfo info = OracleInfo("db1", 1521, "ORCLPDB");
  info.password = "wrong";
  wxString error;
  EXPECT_FALSE(connection->open(info, &error));
  EXPECT_EQ(error, "ORA-01017: invalid username/password; logon denied");
  EXPECT_FALSE(connection->isConnected());
  EXPECT_FALSE(connection->open(OracleInfo("", 1521, ""), &error));
  EXPECT_EQ(error, "Oracle connect descriptor is empty.");
}

TEST(OracleOnStandInLibrary, CountsChangedRowsOnlyForDataChangingStatements) {
  auto connection = OpenFake();
  DbQueryResult result;
  wxString error;
  ASSERT_TRUE(connection->execute("INSERT INTO t VALUES (1)", &result, &error)) << error;
  EXPECT_TRUE(result.resultSets.empty());
  EXPECT_EQ(result.rowsAffected, 3);
  ASSERT_TRUE(connection->execute("CREATE TABLE t (a NUMBER)", &result, &error)) << error;
  EXPECT_EQ(result.rowsAffected, -1);
  ASSERT_TRUE(connection->execute("BEGIN NULL; END;", &result, &error)) << error;
  EXPECT_EQ(result.rowsAffected, -1);
}

TEST(OracleOnStandInLibrary, TurnsEveryValueIntoText) {
  auto connection = OpenFake();
  DbQueryResult result;
  wxString error;
  ASSERT_TRUE(connection->execute("SELECT values", &result, &error)) << error;
  ASSERT_EQ(result.resultSets.size(), 1u);
  const DbResultSet& set = result.resultSets[0];
  ASSERT_EQ(set.columns.size(), 8u);
  EXPECT_EQ(set.columns[4].name, "TEKST");
  EXPECT_EQ(set.columns[4].type, "2005");
  ASSERT_EQ(set.rowCount, 2);
  EXPECT_EQ(set.text(0, 0), "-42");
  EXPECT_EQ(set.text(0, 1), "18446744073709551615");
  EXPECT_EQ(set.text(0, 2), "0.5");
  EXPECT_EQ(set.text(0, 3), "1234567.5");
  EXPECT_EQ(set.text(0, 4), wxString::FromUTF8("Zażółć"));
  EXPECT_EQ(set.text(0, 5), "2024-03-05 07:08:09");
  EXPECT_EQ(set.text(0, 7), "<unsupported>");
  for (int c = 0; c < 8; ++c) EXPECT_TRUE(set.isNull(1, c)) << c;

  ASSERT_TRUE(connection->execute("SELECT empty", &result, &error)) << error;
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].rowCount, 0);
  EXPECT_EQ(result.resultSets[0].columns.size(), 8u);
}

TEST(OracleOnStandInLibrary, ReportsFailuresAndStaysOpen) {
  auto connection = OpenFake();
  DbQueryResult result;
  wxString error;
  EXPECT_FALSE(connection->execute("SELECT * FROM missing", &result, &error));
  EXPECT_EQ(error, "ORA-00942: table or view does not exist");
  EXPECT_FALSE(connection->execute("PREPARE FAIL", &result, &error));
  EXPECT_EQ(error, "ORA-00900: invalid SQL statement");
  EXPECT_FALSE(connection->execute("SELECT broken", &result, &error));
  EXPECT_EQ(error, "ORA-01722: invalid number");
  EXPECT_TRUE(result.resultSets.empty());
  EXPECT_TRUE(connection->isConnected());
  EXPECT_FALSE(result.connectionLost);
  wxString reason;
  EXPECT_FALSE(connection->lost(&reason));
  // The channel to the server lost: the session is gone with it.
  EXPECT_FALSE(connection->execute("SELECT lost", &result, &error));
  EXPECT_TRUE(result.connectionLost);
  EXPECT_TRUE(connection->lost(&reason));
  EXPECT_EQ(reason, error);
  auto breaks = FakeProbe<int (*)()>("fake_odpic_breaks");
  const int before = breaks();
  connection->cancel();
  EXPECT_EQ(breaks(), before + 1);
}

// The waits that run out on the server: a row another session holds (the locked
// select's FOR UPDATE WAIT, or NOWAIT) is a lock wait and the session stays; a call
// cut by the time-out set from the answer bound is a lost connection.
TEST(OracleOnStandInLibrary, TellsALockWaitFromACallCutByTheAnswerBound) {
  auto connection = MakeOracleConnection(&FakeOdpi());
  DbConnectionInfo info = OracleInfo("db1", 1521, "ORCLPDB");
  info.user = "scott";
  info.password = "tiger";
  info.waits.answerMs = 2500;
  wxString error;
  ASSERT_TRUE(connection->open(info, &error)) << error;
  EXPECT_EQ(FakeProbe<std::uint32_t (*)()>("fake_odpic_call_timeout")(), 2500u);
  DbQueryResult result;
  wxString reason;
  for (const char* locked : {"SELECT a FROM t WHERE id = 1 FOR UPDATE WAIT 10", "SELECT a FROM t FOR UPDATE NOWAIT"}) {
    EXPECT_FALSE(connection->execute(locked, &result, &error));
    EXPECT_TRUE(result.lockTimeout) << locked;
    EXPECT_FALSE(result.connectionLost || result.answerTimedOut || result.deadlock) << locked;
    EXPECT_FALSE(connection->lost(&reason));
  }
  EXPECT_FALSE(connection->execute("SELECT slow", &result, &error));
  EXPECT_TRUE(result.answerTimedOut && result.connectionLost) << error;
  EXPECT_FALSE(result.lockTimeout);
  EXPECT_TRUE(connection->lost(&reason));
  EXPECT_EQ(reason, error);
}
