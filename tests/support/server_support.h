// Helpers of the tests that need the PostgreSQL and MariaDB servers started by
// scripts/test-servers.sh, which exports their connection strings.
#pragma once

#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/string.h>
#include <wx/utils.h>

#include <atomic>
#include <unistd.h>

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
