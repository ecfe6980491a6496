// Helpers of the tests that need the PostgreSQL and MariaDB servers started by
// scripts/test-servers.sh, which exports their connection strings.
#pragma once

#include "db/connection_info.h"
#include "db/db_connection.h"
#include "db/driver_registry.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/string.h>
#include <wx/utils.h>

#include <atomic>
#include <memory>
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
