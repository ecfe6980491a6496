// Making sure a program database exists on the real PostgreSQL and MariaDB
// servers, as the configuration dialog's "Utwórz" does before the worker fills it.
#include "dbsetup/database_probe.h"
#include "dbsetup/server_database.h"

#include "server_support.h"
#include "tcp_relay.h"

#include <chrono>

#include <gtest/gtest.h>

namespace {

class EnsureOnServer : public veldrix::test::ServerConnectionTest,
                       public ::testing::WithParamInterface<veldrix::test::TestServer> {
 protected:
  EnsureOnServer() : ServerConnectionTest(GetParam().variable) {}

  DbConnectionInfo Named(const wxString& name) {
    DbConnectionInfo info = info_;
    info.database = name;
    DropAtEnd("DROP DATABASE IF EXISTS " + QuotedName(name));
    return info;
  }
  wxString QuotedName(const wxString& name) const {
    return GetParam().engine == std::string("MySQL") ? "`" + name + "`" : "\"" + name + "\"";
  }
};

TEST_P(EnsureOnServer, AMissingDatabaseIsCreatedAndAnExistingOneIsReported) {
  // Mixed case survives: PostgreSQL would fold an unquoted name.
  const DbConnectionInfo info = Named(veldrix::test::UniqueServerName("Nowa"));
  bool existed = true;
  wxString error;
  ASSERT_TRUE(EnsureProgramDatabase(info, &existed, &error)) << error;
  EXPECT_FALSE(existed);
  bool exists = false;
  ASSERT_TRUE(ServerDatabaseExists(info, &exists, &error)) << error;
  EXPECT_TRUE(exists);
  std::shared_ptr<IDbConnection> opened;
  EXPECT_TRUE(OpenConnection(BuildConnectionString(info), &opened, nullptr, &error)) << error;
  if (opened) opened->close();

  ASSERT_TRUE(EnsureProgramDatabase(info, &existed, &error)) << error;
  EXPECT_TRUE(existed);
}

// The configuration window's "Test połączenia" and its create and upgrade checks
// probe on the GUI thread: a server that takes the question and then answers
// nothing fails the probe within its waits; one that answers is probed as before.
TEST_P(EnsureOnServer, TheProbeOfAServerThatStopsAnsweringEndsWithinItsWaits) {
  veldrix::test::TcpRelay relay(info_.server, info_.port);
  const DbConnectionInfo info = ShortWaits(relay.port());
  DatabaseProbeResult result;
  wxString error;
  ASSERT_TRUE(ProbeDatabaseWithin(info.waits, info, &result, &error)) << error;
  EXPECT_TRUE(result.exists);

  const bool mysql = GetParam().engine == std::string("MySQL");
  relay.HoldOnceSent(veldrix::test::TcpRelay::Sender::Client, mysql ? "INFORMATION_SCHEMA.SCHEMATA" : "pg_database");
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ProbeDatabaseWithin(info.waits, info, &result, &error));
  const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(took, (info.waits.answerMs + CutCancelMs(info.waits.answerMs)) / 1000.0 + 1.0);
  EXPECT_FALSE(error.empty());
}

INSTANTIATE_TEST_SUITE_P(Servers, EnsureOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
