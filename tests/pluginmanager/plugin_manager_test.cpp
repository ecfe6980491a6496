// The module host against real module libraries built by the test suite and
// copied into a temporary "Moduly" folder.
#include "pluginmanager/plugin_manager.h"

#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "scoped_config.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <memory>
#include <thread>
#include <vector>

namespace veldrix {
namespace {

class CaptureLog : public wxLog {
 public:
  std::vector<wxString> lines;

 protected:
  void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override {
    if (level == wxLOG_Warning) {
      lines.push_back("warning: " + msg);
    } else if (level == wxLOG_Message) {
      lines.push_back(msg);
    }
  }
};

class PluginManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousLog_ = wxLog::SetActiveTarget(&log_);
    wxLog::SetLogLevel(wxLOG_Max);
    EnsureFolder(PluginManager::GetModulesDirectory());
  }

  void TearDown() override {
    manager_.reset();
    wxLog::SetActiveTarget(previousLog_);
  }

  // Copies the built module `name` into Moduly/<folder>/.
  void Install(const wxString& folder, const wxString& name) {
    const wxString target = JoinPath(PluginManager::GetModulesDirectory(), folder);
    ASSERT_TRUE(EnsureFolder(target));
    ASSERT_TRUE(wxCopyFile(JoinPath(VELDRIX_TEST_MODULE_DIR, name + ".so"), JoinPath(target, name + ".so")));
  }

  PluginManager& Load() {
    manager_ = std::make_unique<PluginManager>(nullptr, nullptr, nullptr);
    manager_->LoadModules();
    return *manager_;
  }

  wxString State(const wxString& id) {
    for (std::size_t i = 0; i < manager_->GetModuleCount(); ++i) {
      if (manager_->GetModuleId(i) == id) return manager_->GetModuleStateText(i);
    }
    return "<missing>";
  }

  std::size_t Index(const wxString& id) {
    for (std::size_t i = 0; i < manager_->GetModuleCount(); ++i) {
      if (manager_->GetModuleId(i) == id) return i;
    }
    ADD_FAILURE() << "no module " << id;
    return 0;
  }

  std::vector<wxString> Logged(const wxString& prefix) {
    std::vector<wxString> found;
    for (const wxString& line : log_.lines) {
      if (line.StartsWith(prefix)) found.push_back(line);
    }
    return found;
  }

  test::IsolatedFolders folders_;
  test::ScopedProgramConfig config_;
  CaptureLog log_;
  wxLog* previousLog_ = nullptr;
  std::unique_ptr<PluginManager> manager_;
};

TEST_F(PluginManagerTest, ModulesFolderIsBesideTheProgram) {
  EXPECT_EQ(PluginManager::GetModulesDirectory(), JoinPath(folders_.programFolder(), "Moduly"));
}

TEST_F(PluginManagerTest, StartsDependenciesFirstWhateverTheLoadOrder) {
  Install("a_beta", "mod_beta");  // depends on "ALPHA"
  Install("b_alpha", "mod_alpha");
  PluginManager& host = Load();
  ASSERT_EQ(host.GetModuleCount(), 2u);
  EXPECT_EQ(host.GetModuleId(0), "beta");  // equal rank keeps load order
  EXPECT_EQ(State("alpha"), wxString::FromUTF8("aktywny"));
  EXPECT_EQ(State("beta"), wxString::FromUTF8("aktywny"));
  EXPECT_TRUE(host.GetModule(Index("beta")).message.empty());
  EXPECT_EQ(Logged("init "), (std::vector<wxString>{"init alpha", "init beta"}));
  EXPECT_TRUE(host.IsModuleActive("BETA"));
  EXPECT_EQ(host.GetModule(Index("alpha")).Version(), "1.2.3");
  EXPECT_EQ(host.GetModule(Index("alpha")).folder, JoinPath(PluginManager::GetModulesDirectory(), "b_alpha"));
}

