// The list of running worker threads and the application's shutdown flag.
// Workers below the application shell register here and poll IsShuttingDown()
// at their checkpoints; the application installs itself as the registry. Before
// the GUI library is torn down, whoever tears it down waits here (WaitUntilIdle)
// until every worker has left it completely.
#pragma once

#include <wx/thread.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace veldrix {

class IWorkerRegistry {
 public:
  virtual ~IWorkerRegistry() = default;
  // The starter registers a thread before it runs it. A detached thread leaves in
  // its destructor; a WorkerThread reports ThreadFinished once its Entry has
  // returned, and the registry then joins and deletes it.
  virtual void RegisterThread(wxThread* thread) = 0;
  virtual void UnregisterThread(wxThread* thread) = 0;
  virtual void ThreadFinished(wxThread* thread) = 0;
  virtual bool IsShuttingDown() const = 0;
  virtual void RequestShutdown() = 0;
  // Waits until no thread is registered, at most `milliseconds`, then joins every
  // finished WorkerThread, so that none is still on its way out of the library.
  // false when some thread is still running.
  virtual bool WaitUntilIdle(int milliseconds) = 0;
};

// A worker thread of the program. Joinable underneath, so that its end can be
// waited for completely (a detached thread still runs library code after its last
// hook, while the process may already be tearing the library down), but nobody
// joins or deletes it by hand: StartWorker registers and runs it, and the registry
// it was started in joins and deletes it after its Entry has returned, at the next
// start or wait at the latest.
class WorkerThread : public wxThread {
 public:
  WorkerThread() : wxThread(wxTHREAD_JOINABLE) {}

 protected:
  void OnExit() override;

 private:
  friend wxThreadError StartWorker(WorkerThread* thread);
  IWorkerRegistry* registry_ = nullptr;
};

// Creates, registers and runs the thread in Workers(); on failure the thread is
// deleted and the error returned.
wxThreadError StartWorker(WorkerThread* thread);

// A thread list with its lock, the shutdown flag and the all-done signal; the
// application object owns one. The last thread to leave while a shutdown is under
// way clears the flag and posts the all-done signal once.
class WorkerRegistry : public IWorkerRegistry {
 public:
  void RegisterThread(wxThread* thread) override;
  void UnregisterThread(wxThread* thread) override;
  void ThreadFinished(wxThread* thread) override;
  bool IsShuttingDown() const override;
  void RequestShutdown() override;
  bool WaitUntilIdle(int milliseconds) override;
  std::size_t RunningCount() const;

  // Takes one all-done post, waiting at most `milliseconds`; false when none came.
  // Nothing in the program waits at shut-down; this is for tools and tests.
  bool WaitAllDone(int milliseconds);

 private:
  // Removes the thread from the running list; with the lock held.
  void LeaveLocked(wxThread* thread);
  // Joins and deletes the finished WorkerThreads; never on one of them.
  void ReapFinished();

  mutable std::mutex lock_;
  std::condition_variable allDoneSignal_;
  std::condition_variable idle_;
  std::vector<wxThread*> threads_;
  std::vector<wxThread*> finished_;  // WorkerThreads past their Entry, not yet joined
  bool shuttingDown_ = false;
  int allDonePosts_ = 0;
};

// The registry workers use: the one installed by the application, or a process-wide
// default when none is (tests, tools).
IWorkerRegistry& Workers();
void InstallWorkerRegistry(IWorkerRegistry* registry);

}  // namespace veldrix
