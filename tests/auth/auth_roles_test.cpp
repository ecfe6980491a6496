// Roles, their permissions and each account's role, on a real SQLite program database.
#include "auth/auth_service.h"
#include "auth/permission_catalogue.h"

#include "auth_fixture.h"

using auth_test::Account;
using auth_test::AuthDatabase;
using auth_test::U8;

namespace {

class AuthRoles : public AuthDatabase {
 protected:
  void SetUp() override {
    AuthDatabase::SetUp();
    CreateAdministrator();
    wxString error;
    ASSERT_TRUE(service->Login("admin", "haslo-admina", &error)) << error;
  }

  std::vector<wxString> Permissions(const wxString& role) {
    std::vector<wxString> keys;
    EXPECT_TRUE(service->GetRolePermissions(role, &keys, nullptr));
    return keys;
  }
};

}  // namespace

TEST(PermissionCatalogue, TenKeysInTheirOrder) {
  const std::vector<AuthPermission> catalogue = BuildPermissionCatalogue();
  const char* const keys[] = {"artykuly.view", "kontrahenci.view", "faktury.view",   "ksef.view",
                              "kpir.view",     "jpk_vat.view",     "firma.manage",   "settings.view",
                              "users.manage",  "permissions.manage"};
  ASSERT_EQ(catalogue.size(), 10u);
  for (size_t i = 0; i < catalogue.size(); ++i) EXPECT_EQ(catalogue[i].key, keys[i]);
  EXPECT_EQ(catalogue[0].label, U8("Artykuły"));
  EXPECT_EQ(catalogue[0].group, U8("Moduły"));
  EXPECT_EQ(catalogue[8].label, U8("Użytkownicy"));
  EXPECT_EQ(catalogue[9].group, "Administracja");
}

TEST_F(AuthRoles, SecondUserWithARoleAndThePermissionAnswers) {
  wxString error;
  wxString ksiegowa;
  ASSERT_TRUE(service->CreateRole(U8("  Księgowa "), &ksiegowa, &error)) << error;
  ASSERT_TRUE(service->SetRolePermissions(ksiegowa, {"kpir.view", "jpk_vat.view"}, &error, 0)) << error;
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error)) << error;
  std::vector<AuthUser> users;
  ASSERT_TRUE(service->ListUsers(&users, &error));
  ASSERT_TRUE(service->SetUserRole("anna", ksiegowa, &error, users[1].version)) << error;

  // The administrator holds every permission without any role rows.
  EXPECT_TRUE(HasPermission("kpir.view"));
  EXPECT_TRUE(HasPermission("users.manage"));
  EXPECT_TRUE(HasPermission("cokolwiek"));
  EXPECT_TRUE(Permissions("administrator").empty());

  ASSERT_TRUE(service->Login("anna", "haslo-anny", &error)) << error;
  EXPECT_TRUE(HasPermission("kpir.view"));
  EXPECT_TRUE(HasPermission("jpk_vat.view"));
  EXPECT_FALSE(HasPermission("users.manage"));
  EXPECT_FALSE(HasPermission("faktury.view"));
  EXPECT_FALSE(HasPermission(""));
  EXPECT_FALSE(service->IsAdministrator());
  service->Logout();
  EXPECT_FALSE(HasPermission("kpir.view"));
}

TEST_F(AuthRoles, CreateAndListRoles) {
  wxString error;
  wxString first, second;
  ASSERT_TRUE(service->CreateRole("  Magazyn  ", &first, &error)) << error;
  ASSERT_TRUE(service->CreateRole("Handel", &second, &error)) << error;
  EXPECT_NE(first, second);
  EXPECT_TRUE(first.StartsWith("rola_")) << first;
  // rola_<seconds>_<counter>: the counter keeps roles of the same second apart.
  unsigned long firstSerial = 0, secondSerial = 0;
  ASSERT_TRUE(first.AfterLast('_').ToULong(&firstSerial)) << first;
  ASSERT_TRUE(second.AfterLast('_').ToULong(&secondSerial)) << second;
  EXPECT_EQ(secondSerial, firstSerial + 1);
  EXPECT_EQ(first.BeforeLast('_').AfterFirst('_').length(), 10u) << first;
  EXPECT_FALSE(service->CreateRole("Magazyn", nullptr, &error));
  EXPECT_EQ(error, U8("Rola o takiej nazwie już istnieje."));
  EXPECT_FALSE(service->CreateRole(" \t ", nullptr, &error));
  EXPECT_EQ(error, U8("Nazwa roli jest wymagana."));
  std::vector<AuthRole> roles;
  ASSERT_TRUE(service->ListRoles(&roles, &error));
  ASSERT_EQ(roles.size(), 4u);
  EXPECT_EQ(roles[0].role_key, "administrator");
  EXPECT_TRUE(roles[0].is_system);
  EXPECT_EQ(roles[1].role_name, "Handel");
  EXPECT_EQ(roles[2].role_name, "Magazyn");
  EXPECT_FALSE(roles[2].is_system);
  EXPECT_EQ(roles[2].version, 1);
  EXPECT_FALSE(service->ListRoles(nullptr, &error));
}

