// The users' service on a program database kept on the PostgreSQL and MariaDB
// servers, including a server that drops the program's connection.
#include "../dbsetup/server_program_database.h"
#include "auth/auth_service.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

namespace {

class AuthServiceOnServer : public veldrix::test::ProgramDatabaseOnServer {
 protected:
  // Ends the program's session from the server's side, as a restart of the server
  // or an administrator would.
  void DropSessionOf(SQLData& db) {
    const bool postgres = wxString(GetParam().engine) == "PostgreSQL";
    const wxArrayString id = db.FrameData(postgres ? "select pg_backend_pid()" : "select connection_id()");
    ASSERT_EQ(id.size(), 1u) << db.lastError;
    Run(postgres ? "select pg_terminate_backend(" + id[0] + ")" : "kill " + id[0]);
  }
};

// An accountant whose server restarted while the login window was open logs in as
// if nothing had happened; one whose database cannot be reached any more must be
// told that the database failed, not that the password was wrong.
TEST_P(AuthServiceOnServer, ALostConnectionIsNotReportedAsAWrongPassword) {
  DbConnectionInfo info;
  SQLData db(CreateProgramDatabase(&info));
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  AuthService service(&db);
  AuthUser admin;
  admin.username = wxString::FromUTF8("Łucja");
  admin.display_name = wxString::FromUTF8("Łucja O'Hara");
  admin.is_admin = true;
  admin.is_active = true;
  const wxString password = wxString::FromUTF8("tajne 'hasło' \\ 2024");
  wxString error;
  ASSERT_TRUE(service.CreateUser(admin, password, &error)) << error;
  ASSERT_TRUE(service.Login(admin.username, password, &error)) << error;
  service.Logout();

  DropSessionOf(db);
  ASSERT_TRUE(service.Login(admin.username, password, &error)) << error;
  service.Logout();

  // No new session can be had: the database is gone with the session.
  DropSessionOf(db);
  const bool postgres = wxString(GetParam().engine) == "PostgreSQL";
  Run("DROP DATABASE " + info.database + (postgres ? " WITH (FORCE)" : ""));
  error.clear();
  EXPECT_FALSE(service.Login(admin.username, password, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_NE(error, wxString::FromUTF8("Nieprawidłowy użytkownik lub hasło."));
  // The login window's one line shows its start: the Polish text, the server's below.
  EXPECT_TRUE(error.StartsWith(wxString::FromUTF8("Połączenie z serwerem bazy danych"))) << error;
  EXPECT_FALSE(service.IsAdministrator());
}

INSTANTIATE_TEST_SUITE_P(Servers, AuthServiceOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
