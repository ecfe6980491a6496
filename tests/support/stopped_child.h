// A child process that stops itself (SIGSTOP) at a crash point of the code it runs
// (app/common/crash_point.h), so that a test sees what a process killed at that
// instant leaves behind, or what one that still runs holds.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace veldrix::test {

// Makes this process stop at the crash point of that name; `point` must outlive it.
void StopAtCrashPoint(const char* point);

class StoppedChild {
 public:
  // Forks; the child runs `work`, stopping at `point`, and exits when work returns.
  StoppedChild(const char* point, const std::function<void()>& work);
  // Starts a program that calls StopAtCrashPoint itself; its output goes nowhere.
  explicit StoppedChild(const std::vector<std::string>& argv);
  ~StoppedChild();
  StoppedChild(const StoppedChild&) = delete;
  StoppedChild& operator=(const StoppedChild&) = delete;

  // True when the child stopped at its point, false when it ended without.
  bool stopped() const { return stopped_; }
  pid_t pid() const { return pid_; }
  // Kills the child with SIGKILL and waits for it; its pid then names no process.
  void Kill();

 private:
  void WaitUntilStopped();

  pid_t pid_ = -1;
  bool stopped_ = false;
  bool waiting_ = false;  // not reaped yet
};

}  // namespace veldrix::test
