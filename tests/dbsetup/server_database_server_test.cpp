// Making sure a program database exists on the real PostgreSQL and MariaDB
// servers, as the configuration dialog's "Utwórz" does before the worker fills it.
#include "dbsetup/server_database.h"

#include "server_support.h"

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

INSTANTIATE_TEST_SUITE_P(Servers, EnsureOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
