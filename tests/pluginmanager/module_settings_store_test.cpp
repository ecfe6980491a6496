// Module settings in the configuration file and, for "/KSeF", per company in a
// real SQLite program database.
#include "pluginmanager/module_settings_store.h"

#include "app/common/paths.h"
#include "pluginmanager/host_application.h"
#include "pluginmanager/module_files.h"
#include "sqldata/sql_data.h"
#include "scoped_config.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <array>
#include <wx/filename.h>

namespace veldrix {
namespace {

class FakeApplication : public IHostApplication {
 public:
  wxString connection;
  wxString company = "1";
  wxString GetActiveConnection() const override { return connection; }
  wxString GetWorkingCompanyId() const override { return company; }
};

class ModuleSettingsStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_.connection = JoinPath(folders_.root(), "program.db");
    InstallHostApplication(&app_);
    SQLData db(app_.connection);
    ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
    ASSERT_GE(db.DeleteData("CREATE TABLE ksef_ustawienia(id INTEGER PRIMARY KEY, id_firmy INTEGER, sciezka TEXT, "
                            "klucz TEXT, wartosc TEXT, updated_at TEXT)"),
              0)
        << db.lastError;
  }

  void TearDown() override {
    InstallHostApplication(nullptr);
  }

  wxArrayString Rows(const wxString& sql) {
    SQLData db(app_.connection);
    EXPECT_TRUE(db.IniciujBazeDanych());
    return db.FrameData(sql);
  }

  void Exec(const wxString& sql) {
    SQLData db(app_.connection);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GE(db.DeleteData(sql), 0) << db.lastError;
  }

  test::IsolatedFolders folders_;
  test::ScopedProgramConfig config_;
  FakeApplication app_;
};

TEST(ModuleSettingsPaths, NormaliseAndDefaultToThePluginsGroup) {
  EXPECT_EQ(NormalizeConfigPath(""), "/");
  EXPECT_EQ(NormalizeConfigPath("KSeF"), "/KSeF");
  EXPECT_EQ(NormalizeConfigPath("/a/b"), "/a/b");
  EXPECT_EQ(MakeModuleSettingsPath("", "kpir"), "/Plugins/kpir");
  EXPECT_EQ(MakeModuleSettingsPath("Moje/Ustawienia", "kpir"), "/Moje/Ustawienia");
}

TEST(ModuleFiles, SplitsChoiceLinesAndResolvesNamesInTheModuleFolder) {
  const auto pairs = SplitLines("a=Alfa\n\n b \r\n=x\nc = Ce = 3");
  ASSERT_EQ(pairs.size(), 3u);
  EXPECT_EQ(pairs[0], std::make_pair(wxString("a"), wxString("Alfa")));
  EXPECT_EQ(pairs[1], std::make_pair(wxString("b"), wxString("b")));
  EXPECT_EQ(pairs[2], std::make_pair(wxString("c"), wxString("Ce = 3")));
  EXPECT_EQ(ResolveModuleFile("/opt/mod", "/etc/x.xrc"), "/etc/x.xrc");
  EXPECT_EQ(ResolveModuleFile("/opt/mod", "ui/../page.xrc"), "/opt/mod/page.xrc");
  EXPECT_EQ(ResolveModuleFile("/opt/mod/", "page.xrc"), "/opt/mod/page.xrc");
  EXPECT_EQ(wxFileName(ResolveModuleFile("/opt/mod", "")).GetPath(), "/opt/mod");
}

TEST_F(ModuleSettingsStoreTest, OtherPathsLiveInTheConfigurationFile) {
  ModuleSettingsStore::Set("Plugins/kpir", "rok", "2026");
  EXPECT_EQ(config_->Read("/Plugins/kpir/rok"), "2026");
  EXPECT_EQ(ModuleSettingsStore::Get("/Plugins/kpir", "rok", "x"), "2026");
  EXPECT_EQ(ModuleSettingsStore::Get("/Plugins/kpir", "brak", "x"), "x");
  ModuleSettingsStore::Set("/Plugins/kpir", "", "nothing");
  EXPECT_EQ(ModuleSettingsStore::Get("/Plugins/kpir", "", "d"), "d");
  EXPECT_EQ(Rows("SELECT count(*) FROM ksef_ustawienia")[0], "0");
}