TEST_F(PluginManagerTest, TwoLibrariesInOneFolderGiveTwoRecords) {
  Install("both", "mod_chain1");
  Install("both", "mod_alpha");
  PluginManager& host = Load();
  ASSERT_EQ(host.GetModuleCount(), 2u);
  EXPECT_EQ(host.GetModuleId(0), "alpha");  // mod_alpha.so sorts first
  EXPECT_EQ(host.GetModule(0).folder, host.GetModule(1).folder);
}

TEST_F(PluginManagerTest, ASecondCopyOfAModuleIsListedButNotStarted) {
  // A copied module folder: the same id from two libraries, in either letter case.
  Install("a", "mod_alpha");
  Install("b_copy", "mod_alpha");
  Install("c", "mod_faktury");        // id "Faktury"
  Install("d", "mod_faktury_pages");  // id "faktury"
  PluginManager& host = Load();
  ASSERT_EQ(host.GetModuleCount(), 4u);
  EXPECT_EQ(Logged("init "), (std::vector<wxString>{"init alpha", "init Faktury"}));
  const PluginModule& copy = host.GetModule(3);
  EXPECT_EQ(copy.folder, JoinPath(PluginManager::GetModulesDirectory(), "b_copy"));
  EXPECT_FALSE(copy.IsActive());
  EXPECT_NE(host.GetModuleStateText(3).Find(JoinPath(PluginManager::GetModulesDirectory(), "a")), wxNOT_FOUND)
      << host.GetModuleStateText(3);
  EXPECT_FALSE(host.GetModule(1).IsActive());  // "faktury" after "Faktury"
  EXPECT_TRUE(host.IsModuleActive("alpha"));
  EXPECT_TRUE(host.IsModuleActive("faktury"));
}

TEST_F(PluginManagerTest, RefusesWrongVersionMissingExportsAndNonLibraries) {
  Install("old", "mod_api10");
  Install("noinfo", "mod_noinfo");
  const wxString fakeFolder = JoinPath(PluginManager::GetModulesDirectory(), "fake");
  ASSERT_TRUE(EnsureFolder(fakeFolder));
  test::WriteFileBytes(JoinPath(fakeFolder, "fake.so"), "not a library\n");
  test::WriteFileBytes(JoinPath(fakeFolder, "readme.txt"), "ignored\n");
  PluginManager& host = Load();
  ASSERT_EQ(host.GetModuleCount(), 3u);
  // Failed records have no id; they keep the load order (fake, noinfo, old).
  EXPECT_EQ(host.GetModuleStateText(0), wxString::FromUTF8("Nie udało się załadować biblioteki modułu."));
  EXPECT_EQ(host.GetModuleStateText(1), wxString::FromUTF8("Brak wymaganych funkcji eksportowanych."));
  EXPECT_EQ(host.GetModuleStateText(2), wxString::FromUTF8("Niezgodna wersja API modułu."));
  for (std::size_t i = 0; i < 3; ++i) EXPECT_FALSE(host.GetModule(i).loaded);
  EXPECT_EQ(host.GetModuleStateText(3), "");
  EXPECT_EQ(host.GetModuleId(3), "");
}

TEST_F(PluginManagerTest, ChainsStartInOrderAndBrokenDependenciesSayWhy) {
  Install("a", "mod_chain3");
  Install("b", "mod_chain2");
  Install("c", "mod_chain1");
  Install("d", "mod_alpha");
  Install("e", "mod_cycle_a");
  Install("f", "mod_cycle_b");
  Install("g", "mod_self");
  Install("h", "mod_needs_missing");
  Load();
  EXPECT_EQ(Logged("init "), (std::vector<wxString>{"init chain1", "init alpha", "init chain2", "init chain3"}));
  const wxString unresolved = wxString::FromUTF8("Nie można rozwiązać zależności modułu.");
  EXPECT_EQ(State("cycle_a"), unresolved);
  EXPECT_EQ(State("cycle_b"), unresolved);
  EXPECT_EQ(State("self"), unresolved);
  EXPECT_EQ(State("needs_missing"), wxString::FromUTF8("Brak wymaganego modułu: nowhere"));
}

