// A test run on each server against a program database of its own, built by the
// database worker from the shipped scripts as the configuration dialog builds it.
#pragma once

#include "dbsetup/db_worker.h"
#include "server_support.h"
#include "sqldata/sql_data.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>
#include <wx/utils.h>

#include <functional>

namespace veldrix::test {

class ProgramDatabaseOnServer : public ServerConnectionTest, public ::testing::WithParamInterface<TestServer> {
 protected:
  ProgramDatabaseOnServer() : ServerConnectionTest(GetParam().variable) {}

  // An empty database of its own: a server database must exist before the worker
  // fills it.
  DbConnectionInfo NewDatabase() {
    const wxString name = UniqueServerName("program");
    Run("CREATE DATABASE " + name);
    DropAtEnd("DROP DATABASE IF EXISTS " + name);
    DbConnectionInfo info = info_;
    info.database = name;
    return info;
  }

  // The program database built by the worker from the shipped scripts; for SQLite a
  // new file (*info is left as it is).
  wxString CreateProgramDatabase(DbConnectionInfo* info) {
    CopyShippedScripts(folders_.programFolder());
    wxString connectionString;
    if (GetParam().variable) {
      *info = NewDatabase();
      connectionString = BuildConnectionString(*info);
    } else {
      static int files = 0;
      connectionString = folders_.root() + wxString::Format("/program%d.db", ++files);
    }
    const auto events = RunWorker(false, connectionString, workers_);
    EXPECT_FALSE(events.empty());
    if (!events.empty()) {
      EXPECT_EQ(events.back().kind, DbWorkerInformation) << events.back().text << "\n" << DbLogText();
      EXPECT_EQ(events.back().text, wxString::FromUTF8("Baza danych została utworzona."));
    }
    return connectionString;
  }

  // Returns once another session waits for a lock that observer's open transaction
  // holds, or once finished() says the other side ended without waiting. SQLite
  // shows no waiting sessions: a pause lets the other side reach its wait.
  void WaitUntilBlocked(SQLData& observer, const std::function<bool()>& finished) {
    if (!GetParam().variable) {
      wxMilliSleep(300);
      return;
    }
    // InnoDB's transaction table is a copy shared by every session, refreshed only
    // 0.1 s after its last read, so many tests polling it at once see it stand still:
    // on MariaDB a statement of another session running for 0.3 s is taken as waiting.
    const wxString waiting =
        observer.GetEngine() == "PostgreSQL"
            ? "select count(*) from pg_stat_activity where datname=current_database() and wait_event_type='Lock'"
            : "select count(*) from information_schema.processlist where db=database() and command='Query' and "
              "id<>connection_id() and time_ms>300";
    for (int polls = 0; !finished() && polls < 800; ++polls) {
      const wxArrayString count = observer.FrameData(waiting);
      if (!count.empty() && count[0] != "0") return;
      wxMilliSleep(150);
    }
  }

  IsolatedFolders folders_;
  ScopedWorkerRegistry workers_;
  wxLogNull quiet_;
};

}  // namespace veldrix::test
