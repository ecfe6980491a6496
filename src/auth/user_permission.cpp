#include "auth/user_permission.h"

#include "auth/auth_service.h"
#include "sqldata/sql_data.h"
#include "sqldata/sql_literals.h"

wxString UserPermissionSql(const wxString& username, const wxString& key) {
  return "SELECT rp.permission_key FROM veldrix_user_roles ur JOIN veldrix_role_permissions rp ON "
         "rp.role_key=ur.role_key WHERE ur.username='" +
         EscapeSqlText(username) + "' AND rp.permission_key='" + EscapeSqlText(key) + "'";
}

bool UserHasPermission(const AuthService* service, const wxString& key) {
  if (!service || !service->loggedIn) return false;
  if (service->currentUser.is_admin) return true;
  if (key.empty() || !service->database) return false;
  return service->database->IsExistsData(UserPermissionSql(service->currentUser.username, key));
}
