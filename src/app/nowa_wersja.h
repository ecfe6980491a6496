// The update-check thread the main window starts once per program run. It takes
// part in the application's worker list: registered by its starter before it runs,
// removed in its destructor.
#pragma once

#include <wx/string.h>
#include <wx/thread.h>

class wxEvtHandler;

class NowaWersja : public wxThread {
 public:
  // target receives the result as thread event 6000; version is the running
  // program's version text ("0.25.9.a").
  NowaWersja(wxEvtHandler* target, const wxString& version);
  ~NowaWersja() override;

  // Registers the thread, creates and runs it; on failure the thread is deleted and
  // unregistered and false is returned.
  static bool Start(wxEvtHandler* target, const wxString& version);

  const wxString& RunningVersion() const { return version_; }

 protected:
  ExitCode Entry() override;

 private:
  wxEvtHandler* target_;
  wxString version_;
};
