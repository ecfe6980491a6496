// The host's SQL services on a real SQLite program database, through the service
// table a module receives.
#include "host_sql_checks.h"
#include "app/common/paths.h"
#include "pluginmanager/host_sql.h"
#include "pluginmanager/plugin_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/log.h>

namespace veldrix {
namespace {

class HostSql : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.connection = temp_.file("program.db");
    InstallHostApplication(&app_);
  }
  void TearDown() override { InstallHostApplication(nullptr); }

  test::TempDir temp_;
  test::ProgramDatabase app_;
  wxLogNull quiet_;
  PluginManager host_{nullptr, nullptr, nullptr};
};

TEST_F(HostSql, StatementsAndQueriesFollowTheServiceRules) {
  test::CheckModuleSqlServices(host_.GetHostApi(), "moduly_sql");
}

TEST_F(HostSql, IncompleteRequestsAreRefusedBeforeTheDatabaseIsOpened) {
  app_.connection = JoinPath(temp_.file("no-such-folder"), "program.db");
  test::ModuleSql sql(host_.GetHostApi());
  test::CollectedRows rows;
  wxString error;
  const wxString incomplete = wxString::FromUTF8("Niepelne parametry odczytu SQL.");
  EXPECT_EQ(sql.Query("", 1, &rows, &error), -1);
  EXPECT_EQ(error, incomplete);
  EXPECT_EQ(sql.Query("SELECT 1", 0, &rows, &error), -1);
  EXPECT_EQ(error, incomplete);
  EXPECT_EQ(sql.Query("SELECT 1", kMaxModuleQueryColumns + 1, &rows, &error), -1);
  EXPECT_EQ(error, incomplete);
  const HostApi& table = host_.GetHostApi();
  wchar_t buffer[64];
  EXPECT_EQ(table.querySql(table.context, L"SELECT 1", 1, nullptr, nullptr, buffer, 64), -1);
  EXPECT_EQ(sql.Execute("", &error), 0);
  EXPECT_EQ(error, wxString::FromUTF8("Brak zapytania SQL."));
  EXPECT_EQ(table.executeSql(table.context, nullptr, nullptr, 0), 0);

  // A database that cannot be opened says so, and nothing is created.
  EXPECT_EQ(sql.Query("SELECT 1", 1, &rows, &error), -1);
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(sql.Execute("CREATE TABLE t(a)", &error), 0);
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(wxFileName::FileExists(app_.connection));
}

}  // namespace
}  // namespace veldrix
