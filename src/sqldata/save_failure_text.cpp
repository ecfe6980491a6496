#include "sqldata/save_failure_text.h"

#include "app/common/i18n.h"
#include "sqldata/sql_data.h"

wxString SaveFailureText(const SQLData& db, const wxString& error) {
  // A deadlock that came back after the one retry: to the user, as a lock wait,
  // another workstation saving the same data at the same moment.
  if (db.LastFailureWasRowLock() || db.LastFailureWasDeadlock()) {
    return _("Ten rekord jest właśnie zapisywany na innym stanowisku. Spróbuj ponownie za chwilę.") + "\n\n" +
           db.ErrorReason();
  }
  switch (db.LastConnectionFailure()) {
    case ConnectionFailure::Lost:
      return _("Połączenie z serwerem bazy danych zostało przerwane. Zmiany nie zostały zapisane; spróbuj ponownie.") +
             "\n\n" + db.ErrorReason();
    case ConnectionFailure::Unknown:
      return _("Połączenie z serwerem bazy danych zostało przerwane w chwili zapisu. Nie wiadomo, czy zmiany zostały "
               "zapisane: odśwież dane i sprawdź je, zanim zapiszesz je ponownie.") +
             "\n\n" + db.ErrorReason();
    case ConnectionFailure::None:
      break;
  }
  return error;
}

wxString ReadFailureText(const SQLData& db, const wxString& error) {
  if (db.LastConnectionFailure() == ConnectionFailure::None) return error;
  return _("Połączenie z serwerem bazy danych zostało przerwane. Spróbuj ponownie za chwilę.") + "\n\n" +
         db.ErrorReason();
}
