// Helpers of the database lifecycle tests: a program folder with the shipped
// scripts, an event sink that records the worker's events from any thread, and
// a run of the worker that waits for its end.
#pragma once

#include "app/common/paths.h"
#include "app/common/worker_registry.h"
#include "db/connection_info.h"
#include "dbsetup/db_worker.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/event.h>
#include <wx/filename.h>
#include <wx/textfile.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace veldrix::test {

// Every table the program's own scripts create.
inline const std::vector<const char*>& ProgramTables() {
  static const std::vector<const char*> tables{"baza",
                                               "baza_modul",
                                               "veldrix_users",
                                               "veldrix_roles",
                                               "veldrix_role_permissions",
                                               "veldrix_user_roles",
                                               "firma",
                                               "firma_rachunek",
                                               "firma_historia",
                                               "dokument_numeracja",
                                               "stawka_vat",
                                               "artykul_kategoria",
                                               "artykul_jednostka",
                                               "artykul_cena_rodzaj",
                                               "kontrahent_klasyfikacja",
                                               "platnosc",
                                               "kpir_opis_zdarzenia",
                                               "pole_dodatkowe_definicja",
                                               "artykul_pola_dodatkowe",
                                               "dokument_handlowy_pole_dodatkowe_wartosc",
                                               "kontrahent_pole_dodatkowe_wartosc",
                                               "ksef_ustawienia"};
  return tables;
}

struct RecordedWorkerEvent {
  int progress = 0;
  wxString text;
  long kind = 0;
};

// Records DbWorkerEvents as they are queued, so tests need no event loop.
class WorkerEventRecorder : public wxEvtHandler {
 public:
  void QueueEvent(wxEvent* event) override {
    auto* threadEvent = dynamic_cast<wxThreadEvent*>(event);
    if (threadEvent && threadEvent->GetId() == DbWorkerEventId) {
      std::lock_guard<std::mutex> guard(lock_);
      events_.push_back({threadEvent->GetInt(), threadEvent->GetString(), threadEvent->GetExtraLong()});
      changed_.notify_all();
    }
    delete event;
  }

  // Waits for the run's final event; false after the timeout.
  bool WaitForEnd(int seconds = 60) {
    std::unique_lock<std::mutex> guard(lock_);
    return changed_.wait_for(guard, std::chrono::seconds(seconds), [this] {
      return !events_.empty() && events_.back().progress >= DbWorkerProgressEnd;
    });
  }

  std::vector<RecordedWorkerEvent> events() const {
    std::lock_guard<std::mutex> guard(lock_);
    return events_;
  }
  RecordedWorkerEvent last() const {
    std::lock_guard<std::mutex> guard(lock_);
    return events_.empty() ? RecordedWorkerEvent{} : events_.back();
  }

 private:
  mutable std::mutex lock_;
  std::condition_variable changed_;
  std::vector<RecordedWorkerEvent> events_;
};

// A registry of their own for the workers of one test, so that a test that shuts
// the application down leaves the next test unaffected.
class ScopedWorkerRegistry {
 public:
  ScopedWorkerRegistry() { InstallWorkerRegistry(&registry_); }
  ~ScopedWorkerRegistry() {
    WaitUntilIdle();
    InstallWorkerRegistry(nullptr);
  }
  WorkerRegistry& registry() { return registry_; }
  // The thread leaves the registry just after its final event.
  void WaitUntilIdle() { EXPECT_TRUE(registry_.WaitUntilIdle(10000)); }

 private:
  WorkerRegistry registry_;
};

inline wxString ShippedScript(const wxString& name) {
  return JoinPath(JoinPath(JoinPath(JoinPath(SourceDir(), "src"), "dbsetup"), "scripts"), name);
}

inline void CopyShippedScripts(const wxString& programFolder) {
  for (const char* name : {"baza.json", "baza_aktualizacja.json"}) {
    ASSERT_TRUE(wxCopyFile(ShippedScript(name), JoinPath(programFolder, name))) << name;
  }
}

inline void WriteText(const wxString& path, const std::string& utf8) {
  wxFileName::Mkdir(wxFileName(path).GetPath(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  WriteFileBytes(path, utf8);
}

// Runs the worker to its end and returns its events.
inline std::vector<RecordedWorkerEvent> RunWorker(bool update, const wxString& database,
                                                  ScopedWorkerRegistry& workers) {
  WorkerEventRecorder sink;
  EXPECT_NE(StartDbWorker(&sink, update, database), nullptr);
  EXPECT_TRUE(sink.WaitForEnd());
  workers.WaitUntilIdle();
  return sink.events();
}

// The connection record of a SQLite file, as the configuration would hold it.
inline DbConnectionInfo SqliteInfo(const wxString& file) {
  DbConnectionInfo info;
  wxString error;
  EXPECT_TRUE(ParseConnectionInfo("Data Source=" + file + ";Version=3;", &info, &error)) << error;
  return info;
}

inline wxString DbLogText() { return wxString::FromUTF8(ReadFileBytes(JoinPath(UserDataFolder(), "veldrix_db.log"))); }

}  // namespace veldrix::test