TEST_F(PluginManagerTest, FailedStartMarksTheModuleAndItsDependents) {
  Install("a", "mod_needs_failing");
  Install("b", "mod_failing");
  Load();
  EXPECT_EQ(State("failing"), wxString::FromUTF8("Inicjalizacja modułu nie powiodła się."));
  EXPECT_EQ(State("needs_failing"), wxString::FromUTF8("Wymagany modul jest nieaktywny: failing"));
  EXPECT_FALSE(manager_->IsModuleActive("failing"));
}

TEST_F(PluginManagerTest, DisabledDependencyDisablesItsDependents) {
  Install("a", "mod_alpha");
  Install("b", "mod_beta");
  config_->Write("/Plugins/alpha/Enabled", false);
  PluginManager& host = Load();
  EXPECT_EQ(State("alpha"), wxString::FromUTF8("wyłączony"));
  EXPECT_EQ(State("beta"), wxString::FromUTF8("Wymagany modul jest wyłączony: Alfa"));
  EXPECT_TRUE(Logged("init ").empty());

  // Enabling alpha starts it at once; beta keeps its message until the next load.
  host.SetModuleEnabled(Index("alpha"), true);
  EXPECT_EQ(State("alpha"), wxString::FromUTF8("aktywny"));
  EXPECT_EQ(State("beta"), wxString::FromUTF8("Wymagany modul jest wyłączony: Alfa"));
  EXPECT_TRUE(config_->ReadBool("/Plugins/alpha/Enabled", false));

  // Disabling alpha disables its dependents and stores both flags.
  host.SetModuleEnabled(Index("alpha"), false);
  EXPECT_FALSE(host.GetModule(Index("beta")).enabled);
  EXPECT_FALSE(config_->ReadBool("/Plugins/alpha/Enabled", true));
  EXPECT_FALSE(config_->ReadBool("/Plugins/beta/Enabled", true));
}

TEST_F(PluginManagerTest, EnablingAModuleEnablesItsDependencyAndStartsBoth) {
  Install("a", "mod_alpha");
  Install("b", "mod_beta");
  config_->Write("/Plugins/alpha/Enabled", false);
  config_->Write("/Plugins/beta/Enabled", false);
  PluginManager& host = Load();
  host.SetModuleEnabled(Index("beta"), true);
  EXPECT_TRUE(host.IsModuleActive("alpha"));
  EXPECT_TRUE(host.IsModuleActive("beta"));
  EXPECT_TRUE(config_->ReadBool("/Plugins/alpha/Enabled", false));
}

TEST_F(PluginManagerTest, SortsByRankKeepingLoadOrderOtherwise) {
  Install("a", "mod_alpha");
  Install("b", "mod_faktury");
  Install("c", "mod_artykuly");
  PluginManager& host = Load();
  ASSERT_EQ(host.GetModuleCount(), 3u);
  EXPECT_EQ(host.GetModuleId(0), "artykuly");
  EXPECT_EQ(host.GetModuleId(1), "Faktury");
  EXPECT_EQ(host.GetModuleId(2), "alpha");
  EXPECT_EQ(PluginManager::ModuleSortRank("JPK_VAT"), 60);
  // Initialisation followed the load order, before sorting.
  EXPECT_EQ(Logged("init "), (std::vector<wxString>{"init alpha", "init Faktury", "init artykuly"}));
}

