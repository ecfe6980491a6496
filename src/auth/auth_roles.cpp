// The role and permission operations of AuthService.
#include "app/common/i18n.h"
#include "auth/auth_service.h"
#include "auth/auth_service_internal.h"
#include "auth/permission_catalogue.h"
#include "sqldata/sql_literals.h"

#include <atomic>
#include <cstdint>
#include <ctime>
#include <set>

using auth_detail::CellFlag;
using auth_detail::CellInt;
using auth_detail::CellLong;
using auth_detail::Guarded;
using auth_detail::ReadExists;
using auth_detail::StaleUserText;
using auth_detail::Trimmed;

namespace {

const char kAdministratorRole[] = "administrator";

// Makes keys of roles created in the same second differ; never reset while the
// program runs.
std::atomic<std::uint32_t> roleKeyCounter{0};

}  // namespace

std::vector<AuthPermission> AuthService::GetPermissionCatalogue() { return BuildPermissionCatalogue(); }

bool AuthService::ListRoles(std::vector<AuthRole>* roles, wxString* error) {
  if (!roles) return false;
  return Guarded(error, [&] {
    roles->clear();
    if (!CheckDatabase(error)) return false;
    const std::vector<wxString> cells =
        Read("SELECT role_key, role_name, is_system, coalesce(wersja_rekordu,1) FROM veldrix_roles ORDER BY role_name");
    if (cells.size() % 4 != 0) {
      if (error) *error = _("Nie można odczytać listy ról.");
      return false;
    }
    for (size_t i = 0; i < cells.size(); i += 4) {
      AuthRole role;
      role.role_key = cells[i];
      role.role_name = cells[i + 1];
      role.is_system = CellFlag(cells[i + 2]);
      role.version = CellInt(cells[i + 3], 1);
      roles->push_back(role);
    }
    return true;
  });
}

bool AuthService::CreateRole(const wxString& roleName, wxString* newRoleKey, wxString* error) {
  return Guarded(error, [&] {
    if (!CheckDatabase(error)) return false;
    const wxString name = Trimmed(roleName);
    if (name.empty()) {
      if (error) *error = _("Nazwa roli jest wymagana.");
      return false;
    }
    bool taken = false;
    if (!ReadExists(*database, "SELECT role_key FROM veldrix_roles WHERE role_name='" + EscapeSqlText(name) + "'",
                    &taken, _("Nie można odczytać listy ról."), error)) {
      return false;
    }
    if (taken) {
      if (error) *error = _("Rola o takiej nazwie już istnieje.");
      return false;
    }
    const std::uint32_t serial = ++roleKeyCounter;
    const wxString key = wxString::Format("rola_%lld_%lu", static_cast<long long>(std::time(nullptr)),
                                          static_cast<unsigned long>(serial));
    if (Execute("INSERT INTO veldrix_roles (role_key, role_name, is_system) VALUES (?, ?, ?)", {key, name, false},
                nullptr) <= 0) {
      if (error) *error = _("Nie można utworzyć roli.");
      return false;
    }
    if (newRoleKey) *newRoleKey = key;
    return true;
  });
}

bool AuthService::DeleteRole(const wxString& roleKey, wxString* error) {
  return Guarded(error, [&] {
    if (!CheckDatabase(error)) return false;
    const wxString key = EscapeSqlText(roleKey);
    const std::vector<wxString> cells = Read("SELECT is_system FROM veldrix_roles WHERE role_key='" + key + "'");
    if (cells.empty()) {
      if (error) *error = _("Nie znaleziono roli.");
      return false;
    }
    if (CellLong(cells[0]) != 0) {
      if (error) *error = _("Nie można usunąć roli systemowej.");
      return false;
    }
    bool assigned = false;
    if (!ReadExists(*database, "SELECT username FROM veldrix_user_roles WHERE role_key='" + key + "'", &assigned,
                    _("Nie można usunąć roli."), error)) {
      return false;
    }
    if (assigned) {
      if (error) *error = _("Nie można usunąć roli przypisanej do użytkownika.");
      return false;
    }
    const wxString failureText = _("Nie można usunąć roli.");
    Unit unit(*this);
    if (!unit.Begun(error, failureText)) return false;
    const int permissions = database->DeleteData("DELETE FROM veldrix_role_permissions WHERE role_key='" + key + "'");
    const int roles = database->DeleteData("DELETE FROM veldrix_roles WHERE role_key='" + key + "'");
    if (permissions < 0 || roles < 1) {
      if (error) *error = failureText;
      return false;
    }
    return unit.Commit(error, failureText);
  });
}

