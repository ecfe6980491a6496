// AuthService's accounts on a real SQLite program database.
#include "auth/auth_service.h"

#include "auth_fixture.h"

using auth_test::Account;
using auth_test::AuthDatabase;
using auth_test::U8;

namespace {

using AuthUsers = AuthDatabase;

}  // namespace

TEST_F(AuthUsers, FirstAdministratorOfAnEmptyDatabase) {
  wxString error;
  EXPECT_FALSE(service->HasUsers(&error));
  EXPECT_TRUE(error.empty());

  ASSERT_TRUE(service->CreateUser(Account("  admin ", U8(" Zażółć Admin "), true), "haslo-admina", &error)) << error;
  EXPECT_TRUE(service->HasUsers(&error));
  wxString role;
  ASSERT_TRUE(service->GetUserRole("admin", &role, &error)) << error;
  EXPECT_EQ(role, "administrator");
  EXPECT_EQ(Cell("SELECT display_name FROM veldrix_users"), U8("Zażółć Admin"));
  EXPECT_EQ(Cell("SELECT length(password_hash) || '/' || length(password_salt) || '/' || password_iterations "
                 "FROM veldrix_users"),
            "64/32/210000");
  EXPECT_EQ(Count("SELECT COUNT(*) FROM veldrix_users WHERE password_hash LIKE '%haslo%'"), 0);

  EXPECT_FALSE(service->loggedIn);
  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error)) << error;
  EXPECT_TRUE(service->loggedIn);
  EXPECT_TRUE(service->IsAdministrator());
  EXPECT_EQ(service->currentUser.display_name, U8("Zażółć Admin"));
  EXPECT_EQ(service->currentUser.version, 2);  // the role assignment stepped it once

  // A second CreateUser under the same (trimmed) login is refused.
  EXPECT_FALSE(service->CreateUser(Account("admin", "Drugi", false), "haslo-drugie", &error));
  EXPECT_EQ(error, U8("Użytkownik o takim loginie już istnieje."));
  service->Logout();
  EXPECT_FALSE(service->loggedIn);
  EXPECT_TRUE(service->currentUser.username.empty());
}

TEST_F(AuthUsers, CreationRulesAndTheirTexts) {
  CreateAdministrator();
  wxString error;
  // Logged out, with users present: no administrators, but ordinary accounts are fine.
  EXPECT_FALSE(service->CreateUser(Account("szef", "Szef", true), "haslo-szefa", &error));
  EXPECT_EQ(error, U8("Tylko administrator może tworzyc konta administratorow."));
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna Nowak", false), "haslo-anny", &error)) << error;
  wxString role;
  ASSERT_TRUE(service->GetUserRole("anna", &role, &error));
  EXPECT_EQ(role, "uzytkownik");

  EXPECT_FALSE(service->CreateUser(Account("  ", "Pusty", false), "haslo-puste", &error));
  EXPECT_EQ(error, U8("Login i nazwa użytkownika są wymagane."));
  EXPECT_FALSE(service->CreateUser(Account("pusty", " \t", false), "haslo-puste", &error));
  EXPECT_EQ(error, U8("Login i nazwa użytkownika są wymagane."));
  EXPECT_FALSE(service->CreateUser(Account("krotki", "Krotki", false), "1234567", &error));
  EXPECT_EQ(error, U8("Hasło musi mieć co najmniej 8 znaków."));

  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error));
  EXPECT_TRUE(service->CreateUser(Account("szef", "Szef", true), "haslo-szefa", &error)) << error;

  std::vector<AuthUser> users;
  ASSERT_TRUE(service->ListUsers(&users, &error));
  ASSERT_EQ(users.size(), 3u);
  EXPECT_EQ(users[0].username, "admin");
  EXPECT_EQ(users[1].username, "anna");
  EXPECT_FALSE(users[1].is_admin);
  EXPECT_TRUE(users[1].is_active);
  EXPECT_EQ(users[2].username, "szef");
  EXPECT_TRUE(users[2].is_admin);
  error = "untouched";
  EXPECT_FALSE(service->ListUsers(nullptr, &error));
  EXPECT_EQ(error, "untouched");
}

TEST_F(AuthUsers, UnreadableUsersTableIsNotTakenForAnEmptyOne) {
  ASSERT_GE(db->DeleteData("ALTER TABLE veldrix_users RENAME TO veldrix_users_old"), 0);
  wxString error;
  EXPECT_FALSE(service->HasUsers(&error));
  EXPECT_FALSE(error.empty());
  error.clear();
  EXPECT_FALSE(service->CreateUser(Account("admin", "Administrator", true), "haslo-admina", &error));
  EXPECT_TRUE(error.Contains("veldrix_users")) << error;
  EXPECT_EQ(Count("SELECT COUNT(*) FROM veldrix_users_old"), 0);
}

