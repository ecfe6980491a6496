#include "dbsetup/database_probe.h"

#include "dbsetup/schema_version.h"
#include "sqldata/sql_data.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>

using veldrix::JoinPath;
using veldrix::test::IsolatedFolders;
using veldrix::test::WriteText;

namespace {

class ProbeTest : public ::testing::Test {
 protected:
  ProbeTest() {
    info_ = veldrix::test::SqliteInfo(JoinPath(folders_.programFolder(), "veldrix.db"));
  }

  void Run(const wxString& sql) {
    SQLData db(info_.server);
    ASSERT_TRUE(db.IniciujBazeDanych());
    wxString error;
    ASSERT_EQ(db.InsertData(error, sql), 0) << error;
  }

  // A database with table baza at the version, and baza_modul.
  void MakeDatabase(const wxString& version) {
    Run("create table baza(wersja real)");
    Run("insert into baza(wersja) values(" + version + ")");
    Run("CREATE TABLE IF NOT EXISTS baza_modul (modul VARCHAR(100) PRIMARY KEY, wersja REAL NOT NULL DEFAULT 0)");
  }

  void WriteProgramSteps(const std::string& versions) {
    WriteText(JoinPath(folders_.programFolder(), "baza_aktualizacja.json"), R"J({"updates":[)J" + versions + "]}");
  }

  DatabaseProbeResult Probe() {
    DatabaseProbeResult result;
    result.status = "stale";
    wxString error;
    EXPECT_TRUE(ProbeDatabase(info_, &result, &error)) << error;
    return result;
  }

  IsolatedFolders folders_;
  DbConnectionInfo info_;
};

std::string Step(const char* version) {
  return std::string(R"J({"version":")J") + version + R"J(","statements":[]})J";
}

}  // namespace

TEST_F(ProbeTest, MissingFileIsASuccessfulAnswer) {
  const DatabaseProbeResult result = Probe();
  EXPECT_TRUE(result.reached);
  EXPECT_FALSE(result.exists);
  EXPECT_EQ(result.status, "Baza nie istnieje");
  EXPECT_TRUE(result.databaseVersion.empty());
  EXPECT_TRUE(result.scriptVersion.empty());
  EXPECT_FALSE(wxFileName::FileExists(info_.server)) << "probing must not create the file";
  EXPECT_FALSE(ProbeDatabase(info_, nullptr, nullptr));
}

TEST_F(ProbeTest, FileWithoutProgramTables) {
  Run("create table inna(x)");
  const DatabaseProbeResult result = Probe();
  EXPECT_TRUE(result.exists);
  EXPECT_EQ(result.status, "Brak tabel programu");
}

TEST_F(ProbeTest, VersionsDecideTheStatus) {
  WriteProgramSteps(Step("1.1") + "," + Step("1.25"));
  MakeDatabase("1.25");
  DatabaseProbeResult result = Probe();
  EXPECT_EQ(result.status, "Baza poprawna");
  EXPECT_EQ(result.databaseVersion, "1.25");
  EXPECT_EQ(result.scriptVersion, "1.25");

  Run("update baza set wersja=1.3");
  result = Probe();
  EXPECT_EQ(result.status, wxString::FromUTF8("Baza jest nowsza niż program"));
  EXPECT_EQ(result.databaseVersion, "1.3");

  Run("update baza set wersja=1.25000001");
  EXPECT_EQ(Probe().status, "Baza poprawna");

  Run("update baza set wersja=1.0");
  result = Probe();
  EXPECT_EQ(result.status, "Wymagana aktualizacja");
  EXPECT_EQ(result.databaseVersion, "1");
}

TEST_F(ProbeTest, VersionsReadTheSameUnderThePolishLocale) {
  if (!veldrix::test::LocaleAvailable("pl_PL.UTF-8")) GTEST_SKIP() << "pl_PL.UTF-8 missing";
  veldrix::test::ScopedLocale polish("pl_PL.UTF-8");
  WriteProgramSteps(Step("1,2345"));
  MakeDatabase("1.2345");
  const DatabaseProbeResult result = Probe();
  EXPECT_EQ(result.status, "Baza poprawna");
  EXPECT_EQ(result.databaseVersion, "1.2345");
  EXPECT_EQ(result.scriptVersion, "1.2345");
}

TEST_F(ProbeTest, NoScriptsMeanNoUpgrade) {
  MakeDatabase("1.3");
  const DatabaseProbeResult result = Probe();
  EXPECT_EQ(result.scriptVersion, "0");
  EXPECT_EQ(result.status, "Baza poprawna");
}

TEST_F(ProbeTest, BrokenUpgradeScriptsAreReported) {
  MakeDatabase("1");
  WriteText(JoinPath(folders_.programFolder(), "baza_aktualizacja.json"), R"J({"updates":[{"version":1.3}]})J");
  DatabaseProbeResult result;
  wxString error;
  ASSERT_TRUE(ProbeDatabase(info_, &result, &error));
  EXPECT_EQ(result.status, wxString::FromUTF8("Nie udało się odczytać wersji"));
  EXPECT_EQ(error, wxString::FromUTF8("Błąd formatu wersji w skrypcie aktualizacji bazy."));

  std::vector<UpgradeManifestEntry> entries;
  WriteText(JoinPath(folders_.programFolder(), "baza_aktualizacja.json"), R"J({"module":"x"})J");
  EXPECT_FALSE(LoadUpgradeManifest(&entries, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Błąd formatu skryptu aktualizacji bazy."));
  WriteText(JoinPath(folders_.programFolder(), "baza_aktualizacja.json"), "{");
  EXPECT_FALSE(LoadUpgradeManifest(&entries, &error));
  EXPECT_TRUE(error.StartsWith(wxString::FromUTF8("Błąd ładowania skryptu aktualizacji bazy: "))) << error;
}

TEST_F(ProbeTest, ModuleStepsCompareWithTheirOwnBase) {
  MakeDatabase("1.5");
  WriteProgramSteps(Step("1.5"));
  const wxString modules = JoinPath(folders_.programFolder(), "Moduly");
  WriteText(JoinPath(modules, "kpir", "baza_aktualizacja.json"),
            std::string(R"J({"module":"KPIR","updates":[)J") + Step("1.5") + "]}");
  SQLData db(info_.server);
  ASSERT_TRUE(db.IniciujBazeDanych());
  wxString error;
  // No row and no marker table: base 0.
  EXPECT_TRUE(IsDatabaseUpgradeRequired(&db, &error, 1.5));
  // A row at 0 with the marker table present: the program's version is the base.
  Run("insert into baza_modul(modul,wersja) values(' KPIR ',0)");
  Run("create table kpir_zapis(x)");
  EXPECT_FALSE(IsDatabaseUpgradeRequired(&db, &error, 1.5));
  ModuleVersionMap versions;
  ReadModuleVersions(&db, &versions);
  ASSERT_EQ(versions.count("kpir"), 1u);
  EXPECT_DOUBLE_EQ(ModuleBaseVersion(&db, "kpir", versions, 1.5), 1.5);
  // A recorded row below the steps: upgrade.
  Run("update baza_modul set wersja=1.2");
  ReadModuleVersions(&db, &versions);
  EXPECT_DOUBLE_EQ(versions["kpir"], 1.2);
  EXPECT_TRUE(IsDatabaseUpgradeRequired(&db, &error, 1.5));
  EXPECT_TRUE(error.empty());
}
