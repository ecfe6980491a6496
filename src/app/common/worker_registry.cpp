#include "app/common/worker_registry.h"

#include <algorithm>
#include <atomic>
#include <chrono>

namespace veldrix {

void WorkerRegistry::RegisterThread(wxThread* thread) {
  ReapFinished();
  std::lock_guard<std::mutex> guard(lock_);
  threads_.push_back(thread);
}

void WorkerRegistry::LeaveLocked(wxThread* thread) {
  const auto found = std::find(threads_.begin(), threads_.end(), thread);
  if (found == threads_.end()) return;
  threads_.erase(found);
  if (!threads_.empty()) return;
  idle_.notify_all();
  if (shuttingDown_) {
    shuttingDown_ = false;
    ++allDonePosts_;
    allDoneSignal_.notify_all();
  }
}

void WorkerRegistry::UnregisterThread(wxThread* thread) {
  std::lock_guard<std::mutex> guard(lock_);
  LeaveLocked(thread);
}

void WorkerRegistry::ThreadFinished(wxThread* thread) {
  std::lock_guard<std::mutex> guard(lock_);
  finished_.push_back(thread);
  LeaveLocked(thread);
}

void WorkerRegistry::ReapFinished() {
  std::vector<wxThread*> finished;
  {
    std::lock_guard<std::mutex> guard(lock_);
    finished.swap(finished_);
  }
  for (wxThread* thread : finished) {
    thread->Wait();
    delete thread;
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

bool WorkerRegistry::WaitUntilIdle(int milliseconds) {
  bool idle;
  {
    std::unique_lock<std::mutex> guard(lock_);
    idle = idle_.wait_for(guard, std::chrono::milliseconds(milliseconds), [this] { return threads_.empty(); });
  }
  ReapFinished();
  return idle;
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

void WorkerThread::OnExit() {
  if (registry_) registry_->ThreadFinished(this);
}

wxThreadError StartWorker(WorkerThread* thread) {
  wxThreadError error = thread->Create();
  if (error != wxTHREAD_NO_ERROR) {
    delete thread;
    return error;
  }
  thread->registry_ = &Workers();
  thread->registry_->RegisterThread(thread);
  error = thread->Run();
  if (error != wxTHREAD_NO_ERROR) {
    thread->registry_->UnregisterThread(thread);
    delete thread;
  }
  return error;
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
