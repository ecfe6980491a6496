// Helpers of the tests that need the PostgreSQL and MariaDB servers started by
// scripts/test-servers.sh, which exports their connection strings.
#pragma once

#include "db/connection_info.h"
#include "db/db_connection.h"
#include "db/driver_registry.h"
#include "tcp_relay.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/string.h>
#include <wx/utils.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <thread>
#include <string>
#include <unistd.h>
#include <vector>

namespace veldrix::test {

constexpr const char* kPostgreSqlServerVariable = "VELDRIX_TEST_PG";
constexpr const char* kMySqlServerVariable = "VELDRIX_TEST_MYSQL";

inline wxString TestServerConnectionString(const char* variable) {
  wxString value;
  return wxGetEnv(variable, &value) ? value : wxString();
}

// A table or database name no other test process uses at the same time: several
// checkouts share the servers.
inline wxString UniqueServerName(const char* prefix) {
  static std::atomic<int> counter{0};
  return wxString::Format("%s_%ld_%d", prefix, static_cast<long>(getpid()), ++counter);
}

inline double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A company name that every engine must store and give back unchanged: quotes,
// backslashes (also before a quote) and Polish letters.
inline wxString AwkwardCompanyName() {
  return wxString::FromUTF8("Spółka \"Zażółć\" O'Brien & Syn\\Oddział C:\\dane\\ \\' \\\\ \\n ĄĘŚŹŻ łódź");
}

// One test server: the variable holding its connection string and its server type.
struct TestServer {
  const char* variable;
  const char* engine;
};

// The parameters of a test run on both servers (::testing::ValuesIn), and their
// names in the test list.
inline std::vector<TestServer> BothTestServers() {
  return {TestServer{kPostgreSqlServerVariable, "PostgreSQL"}, TestServer{kMySqlServerVariable, "MySQL"}};
}
inline std::string TestServerName(const ::testing::TestParamInfo<TestServer>& info) { return info.param.engine; }

// A SQLite file besides the two servers, for what every engine must do alike: its
// variable is null, and a ServerConnectionTest of it opens no server connection.
inline std::vector<TestServer> SqliteAndTestServers() {
  std::vector<TestServer> engines = {TestServer{nullptr, "SQLite"}};
  for (const TestServer& server : BothTestServers()) engines.push_back(server);
  return engines;
}

}  // namespace veldrix::test

// Puts the server's connection string into `out`; without one the test is skipped
// when run by hand and fails in CI. Use in a test body or SetUp.
#define VELDRIX_REQUIRE_SERVER(variable, out)                                                           \
  do {                                                                                                  \
    (out) = ::veldrix::test::TestServerConnectionString(variable);                                      \
    if ((out).empty()) {                                                                                \
      if (::veldrix::test::RunningInCi()) {                                                             \
        FAIL() << (variable) << " is not set: run scripts/test-servers.sh (CI must not skip this test)"; \
      }                                                                                                 \
      GTEST_SKIP() << (variable) << " is not set: source scripts/test-servers.sh to run this test";     \
    }                                                                                                   \
  } while (0)

namespace veldrix::test {

// A driver connection to one test server, opened in SetUp. Run fails the test on
// an error; what DropAtEnd was given runs when the test ends.
class ServerConnectionTest : public ::testing::Test {
 protected:
  // driver: the display name the connection string must select, or null.
  explicit ServerConnectionTest(const char* variable, const char* driver = nullptr)
      : variable_(variable), driver_(driver) {}

  void SetUp() override {
    if (!variable_) return;  // SQLite
    VELDRIX_REQUIRE_SERVER(variable_, connectionString_);
    wxString error;
    ASSERT_TRUE(OpenConnection(connectionString_, &connection_, &info_, &error)) << error;
    if (driver_) {
      ASSERT_EQ(info_.driver, driver_);
    }
  }

  void TearDown() override {
    if (!connection_) return;
    for (const wxString& statement : cleanup_) {
      DbQueryResult ignored;
      connection_->execute(statement, &ignored, nullptr);
    }
  }

  std::shared_ptr<IDbConnection> OpenAnother() const {
    std::shared_ptr<IDbConnection> other;
    wxString error;
    EXPECT_TRUE(OpenConnection(connectionString_, &other, nullptr, &error)) << error;
    return other;
  }

  // A connection of the same driver opened with the record, or null with the reason.
  std::shared_ptr<IDbConnection> OpenWith(const DbConnectionInfo& info, wxString* error) const {
    auto other = DriverRegistry::instance().find(info.driver)->createConnection();
    return other->open(info, error) ? other : nullptr;
  }

  // The record with waits short enough for a test; through a relay on loopback at
  // relayPort when one is given.
  DbConnectionInfo ShortWaits(int relayPort = 0) const {
    DbConnectionInfo info = info_;
    if (relayPort > 0) {
      info.server = "127.0.0.1";
      info.port = relayPort;
    }
    info.waits.connectSeconds = 2;
    info.waits.answerMs = 2000;
    info.waits.rowLockMs = 1500;
    return info;
  }

  // A statement the answer bound cuts: on the server, slow but alive, it is gone
  // (runningSql, given the session's id, counts it) within 4 s of its start; on a
  // server that answers nothing (a relay gone silent) the cut ends at the bound
  // plus the cancel's own short one.
  void ExpectACutStatementEndsOnTheServer(const wxString& sessionIdSql, const wxString& slowSql,
                                          const wxString& runningSql) {
    using Clock = std::chrono::steady_clock;
    wxString error;
    auto slow = OpenWith(ShortWaits(), &error);
    ASSERT_NE(slow, nullptr) << error;
    const wxString id = Run(sessionIdSql, slow.get()).resultSets[0].text(0, 0);
    const Clock::time_point start = Clock::now();
    DbQueryResult result;
    EXPECT_FALSE(slow->execute(slowSql, &result, &error));
    EXPECT_TRUE(result.answerTimedOut) << error;
    while (Run(wxString::Format(runningSql, id)).resultSets[0].text(0, 0) != "0" && SecondsSince(start) < 9) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_LT(SecondsSince(start), 4.0);

    TcpRelay relay(info_.server, info_.port);
    const DbConnectionInfo info = ShortWaits(relay.port());
    auto silent = OpenWith(info, &error);
    ASSERT_NE(silent, nullptr) << error;
    relay.SetForwarding(false);
    const Clock::time_point cut = Clock::now();
    EXPECT_FALSE(silent->execute("SELECT 1", &result, &error));
    EXPECT_TRUE(result.answerTimedOut) << error;
    EXPECT_LT(SecondsSince(cut), (info.waits.answerMs + 2 * CutCancelMs(info.waits.answerMs)) / 1000.0 + 1.0);
  }

  DbQueryResult Run(const wxString& sql, IDbConnection* on = nullptr) {
    DbQueryResult result;
    wxString error;
    EXPECT_TRUE((on ? on : connection_.get())->execute(sql, &result, &error)) << sql << ": " << error;
    return result;
  }

  // A fresh table name, dropped when the test ends.
  wxString TableName(const char* prefix) {
    const wxString table = UniqueServerName(prefix);
    DropAtEnd("DROP TABLE IF EXISTS " + table);
    return table;
  }

  void DropAtEnd(const wxString& statement) { cleanup_.push_back(statement); }

  const char* variable_;
  const char* driver_;
  wxString connectionString_;
  DbConnectionInfo info_;
  std::shared_ptr<IDbConnection> connection_;

 private:
  std::vector<wxString> cleanup_;
};

}  // namespace veldrix::test
