#include "stopped_child.h"

#include "app/common/crash_point.h"
#include "app/common/paths.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wx/dir.h>

#include <cstring>

extern char** environ;

namespace veldrix::test {
namespace {

const char* g_stopPoint = nullptr;

void StopHere(const char* point) {
  if (g_stopPoint && std::strcmp(point, g_stopPoint) == 0) ::raise(SIGSTOP);
}

}  // namespace

void StopAtCrashPoint(const char* point) {
  g_stopPoint = point;
  SetCrashPointHandler(&StopHere);
}

std::vector<wxString> FilesOf(const wxString& folder, pid_t pid) {
  const wxString mark = wxString::Format(".%d.", static_cast<int>(pid));
  std::vector<wxString> names;
  for (const wxString& name : SortedFolderEntries(folder, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN)) {
    if (name.Contains(mark)) names.push_back(name);
  }
  return names;
}

StoppedChild::StoppedChild(const char* point, const std::function<void()>& work) {
  pid_ = ::fork();
  if (pid_ == 0) {
    StopAtCrashPoint(point);
    work();
    ::_exit(0);  // no destructors or exit handlers of the parent's objects
  }
  WaitUntilStopped();
}

StoppedChild::StoppedChild(const std::vector<std::string>& argv) {
  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  ::posix_spawn_file_actions_init(&actions);
  ::posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  if (::posix_spawn(&pid_, arguments[0], &actions, nullptr, arguments.data(), environ) != 0) pid_ = -1;
  ::posix_spawn_file_actions_destroy(&actions);
  WaitUntilStopped();
}

void StoppedChild::WaitUntilStopped() {
  if (pid_ <= 0) return;
  int status = 0;
  // Otherwise it ended, and is reaped, without reaching its point.
  stopped_ = ::waitpid(pid_, &status, WUNTRACED) == pid_ && WIFSTOPPED(status);
}

void StoppedChild::Kill() {
  if (!stopped_) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  stopped_ = false;
}

}  // namespace veldrix::test
