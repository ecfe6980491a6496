// AuthService: the accounts, roles and permissions kept in the program database,
// and the user who is logged in. The main window owns one and reads its public
// fields; module libraries reach it only through IAuthService.
#pragma once

#include "auth/iauth_service.h"
#include "sqldata/sql_value.h"

#include <wx/string.h>

#include <vector>

class SQLData;

class AuthService : public IAuthService {
 public:
  // The database object is the main window's and is not owned; it may be null, in
  // which case every operation fails with "Brak połączenia z bazą danych.".
  explicit AuthService(SQLData* database = nullptr);

  // Another program database was prepared: the service works on it from now on and
  // nobody is logged in.
  void SetDatabase(SQLData* database);
  void Logout();
  bool CheckDatabase(wxString* error);
  // True when the database holds at least one account. False without a text for an
  // empty table, false with the reason when the table cannot be read.
  bool HasUsers(wxString* error);
  // Every output may be null. An iteration count that does not read as an integer
  // comes out as -1, which VerifyPassword reports as a damaged record.
  bool LoadUser(const wxString& username, AuthUser* user, wxString* hash, wxString* salt, int* iterations,
                wxString* error);
  // On success the account becomes the current user; a failure leaves the current
  // user as it was.
  bool Login(const wxString& username, const wxString& password, wxString* error);
  // Checks an administrator's password without touching the current user.
  bool VerifyAdministrator(const wxString& username, const wxString& password, wxString* error);
  // Logs in from the remembered record; any failure after the record was found
  // removes it.
  bool TryAutoLogin(wxString* error);

  bool ListUsers(std::vector<AuthUser>* users, wxString* error) override;
  bool CreateUser(const AuthUser& user, const wxString& password, wxString* error) override;
  bool UpdateUser(const wxString& username, const wxString& displayName, bool isAdmin, bool isActive,
                  const wxString& newPassword, wxString* error, int expectedVersion) override;
  bool GetAutoLoginUser(AuthUser* user, wxString* error) override;
  bool EnableAutoLogin(const wxString& username, const wxString& password, wxString* error) override;
  void DisableAutoLogin() override;
  bool IsAutoLoginEnabled() override;
  bool IsAdministrator() override;
  std::vector<AuthPermission> GetPermissionCatalogue() override;
  bool ListRoles(std::vector<AuthRole>* roles, wxString* error) override;
  bool CreateRole(const wxString& roleName, wxString* newRoleKey, wxString* error) override;
  bool DeleteRole(const wxString& roleKey, wxString* error) override;
  bool GetRolePermissions(const wxString& roleKey, std::vector<wxString>* keys, wxString* error) override;
  bool SetRolePermissions(const wxString& roleKey, const std::vector<wxString>& keys, wxString* error,
                          int expectedVersion) override;
  bool GetUserRole(const wxString& username, wxString* roleKey, wxString* error) override;
  bool SetUserRole(const wxString& username, const wxString& roleKey, wxString* error, int expectedVersion) override;

  // Read directly by the main window: the permission test, the title, the login dialog.
  SQLData* database = nullptr;
  AuthUser currentUser;
  bool loggedIn = false;

 private:
  class Unit;
  friend class Unit;

  bool CountUsers(long* count, wxString* error);
  // Steps the record version of one row (and its updated_at); with expectedVersion > 0
  // only when the row still has that version. False when no row changed.
  bool StepVersion(const wxString& table, const wxString& keyColumn, const wxString& key, int expectedVersion);
  // Every cell of the query row by row, with the database's error state cleared first
  // so that a failure's text is this query's.
  std::vector<wxString> Read(const wxString& sql);
  // Rows changed by a parameterised statement, or -1 with the reason in *failure (the
  // SQLite wrapper's exception or the engine's error text).
  int Execute(const wxString& sql, const std::vector<SqlValue>& params, wxString* failure);
  // Open transactions of this service; nested units join the outermost one.
  int transactionDepth_ = 0;
};
