// Test helper: creates the database named on the command line with the database
// worker, using the scripts of the given program folder, and prints every event
// as "<progress> <kind>" so that the parent can kill it half-way, or stops at the
// crash point named third.
//
//   dbsetup_create_child <program folder> <database file> [<crash point>]
#include "app/common/paths.h"
#include "app/common/worker_registry.h"
#include "dbsetup/db_worker.h"
#include "stopped_child.h"

#include <wx/init.h>

#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace {

class PrintingSink : public wxEvtHandler {
 public:
  void QueueEvent(wxEvent* event) override {
    if (auto* threadEvent = dynamic_cast<wxThreadEvent*>(event)) {
      std::printf("%d %ld\n", threadEvent->GetInt(), threadEvent->GetExtraLong());
      std::fflush(stdout);
      if (threadEvent->GetInt() >= DbWorkerProgressEnd) {
        std::lock_guard<std::mutex> guard(lock_);
        ended_ = true;
        succeeded_ = threadEvent->GetExtraLong() != DbWorkerError;
        changed_.notify_all();
      }
    }
    delete event;
  }

  bool WaitForEnd() {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return ended_; });
    return succeeded_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool ended_ = false;
  bool succeeded_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) return 2;
  if (argc == 4) veldrix::test::StopAtCrashPoint(argv[3]);
  wxInitializer initializer(argc, argv);
  if (!initializer.IsOk()) return 2;
  veldrix::SetProgramFolderOverride(wxString::FromUTF8(argv[1]));
  PrintingSink sink;
  if (!StartDbWorker(&sink, false, wxString::FromUTF8(argv[2]))) return 3;
  const bool succeeded = sink.WaitForEnd();
  // The worker may still be on its way out of the library that ~wxInitializer tears down.
  if (!veldrix::Workers().WaitUntilIdle(60000)) return 4;
  return succeeded ? 0 : 1;
}
