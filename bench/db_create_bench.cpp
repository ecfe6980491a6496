// Creating the whole program database from the shipped scripts on SQLite with the
// database worker, against the sqlite3 command-line shell running the same
// statements in one transaction, both measured in this run.
// Goal: the worker under 10x the shell (reported as the counter "x_shell").
#include "app/common/paths.h"
#include "dbsetup/baza_skrypt.h"
#include "dbsetup/db_worker.h"

#include <benchmark/benchmark.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/init.h>
#include <wx/utils.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>

namespace {

wxString g_root;     // temporary folder of the run
wxString g_program;  // program folder with the scripts
wxString g_shellScript;
int g_serial = 0;

class EndWaiter : public wxEvtHandler {
 public:
  void QueueEvent(wxEvent* event) override {
    auto* threadEvent = dynamic_cast<wxThreadEvent*>(event);
    if (threadEvent && threadEvent->GetInt() >= DbWorkerProgressEnd) {
      std::lock_guard<std::mutex> guard(lock_);
      ended_ = true;
      failed_ = threadEvent->GetExtraLong() == DbWorkerError;
      changed_.notify_all();
    }
    delete event;
  }
  bool Wait() {
    std::unique_lock<std::mutex> guard(lock_);
    changed_.wait(guard, [this] { return ended_; });
    ended_ = false;
    return !failed_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  bool ended_ = false;
  bool failed_ = false;
};

wxString NextDatabase() { return veldrix::JoinPath(g_root, wxString::Format("db%d.db", ++g_serial)); }

// The statements a create run executes, filled in as the worker fills them.
void WriteShellScript() {
  BazaSkrypt script;
  LoadCreateScript("SQLite", veldrix::JoinPath(g_program, "baza.json"), &script);
  std::ofstream out(g_shellScript.fn_str());
  out << "PRAGMA foreign_keys=ON;\nBEGIN;\n";
  for (size_t i = 0; i < script.GetCount(); ++i) {
    out << FillStatementPlaceholders(script.names[i], script.sql[i], script.kinds[i], script.version, "").utf8_string()
        << ";\n";
  }
  out << "COMMIT;\n";
}

double RunWorkerOnce() {
  EndWaiter sink;
  const auto start = std::chrono::steady_clock::now();
  if (!StartDbWorker(&sink, false, NextDatabase()) || !sink.Wait()) std::abort();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double RunShellOnce() {
  const std::string command = "sqlite3 '" + NextDatabase().utf8_string() + "' < '" + g_shellScript.utf8_string() + "'";
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) std::abort();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void Sqlite3Shell(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(RunShellOnce());
}

void WorkerCreate(benchmark::State& state) {
  double worker = 0;
  int runs = 0;
  for (auto _ : state) {
    worker += RunWorkerOnce();
    ++runs;
  }
  // The shell runs after the timed loop, as many times, on the same machine state.
  double shell = 0;
  for (int i = 0; i < runs; ++i) shell += RunShellOnce();
  state.counters["x_shell"] = shell > 0 ? worker / shell : 0;
}

}  // namespace

BENCHMARK(Sqlite3Shell)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(WorkerCreate)->Unit(benchmark::kMillisecond)->Iterations(20);

int main(int argc, char** argv) {
  wxInitializer initializer;
  char pattern[] = "/tmp/veldrix-create-bench-XXXXXX";
  if (!mkdtemp(pattern)) return 1;
  g_root = pattern;
  g_program = veldrix::JoinPath(g_root, "program");
  wxFileName::Mkdir(g_program);
  wxSetEnv("XDG_DATA_HOME", veldrix::JoinPath(g_root, "data"));
  const wxString scripts = VELDRIX_SCRIPTS_DIR;
  for (const char* name : {"baza.json", "baza_aktualizacja.json"}) {
    if (!wxCopyFile(scripts + "/" + name, veldrix::JoinPath(g_program, name))) return 1;
  }
  veldrix::SetProgramFolderOverride(g_program);
  g_shellScript = veldrix::JoinPath(g_root, "create.sql");
  WriteShellScript();

  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  wxFileName::Rmdir(g_root, wxPATH_RMDIR_RECURSIVE);
  return 0;
}