TEST_F(AuthRoles, PermissionKeysAreStoredOnceAndVersionsChecked) {
  wxString error, role;
  ASSERT_TRUE(service->CreateRole("Kadry", &role, &error));
  ASSERT_TRUE(service->SetRolePermissions(role, {"users.manage", "Users.Manage", "nieznane", "users.manage"}, &error,
                                          1))
      << error;
  EXPECT_EQ(Permissions(role), std::vector<wxString>{"users.manage"});
  EXPECT_EQ(Count("SELECT COUNT(*) FROM veldrix_role_permissions WHERE role_key='" + role + "'"), 1);
  EXPECT_EQ(Count("SELECT wersja_rekordu FROM veldrix_roles WHERE role_key='" + role + "'"), 2);

  EXPECT_FALSE(service->SetRolePermissions(role, {"kpir.view"}, &error, 1));
  EXPECT_EQ(error, U8("Ta rola została zmieniona przez innego użytkownika. Odśwież listę i spróbuj ponownie."));
  EXPECT_EQ(Permissions(role), std::vector<wxString>{"users.manage"});

  EXPECT_FALSE(service->SetRolePermissions("administrator", {"kpir.view"}, &error, 0));
  EXPECT_EQ(error, "Administrator zawsze ma wszystkie uprawnienia.");
  EXPECT_FALSE(service->SetRolePermissions("brak_roli", {"kpir.view"}, &error, 0));
  EXPECT_EQ(error, U8("Nie można zapisać uprawnień roli."));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM veldrix_role_permissions WHERE role_key='brak_roli'"), 0);
  EXPECT_TRUE(Permissions("brak_roli").empty());
}

TEST_F(AuthRoles, FailedPermissionWriteKeepsTheOldPermissions) {
  wxString error, role;
  ASSERT_TRUE(service->CreateRole("Kadry", &role, &error));
  ASSERT_TRUE(service->SetRolePermissions(role, {"kpir.view", "ksef.view"}, &error, 0));
  ASSERT_GE(db->DeleteData("CREATE TRIGGER no_ksef BEFORE INSERT ON veldrix_role_permissions "
                           "WHEN NEW.permission_key='firma.manage' BEGIN SELECT RAISE(ABORT, 'closed'); END"),
            0);
  EXPECT_FALSE(service->SetRolePermissions(role, {"artykuly.view", "firma.manage"}, &error, 0));
  EXPECT_EQ(error, U8("Nie można zapisać uprawnień roli."));
  EXPECT_EQ(Permissions(role), (std::vector<wxString>{"kpir.view", "ksef.view"}));
  EXPECT_EQ(Count("SELECT wersja_rekordu FROM veldrix_roles WHERE role_key='" + role + "'"), 2);
}

TEST_F(AuthRoles, DeleteRoleRules) {
  wxString error, role, other;
  ASSERT_TRUE(service->CreateRole("Kadry", &role, &error));
  ASSERT_TRUE(service->CreateRole("Inna", &other, &error));
  ASSERT_TRUE(service->SetRolePermissions(role, {"kpir.view"}, &error, 0));
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error));
  ASSERT_TRUE(service->SetUserRole("anna", role, &error, 0)) << error;

  EXPECT_FALSE(service->DeleteRole(role, &error));
  EXPECT_EQ(error, U8("Nie można usunąć roli przypisanej do użytkownika."));
  EXPECT_FALSE(service->DeleteRole("uzytkownik", &error));
  EXPECT_EQ(error, U8("Nie można usunąć roli systemowej."));
  EXPECT_FALSE(service->DeleteRole("brak", &error));
  EXPECT_EQ(error, "Nie znaleziono roli.");

  ASSERT_TRUE(service->SetUserRole("anna", other, &error, 0)) << error;
  EXPECT_TRUE(service->DeleteRole(role, &error)) << error;
  EXPECT_EQ(Count("SELECT COUNT(*) FROM veldrix_role_permissions WHERE role_key='" + role + "'"), 0);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM veldrix_roles WHERE role_key='" + role + "'"), 0);
}

TEST_F(AuthRoles, UserRoleRules) {
  wxString error, role;
  ASSERT_TRUE(service->CreateRole("Kadry", &role, &error));
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error));
  EXPECT_FALSE(service->SetUserRole("admin", "uzytkownik", &error, 0));
  EXPECT_EQ(error, U8("Konto administratora musi mieć rolę Administrator."));
  EXPECT_FALSE(service->SetUserRole("anna", "administrator", &error, 0));
  EXPECT_EQ(error, U8("Rola Administrator jest przeznaczona tylko dla kont administratorów."));
  EXPECT_FALSE(service->SetUserRole("anna", "brak", &error, 0));
  EXPECT_EQ(error, U8("Wybrana rola nie istnieje."));
  EXPECT_FALSE(service->SetUserRole("nikt", role, &error, 0));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło."));

  // A role change steps the account's version: a list read before it is stale.
  EXPECT_FALSE(service->SetUserRole("anna", role, &error, 1));
  EXPECT_EQ(error, U8("Ten użytkownik został zmieniony przez innego użytkownika. Odśwież listę i spróbuj ponownie."));
  ASSERT_TRUE(service->SetUserRole("anna", role, &error, 2)) << error;
  EXPECT_FALSE(service->UpdateUser("anna", "Anna", false, true, wxString(), &error, 2));
  wxString current;
  ASSERT_TRUE(service->GetUserRole("anna", &current, &error));
  EXPECT_EQ(current, role);
  EXPECT_FALSE(service->GetUserRole("nikt", &current, &error));
  EXPECT_EQ(error, U8("Użytkownik nie ma przypisanej roli."));

  // The logged-in account's version follows its own role change.
  ASSERT_TRUE(service->Login("anna", "haslo-anny", &error));
  ASSERT_TRUE(service->SetUserRole("anna", "uzytkownik", &error, 0)) << error;
  EXPECT_EQ(service->currentUser.version, 4);
  EXPECT_EQ(Count("SELECT wersja_rekordu FROM veldrix_users WHERE username='anna'"), 4);
}
