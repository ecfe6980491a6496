#include "app/common/worker_registry.h"

#include <algorithm>
#include <atomic>

namespace veldrix {

void WorkerRegistry::RegisterThread(wxThread* thread) {
  std::lock_guard<std::mutex> guard(lock_);
  threads_.push_back(thread);
}

void WorkerRegistry::UnregisterThread(wxThread* thread) {
  std::lock_guard<std::mutex> guard(lock_);
  threads_.erase(std::remove(threads_.begin(), threads_.end(), thread), threads_.end());
}

bool WorkerRegistry::IsShuttingDown() const {
  std::lock_guard<std::mutex> guard(lock_);
  return shuttingDown_;
}

void WorkerRegistry::RequestShutdown() {
  std::lock_guard<std::mutex> guard(lock_);
  shuttingDown_ = true;
}

std::size_t WorkerRegistry::RunningCount() const {
  std::lock_guard<std::mutex> guard(lock_);
  return threads_.size();
}

namespace {
std::atomic<IWorkerRegistry*> g_installed{nullptr};
}

IWorkerRegistry& Workers() {
  if (IWorkerRegistry* installed = g_installed.load()) return *installed;
  static WorkerRegistry fallback;
  return fallback;
}

void InstallWorkerRegistry(IWorkerRegistry* registry) { g_installed.store(registry); }

}  // namespace veldrix
