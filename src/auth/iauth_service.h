// The users, roles and permissions service as the program and the module libraries
// see it. The order of the operations, their arguments and the records are a binary
// contract with separately built modules: append nothing in the middle, reorder nothing.
#pragma once

#include <wx/string.h>

#include <vector>

struct AuthUser {
  wxString username;
  wxString display_name;
  bool is_admin = false;
  bool is_active = false;
  int version = 0;
};

struct AuthRole {
  wxString role_key;
  wxString role_name;
  bool is_system = false;
  int version = 0;
};

struct AuthPermission {
  wxString key;
  wxString label;
  wxString group;
};

// Every error argument may be null. An expectedVersion of 0 or less is not compared.
class IAuthService {
 public:
  virtual ~IAuthService() = default;
  virtual bool ListUsers(std::vector<AuthUser>* users, wxString* error) = 0;
  virtual bool CreateUser(const AuthUser& user, const wxString& password, wxString* error) = 0;
  virtual bool UpdateUser(const wxString& username, const wxString& displayName, bool isAdmin, bool isActive,
                          const wxString& newPassword, wxString* error, int expectedVersion) = 0;
  virtual bool GetAutoLoginUser(AuthUser* user, wxString* error) = 0;
  virtual bool EnableAutoLogin(const wxString& username, const wxString& password, wxString* error) = 0;
  virtual void DisableAutoLogin() = 0;
  virtual bool IsAutoLoginEnabled() = 0;
  virtual bool IsAdministrator() = 0;
  virtual std::vector<AuthPermission> GetPermissionCatalogue() = 0;
  virtual bool ListRoles(std::vector<AuthRole>* roles, wxString* error) = 0;
  virtual bool CreateRole(const wxString& roleName, wxString* newRoleKey, wxString* error) = 0;
  virtual bool DeleteRole(const wxString& roleKey, wxString* error) = 0;
  virtual bool GetRolePermissions(const wxString& roleKey, std::vector<wxString>* keys, wxString* error) = 0;
  virtual bool SetRolePermissions(const wxString& roleKey, const std::vector<wxString>& keys, wxString* error,
                                  int expectedVersion) = 0;
  virtual bool GetUserRole(const wxString& username, wxString* roleKey, wxString* error) = 0;
  virtual bool SetUserRole(const wxString& username, const wxString& roleKey, wxString* error,
                           int expectedVersion) = 0;
};