TEST_F(PluginManagerTest, CompanyNoticeCollectsEveryRefusalAndReadsBuffersWithinCapacity) {
  Install("a", "mod_alpha");
  Install("b", "mod_beta");
  Install("c", "mod_faktury");    // fills the whole buffer without a terminating zero
  Install("d", "mod_artykuly");   // refuses without a text
  PluginManager& host = Load();
  wxString error = "old";
  EXPECT_FALSE(host.NotifyCompanyCreated(0, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Nieprawidłowy identyfikator firmy."));

  EXPECT_FALSE(host.NotifyCompanyCreated(7, &error));
  const wxArrayString lines = wxSplit(error, '\n', '\0');
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], wxString::FromUTF8("artykuly: Inicjalizacja danych firmowych modułu nie powiodła się."));
  EXPECT_EQ(lines[1], "Faktury: " + wxString(VELDRIX_COMPANY_ERROR_TEXT, 'x'));
  EXPECT_EQ(lines[2], "Beta: brak tabeli");
  EXPECT_FALSE(host.NotifyCompanyCreated(7, nullptr));
}

TEST_F(PluginManagerTest, DependencyCountsAreCappedBeforeAllocation) {
  Install("a", "mod_overclaim");  // claims four billion dependencies, fills "alpha"
  Install("b", "mod_alpha");
  PluginManager& host = Load();
  const PluginModule& module = host.GetModule(Index("overclaim"));
  EXPECT_EQ(module.dependencyIds, (std::vector<wxString>{"alpha"}));
  EXPECT_TRUE(module.IsActive());
}

TEST_F(PluginManagerTest, AModuleThatThrowsFailsAloneWithAMessage) {
  Install("a", "mod_wadliwy");  // its initialise throws
  Install("b", "mod_alpha");
  wxLogNull quiet;
  PluginManager& host = Load();
  EXPECT_TRUE(host.IsModuleActive("alpha"));
  EXPECT_FALSE(host.IsModuleActive("wadliwy"));
  const wxString state = State("wadliwy");
  EXPECT_NE(state.Find("VeldrixPluginInitialize"), wxNOT_FOUND) << state;
  EXPECT_NE(state.Find("brak pliku licencji"), wxNOT_FOUND) << state;
  manager_.reset();  // no shutdown call for the module that never started
}

TEST_F(PluginManagerTest, TheTableAModuleKeptOutlivesItsHost) {
  Install("a", "mod_alpha");
  const HostApi* table = &Load().GetHostApi();
  EXPECT_EQ(table->isModuleActive(table->context, L"Alpha"), 1);
  // Module threads see the same state; callbacks that touch windows refuse them.
  int fromWorker = -1;
  int permissionFromWorker = -1;
  std::thread([&] {
    fromWorker = table->isModuleActive(table->context, L"alpha");
    permissionFromWorker = table->hasPermission(table->context, L"faktury.view");
  }).join();
  EXPECT_EQ(fromWorker, 1);
  EXPECT_EQ(permissionFromWorker, 0);

  manager_.reset();
  // After a logout the kept table still answers, and nothing leads to the old host.
  EXPECT_EQ(table->version, VELDRIX_PLUGIN_API_VERSION);
  EXPECT_EQ(table->isModuleActive(table->context, L"alpha"), 0);
  EXPECT_EQ(table->hasPermission(table->context, L"faktury.view"), 0);
  EXPECT_EQ(table->openPage(table->context, L"kpir.lista", L""), 0);
  EXPECT_EQ(table->createModulePage(table->context, L"alpha", reinterpret_cast<wxWindow*>(16), L"alpha.lista", L"",
                                    nullptr),
            nullptr);
  table->closePage(table->context, reinterpret_cast<wxWindow*>(16));
  config_->Write("/Plugins/alpha/greeting", "hej");
  EXPECT_EQ(table->getSetting(table->context, L"/Plugins/alpha", L"greeting", L"", nullptr, 0), 4u);

  // The next login's table is another one; the old context does not reach it.
  const HostApi& next = Load().GetHostApi();
  EXPECT_NE(&next, table);
  EXPECT_EQ(next.isModuleActive(next.context, L"alpha"), 1);
  EXPECT_EQ(table->isModuleActive(table->context, L"alpha"), 0);
  EXPECT_EQ(next.isModuleActive(reinterpret_cast<void*>(&config_), L"alpha"), 0);
}

