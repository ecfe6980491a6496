#include "sqldata/save_failure_text.h"

#include "app/common/failure_notice.h"
#include "app/common/i18n.h"
#include "sqldata/sql_data.h"

wxString SaveFailureText(const SQLData& db, const wxString& error) {
  // A deadlock that came back after the one retry: to the user, as a lock wait,
  // another workstation saving the same data at the same moment.
  if (db.LastFailureWasRowLock() || db.LastFailureWasDeadlock()) {
    return veldrix::FailureText(_("Ten rekord jest właśnie zapisywany na innym stanowisku. Spróbuj ponownie za chwilę."),
                                db.ErrorReason());
  }
  switch (db.LastConnectionFailure()) {
    case ConnectionFailure::Lost:
      return veldrix::FailureText(
          _("Połączenie z serwerem bazy danych zostało przerwane. Zmiany nie zostały zapisane; spróbuj ponownie."),
          db.ErrorReason());
    case ConnectionFailure::Unknown:
      return veldrix::FailureText(
          _("Połączenie z serwerem bazy danych zostało przerwane w chwili zapisu. Nie wiadomo, czy zmiany zostały "
            "zapisane: odśwież dane i sprawdź je, zanim zapiszesz je ponownie."),
          db.ErrorReason());
    case ConnectionFailure::None:
      break;
  }
  return error;
}

wxString ReadFailureText(const SQLData& db, const wxString& error) {
  if (db.LastConnectionFailure() == ConnectionFailure::None) return error;
  return veldrix::FailureText(_("Połączenie z serwerem bazy danych zostało przerwane. Spróbuj ponownie za chwilę."),
                              db.ErrorReason());
}
