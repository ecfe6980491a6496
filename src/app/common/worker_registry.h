// The list of running worker threads and the application's shutdown flag.
// Workers below the application shell register here and poll IsShuttingDown()
// at their checkpoints; the application installs itself as the registry.
#pragma once

#include <condition_variable>
#include <mutex>
#include <vector>

class wxThread;

namespace veldrix {

class IWorkerRegistry {
 public:
  virtual ~IWorkerRegistry() = default;
  // The starter registers a thread before it runs it; the thread leaves in its destructor.
  virtual void RegisterThread(wxThread* thread) = 0;
  virtual void UnregisterThread(wxThread* thread) = 0;
  virtual bool IsShuttingDown() const = 0;
  virtual void RequestShutdown() = 0;
};

// A thread list with its lock, the shutdown flag and the all-done signal; the
// application object owns one. The last thread to leave while a shutdown is under
// way clears the flag and posts the all-done signal once.
class WorkerRegistry : public IWorkerRegistry {
 public:
  void RegisterThread(wxThread* thread) override;
  void UnregisterThread(wxThread* thread) override;
  bool IsShuttingDown() const override;
  void RequestShutdown() override;
  std::size_t RunningCount() const;

  // Takes one all-done post, waiting at most `milliseconds`; false when none came.
  // Nothing in the program waits at shut-down; this is for tools and tests.
  bool WaitAllDone(int milliseconds);

 private:
  mutable std::mutex lock_;
  std::condition_variable allDoneSignal_;
  std::vector<wxThread*> threads_;
  bool shuttingDown_ = false;
  int allDonePosts_ = 0;
};

// The registry workers use: the one installed by the application, or a process-wide
// default when none is (tests, tools).
IWorkerRegistry& Workers();
void InstallWorkerRegistry(IWorkerRegistry* registry);

}  // namespace veldrix
