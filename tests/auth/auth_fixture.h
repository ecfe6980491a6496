// A program database with the account tables on a real SQLite file, a configuration
// file of its own and an AuthService over them, for the auth tests.
#pragma once

#include "auth/auth_service.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/config.h>
#include <wx/fileconf.h>
#include <wx/log.h>

#include <memory>
#include <ostream>

// Failures print texts readably.
inline void PrintTo(const wxString& text, std::ostream* os) { *os << '"' << text.utf8_str().data() << '"'; }

namespace auth_test {

// The account tables as the program's create script makes them.
inline const char* const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS veldrix_users (id_uzytkownika INTEGER PRIMARY KEY AUTOINCREMENT, username "
    "VARCHAR(100) NOT NULL UNIQUE, display_name VARCHAR(200) NOT NULL DEFAULT '', password_hash VARCHAR(200) NOT "
    "NULL DEFAULT '', password_salt VARCHAR(200) NOT NULL DEFAULT '', password_iterations INTEGER NOT NULL DEFAULT "
    "0, is_admin INTEGER NOT NULL DEFAULT 0, is_active INTEGER NOT NULL DEFAULT 1, wersja_rekordu INTEGER NOT NULL "
    "DEFAULT 1, created_at DATETIME DEFAULT CURRENT_TIMESTAMP, updated_at DATETIME DEFAULT CURRENT_TIMESTAMP)",
    "CREATE TABLE IF NOT EXISTS veldrix_roles (id_roli INTEGER PRIMARY KEY AUTOINCREMENT, role_key VARCHAR(100) NOT "
    "NULL UNIQUE, role_name VARCHAR(200) NOT NULL, is_system INTEGER NOT NULL DEFAULT 0, wersja_rekordu INTEGER NOT "
    "NULL DEFAULT 1, updated_at DATETIME DEFAULT CURRENT_TIMESTAMP)",
    "CREATE TABLE IF NOT EXISTS veldrix_role_permissions (id_uprawnienia INTEGER PRIMARY KEY AUTOINCREMENT, role_key "
    "VARCHAR(100) NOT NULL REFERENCES veldrix_roles(role_key), permission_key VARCHAR(100) NOT NULL)",
    "CREATE TABLE IF NOT EXISTS veldrix_user_roles (id_przypisania INTEGER PRIMARY KEY AUTOINCREMENT, username "
    "VARCHAR(100) NOT NULL UNIQUE REFERENCES veldrix_users(username), role_key VARCHAR(100) NOT NULL REFERENCES "
    "veldrix_roles(role_key))",
    "INSERT INTO veldrix_roles(role_key,role_name,is_system) VALUES('administrator','Administrator',1)",
    "INSERT INTO veldrix_roles(role_key,role_name,is_system) VALUES('uzytkownik','U\xC5\xBCytkownik',1)",
};

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
    db = std::make_unique<SQLData>(folders.root() + "/program/veldrix.db");
    ASSERT_TRUE(db->IniciujBazeDanych()) << db->lastError;
    for (const char* statement : kSchema) ASSERT_GE(db->DeleteData(wxString::FromUTF8(statement)), 0) << db->lastError;
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
  wxLogNull quiet;
  std::unique_ptr<SQLData> db;
  std::unique_ptr<AuthService> service;
  wxString configPath;
  wxConfigBase* previousConfig = nullptr;
};

}  // namespace auth_test
