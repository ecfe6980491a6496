#include "stopped_child.h"

#include "app/common/crash_point.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

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
  if (::posix_spawn(&pid_, arguments[0], nullptr, nullptr, arguments.data(), environ) != 0) pid_ = -1;
  WaitUntilStopped();
}

StoppedChild::~StoppedChild() { Kill(); }

void StoppedChild::WaitUntilStopped() {
  if (pid_ <= 0) return;
  int status = 0;
  if (::waitpid(pid_, &status, WUNTRACED) != pid_ || !WIFSTOPPED(status)) {
    pid_ = -1;  // ended (and reaped) without reaching its point
    return;
  }
  stopped_ = true;
}

void StoppedChild::Kill() {
  if (pid_ <= 0) return;
  ::kill(pid_, SIGKILL);
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  stopped_ = false;
}

}  // namespace veldrix::test
