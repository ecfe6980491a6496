// The update-check thread the main window starts once per program run: a worker
// thread of the application's worker list (app/common/worker_registry.h). Its answer
// reaches the window as thread event 6000.
#pragma once

#include "app/common/worker_registry.h"

#include <wx/string.h>

#include <memory>
#include <mutex>

class wxEvtHandler;
class wxThreadEvent;

// Where the answer goes. The window forgets it in its destructor, so a check that
// ends after the window is gone queues nothing.
class UpdateCheckTarget {
 public:
  explicit UpdateCheckTarget(wxEvtHandler* target) : target_(target) {}
  void Forget();
  // Queues a copy of the event to the target, if it is still there.
  void Post(const wxThreadEvent& event);

 private:
  std::mutex lock_;
  wxEvtHandler* target_;
};

class NowaWersja : public veldrix::WorkerThread {
 public:
  // version is the running program's version text ("0.25.9.a"); url the update
  // server's "/update/" address.
  NowaWersja(std::shared_ptr<UpdateCheckTarget> target, const wxString& version, const wxString& url);

  // Registers the thread, creates and runs it; false when it cannot start.
  static bool Start(std::shared_ptr<UpdateCheckTarget> target, const wxString& version, const wxString& url);

  const wxString& RunningVersion() const { return version_; }

 protected:
  ExitCode Entry() override;

 private:
  std::shared_ptr<UpdateCheckTarget> target_;
  wxString version_;
  wxString url_;
};
