// Pieces shared by the source files of AuthService: its transaction unit, the guard
// that keeps exceptions inside the service, and small cell readers.
#pragma once

#include "app/common/i18n.h"
#include "auth/auth_service.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"

#include <wx/wxsqlite3.h>

#include <climits>
#include <exception>
#include <utility>

// One transaction of the service. A unit opened while another is open joins it, so an
// operation called from inside another (SetUserRole from CreateUser) commits or rolls
// back with the outer one. A unit that is neither committed nor rolled back when it
// goes out of scope rolls back.
class AuthService::Unit {
 public:
  explicit Unit(AuthService& service) : service_(service), owner_(service.transactionDepth_ == 0) {
    if (owner_) {
      service_.database->StartTransaction();
      begun_ = !service_.database->errorFlag;
    }
    ++service_.transactionDepth_;
  }
  ~Unit() {
    Rollback();
    --service_.transactionDepth_;
  }
  Unit(const Unit&) = delete;
  Unit& operator=(const Unit&) = delete;

  // False when the transaction could not begin: running the statements anyway would
  // leave half of them applied on a failure.
  bool Begun(wxString* error, const wxString& failureText) const {
    if (begun_) return true;
    if (error) *error = FailureText(failureText);
    return false;
  }

  // A failed commit is rolled back and reported; it is never taken for success.
  bool Commit(wxString* error, const wxString& failureText) {
    if (done_) return false;
    done_ = true;
    if (!owner_) return true;
    service_.database->errorFlag = false;
    service_.database->lastError.clear();
    service_.database->CommitTransaction();
    if (!service_.database->errorFlag) return true;
    if (error) *error = FailureText(failureText);
    service_.database->RollbackTransaction();
    return false;
  }

  void Rollback() {
    if (done_) return;
    done_ = true;
    if (owner_ && begun_) service_.database->RollbackTransaction();
  }

 private:
  // The database's reason for a failed begin or commit, or failureText.
  wxString FailureText(const wxString& failureText) const {
    const SQLData& db = *service_.database;
    return SaveFailureText(db, db.lastError.empty() ? failureText : db.lastError);
  }

  AuthService& service_;
  bool owner_;
  bool begun_ = true;
  bool done_ = false;
};

namespace auth_detail {

// Runs an operation's body so that no exception leaves the service: its callers are
// module libraries. The message becomes the operation's error text.
template <typename Body>
bool Guarded(wxString* error, Body&& body) {
  try {
    return std::forward<Body>(body)();
  } catch (const wxSQLite3Exception& e) {
    if (error) *error = e.GetMessage();
  } catch (const std::exception& e) {
    if (error) *error = wxString::FromUTF8(e.what());
  }
  return false;
}

inline long CellLong(const wxString& cell, long fallback = 0) {
  long value = 0;
  return cell.ToLong(&value) ? value : fallback;
}

inline bool CellFlag(const wxString& cell) { return CellLong(cell) != 0; }

inline int CellInt(const wxString& cell, int fallback) {
  long value = 0;
  if (!cell.ToLong(&value) || value < INT_MIN || value > INT_MAX) return fallback;
  return static_cast<int>(value);
}

inline wxString Trimmed(wxString text) { return text.Trim(true).Trim(false); }

// The account list, one row of five cells per account.
inline const char kUserListQuery[] =
    "SELECT username, display_name, is_admin, is_active, coalesce(wersja_rekordu,1) FROM veldrix_users "
    "ORDER BY username";

// The account whose five cells of kUserListQuery start at first.
inline AuthUser UserFromRow(const std::vector<wxString>& cells, size_t first) {
  AuthUser user;
  user.username = cells[first];
  user.display_name = cells[first + 1];
  user.is_admin = CellFlag(cells[first + 2]);
  user.is_active = CellFlag(cells[first + 3]);
  user.version = CellInt(cells[first + 4], 1);
  return user;
}

// Why the user table could not be read: the database's reason, or a general text.
inline wxString UnreadableUsersText(const SQLData& database) {
  return ReadFailureText(database,
                         database.lastError.empty() ? _("Nie można odczytać użytkowników.") : database.lastError);
}

// Whether the query gives a row, in *found; false, with the reason in *error (or
// otherText when the connection is not to blame), when it could not be read.
inline bool ReadExists(SQLData& database, const wxString& sql, bool* found, const wxString& otherText,
                       wxString* error) {
  if (database.IsExistsData(sql, found)) return true;
  if (error) *error = ReadFailureText(database, otherText);
  return false;
}

inline wxString StaleUserText() {
  return _("Ten użytkownik został zmieniony przez innego użytkownika. Odśwież listę i spróbuj ponownie.");
}

}  // namespace auth_detail
