// The database worker: the one thread that creates or upgrades a program database
// from the scripts, in one transaction, reporting to the window or event loop
// that started it through DbWorkerEvent (wxEVT_THREAD, id 9099).
#pragma once

#include "app/common/worker_registry.h"

#include <wx/event.h>
#include <wx/string.h>

// Id of the worker's thread events. The event's int is the progress (0 to 10000;
// 10000 ends the run, 9999 is sent while the last statement runs), its string the
// text, its extra long the kind.
constexpr int DbWorkerEventId = 9099;
constexpr int DbWorkerProgressEnd = 10000;

enum DbWorkerEventKind : long {
  DbWorkerStatus = 0,
  DbWorkerInformation = 1,
  DbWorkerError = 2,
  DbWorkerEndedQuietly = 3,  // ended with nothing to report
};

// Queues a DbWorkerEvent to the sink; nothing with a null sink.
void PostDbWorkerEvent(wxEvtHandler* sink, int progress, const wxString& text, long kind);

// Creates (update false) or upgrades (update true) the database named by a SQLite
// file path or a connection string. A worker thread (app/common/worker_registry.h):
// in the worker registry while it runs, joined and deleted by it when done. It
// stops at the next statement when the application shuts down and rolls back.
class MyThread : public veldrix::WorkerThread {
 public:
  MyThread(wxEvtHandler* sink, bool update, const wxString& database);

 protected:
  ExitCode Entry() override;

 private:
  bool StopRequested();
  void Send(int progress, const wxString& text, long kind);
  void RunCreate();
  void RunUpdate();

  wxEvtHandler* sink_;
  wxString database_;
  wxString engine_;
  bool update_;
};

// Starts a worker; null when the thread cannot be started. The caller never deletes
// the thread, nor uses the pointer after the final event.
MyThread* StartDbWorker(wxEvtHandler* sink, bool update, const wxString& database);