TEST_F(AuthUsers, AccountAndRoleAreOneChange) {
  CreateAdministrator();
  ASSERT_GE(db->DeleteData("DELETE FROM veldrix_roles WHERE role_key='uzytkownik'"), 0);
  wxString error;
  EXPECT_FALSE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error));
  EXPECT_EQ(error, U8("Wybrana rola nie istnieje."));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM veldrix_users WHERE username='anna'"), 0);
  // Nothing half-done blocks creating it again once the role is back.
  ASSERT_GE(db->DeleteData("INSERT INTO veldrix_roles(role_key,role_name,is_system) VALUES('uzytkownik','U',1)"), 0);
  EXPECT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error)) << error;

  // Demoting the second administrator fails at the role and changes nothing.
  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error));
  ASSERT_TRUE(service->CreateUser(Account("szef", "Szef", true), "haslo-szefa", &error)) << error;
  const wxString before = Cell("SELECT is_admin || '/' || wersja_rekordu || '/' || display_name FROM veldrix_users "
                               "WHERE username='szef'");
  ASSERT_GE(db->DeleteData("DELETE FROM veldrix_user_roles WHERE role_key='uzytkownik'"), 0);
  ASSERT_GE(db->DeleteData("DELETE FROM veldrix_roles WHERE role_key='uzytkownik'"), 0);
  EXPECT_FALSE(service->UpdateUser("szef", "Zmieniony", false, true, "nowe-haslo-szefa", &error, 0));
  EXPECT_EQ(error, U8("Wybrana rola nie istnieje."));
  EXPECT_EQ(Cell("SELECT is_admin || '/' || wersja_rekordu || '/' || display_name FROM veldrix_users "
                 "WHERE username='szef'"),
            before);
  EXPECT_TRUE(service->VerifyAdministrator("szef", "haslo-szefa", &error)) << error;
}

TEST_F(AuthUsers, LoginOutcomes) {
  CreateAdministrator();
  wxString error;
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna", false, false), "haslo-anny", &error)) << error;
  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error));

  EXPECT_FALSE(service->Login("admin", "zle-haslo", &error));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło."));
  EXPECT_FALSE(service->Login("nikt", "haslo-admina", &error));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło."));
  // Inactive is decided before the password is looked at.
  EXPECT_FALSE(service->Login("anna", "zle-haslo", &error));
  EXPECT_EQ(error, U8("Konto jest nieaktywne."));
  // A failed login leaves the logged-in user in place.
  EXPECT_TRUE(service->loggedIn);
  EXPECT_EQ(service->currentUser.username, "admin");

  EXPECT_FALSE(service->VerifyAdministrator("admin", "zle-haslo", &error));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło administratora."));
  EXPECT_FALSE(service->VerifyAdministrator("anna", "haslo-anny", &error));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło administratora."));
  EXPECT_FALSE(service->VerifyAdministrator("nikt", "x", &error));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło."));
  EXPECT_TRUE(service->VerifyAdministrator("admin", "haslo-admina", &error));
}

TEST_F(AuthUsers, DamagedPasswordRecordIsReported) {
  CreateAdministrator();
  wxString error;
  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error));
  CreateAdministrator("drugi");
  CreateAdministrator("trzeci");
  service->Logout();
  ASSERT_GE(db->DeleteData("UPDATE veldrix_users SET password_salt='zz' WHERE username='admin'"), 0);
  ASSERT_GE(db->DeleteData("UPDATE veldrix_users SET password_iterations='abc' WHERE username='drugi'"), 0);
  ASSERT_GE(db->DeleteData("UPDATE veldrix_users SET password_iterations=-5 WHERE username='trzeci'"), 0);
  for (const char* login : {"admin", "drugi", "trzeci"}) {
    error.clear();
    EXPECT_FALSE(service->Login(login, "haslo-admina", &error)) << login;
    EXPECT_EQ(error, "Zapis hasla jest uszkodzony.") << login;
  }
  EXPECT_FALSE(service->loggedIn);
}

