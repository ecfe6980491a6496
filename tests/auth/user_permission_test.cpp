#include "auth/user_permission.h"
#include "auth_fixture.h"

using auth_test::Account;

namespace {

class UserPermission : public auth_test::AuthDatabase {
 protected:
  // An administrator, and "o'brien" whose role grants only "faktury.view".
  void SetUp() override {
    AuthDatabase::SetUp();
    CreateAdministrator("admin", "haslo-admina");
    wxString error;
    ASSERT_TRUE(service->CreateUser(Account("o'brien", "Ksiegowa", false), "haslo-ksiegowej", &error)) << error;
    ASSERT_TRUE(service->CreateRole("Ksiegowosc", &roleKey, &error)) << error;
    ASSERT_TRUE(service->SetRolePermissions(roleKey, {"faktury.view"}, &error, 0)) << error;
    ASSERT_TRUE(service->SetUserRole("o'brien", roleKey, &error, 0)) << error;
  }

  void LogIn(const wxString& name, const wxString& password) {
    wxString error;
    ASSERT_TRUE(service->Login(name, password, &error)) << error;
  }

  wxString roleKey;
};

TEST_F(UserPermission, NobodyLoggedInHoldsNothing) {
  EXPECT_FALSE(UserHasPermission(service.get(), "faktury.view"));
  EXPECT_FALSE(UserHasPermission(nullptr, "faktury.view"));
}

TEST_F(UserPermission, AnAdministratorHoldsEveryKeyAlsoAnEmptyOrUnknownOne) {
  LogIn("admin", "haslo-admina");
  EXPECT_TRUE(UserHasPermission(service.get(), "firma.manage"));
  EXPECT_TRUE(UserHasPermission(service.get(), ""));
  EXPECT_TRUE(UserHasPermission(service.get(), "nie.istnieje"));
}

TEST_F(UserPermission, AUserHoldsWhatTheRoleGrantsWithTheQuoteInTheNameDoubled) {
  LogIn("o'brien", "haslo-ksiegowej");
  EXPECT_TRUE(UserHasPermission(service.get(), "faktury.view"));
  EXPECT_FALSE(UserHasPermission(service.get(), "firma.manage"));
  EXPECT_FALSE(UserHasPermission(service.get(), ""));
  EXPECT_FALSE(UserHasPermission(service.get(), "faktury.view' OR '1'='1"));
  EXPECT_EQ(UserPermissionSql("o'brien", "a'b"),
            "SELECT rp.permission_key FROM veldrix_user_roles ur JOIN veldrix_role_permissions rp ON "
            "rp.role_key=ur.role_key WHERE ur.username='o''brien' AND rp.permission_key='a''b'");
}

TEST_F(UserPermission, AFailedQueryOrAMissingDatabaseCountsAsNotHeld) {
  LogIn("o'brien", "haslo-ksiegowej");
  ASSERT_GE(db->DeleteData("DROP TABLE veldrix_role_permissions"), 0) << db->lastError;
  EXPECT_FALSE(UserHasPermission(service.get(), "faktury.view"));
  service->database = nullptr;
  EXPECT_FALSE(UserHasPermission(service.get(), "faktury.view"));
}

TEST_F(UserPermission, LogoutTakesThePermissionsAway) {
  LogIn("admin", "haslo-admina");
  service->Logout();
  EXPECT_FALSE(UserHasPermission(service.get(), "firma.manage"));
}

}  // namespace
