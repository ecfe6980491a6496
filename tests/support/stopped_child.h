// A child process that stops itself (SIGSTOP) at a crash point of the code it runs
// (app/common/crash_point.h): a test sees what a process killed there leaves, or
// what one that still runs holds.
#pragma once

#include <sys/types.h>
#include <wx/string.h>

#include <functional>
#include <string>
#include <vector>

namespace veldrix::test {

// Makes this process stop at the crash point of that name; `point` must outlive it.
void StopAtCrashPoint(const char* point);

// The names of the files and folders in `folder` (hidden ones too) that the run of
// `pid` writes or left: a work file's name carries ".<pid>." (app/common/work_files.h).
// Sorted.
std::vector<wxString> FilesOf(const wxString& folder, pid_t pid);

class StoppedChild {
 public:
  // Forks; the child runs `work`, stopping at `point`, and exits when work returns.
  StoppedChild(const char* point, const std::function<void()>& work);
  // Starts a program that calls StopAtCrashPoint itself; its output goes nowhere.
  explicit StoppedChild(const std::vector<std::string>& argv);
  ~StoppedChild() { Kill(); }
  StoppedChild(const StoppedChild&) = delete;
  StoppedChild& operator=(const StoppedChild&) = delete;

  // False when the child ended without reaching its point.
  bool stopped() const { return stopped_; }
  pid_t pid() const { return pid_; }
  // SIGKILL, then waits for it: its pid names no process any more.
  void Kill();

 private:
  void WaitUntilStopped();

  pid_t pid_ = -1;
  bool stopped_ = false;
};

}  // namespace veldrix::test