TEST_F(AuthUsers, UpdateUserVersionsAndCurrentUser) {
  CreateAdministrator();
  wxString error;
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error));
  std::vector<AuthUser> users;
  ASSERT_TRUE(service->ListUsers(&users, &error));
  const int annaVersion = users[1].version;
  EXPECT_EQ(annaVersion, 2);

  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error));
  ASSERT_TRUE(service->UpdateUser("anna", "Anna Nowak", false, true, wxString(), &error, annaVersion)) << error;
  // The list read before that change is stale now.
  EXPECT_FALSE(service->UpdateUser("anna", "Anna Kowalska", false, true, wxString(), &error, annaVersion));
  EXPECT_EQ(error, U8("Ten użytkownik został zmieniony przez innego użytkownika. Odśwież listę i spróbuj ponownie."));
  EXPECT_EQ(Cell("SELECT display_name || '/' || wersja_rekordu FROM veldrix_users WHERE username='anna'"),
            "Anna Nowak/3");
  EXPECT_FALSE(service->UpdateUser("nikt", "X", false, true, wxString(), &error, 0));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło."));

  // Own account: the current user follows, with the version the row now has.
  ASSERT_TRUE(service->UpdateUser("admin", "Admin Nowy", true, true, "nowe-haslo-admina", &error, 2)) << error;
  EXPECT_EQ(service->currentUser.display_name, "Admin Nowy");
  EXPECT_EQ(service->currentUser.version, 3);
  EXPECT_TRUE(service->Login("admin", "nowe-haslo-admina", &error)) << error;
  ASSERT_TRUE(service->UpdateUser("admin", "Admin", true, true, wxString(), &error, 0)) << error;
  EXPECT_EQ(service->currentUser.version, 4);
  EXPECT_EQ(Count("SELECT wersja_rekordu FROM veldrix_users WHERE username='admin'"), 4);
  // Without a version a change to nothing is reported, not passed.
  EXPECT_FALSE(service->UpdateUser("anna", "Anna", false, true, "krotkie", &error, 0));
  EXPECT_EQ(error, U8("Hasło musi mieć co najmniej 8 znaków."));
}

TEST_F(AuthUsers, LastActiveAdministratorStays) {
  CreateAdministrator();
  wxString error;
  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error));
  // The administrator cannot remove his own flag or deactivate himself.
  EXPECT_FALSE(service->UpdateUser("admin", "Administrator", false, true, wxString(), &error, 0));
  EXPECT_EQ(error, U8("Nie można odebrać uprawnień ani dezaktywować aktualnego konta."));
  EXPECT_FALSE(service->UpdateUser("admin", "Administrator", true, false, wxString(), &error, 0));
  EXPECT_EQ(error, U8("Nie można odebrać uprawnień ani dezaktywować aktualnego konta."));

  // With two active administrators one may demote the other; the role follows.
  ASSERT_TRUE(service->CreateUser(Account("szef", "Szef", true), "haslo-szefa", &error));
  ASSERT_TRUE(service->UpdateUser("szef", "Szef", false, true, wxString(), &error, 0)) << error;
  wxString role;
  ASSERT_TRUE(service->GetUserRole("szef", &role, &error));
  EXPECT_EQ(role, "uzytkownik");
  ASSERT_TRUE(service->UpdateUser("szef", "Szef", true, true, wxString(), &error, 0)) << error;
  ASSERT_TRUE(service->GetUserRole("szef", &role, &error));
  EXPECT_EQ(role, "administrator");

  // admin is deactivated elsewhere while still logged in here: szef is now the last
  // active administrator, and not even another administrator may take that away.
  ASSERT_GE(db->DeleteData("UPDATE veldrix_users SET is_active=0 WHERE username='admin'"), 0);
  EXPECT_FALSE(service->UpdateUser("szef", "Szef", false, true, wxString(), &error, 0));
  EXPECT_EQ(error, U8("Musi pozostać co najmniej jeden aktywny administrator."));
  EXPECT_FALSE(service->UpdateUser("szef", "Szef", true, false, wxString(), &error, 0));
  EXPECT_EQ(error, U8("Musi pozostać co najmniej jeden aktywny administrator."));
  EXPECT_EQ(Count("SELECT COUNT(*) FROM veldrix_users WHERE is_admin=1 AND is_active=1"), 1);
  // An inactive administrator may be demoted: he is not the one who stays.
  ASSERT_TRUE(service->Login("szef", "haslo-szefa", &error));
  EXPECT_TRUE(service->UpdateUser("admin", "Administrator", false, false, wxString(), &error, 0)) << error;
}

TEST_F(AuthUsers, OrdinaryUserOnHisOwnAccount) {
  CreateAdministrator();
  wxString error;
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error));
  ASSERT_TRUE(service->Login("anna", "haslo-anny", &error));
  EXPECT_TRUE(service->UpdateUser("anna", "Anna N.", false, true, "nowe-haslo-anny", &error, 0)) << error;
  EXPECT_EQ(service->currentUser.display_name, "Anna N.");
  EXPECT_FALSE(service->UpdateUser("anna", "Anna N.", false, false, wxString(), &error, 0));
  EXPECT_EQ(error, U8("Nie można odebrać uprawnień ani dezaktywować aktualnego konta."));
  EXPECT_FALSE(service->UpdateUser("anna", "Anna N.", true, true, wxString(), &error, 0));
  EXPECT_EQ(error, U8("Tylko administrator może zmieniać status administratora."));
  EXPECT_FALSE(service->UpdateUser("admin", "X", true, true, wxString(), &error, 0));
  EXPECT_EQ(error, U8("Tylko administrator może zmieniać konto administratora."));
  EXPECT_FALSE(service->IsAdministrator());
}