TEST_F(PluginManagerTest, ModulesGetTheProgramsBuiltInImagesByName) {
  const HostApi& table = Load().GetHostApi();
  const void* data = nullptr;
  unsigned size = 0;
  EXPECT_EQ(table.getImage(nullptr, L"obrazy\\SKLEP.PNG", &data, &size), 1);
  ASSERT_NE(data, nullptr);
  EXPECT_GT(size, 8u);
  EXPECT_EQ(std::string(static_cast<const char*>(data) + 1, 3), "PNG");
  const void* untouched = &size;
  unsigned untouchedSize = 7;
  EXPECT_EQ(table.getImage(nullptr, L"brak.png", &untouched, &untouchedSize), 0);
  EXPECT_EQ(untouched, &size);
  EXPECT_EQ(untouchedSize, 7u);
  EXPECT_EQ(table.getImage(nullptr, L"sklep.png", nullptr, &size), 0);
}

TEST_F(PluginManagerTest, HostTableReachesTheSettingsAndModulesReadThemWithinTheirBuffers) {
  Install("a", "mod_alpha");
  config_->Write("/Plugins/alpha/greeting", wxString::FromUTF8("Dzień dobry!"));
  PluginManager& host = Load();
  // The module reads with an 8-unit buffer: 7 units, and the full length plus one.
  EXPECT_EQ(Logged("greeting "), (std::vector<wxString>{wxString::FromUTF8("greeting Dzień d 13")}));
  const HostApi& table = host.GetHostApi();
  EXPECT_EQ(table.version, 11);
  EXPECT_EQ(table.isModuleActive(table.context, L"ALPHA"), 1);
  EXPECT_EQ(table.isModuleActive(table.context, L"nowhere"), 0);
  EXPECT_EQ(table.isModuleActive(nullptr, L"alpha"), 0);
  wchar_t small[4] = {L'?', L'?', L'?', L'?'};
  EXPECT_EQ(table.getSetting(nullptr, nullptr, L"greeting", L"0123456789", small, 4), 11u);
  EXPECT_EQ(std::wstring(small), L"012");
  EXPECT_EQ(table.getSetting(nullptr, L"/Plugins/alpha", L"greeting", nullptr, nullptr, 0), 13u);
  table.setSetting(nullptr, L"Plugins/alpha", L"stored", L"1");
  EXPECT_EQ(config_->Read("/Plugins/alpha/stored"), "1");
  EXPECT_EQ(table.getCurrentCompanyId(nullptr), 0);
  wchar_t error[64];
  EXPECT_EQ(table.executeSql(table.context, L"", error, 64), 0);
  EXPECT_EQ(wxString(error), wxString::FromUTF8("Brak zapytania SQL."));
}

TEST_F(PluginManagerTest, ReadsTheSettingsSchemaByTheHostRules) {
  Install("a", "mod_alpha");
  PluginManager& host = Load();
  const PluginModule& module = host.GetModule(0);
  EXPECT_EQ(module.settingsPath, "/Moje/Ustawienia");
  EXPECT_EQ(module.settingsTitle, "Alfa");
  ASSERT_EQ(module.settingsFields.size(), 2u);
  EXPECT_EQ(module.settingsFields[0].key, "url");
  EXPECT_EQ(module.settingsFields[0].label, "url");
  EXPECT_EQ(module.settingsFields[0].kind, 0);
  EXPECT_EQ(module.settingsFields[0].lines, 1);
  ASSERT_EQ(module.settingsFields[1].choices.size(), 2u);
  EXPECT_EQ(module.settingsFields[1].choices[0].label, "a");
  EXPECT_EQ(module.settingsFields[1].choices[0].value, "Alfa");
  EXPECT_EQ(module.settingsFields[1].choices[1].value, "b");
  EXPECT_TRUE(module.hasSettingsForm);
  EXPECT_FALSE(module.hasMainPage);
}

