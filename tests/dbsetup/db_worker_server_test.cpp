// The program database created by the database worker from the shipped scripts on
// the real PostgreSQL and MariaDB servers, then probed as the configuration dialog
// probes it.
#include "dbsetup/database_probe.h"
#include "dbsetup/db_worker.h"
#include "dbsetup/schema_checks.h"
#include "server_program_database.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

namespace {

using WorkerOnServer = veldrix::test::ProgramDatabaseOnServer;

TEST_P(WorkerOnServer, CreatesTheProgramDatabaseThatTheProbeFindsSound) {
  DbConnectionInfo info;
  const wxString connectionString = CreateProgramDatabase(&info);
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

TEST_P(WorkerOnServer, SavesACompanyInOneTransactionAndReadsItBack) {
  DbConnectionInfo info;
  SQLData db(CreateProgramDatabase(&info));
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  const wxString name = veldrix::test::AwkwardCompanyName();

  // As the company editor saves: the company row, its history row and its bank
  // account, one transaction.
  db.StartTransaction();
  const SqlExecResult company = db.ExecPrepared(
      "insert into firma(nazwa,nazwa_pelna,nip,miejscowosc,data_od,platnik_vat,domyslna) values(?,?,?,?,?,?,?)",
      {SqlValue(name), SqlValue(name + " sp. z o.o."), SqlValue("5260250274"), SqlValue(L"Łódź"),
       SqlValue("2024-03-05"), SqlValue(true), SqlValue(1)});
  ASSERT_EQ(company.changes, 1) << db.lastError;
  ASSERT_GT(company.newRowId, 0);
  const wxString id = wxString::Format("%lld", static_cast<long long>(company.newRowId));
  db.ExecPrepared("insert into firma_historia(id_firmy,nazwa,nip,data_od) values(?,?,?,?)",
                  {SqlValue::Int64(company.newRowId), SqlValue(name), SqlValue("5260250274"), SqlValue("2024-03-05")});
  db.ExecPrepared("insert into firma_rachunek(id_firmy,nazwa,numer,nazwa_banku,domyslny) values(?,?,?,?,?)",
                  {SqlValue::Int64(company.newRowId), SqlValue("Główny"), SqlValue("PL61109010140000071219812874"),
                   SqlValue("Bank \\ 'Śląski'"), SqlValue(true)});
  ASSERT_FALSE(db.errorFlag) << db.lastError;
  db.CommitTransaction();
  ASSERT_FALSE(db.errorFlag) << db.lastError;

  SQLData reader(BuildConnectionString(info));
  ASSERT_TRUE(reader.IniciujBazeDanych()) << reader.lastError;
  const wxArrayString row = reader.FrameData(Querys::SelectFirma(id, ""));
  ASSERT_EQ(row.size(), 6u) << reader.lastError;
  EXPECT_EQ(row[0], name);
  EXPECT_EQ(row[1], "5260250274");
  EXPECT_EQ(row[2], wxString(L"Łódź"));
  EXPECT_EQ(row[3], "Tak");
  EXPECT_EQ(row[5], id);
  const wxArrayString account = reader.FrameData(Querys::SelectFirmaRachunek(id, ""));
  ASSERT_EQ(account.size(), 11u) << reader.lastError;
  EXPECT_EQ(account[3], wxString(L"Bank \\ 'Śląski'"));
  const wxArrayString history = reader.FrameData(Querys::SelectFirmaHistoria(id, ""));
  ASSERT_FALSE(history.empty()) << reader.lastError;
  EXPECT_NE(history.Index(name), wxNOT_FOUND);
}

// A module installed before the database is created: its tables are made and its
// version registered, as on SQLite.
TEST_P(WorkerOnServer, CreatesAndRegistersTheTablesOfAnInstalledModule) {
  const wxString modules = veldrix::JoinPath(folders_.programFolder(), "Moduly");
  veldrix::test::WriteText(veldrix::JoinPath(modules, "KSeF", "baza.json"),
                           R"J({"version":"1.5","tables":[{"name":"ksef_faktury","sql":
                           "CREATE TABLE IF NOT EXISTS ksef_faktury (id INTEGER PRIMARY KEY, numer VARCHAR(50))"}]})J");
  DbConnectionInfo info;
  SQLData db(CreateProgramDatabase(&info));
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  EXPECT_TRUE(TableExists(&db, "ksef_faktury"));
  EXPECT_DOUBLE_EQ(GetModuleVersion(&db, "ksef"), 1.5);
  // Registered again, the row takes the new version.
  EXPECT_GE(db.InsertData(SetModuleVersionSql(db.GetEngine(), "ksef", 2.25)), 0) << db.lastError;
  EXPECT_DOUBLE_EQ(GetModuleVersion(&db, "ksef"), 2.25);
}

INSTANTIATE_TEST_SUITE_P(Servers, WorkerOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
