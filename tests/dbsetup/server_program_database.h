// A test run on each server against a program database of its own, built by the
// database worker from the shipped scripts as the configuration dialog builds it.
#pragma once

#include "dbsetup/db_worker.h"
#include "server_support.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>

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

  // The program database built by the worker from the shipped scripts.
  wxString CreateProgramDatabase(DbConnectionInfo* info) {
    CopyShippedScripts(folders_.programFolder());
    *info = NewDatabase();
    const wxString connectionString = BuildConnectionString(*info);
    const auto events = RunWorker(false, connectionString, workers_);
    EXPECT_FALSE(events.empty());
    if (!events.empty()) {
      EXPECT_EQ(events.back().kind, DbWorkerInformation) << events.back().text << "\n" << DbLogText();
      EXPECT_EQ(events.back().text, wxString::FromUTF8("Baza danych została utworzona."));
    }
    return connectionString;
  }

  IsolatedFolders folders_;
  ScopedWorkerRegistry workers_;
  wxLogNull quiet_;
};

}  // namespace veldrix::test
