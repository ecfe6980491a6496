// The list of running worker threads and the application's shutdown flag.
// Workers below the application shell register here and poll IsShuttingDown()
// at their checkpoints; the application installs itself as the registry.
#pragma once

#include <mutex>
#include <vector>

class wxThread;

namespace veldrix {

class IWorkerRegistry {
 public:
  virtual ~IWorkerRegistry() = default;
  virtual void RegisterThread(wxThread* thread) = 0;
  virtual void UnregisterThread(wxThread* thread) = 0;
  virtual bool IsShuttingDown() const = 0;
  virtual void RequestShutdown() = 0;
};

// A thread list with its lock and the shutdown flag; the application object owns one.
class WorkerRegistry : public IWorkerRegistry {
 public:
  void RegisterThread(wxThread* thread) override;
  void UnregisterThread(wxThread* thread) override;
  bool IsShuttingDown() const override;
  void RequestShutdown() override;
  std::size_t RunningCount() const;

 private:
  mutable std::mutex lock_;
  std::vector<wxThread*> threads_;
  bool shuttingDown_ = false;
};

// The registry workers use: the one installed by the application, or a process-wide
// default when none is (tests, tools).
IWorkerRegistry& Workers();
void InstallWorkerRegistry(IWorkerRegistry* registry);

}  // namespace veldrix
