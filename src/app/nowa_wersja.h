// The update-check thread the main window starts once per program run: a worker
// thread of the application's worker list (app/common/worker_registry.h).
#pragma once

#include "app/common/worker_registry.h"

#include <wx/string.h>

class wxEvtHandler;

class NowaWersja : public veldrix::WorkerThread {
 public:
  // target receives the result as thread event 6000; version is the running
  // program's version text ("0.25.9.a").
  NowaWersja(wxEvtHandler* target, const wxString& version);

  // Registers the thread, creates and runs it; false when it cannot start.
  static bool Start(wxEvtHandler* target, const wxString& version);

  const wxString& RunningVersion() const { return version_; }

 protected:
  ExitCode Entry() override;

 private:
  wxEvtHandler* target_;
  wxString version_;
};
