#include "app/common/config_access.h"
#include "app/common/paths.h"
#include "app/connection_settings.h"
#include "app/program_config.h"
#include "authdialogs/auth_dialogs.h"
#include "danefirmy/company_application.h"
#include "pluginmanager/module_settings_store.h"
#include "plugins/grid_layout.h"
#include "sqldata/db_log.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/fileconf.h>

#include <atomic>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using veldrix::test::IsolatedFolders;
using veldrix::test::ReadFileBytes;
using veldrix::test::WriteFileBytes;

namespace {

const char kPassword[] = "Tajne#Hasło1";

wxString Password() { return wxString::FromUTF8(kPassword); }

DbConnectionInfo Parsed(const wxString& text) {
  DbConnectionInfo info;
  EXPECT_TRUE(ParseConnectionInfo(text, &info, nullptr)) << text;
  return info;
}

DbConnectionInfo Postgres(const wxString& database, const wxString& password = wxString()) {
  DbConnectionInfo info =
      Parsed("ServerType=PostgreSQL;Server=127.0.0.1;Port=5432;Database=" + database + ";User ID=ksiegowa;");
  info.password = password;
  return info;
}

ConnectionProfile Profile(const wxString& name, const DbConnectionInfo& info, bool remember = false, bool log = false) {
  ConnectionProfile profile;
  profile.name = name;
  profile.info = info;
  profile.rememberPassword = remember;
  profile.logSqlQueries = log;
  return profile;
}

// The program's configuration file installed as the process one, as the main
// window does; Restart() writes it and opens it again like the next program run.
class ConnectionSettingsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Open();
    settings_ = std::make_unique<ConnectionSettings>();
    settings_->SetDefaultDatabasePath(veldrix::JoinPath(folders_.programFolder(), "veldrix.db"));
  }
  void TearDown() override {
    delete veldrix::InstallConfig(nullptr);
    SqlTraceEnabled.store(false);
  }

  void Open() { delete veldrix::InstallConfig(OpenProgramConfig()); }

  void Restart() {
    delete veldrix::InstallConfig(nullptr);
    Open();
    const wxString path = settings_->GetDefaultDatabasePath();
    settings_ = std::make_unique<ConnectionSettings>();
    settings_->SetDefaultDatabasePath(path);
  }

  wxString Stored(const wxString& key) {
    veldrix::ConfigAccess config;
    wxString value;
    config->Read(key, &value);
    return value;
  }

  void WriteEntry(int index, const wxString& name, const wxString& connection) {
    veldrix::ConfigAccess config;
    config->Write(wxString::Format("/AppDatabase/History/%d/Name", index), name);
    config->Write(wxString::Format("/AppDatabase/History/%d/ConnectionString", index), connection);
  }

  IsolatedFolders folders_;
  std::unique_ptr<ConnectionSettings> settings_;
};

}  // namespace

TEST_F(ConnectionSettingsTest, EmptyConfigurationGivesTheCanonicalDefaultSqliteFile) {
  const wxString file = folders_.programFolder() + "/veldrix.db";
  const wxString active = settings_->GetActiveConnection();
  EXPECT_EQ(active, BuildConnectionString(Parsed("Data Source=" + file + ";Version=3;")));
  EXPECT_TRUE(active.EndsWith(";Data Source=" + file + ";Version=3;")) << active;
  EXPECT_EQ(settings_->GetActiveConnectionInfo().server, file);
  const wxArrayString names = settings_->GetSavedConnectionNames();
  ASSERT_EQ(names.size(), 1u);
  EXPECT_EQ(names[0], "SQLite - " + file);
  EXPECT_EQ(settings_->FindActiveSavedConnection(), 0);
  const std::vector<ConnectionProfile> profiles = settings_->ReadConnectionProfiles();
  ASSERT_EQ(profiles.size(), 1u);
  EXPECT_EQ(profiles[0].info.server, file);
}

