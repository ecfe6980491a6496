// A program database created by the database worker from the shipped scripts, a
// configuration file of its own and an AuthService over them, for the auth tests.
#pragma once

#include "auth/auth_service.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"
#include "test_support.h"
#include "../dbsetup/worker_test_support.h"

#include <gtest/gtest.h>
#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/log.h>

#include <memory>
#include <ostream>

// Failures print texts readably.
inline void PrintTo(const wxString& text, std::ostream* os) { *os << '"' << text.utf8_str().data() << '"'; }

namespace auth_test {

inline AuthUser Account(const wxString& username, const wxString& displayName, bool isAdmin, bool isActive = true) {
  AuthUser user;
  user.username = username;
  user.display_name = displayName;
  user.is_admin = isAdmin;
  user.is_active = isActive;
  return user;
}

inline wxString U8(const char* text) { return wxString::FromUTF8(text); }

class AuthDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    veldrix::test::CopyShippedScripts(folders.programFolder());
    const wxString file = veldrix::JoinPath(folders.programFolder(), "veldrix.db");
    const auto events = veldrix::test::RunWorker(false, file, workers);
    ASSERT_FALSE(events.empty());
    ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
    db = std::make_unique<SQLData>(file);
    ASSERT_TRUE(db->IniciujBazeDanych()) << db->lastError;
    configPath = folders.root() + "/veldrix.ini";
    previousConfig = wxConfigBase::Set(
        new wxFileConfig(wxString(), wxString(), configPath, wxString(), wxCONFIG_USE_LOCAL_FILE));
    service = std::make_unique<AuthService>(db.get());
  }

  void TearDown() override {
    service.reset();
    delete wxConfigBase::Set(previousConfig);
  }

  // The first administrator of the empty database, as the first-administrator dialog makes it.
  void CreateAdministrator(const wxString& login = "admin", const wxString& password = "haslo-admina") {
    wxString error;
    ASSERT_TRUE(service->CreateUser(Account(login, "Administrator", true), password, &error)) << error;
  }

  wxString Cell(const wxString& sql) {
    const wxArrayString cells = db->FrameData(sql);
    return cells.empty() ? wxString("<none>") : cells[0];
  }

  long Count(const wxString& sql) {
    long value = -1;
    Cell(sql).ToLong(&value);
    return value;
  }

  // The main window's permission test, over the service's fields.
  bool HasPermission(const wxString& key) {
    if (!service->loggedIn) return false;
    if (service->currentUser.is_admin) return true;
    if (key.empty() || !service->database) return false;
    return service->database->IsExistsData(
        "SELECT rp.permission_key FROM veldrix_user_roles ur JOIN veldrix_role_permissions rp ON "
        "rp.role_key=ur.role_key WHERE ur.username='" +
        EscapeSqlText(service->currentUser.username) + "' AND rp.permission_key='" + EscapeSqlText(key) + "'");
  }

  veldrix::test::IsolatedFolders folders;
  veldrix::test::ScopedWorkerRegistry workers;
  wxLogNull quiet;
  std::unique_ptr<SQLData> db;
  std::unique_ptr<AuthService> service;
  wxString configPath;
  wxConfigBase* previousConfig = nullptr;
};

}  // namespace auth_test
