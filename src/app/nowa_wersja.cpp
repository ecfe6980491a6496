#include "app/nowa_wersja.h"

#include "app/common/worker_registry.h"

NowaWersja::NowaWersja(wxEvtHandler* target, const wxString& version)
    : wxThread(wxTHREAD_DETACHED), target_(target), version_(version) {}

NowaWersja::~NowaWersja() { veldrix::Workers().UnregisterThread(this); }

bool NowaWersja::Start(wxEvtHandler* target, const wxString& version) {
  auto* thread = new NowaWersja(target, version);
  veldrix::Workers().RegisterThread(thread);
  if (thread->Create() != wxTHREAD_NO_ERROR || thread->Run() != wxTHREAD_NO_ERROR) {
    // A detached thread that never ran is deleted by hand; its destructor unregisters.
    delete thread;
    return false;
  }
  return true;
}

wxThread::ExitCode NowaWersja::Entry() {
  // The request to the update server and event 6000 are not part of this build yet:
  // the window keeps its "Sprawdzanie aktualizacji..." status.
  return static_cast<ExitCode>(nullptr);
}