TEST_F(ConnectionSettingsTest, WithoutConfigurationReadersFallBackAndWritersFail) {
  delete veldrix::InstallConfig(nullptr);
  EXPECT_EQ(settings_->GetActiveConnection(), settings_->DefaultSqliteConnection());
  EXPECT_EQ(settings_->GetSavedConnectionNames().size(), 1u);
  EXPECT_FALSE(settings_->ActivateSavedConnection(0));
  wxString error;
  EXPECT_FALSE(settings_->SaveConnectionSettings({Profile("A", Postgres("a"), false)}, 0, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Nie można otworzyć konfiguracji programu."));
  Open();
  EXPECT_FALSE(settings_->SaveConnectionSettings({}, 0, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Wybierz co najmniej jedno połączenie do zapisania."));
  EXPECT_FALSE(settings_->SaveConnectionSettings({Profile("A", Postgres("a"), false)}, 1, &error));
}

// Root writes through any permission, so the folder gives way to a plain file.
TEST_F(ConnectionSettingsTest, ASettingTheFileNeverReceivedIsReportedAndNotKept) {
  ASSERT_TRUE(settings_->SaveConnectionSettings({Profile("A", Postgres("a")), Profile("B", Postgres("b"))}, 0));
  const wxString folder = veldrix::ConfigFolder();
  const wxString moved = folder + ".away";
  const struct {
    const char* what;
    std::function<bool(wxString*)> save;
    std::function<wxString()> stored;
    wxString value;
  } cases[] = {
      {"saved connections",
       [&](wxString* e) {
         return settings_->SaveConnectionSettings(
             {Profile("A", Postgres("a")), Profile("B", Postgres("b")), Profile("C", Postgres("c"))}, 2, e);
       },
       [&] { return settings_->GetActiveConnectionInfo().database + Stored("/AppDatabase/History/2/Name"); }, "c"},
      {"active connection", [&](wxString* e) { return settings_->ActivateSavedConnection(1, e); },
       [&] { return settings_->GetActiveConnectionInfo().database; }, "b"},
      {"working company",
       [](wxString* e) { return StoreWorkingCompany(veldrix::ConfigAccess().get(), "7", e); },
       [] { return ReadWorkingCompanyId(veldrix::ConfigAccess().get(), "0"); }, "7"},
      {"module setting",
       [](wxString* e) { return veldrix::ModuleSettingsStore::Set("/Plugins/kpir", "rok", "2026", e); },
       [] { return veldrix::ModuleSettingsStore::Get("/Plugins/kpir", "rok", wxString()); }, "2026"},
      {"grid layout",
       [](wxString* e) {
         veldrix::GridLayout layout = veldrix::GridLayout::Default(2);
         layout.visible[1] = false;
         return veldrix::WriteGridLayout("/PluginGrid/kpir/lista", layout, e);
       },
       [] {
         const auto shown = veldrix::ReadGridLayout("/PluginGrid/kpir/lista", 2).VisibleDefinitions();
         return wxString::Format("%zu columns", shown.size());
       },
       "1 columns"},
      {"remembered login", [](wxString* e) { return WriteLastLoginName("anna", e); },
       [] { return ReadLastLoginName(); }, "anna"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(std::rename(folder.fn_str(), moved.fn_str()), 0);
    WriteFileBytes(folder, "not a folder");
    wxString error;
    EXPECT_FALSE(c.save(&error));
    // The reason under the first line names the folder in Polish too; only the
    // system's message follows the locale.
    const wxString reason = error.AfterFirst('\n');
    EXPECT_TRUE(reason.Contains(folder)) << error;
    EXPECT_TRUE(reason.Lower().Contains("katalog")) << error;
    EXPECT_FALSE(c.stored().Contains(c.value)) << "kept in memory";
    ASSERT_EQ(std::remove(folder.fn_str()), 0);
    ASSERT_EQ(std::rename(moved.fn_str(), folder.fn_str()), 0);
    Restart();
    EXPECT_FALSE(c.stored().Contains(c.value)) << "found at the next start";
  }
}

TEST_F(ConnectionSettingsTest, EightyHistoryEntriesAreReadAsFiftyAndWrittenBackAsFifty) {
  {
    veldrix::ConfigAccess config;
    config->Write("/AppDatabase/History/Count", 80L);
  }
  for (int i = 0; i < 80; ++i) WriteEntry(i, wxString::Format("Baza %d", i), BuildConnectionString(Postgres(wxString::Format("db%d", i))));
  std::vector<SavedConnection> list;
  {
    veldrix::ConfigAccess config;
    list = ReadSavedConnections(config.get(), false);
  }
  ASSERT_EQ(list.size(), 50u);
  EXPECT_EQ(list[49].name, "Baza 49");
  EXPECT_EQ(settings_->GetSavedConnectionNames().size(), 50u);
  list.push_back(list[0]);  // 51 entries
  {
    veldrix::ConfigAccess config;
    WriteSavedConnections(config.get(), list);
  }
  Restart();
  EXPECT_EQ(Stored("/AppDatabase/History/Count"), "50");
  EXPECT_EQ(Stored("/AppDatabase/History/49/Name"), "Baza 49");
  EXPECT_EQ(Stored("/AppDatabase/History/50/Name"), "");
}

TEST_F(ConnectionSettingsTest, UnreadableEntryNeverShiftsActivationOntoAnotherDatabase) {
  {
    veldrix::ConfigAccess config;
    config->Write("/AppDatabase/History/Count", 3L);
  }
  WriteEntry(0, "Biuro", BuildConnectionString(Postgres("biuro")));
  WriteEntry(1, "Zepsuta", "");
  WriteEntry(2, "Magazyn", BuildConnectionString(Postgres("magazyn")));
  const wxArrayString names = settings_->GetSavedConnectionNames();
  ASSERT_EQ(names.size(), 2u);
  EXPECT_EQ(names[1], "Magazyn");
  ASSERT_TRUE(settings_->ActivateSavedConnection(1));
  EXPECT_EQ(settings_->GetActiveConnectionInfo().database, "magazyn");
  EXPECT_EQ(settings_->FindActiveSavedConnection(), 1);
  EXPECT_FALSE(settings_->ActivateSavedConnection(2));
  Restart();
  EXPECT_EQ(settings_->GetActiveConnectionInfo().database, "magazyn");
  EXPECT_EQ(Stored("/AppDatabase/History/Count"), "3");  // activation keeps the history
}

TEST_F(ConnectionSettingsTest, NoPasswordEverAppearsInAStoredConnectionString) {
  const std::vector<ConnectionProfile> profiles = {Profile("Biuro", Postgres("biuro", Password()), true),
                                                   Profile("Magazyn", Postgres("magazyn", Password()), false)};
  for (int active = 0; active < 2; ++active) {
    ASSERT_TRUE(settings_->SaveConnectionSettings(profiles, active));
    EXPECT_EQ(Parsed(Stored("/AppDatabase/ConnectionString")).password, "");
    EXPECT_EQ(Parsed(Stored("/AppDatabase/History/0/ConnectionString")).password, "");
    EXPECT_EQ(Parsed(Stored("/AppDatabase/History/1/ConnectionString")).password, "");
    // The running program connects with the password typed in.
    EXPECT_EQ(settings_->GetActiveConnectionInfo().password, Password());
    ASSERT_TRUE(settings_->ActivateSavedConnection(1 - active));
    EXPECT_EQ(Parsed(Stored("/AppDatabase/ConnectionString")).password, "");
  }
  Restart();
  EXPECT_EQ(ReadFileBytes(veldrix::ConfigFilePath()).find(kPassword), std::string::npos);
}

TEST_F(ConnectionSettingsTest, RememberedPasswordSurvivesARestartProtected) {
  ASSERT_TRUE(settings_->SaveConnectionSettings({Profile("  Biuro  ", Postgres("biuro", Password()), true)}, 0));
  Restart();
  const wxString record = Stored("/AppDatabase/EncryptedPassword");
  ASSERT_FALSE(record.empty());
  EXPECT_EQ(record.Find(Password()), wxNOT_FOUND);
  EXPECT_EQ(Stored("/AppDatabase/RememberPassword"), "1");
  EXPECT_EQ(Stored("/AppDatabase/History/0/Name"), "Biuro");
  EXPECT_EQ(ReadFileBytes(veldrix::ConfigFilePath()).find(kPassword), std::string::npos);
  EXPECT_EQ(settings_->GetActiveConnectionInfo().password, Password());
  const std::vector<ConnectionProfile> profiles = settings_->ReadConnectionProfiles();
  ASSERT_EQ(profiles.size(), 1u);
  EXPECT_EQ(profiles[0].info.password, Password());
  EXPECT_TRUE(profiles[0].rememberPassword);

  // Another user's key (or a damaged record): the connection is used without a password.
  WriteFileBytes(veldrix::JoinPath(veldrix::ConfigFolder(), "secret.key"), std::string(32, 'k'));
  Restart();
  const DbConnectionInfo info = settings_->GetActiveConnectionInfo();
  EXPECT_EQ(info.database, "biuro");
  EXPECT_EQ(info.password, "");
}

TEST_F(ConnectionSettingsTest, PasswordNotRememberedLastsOnlyUntilTheProgramEnds) {
  ASSERT_TRUE(settings_->SaveConnectionSettings({Profile("Biuro", Postgres("biuro", Password()), false)}, 0));
  EXPECT_EQ(settings_->GetActiveConnectionInfo().password, Password());
  EXPECT_EQ(Stored("/AppDatabase/EncryptedPassword"), "");
  EXPECT_EQ(Stored("/AppDatabase/RememberPassword"), "0");
  Restart();
  EXPECT_EQ(settings_->GetActiveConnectionInfo().database, "biuro");
  EXPECT_EQ(settings_->GetActiveConnectionInfo().password, "");
}

TEST_F(ConnectionSettingsTest, ReturningToTheDefaultKeepsTheSavedConnections) {
  ASSERT_TRUE(settings_->SaveConnectionSettings(
      {Profile("Biuro", Postgres("biuro", Password()), true, true), Profile("", Postgres("magazyn"), false)}, 0));
  EXPECT_TRUE(SqlTraceEnabled.load());
  EXPECT_EQ(Stored("/AppDatabase/History/1/Name"), DescribeConnection(Postgres("magazyn")));
  settings_->SetActiveConnection(wxString());
  EXPECT_FALSE(SqlTraceEnabled.load());
  EXPECT_EQ(settings_->GetActiveConnection(), settings_->DefaultSqliteConnection());
  EXPECT_EQ(Stored("/AppDatabase/ConnectionString"), "");
  EXPECT_EQ(Stored("/AppDatabase/EncryptedPassword"), "");
  EXPECT_EQ(settings_->GetSavedConnectionNames().size(), 2u);
  EXPECT_EQ(settings_->FindActiveSavedConnection(), 0);  // the default is not among them
}

TEST_F(ConnectionSettingsTest, SqlTraceFollowsTheActiveConnection) {
  ASSERT_TRUE(settings_->SaveConnectionSettings(
      {Profile("Biuro", Postgres("biuro"), false, false), Profile("Magazyn", Postgres("magazyn"), false, true)}, 0));
  EXPECT_FALSE(SqlTraceEnabled.load());
  ASSERT_TRUE(settings_->ActivateSavedConnection(1));
  EXPECT_TRUE(SqlTraceEnabled.load());
  Restart();
  SqlTraceEnabled.store(false);
  settings_->GetActiveConnection();
  EXPECT_TRUE(SqlTraceEnabled.load());
}

TEST_F(ConnectionSettingsTest, StoredStringThatDoesNotParseIsReturnedUnchanged) {
  {
    veldrix::ConfigAccess config;
    config->Write("/AppDatabase/ConnectionString", "bez sensu");
  }
  EXPECT_EQ(settings_->GetActiveConnection(), "bez sensu");
}

TEST_F(ConnectionSettingsTest, ConcurrentReadersAndAWriterShareTheConfiguration) {
  std::atomic<bool> stop{false};
  std::atomic<int> wrong{0};
  std::vector<std::thread> readers;
  for (int i = 0; i < 4; ++i) {
    readers.emplace_back([&] {
      while (!stop.load()) {
        const DbConnectionInfo info = settings_->GetActiveConnectionInfo();
        const bool known = info.database == "a" || info.database == "b" || info.server.EndsWith("veldrix.db");
        if (!known) ++wrong;
        settings_->GetSavedConnectionNames();
      }
    });
  }
  for (int i = 0; i < 100; ++i) {
    ASSERT_TRUE(settings_->SaveConnectionSettings({Profile("A", Postgres("a")), Profile("B", Postgres("b"))}, i % 2));
    ASSERT_TRUE(settings_->ActivateSavedConnection((i + 1) % 2));
  }
  stop.store(true);
  for (std::thread& reader : readers) reader.join();
  EXPECT_EQ(wrong.load(), 0);
}
