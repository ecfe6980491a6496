// The program database created by the database worker from the shipped scripts on
// the real PostgreSQL and MariaDB servers, then probed as the configuration dialog
// probes it.
#include "dbsetup/database_probe.h"
#include "dbsetup/db_worker.h"
#include "dbsetup/schema_checks.h"
#include "server_support.h"
#include "sqldata/sql_data.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>

using veldrix::test::TestServer;

namespace {

class WorkerOnServer : public veldrix::test::ServerConnectionTest, public ::testing::WithParamInterface<TestServer> {
 protected:
  WorkerOnServer() : ServerConnectionTest(GetParam().variable) {}

  // An empty database of its own: a server database must exist before the worker
  // fills it.
  DbConnectionInfo NewDatabase() {
    const wxString name = veldrix::test::UniqueServerName("program");
    Run("CREATE DATABASE " + name);
    DropAtEnd("DROP DATABASE IF EXISTS " + name);
    DbConnectionInfo info = info_;
    info.database = name;
    return info;
  }

  veldrix::test::IsolatedFolders folders_;
  veldrix::test::ScopedWorkerRegistry workers_;
  wxLogNull quiet_;
};

TEST_P(WorkerOnServer, CreatesTheProgramDatabaseThatTheProbeFindsSound) {
  veldrix::test::CopyShippedScripts(folders_.programFolder());
  const DbConnectionInfo info = NewDatabase();
  const wxString connectionString = BuildConnectionString(info);

  const auto events = veldrix::test::RunWorker(false, connectionString, workers_);
  ASSERT_FALSE(events.empty());
  EXPECT_EQ(events.back().kind, DbWorkerInformation) << events.back().text << "\n" << veldrix::test::DbLogText();
  EXPECT_EQ(events.back().text, wxString::FromUTF8("Baza danych została utworzona."));

  {
    SQLData db(connectionString);
    ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
    for (const char* table : veldrix::test::ProgramTables()) EXPECT_TRUE(TableExists(&db, table)) << table;
    const wxArrayString roles =
        db.FrameData("select count(*) from veldrix_roles where role_key in ('administrator','uzytkownik')");
    ASSERT_FALSE(roles.empty()) << db.lastError;
    EXPECT_EQ(roles[0], "2");
  }

  DatabaseProbeResult probe;
  wxString error;
  ASSERT_TRUE(ProbeDatabase(info, &probe, &error)) << error;
  EXPECT_TRUE(probe.exists);
  EXPECT_EQ(probe.status, "Baza poprawna");
  EXPECT_EQ(probe.databaseVersion, probe.scriptVersion);

  // A second run must not leave a second version row nor duplicate the roles.
  veldrix::test::RunWorker(false, connectionString, workers_);
  SQLData db(connectionString);
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  EXPECT_EQ(db.FrameData("select count(*) from baza")[0], "1");
  EXPECT_EQ(db.FrameData("select count(*) from veldrix_roles")[0], "2");
}

INSTANTIATE_TEST_SUITE_P(Servers, WorkerOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
