#include "db/connection_info.h"
#include "db/odpi_api.h"
#include "db/oracle_connection.h"
#include "test_support.h"

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
