#include "app/nowa_wersja.h"

NowaWersja::NowaWersja(wxEvtHandler* target, const wxString& version) : target_(target), version_(version) {}

bool NowaWersja::Start(wxEvtHandler* target, const wxString& version) {
  return veldrix::StartWorker(new NowaWersja(target, version)) == wxTHREAD_NO_ERROR;
}

wxThread::ExitCode NowaWersja::Entry() {
  // The request to the update server and event 6000 are not part of this build yet:
  // the window keeps its "Sprawdzanie aktualizacji..." status.
  return static_cast<ExitCode>(nullptr);
}