TEST_F(PluginManagerTest, ShutsDownStartedModulesAndStartsThemAgainAtTheNextLogin) {
  Install("a", "mod_alpha");
  Install("b", "mod_failing");
  Load();
  manager_.reset();
  EXPECT_EQ(Logged("shutdown "), (std::vector<wxString>{"shutdown alpha"}));
  Load();  // the library stays loaded and is initialised again with a new table
  EXPECT_EQ(Logged("init alpha").size(), 2u);
  EXPECT_TRUE(manager_->IsModuleActive("alpha"));
}

TEST_F(PluginManagerTest, AppliesStagedChangesBeforeLoadingAndWarnsOfFailures) {
  Install("alpha", "mod_alpha");
  Install("beta", "mod_beta");
  const wxString root = PluginManager::GetModulesDirectory();
  // beta is marked for removal, and a staged alpha update cannot be backed up
  // because ".backup" is a file.
  ASSERT_TRUE(EnsureFolder(JoinPath(root, ".pending-remove")));
  test::WriteFileBytes(JoinPath(JoinPath(root, ".pending-remove"), "beta"), "beta\n");
  ASSERT_TRUE(EnsureFolder(JoinPath(JoinPath(root, ".pending"), "alpha")));
  test::WriteFileBytes(JoinPath(root, ".backup"), "");
  MessageBoxRecorder boxes;
  PluginManager& host = Load();
  ASSERT_EQ(host.GetModuleCount(), 1u);
  EXPECT_EQ(host.GetModuleId(0), "alpha");
  EXPECT_TRUE(host.IsModuleActive("alpha"));
  const wxString warning = wxString::FromUTF8("Aktualizacje modułów: Nie udało się utworzyć kopii modułu alpha.\n");
  EXPECT_EQ(Logged("warning: "), (std::vector<wxString>{"warning: " + warning}));
  // The log is no window: the user learns of it from the program's own box.
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, warning);
}

TEST_F(PluginManagerTest, AnUpdateOfALibraryStillLoadedWaitsForTheNextProgramStart) {
  Install("alpha", "mod_alpha");
  const wxString root = PluginManager::GetModulesDirectory();
  const wxString installed = JoinPath(JoinPath(root, "alpha"), "mod_alpha.so");
  const std::string running = test::ReadFileBytes(installed);
  Load();
  manager_.reset();  // a logout: the library stays in the process
  const wxString staged = JoinPath(JoinPath(root, ".pending"), "alpha");
  ASSERT_TRUE(EnsureFolder(staged));
  ASSERT_TRUE(wxCopyFile(JoinPath(VELDRIX_TEST_MODULE_DIR, "mod_chain1.so"), JoinPath(staged, "mod_alpha.so")));

  MessageBoxRecorder boxes;
  PluginManager& host = Load();  // the next login, in the same process
  // The files stay those of the code that runs, and the update stays staged.
  EXPECT_EQ(test::ReadFileBytes(installed), running);
  EXPECT_TRUE(wxDirExists(staged));
  EXPECT_FALSE(wxDirExists(JoinPath(root, ".backup")));
  EXPECT_TRUE(host.IsModuleActive("alpha"));
  // No failure: the log says so, and no box comes at every login until the restart.
  EXPECT_TRUE(Logged("warning: ").empty());
  const std::vector<wxString> notes = Logged(wxString::FromUTF8("Aktualizacje modułów: "));
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].Find("alpha"), wxNOT_FOUND) << notes[0];
  EXPECT_TRUE(boxes.shown().empty());
}

}  // namespace
}  // namespace veldrix