TEST_F(ModuleSettingsStoreTest, KsefLivesPerCompanyInTheDatabase) {
  config_->Write("/KSeF/token", "stary");
  ModuleSettingsStore::Set("KSeF", "token", "abc'd");
  EXPECT_FALSE(config_->HasGroup("/KSeF"));  // the old group goes at first use
  EXPECT_EQ(ModuleSettingsStore::Get("/KSeF", "token", "d"), "abc'd");
  ModuleSettingsStore::Set("/ksef", "token", "lower");
  EXPECT_EQ(Rows("SELECT id_firmy, sciezka, wartosc FROM ksef_ustawienia ORDER BY sciezka"),
            wxArrayString(6, std::array<wxString, 6>{"1", "/KSeF", "abc'd", "1", "/ksef", "lower"}.data()));

  app_.company = "2";
  EXPECT_EQ(ModuleSettingsStore::Get("/KSeF", "token", "d"), "d");
  app_.company = "0";
  ModuleSettingsStore::Set("/KSeF", "token", "none");
  EXPECT_EQ(ModuleSettingsStore::Get("/KSeF", "token", "d"), "d");
  EXPECT_EQ(Rows("SELECT count(*) FROM ksef_ustawienia")[0], "2");
}

TEST_F(ModuleSettingsStoreTest, OneRowPerKeyAndEmptyValuesAreValues) {
  ModuleSettingsStore::Set("/KSeF", "env", "test");
  ModuleSettingsStore::Set("/KSeF", "env", "prod");
  EXPECT_EQ(Rows("SELECT wartosc FROM ksef_ustawienia WHERE klucz='env'"), wxArrayString(1, wxString("prod")));
  Exec("INSERT INTO ksef_ustawienia(id_firmy, sciezka, klucz, wartosc) VALUES(1,'/KSeF','nic',NULL)");
  EXPECT_EQ(ModuleSettingsStore::Get("/KSeF", "nic", "d"), "");
  EXPECT_EQ(ModuleSettingsStore::Get("/KSeF", "", "d"), "d");
}

TEST_F(ModuleSettingsStoreTest, AFailedWriteKeepsTheStoredValue) {
  ModuleSettingsStore::Set("/KSeF", "token", "dobry");
  Exec("CREATE TRIGGER refuse BEFORE INSERT ON ksef_ustawienia WHEN NEW.wartosc='zly' "
       "BEGIN SELECT RAISE(ABORT, 'refused'); END");
  ModuleSettingsStore::Set("/KSeF", "token", "zly");
  EXPECT_EQ(ModuleSettingsStore::Get("/KSeF", "token", "d"), "dobry");
}

TEST_F(ModuleSettingsStoreTest, APageOfValuesIsStoredWholeOrNotAtAll) {
  Exec("CREATE TRIGGER refuse BEFORE INSERT ON ksef_ustawienia WHEN NEW.wartosc='zly' "
       "BEGIN SELECT RAISE(ABORT, 'refused'); END");
  wxString error;
  EXPECT_FALSE(ModuleSettingsStore::SetValues("/KSeF", {{"env", "prod"}, {"token", "zly"}}, &error));
  EXPECT_NE(error.Find("refused"), wxNOT_FOUND) << error;
  EXPECT_EQ(Rows("SELECT count(*) FROM ksef_ustawienia")[0], "0");
  EXPECT_FALSE(ModuleSettingsStore::SetValues("/Plugins/kpir", {{"rok", "2026"}, {"", "x"}}, &error));
  EXPECT_FALSE(config_->HasEntry("/Plugins/kpir/rok"));
  app_.company = "0";
  error.clear();
  EXPECT_FALSE(ModuleSettingsStore::Set("/KSeF", "env", "prod", &error));
  EXPECT_FALSE(error.empty());  // the user is told why
}

TEST_F(ModuleSettingsStoreTest, AnUnreachableDatabaseGivesTheDefault) {
  app_.connection = JoinPath(JoinPath(folders_.root(), "missing-folder"), "none.db");
  EXPECT_EQ(ModuleSettingsStore::Get("/KSeF", "token", "d"), "d");
  ModuleSettingsStore::Set("/KSeF", "token", "x");
}

}  // namespace
}  // namespace veldrix
