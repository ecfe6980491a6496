// The host's SQL services on the PostgreSQL and MariaDB test servers, through the
// service table a module receives.
#include "host_sql_checks.h"
#include "pluginmanager/plugin_manager.h"
#include "server_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>

namespace veldrix {
namespace {

class HostSqlOnServer : public ::testing::TestWithParam<test::TestServer> {};

TEST_P(HostSqlOnServer, StatementsAndQueriesFollowTheServiceRules) {
  test::ProgramDatabase app;
  VELDRIX_REQUIRE_SERVER(GetParam().variable, app.connection);
  InstallHostApplication(&app);
  wxLogNull quiet;
  {
    PluginManager host(nullptr, nullptr, nullptr);
    test::CheckModuleSqlServices(host.GetHostApi(), test::UniqueServerName("moduly_sql"));
  }
  InstallHostApplication(nullptr);
}

INSTANTIATE_TEST_SUITE_P(Servers, HostSqlOnServer, ::testing::ValuesIn(test::BothTestServers()),
                         test::TestServerName);

}  // namespace
}  // namespace veldrix