bool AuthService::GetRolePermissions(const wxString& roleKey, std::vector<wxString>* keys, wxString* error) {
  if (!keys) return false;
  // A failed read is an empty list, as for a role without permissions; the error
  // argument is never written.
  return Guarded(nullptr, [&] {
    keys->clear();
    if (!database) return true;
    *keys = Read("SELECT permission_key FROM veldrix_role_permissions WHERE role_key='" + EscapeSqlText(roleKey) +
                 "' ORDER BY permission_key");
    return true;
  });
}

bool AuthService::SetRolePermissions(const wxString& roleKey, const std::vector<wxString>& keys, wxString* error,
                                     int expectedVersion) {
  return Guarded(error, [&] {
    if (roleKey == kAdministratorRole) {
      if (error) *error = _("Administrator zawsze ma wszystkie uprawnienia.");
      return false;
    }
    if (!CheckDatabase(error)) return false;
    std::set<wxString> catalogue;
    for (const AuthPermission& permission : BuildPermissionCatalogue()) catalogue.insert(permission.key);

    const wxString failureText = _("Nie można zapisać uprawnień roli.");
    Unit unit(*this);
    if (!unit.Begun(error, failureText)) return false;
    if (database->DeleteData("DELETE FROM veldrix_role_permissions WHERE role_key='" + EscapeSqlText(roleKey) + "'") <
        0) {
      if (error) *error = failureText;
      return false;
    }
    // The table has no key over (role, permission); a key given twice would be stored
    // twice and show up twice in the role's list.
    std::set<wxString> stored;
    for (const wxString& key : keys) {
      if (catalogue.count(key) == 0 || !stored.insert(key).second) continue;
      if (Execute("INSERT INTO veldrix_role_permissions (role_key, permission_key) VALUES (?, ?)", {roleKey, key},
                  nullptr) <= 0) {
        if (error) *error = failureText;
        return false;
      }
    }
    if (!StepVersion("veldrix_roles", "role_key", roleKey, expectedVersion)) {
      if (error) {
        *error = expectedVersion > 0
                     ? _("Ta rola została zmieniona przez innego użytkownika. Odśwież listę i spróbuj ponownie.")
                     : failureText;
      }
      return false;
    }
    return unit.Commit(error, failureText);
  });
}

bool AuthService::GetUserRole(const wxString& username, wxString* roleKey, wxString* error) {
  return Guarded(error, [&] {
    if (!CheckDatabase(error)) return false;
    const std::vector<wxString> cells =
        Read("SELECT role_key FROM veldrix_user_roles WHERE username='" + EscapeSqlText(username) + "'");
    if (cells.empty()) {
      if (error) *error = _("Użytkownik nie ma przypisanej roli.");
      return false;
    }
    if (roleKey) *roleKey = cells[0];
    return true;
  });
}

bool AuthService::SetUserRole(const wxString& username, const wxString& roleKey, wxString* error,
                              int expectedVersion) {
  return Guarded(error, [&] {
    if (!CheckDatabase(error)) return false;
    bool exists = false;
    if (!ReadExists(*database, "SELECT role_key FROM veldrix_roles WHERE role_key='" + EscapeSqlText(roleKey) + "'",
                    &exists, _("Nie można odczytać listy ról."), error)) {
      return false;
    }
    if (!exists) {
      if (error) *error = _("Wybrana rola nie istnieje.");
      return false;
    }
    AuthUser account;
    if (!LoadUser(username, &account, nullptr, nullptr, nullptr, error)) return false;
    if (account.is_admin && roleKey != kAdministratorRole) {
      if (error) *error = _("Konto administratora musi mieć rolę Administrator.");
      return false;
    }
    if (!account.is_admin && roleKey == kAdministratorRole) {
      if (error) *error = _("Rola Administrator jest przeznaczona tylko dla kont administratorów.");
      return false;
    }

    const wxString failureText = _("Nie można zmienić roli użytkownika.");
    Unit unit(*this);
    if (!unit.Begun(error, failureText)) return false;
    // A role change counts as a change of the account: it steps the row's version.
    if (!StepVersion("veldrix_users", "username", username, expectedVersion)) {
      if (error) {
        *error = expectedVersion > 0 ? StaleUserText() : failureText;
      }
      return false;
    }
    if (database->DeleteData("DELETE FROM veldrix_user_roles WHERE username='" + EscapeSqlText(username) + "'") < 0) {
      if (error) *error = failureText;
      return false;
    }
    if (Execute("INSERT INTO veldrix_user_roles (username, role_key) VALUES (?, ?)", {username, roleKey}, nullptr) <=
        0) {
      if (error) *error = _("Nie można przypisać roli użytkownikowi.");
      return false;
    }
    if (!unit.Commit(error, failureText)) return false;
    if (loggedIn && account.username == currentUser.username) {
      currentUser.version = (expectedVersion > 0 ? expectedVersion : account.version) + 1;
    }
    return true;
  });
}
