#include "auth/auth_service.h"

#include "app/common/i18n.h"
#include "auth/auth_service_internal.h"
#include "auth/password_record.h"
#include "sqldata/sql_literals.h"

using auth_detail::CellFlag;
using auth_detail::CellInt;
using auth_detail::Guarded;
using auth_detail::StaleUserText;
using auth_detail::Trimmed;
using auth_detail::UnreadableUsersText;

AuthService::AuthService(SQLData* database) : database(database) {}

void AuthService::SetDatabase(SQLData* newDatabase) {
  database = newDatabase;
  Logout();
}

void AuthService::Logout() {
  currentUser = AuthUser();
  loggedIn = false;
}

bool AuthService::CheckDatabase(wxString* error) {
  if (database) return true;
  if (error) *error = _("Brak połączenia z bazą danych.");
  return false;
}

std::vector<wxString> AuthService::Read(const wxString& sql) {
  database->errorFlag = false;
  database->lastError.clear();
  const wxArrayString cells = database->FrameData(sql);
  return std::vector<wxString>(cells.begin(), cells.end());
}

int AuthService::Execute(const wxString& sql, const std::vector<SqlValue>& params, wxString* failure) {
  database->errorFlag = false;
  database->lastError.clear();
  try {
    const SqlExecResult result = database->ExecPrepared(sql, params);
    if (!database->errorFlag) return result.changes;
    if (failure) *failure = SaveFailureText(*database, database->lastError);
  } catch (const wxSQLite3Exception& e) {
    if (failure) *failure = e.GetMessage();
  }
  return -1;
}

bool AuthService::StepVersion(const wxString& table, const wxString& keyColumn, const wxString& key,
                              int expectedVersion) {
  wxString sql = "UPDATE " + table +
                 " SET wersja_rekordu=coalesce(wersja_rekordu,1)+1, updated_at=CURRENT_TIMESTAMP WHERE " + keyColumn +
                 "=?";
  std::vector<SqlValue> params = {key};
  if (expectedVersion > 0) {
    sql += " AND coalesce(wersja_rekordu,1)=?";
    params.emplace_back(expectedVersion);
  }
  return Execute(sql, params, nullptr) > 0;
}

bool AuthService::CountUsers(long* count, wxString* error) {
  if (!CheckDatabase(error)) return false;
  const std::vector<wxString> cells = Read("SELECT COUNT(*) FROM veldrix_users");
  if (cells.empty() || !cells[0].ToLong(count)) {
    if (error) *error = UnreadableUsersText(*database);
    return false;
  }
  return true;
}

bool AuthService::HasUsers(wxString* error) {
  return Guarded(error, [&] {
    long count = 0;
    return CountUsers(&count, error) && count > 0;
  });
}

bool AuthService::LoadUser(const wxString& username, AuthUser* user, wxString* hash, wxString* salt,
                           int* iterations, wxString* error) {
  return Guarded(error, [&] {
    if (!CheckDatabase(error)) return false;
    const std::vector<wxString> cells =
        Read("SELECT username, display_name, password_hash, password_salt, password_iterations, is_admin, "
             "is_active, coalesce(wersja_rekordu,1) FROM veldrix_users WHERE username='" +
             EscapeSqlText(username) + "'");
    if (cells.size() < 8) {
      // A read that failed (the server gone, say) is no verdict on the password.
      if (error) {
        *error = database->errorFlag ? UnreadableUsersText(*database) : _("Nieprawidłowy użytkownik lub hasło.");
      }
      return false;
    }
    if (user) {
      user->username = cells[0];
      user->display_name = cells[1];
      user->is_admin = CellFlag(cells[5]);
      user->is_active = CellFlag(cells[6]);
      user->version = CellInt(cells[7], 1);
    }
    if (hash) *hash = cells[2];
    if (salt) *salt = cells[3];
    if (iterations) *iterations = CellInt(cells[4], -1);
    return true;
  });
}

bool AuthService::Login(const wxString& username, const wxString& password, wxString* error) {
  AuthUser account;
  wxString hash;
  wxString salt;
  int iterations = 0;
  // CreateUser stores names trimmed: a name pasted with a blank would otherwise
  // count as a failed attempt with the right password.
  if (!LoadUser(Trimmed(username), &account, &hash, &salt, &iterations, error)) return false;
  if (!account.is_active) {
    if (error) *error = _("Konto jest nieaktywne.");
    return false;
  }
  wxString verifyError;
  if (!VerifyPassword(password, hash, salt, iterations, &verifyError)) {
    if (error) *error = verifyError.empty() ? _("Nieprawidłowy użytkownik lub hasło.") : verifyError;
    return false;
  }
  currentUser = account;
  loggedIn = true;
  return true;
}

bool AuthService::VerifyAdministrator(const wxString& username, const wxString& password, wxString* error) {
  AuthUser account;
  wxString hash;
  wxString salt;
  int iterations = 0;
  if (!LoadUser(Trimmed(username), &account, &hash, &salt, &iterations, error)) return false;
  if (!account.is_active || !account.is_admin || !VerifyPassword(password, hash, salt, iterations, nullptr)) {
    if (error) *error = _("Nieprawidłowy użytkownik lub hasło administratora.");
    return false;
  }
  return true;
}

bool AuthService::IsAdministrator() { return loggedIn && currentUser.is_admin; }

bool AuthService::ListUsers(std::vector<AuthUser>* users, wxString* error) {
  if (!users) return false;
  return Guarded(error, [&] {
    users->clear();
    if (!CheckDatabase(error)) return false;
    const std::vector<wxString> cells = Read(auth_detail::kUserListQuery);
    if (cells.size() % 5 != 0) {
      if (error) *error = _("Nie można odczytać listy użytkowników.");
      return false;
    }
    for (size_t i = 0; i < cells.size(); i += 5) users->push_back(auth_detail::UserFromRow(cells, i));
    return true;
  });
}