TEST_F(AuthUsers, SqliteExceptionsBecomeTheOperationsFailure) {
  CreateAdministrator();
  ASSERT_GE(db->DeleteData("CREATE TRIGGER no_insert BEFORE INSERT ON veldrix_users BEGIN "
                           "SELECT RAISE(ABORT, 'inserts are closed'); END"),
            0);
  ASSERT_GE(db->DeleteData("CREATE TRIGGER no_update BEFORE UPDATE OF display_name ON veldrix_users BEGIN "
                           "SELECT RAISE(ABORT, 'updates are closed'); END"),
            0);
  wxString error;
  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error));
  EXPECT_FALSE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error));
  EXPECT_TRUE(error.Contains("inserts are closed")) << error;
  EXPECT_FALSE(service->UpdateUser("admin", "Nowy", true, true, wxString(), &error, 0));
  EXPECT_TRUE(error.Contains("updates are closed")) << error;
  // The service's transaction was rolled back and the database object is usable.
  ASSERT_GE(db->DeleteData("DROP TRIGGER no_insert"), 0);
  EXPECT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error)) << error;
}

TEST_F(AuthUsers, WithoutADatabaseEveryOperationSaysSo) {
  AuthService none(nullptr);
  wxString error;
  EXPECT_FALSE(none.CheckDatabase(&error));
  const wxString text = U8("Brak połączenia z bazą danych.");
  EXPECT_EQ(error, text);
  error.clear();
  EXPECT_FALSE(none.Login("admin", "haslo-admina", &error));
  EXPECT_EQ(error, text);
  std::vector<AuthUser> users;
  EXPECT_FALSE(none.ListUsers(&users, &error));
  EXPECT_FALSE(none.CreateUser(Account("a", "b", true), "haslo-admina", &error));
  EXPECT_EQ(error, text);
  EXPECT_FALSE(none.SetUserRole("a", "uzytkownik", &error, 0));
  EXPECT_FALSE(none.TryAutoLogin(&error));

  // Handing the service another database logs the user out.
  CreateAdministrator();
  ASSERT_TRUE(service->Login("admin", "haslo-admina", &error));
  service->SetDatabase(db.get());
  EXPECT_FALSE(service->loggedIn);
  EXPECT_TRUE(service->currentUser.username.empty());
  EXPECT_EQ(service->currentUser.version, 0);
}

TEST_F(AuthUsers, AnotherAccountWhoseNameDiffersOnlyInCaseIsNotTheCurrentOne) {
  // SQLite compares names exactly, so "Jan" and "jan" are two accounts there.
  CreateAdministrator("Jan", "haslo-admina");
  wxString error;
  ASSERT_TRUE(service->Login("Jan", "haslo-admina", &error)) << error;
  ASSERT_TRUE(service->CreateUser(Account("jan", "Jan Kowalski", false), "haslo-jana", &error)) << error;

  EXPECT_TRUE(service->UpdateUser("jan", "Jan Kowalski", false, false, wxString(), &error, 0)) << error;
  EXPECT_EQ(Count("SELECT is_active FROM veldrix_users WHERE username='jan'"), 0);
  EXPECT_TRUE(service->UpdateUser("jan", "Jan K.", false, true, "nowe-haslo-jana", &error, 0)) << error;
  // The administrator who made the changes is still himself.
  EXPECT_EQ(service->currentUser.username, "Jan");
  EXPECT_EQ(service->currentUser.display_name, "Administrator");
  EXPECT_TRUE(service->IsAdministrator());
  EXPECT_TRUE(HasPermission("users.manage"));
}

// Names are stored without the blanks around them, so a name typed or pasted with
// them can only mean that account.
TEST_F(AuthUsers, BlanksAroundTheTypedNameAreNotPartOfIt) {
  CreateAdministrator();
  wxString error;
  ASSERT_TRUE(service->CreateUser(Account(U8(" Łucja "), U8("Łucja"), false), "haslo-lucji", &error)) << error;

  for (const wxString& typed : {U8("Łucja "), U8("\tŁucja"), U8(" Łucja\t ")}) {
    service->Logout();
    EXPECT_TRUE(service->Login(typed, "haslo-lucji", &error)) << error;
    EXPECT_EQ(service->currentUser.username, U8("Łucja"));
  }
  EXPECT_TRUE(service->VerifyAdministrator(" admin ", "haslo-admina", &error)) << error;
}
