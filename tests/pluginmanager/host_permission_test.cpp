// The host's permission service answers with the main window's permission test.
#include "app/common/permission_check.h"
#include "pluginmanager/plugin_manager.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class HostPermission : public ::testing::Test {
 protected:
  void SetUp() override { veldrix::FillHostApi(host, nullptr); }
  void TearDown() override { veldrix::InstallPermissionCheck({}); }
  HostApi host{};
};

TEST_F(HostPermission, NobodyLoggedInHoldsNothing) {
  EXPECT_EQ(host.hasPermission(nullptr, L"faktury.view"), 0);
  EXPECT_FALSE(veldrix::CurrentUserHasPermission("faktury.view"));
}

TEST_F(HostPermission, ModulesGetTheInstalledAnswerKeyByKey) {
  std::vector<wxString> asked;
  veldrix::InstallPermissionCheck([&](const wxString& key) {
    asked.push_back(key);
    return key == wxString::FromUTF8("kpir.view");
  });
  EXPECT_EQ(host.hasPermission(nullptr, L"kpir.view"), 1);
  EXPECT_EQ(host.hasPermission(nullptr, L"jpk_vat.view"), 0);
  EXPECT_EQ(host.hasPermission(nullptr, nullptr), 0);
  EXPECT_EQ(asked, (std::vector<wxString>{"kpir.view", "jpk_vat.view"}));

  veldrix::InstallPermissionCheck({});
  EXPECT_EQ(host.hasPermission(nullptr, L"kpir.view"), 0);
}

}  // namespace