bool AuthService::CreateUser(const AuthUser& user, const wxString& password, wxString* error) {
  return Guarded(error, [&] {
    if (!CheckDatabase(error)) return false;
    if (user.is_admin && !IsAdministrator()) {
      // Only an empty database lets a logged-out caller create an administrator, so a
      // table that cannot be read must not pass for an empty one.
      long count = 0;
      if (!CountUsers(&count, error)) return false;
      if (count > 0) {
        if (error) *error = _("Tylko administrator może tworzyc konta administratorow.");
        return false;
      }
    }
    const wxString login = Trimmed(user.username);
    const wxString display = Trimmed(user.display_name);
    if (login.empty() || display.empty()) {
      if (error) *error = _("Login i nazwa użytkownika są wymagane.");
      return false;
    }
    if (LoadUser(login, nullptr, nullptr, nullptr, nullptr, nullptr)) {
      if (error) *error = _("Użytkownik o takim loginie już istnieje.");
      return false;
    }
    wxString hash;
    wxString salt;
    int iterations = 0;
    if (!HashPassword(password, &hash, &salt, &iterations, error)) return false;

    // The account and its role are one change: an account without a role could log
    // in with no permissions defined and could not be created again under its name.
    const wxString failureText = _("Nie można dodać użytkownika.");
    Unit unit(*this);
    if (!unit.Begun(error, failureText)) return false;
    wxString failure;
    const int changed = Execute(
        "INSERT INTO veldrix_users (username, display_name, password_hash, password_salt, password_iterations, "
        "is_admin, is_active) VALUES (?, ?, ?, ?, ?, ?, ?)",
        {login, display, SqlValue::Secret(hash), SqlValue::Secret(salt), iterations, user.is_admin, user.is_active},
        &failure);
    if (changed <= 0) {
      if (error) *error = failure.empty() ? failureText : failure;
      return false;
    }
    if (!SetUserRole(login, user.is_admin ? "administrator" : "uzytkownik", error, 0)) return false;
    return unit.Commit(error, failureText);
  });
}

bool AuthService::UpdateUser(const wxString& username, const wxString& displayName, bool isAdmin, bool isActive,
                             const wxString& newPassword, wxString* error, int expectedVersion) {
  return Guarded(error, [&] {
    AuthUser stored;
    if (!LoadUser(username, &stored, nullptr, nullptr, nullptr, error)) return false;
    if (stored.is_admin && !IsAdministrator()) {
      if (error) *error = _("Tylko administrator może zmieniać konto administratora.");
      return false;
    }
    if (isAdmin != stored.is_admin && !IsAdministrator()) {
      if (error) *error = _("Tylko administrator może zmieniać status administratora.");
      return false;
    }
    // Both names are the stored spelling; ignoring case would take another account
    // on an engine that tells "Jan" from "jan" for the logged-in one.
    const bool ownAccount = loggedIn && stored.username == currentUser.username;
    if (ownAccount && (!isActive || (stored.is_admin && !isAdmin))) {
      if (error) *error = _("Nie można odebrać uprawnień ani dezaktywować aktualnego konta.");
      return false;
    }
    if (stored.is_admin && stored.is_active && (!isAdmin || !isActive)) {
      const std::vector<wxString> cells = Read("SELECT COUNT(*) FROM veldrix_users WHERE is_admin=1 AND is_active=1");
      long admins = 0;
      if (cells.empty() || !cells[0].ToLong(&admins)) {
        if (error) *error = _("Nie można sprawdźic administratorow.");
        return false;
      }
      if (admins < 2) {
        if (error) *error = _("Musi pozostać co najmniej jeden aktywny administrator.");
        return false;
      }
    }

    wxString sql =
        "UPDATE veldrix_users SET display_name=?, is_admin=?, is_active=?, "
        "wersja_rekordu=coalesce(wersja_rekordu,1)+1, updated_at=CURRENT_TIMESTAMP";
    std::vector<SqlValue> params = {displayName, isAdmin, isActive};
    if (!newPassword.empty()) {
      wxString hash;
      wxString salt;
      int iterations = 0;
      if (!HashPassword(newPassword, &hash, &salt, &iterations, error)) return false;
      sql += ", password_hash=?, password_salt=?, password_iterations=?";
      params.insert(params.end(), {SqlValue::Secret(hash), SqlValue::Secret(salt), iterations});
    }
    sql += " WHERE username=?";
    params.emplace_back(username);
    if (expectedVersion > 0) {
      sql += " AND coalesce(wersja_rekordu,1)=?";
      params.emplace_back(expectedVersion);
    }

    const wxString failureText = _("Nie zapisano zmian użytkownika.");
    Unit unit(*this);
    if (!unit.Begun(error, failureText)) return false;
    wxString failure;
    const int changed = Execute(sql, params, &failure);
    if (changed <= 0) {
      if (error) *error = !failure.empty() ? failure : expectedVersion > 0 ? StaleUserText() : failureText;
      return false;
    }
    const bool roleChanges = isAdmin != stored.is_admin;
    if (roleChanges && !SetUserRole(username, isAdmin ? "administrator" : "uzytkownik", error, 0)) return false;
    if (!unit.Commit(error, failureText)) return false;

    if (ownAccount) {
      currentUser.display_name = displayName;
      currentUser.is_admin = isAdmin;
      currentUser.is_active = isActive;
      // The role change steps the row a second time.
      currentUser.version = (expectedVersion > 0 ? expectedVersion : stored.version) + 1 + (roleChanges ? 1 : 0);
    }
    return true;
  });
}
