#include "dbsetup/initial_database.h"

#include "app/common/i18n.h"
#include "dbsetup/db_worker.h"

#include <wx/evtloop.h>

bool PrepareInitialDatabase(const wxString& sqliteFile, wxString* error) {
  wxEvtHandler handler;
  wxEventLoop loop;
  bool done = false;
  bool succeeded = false;
  wxString message;

  const auto onWorkerEvent = [&](wxThreadEvent& event) {
    if (event.GetInt() < DbWorkerProgressEnd) return;
    succeeded = event.GetExtraLong() != DbWorkerError;
    message = event.GetString();
    done = true;
    if (wxEventLoopBase::GetActive() == &loop) loop.Exit();
  };
  handler.Bind(wxEVT_THREAD, onWorkerEvent, DbWorkerEventId);

  if (!StartDbWorker(&handler, false, sqliteFile)) {
    handler.Unbind(wxEVT_THREAD, onWorkerEvent, DbWorkerEventId);
    if (error) *error = _("Nie udało się uruchomić przygotowania początkowej bazy programu.");
    return false;
  }
  if (!done) loop.Run();
  handler.Unbind(wxEVT_THREAD, onWorkerEvent, DbWorkerEventId);

  if (!succeeded && error) {
    *error = message.empty() ? _("Nie udało się przygotować początkowej bazy programu.") : message;
  }
  return succeeded;
}
