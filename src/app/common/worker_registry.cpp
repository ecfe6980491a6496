#include "app/common/worker_registry.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace veldrix {

void WorkerRegistry::RegisterThread(wxThread* thread) {
  std::lock_guard<std::mutex> guard(lock_);
  threads_.push_back(thread);
}

void WorkerRegistry::UnregisterThread(wxThread* thread) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto found = std::find(threads_.begin(), threads_.end(), thread);
  if (found == threads_.end()) return;
  threads_.erase(found);
  if (threads_.empty() && shuttingDown_) {
    shuttingDown_ = false;
    ++allDonePosts_;
    allDoneSignal_.notify_all();
  }
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

bool WorkerRegistry::WaitAllDone(int milliseconds) {
  std::unique_lock<std::mutex> guard(lock_);
  if (!allDoneSignal_.wait_for(guard, std::chrono::milliseconds(milliseconds), [this] { return allDonePosts_ > 0; })) {
    return false;
  }
  --allDonePosts_;
  return true;
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
