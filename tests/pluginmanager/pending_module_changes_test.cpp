// Applying staged installs, updates and removals in a temporary modules folder.
#include "pluginmanager/pending_module_changes.h"

#include "app/common/paths.h"
#include "pluginmanager/module_staging.h"
#include "package_builder.h"
#include "stopped_child.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/regex.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace veldrix {
namespace {

wxString U(const char* text) { return wxString::FromUTF8(text); }

class PendingModuleChangesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = JoinPath(temp_.path(), "Moduly");
    ASSERT_TRUE(EnsureFolder(root_));
  }

  wxString At(const wxString& relative) { return JoinModulePath(root_, relative); }

  void Installed(const wxString& code, const std::string& version) {
    ASSERT_TRUE(EnsureFolder(At(code)));
    test::WriteFileBytes(JoinModulePath(At(code), "version"), version);
  }

  void StagedVersion(const wxString& code, const std::string& version) {
    ASSERT_TRUE(EnsureFolder(GetPendingInstallDir(root_, code)));
    test::WriteFileBytes(JoinModulePath(GetPendingInstallDir(root_, code), "version"), version);
  }

  void Marker(const wxString& name, const std::string& content = "x\n") {
    ASSERT_TRUE(EnsureFolder(At(".pending-remove")));
    test::WriteFileBytes(JoinModulePath(At(".pending-remove"), name), content);
  }

  // Stages a store package of the module "faktury" whose files name the version.
  bool StageFaktury(const std::string& version) {
    const wxString package = JoinModulePath(temp_.path(), "package-" + version + ".zip");
    test::WritePackage(package, {{"bin/libfaktury.so", "ELF " + version}, {"version", version}});
    wxString hex;
    wxString error;
    return ComputeFileSha256(package, &hex, &error) && StagePackage(root_, "faktury", package, hex, &error);
  }

  std::string InstalledVersion(const wxString& code) {
    const wxString file = JoinModulePath(At(code), "version");
    return wxFileExists(file) ? test::ReadFileBytes(file) : std::string("none");
  }

  std::vector<wxString> List(const wxString& folder, int flags = wxDIR_DIRS | wxDIR_FILES) {
    std::vector<wxString> names;
    wxDir dir(folder);
    wxString name;
    for (bool more = dir.IsOpened() && dir.GetFirst(&name, wxString(), flags); more; more = dir.GetNext(&name)) {
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  test::TempDir temp_;
  wxString root_;
};

TEST_F(PendingModuleChangesTest, NothingStagedChangesNothing) {
  // What finished removals leave: their folders, emptied.
  for (const std::vector<wxString>& left :
       {std::vector<wxString>{}, {".removing"}, {".pending-remove"}, {".pending-remove", ".removing"}}) {
    ASSERT_TRUE(RemoveDirIfExists(root_) && EnsureFolder(root_));
    Installed("faktury", "1");
    for (const wxString& folder : left) ASSERT_TRUE(EnsureFolder(At(folder)));
    wxString report = "old";
    EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report));
    EXPECT_TRUE(report.empty());
    std::vector<wxString> expected = left;
    expected.push_back("faktury");
    EXPECT_EQ(List(root_, wxDIR_DIRS | wxDIR_FILES | wxDIR_HIDDEN), expected) << left.size();
  }
}

TEST_F(PendingModuleChangesTest, RemovesMarkedModulesAndDropsStaleMarkers) {
  Installed("faktury", "1");
  Installed("kpir", "1");
  Marker("faktury", "");
  Marker("gone");  // its module folder no longer exists
  Marker("Bad.Name");
  wxString report;
  EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report));
  EXPECT_TRUE(report.empty());
  EXPECT_EQ(List(root_), std::vector<wxString>{"kpir"});
  EXPECT_EQ(List(At(".pending-remove")), std::vector<wxString>{"Bad.Name"});
}

TEST_F(PendingModuleChangesTest, RemovalsAreCarriedOutOnlyUnderTheStagingFolderLock) {
  Installed("kpir", "1");
  Marker("kpir");
  // Another copy of the program, staging a module, holds the lock another start would hold.
  test::StoppedChild staging("module staging unpack", [this] { StageFaktury("1"); });
  ASSERT_TRUE(staging.stopped());
  wxString report;
  EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  EXPECT_EQ(InstalledVersion("kpir"), "1");
  EXPECT_TRUE(IsModuleRemovalPending(root_, "kpir"));
  staging.Kill();
  EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  EXPECT_FALSE(wxDirExists(At("kpir")));
  EXPECT_FALSE(IsModuleRemovalPending(root_, "kpir"));

  // A lock that cannot be had at all (a file in the folder's place) is a failure.
  Installed("jpk", "1");
  Marker("jpk");
  ASSERT_TRUE(RemoveDirIfExists(At(".pending")));
  test::WriteFileBytes(At(".pending"), "");
  EXPECT_FALSE(ApplyPendingModuleChanges(root_, &report));
  EXPECT_EQ(InstalledVersion("jpk"), "1");
}

TEST_F(PendingModuleChangesTest, WhatAKilledRemovalLeftGoesAtTheNextStartStagedOrNot) {
  for (const bool staged : {true, false}) {
    SCOPED_TRACE(staged ? "an install staged" : "nothing staged");
    ASSERT_TRUE(RemoveDirIfExists(root_) && EnsureFolder(root_));
    Installed("kpir", "1");
    if (staged) StagedVersion("jpk", "1");
    const wxString left = At(".removing/kpir-20260101-120000");
    ASSERT_TRUE(EnsureFolder(left));
    test::WriteFileBytes(JoinModulePath(left, "libkpir.so"), "ELF");
    wxString report;
    EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
    EXPECT_TRUE(List(At(".removing")).empty());
    EXPECT_EQ(InstalledVersion("kpir"), "1");
  }
}

TEST_F(PendingModuleChangesTest, InstallsAndUpdatesWithADatedBackup) {
  Installed("faktury", "1");
  StagedVersion("faktury", "2");
  StagedVersion("kpir", "1");
  ASSERT_TRUE(EnsureFolder(GetPendingInstallDir(root_, "jpk") + ".new"));
  wxString report;
  EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  EXPECT_EQ(InstalledVersion("faktury"), "2");
  EXPECT_EQ(InstalledVersion("kpir"), "1");
  const std::vector<wxString> backups = List(At(".backup"));
  ASSERT_EQ(backups.size(), 1u);
  EXPECT_TRUE(wxRegEx("^faktury-[0-9]{8}-[0-9]{6}$").Matches(backups[0])) << backups[0];
  EXPECT_EQ(test::ReadFileBytes(JoinModulePath(At(".backup/" + backups[0]), "version")), "1");
  // An unpacking folder that no staging holds any more is not installed, and goes.
  EXPECT_FALSE(wxDirExists(At("jpk")));
  EXPECT_TRUE(List(At(".pending")).empty());
}

TEST_F(PendingModuleChangesTest, TwoUpdatesWithinOneSecondKeepBothBackups) {
  Installed("faktury", "1");
  StagedVersion("faktury", "2");
  wxString report;
  ASSERT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  StagedVersion("faktury", "3");
  ASSERT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  StagedVersion("faktury", "4");
  ASSERT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  const std::vector<wxString> backups = List(At(".backup"));
  ASSERT_EQ(backups.size(), 3u);
  std::vector<std::string> versions;
  for (const wxString& backup : backups) {
    versions.push_back(test::ReadFileBytes(JoinModulePath(At(".backup/" + backup), "version")));
  }
  std::sort(versions.begin(), versions.end());
  EXPECT_EQ(versions, (std::vector<std::string>{"1", "2", "3"}));
  EXPECT_EQ(InstalledVersion("faktury"), "4");
}

TEST_F(PendingModuleChangesTest, MarkerAndStagedFolderGiveAFreshInstall) {
  Installed("kpir", "1");
  Marker("kpir");
  StagedVersion("kpir", "2");
  wxString report;
  EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  EXPECT_EQ(InstalledVersion("kpir"), "2");
  EXPECT_FALSE(wxDirExists(At(".backup")));
}

TEST_F(PendingModuleChangesTest, FailuresAreReportedPerModuleAndLeftForTheNextStart) {
  Installed("faktury", "1");
  Marker("faktury");
  Installed("kpir", "1");
  StagedVersion("kpir", "2");
  StagedVersion("jpk", "1");
  // The removal cannot move the module aside, the update cannot make its backup,
  // and the install finds a file where its folder goes.
  test::WriteFileBytes(At(".removing"), "");
  test::WriteFileBytes(At(".backup"), "");
  test::WriteFileBytes(At("jpk"), "");
  wxString report;
  EXPECT_FALSE(ApplyPendingModuleChanges(root_, &report));
  EXPECT_EQ(report, U("Nie udało się odinstalować modułu faktury.\n"
                      "Nie udało się zastosować aktualizacji modułu jpk.\n"
                      "Nie udało się utworzyć kopii modułu kpir.\n"));
  // Nothing was half done: every module is complete where it was, every change waits.
  EXPECT_EQ(InstalledVersion("faktury"), "1");
  EXPECT_EQ(InstalledVersion("kpir"), "1");
  EXPECT_TRUE(IsModuleRemovalPending(root_, "faktury"));
  EXPECT_TRUE(IsModuleInstallPending(root_, "kpir"));
  EXPECT_TRUE(IsModuleInstallPending(root_, "jpk"));

  wxRemoveFile(At(".removing"));
  wxRemoveFile(At(".backup"));
  wxRemoveFile(At("jpk"));
  EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  EXPECT_EQ(List(root_), (std::vector<wxString>{"jpk", "kpir"}));
  EXPECT_EQ(InstalledVersion("kpir"), "2");
}

TEST_F(PendingModuleChangesTest, StoreInstallUpdateAndRemovalReachTheModulesFolderAtTheNextStart) {
  wxString report;
  ASSERT_TRUE(StageFaktury("1"));
  ASSERT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  EXPECT_EQ(test::ReadFileBytes(JoinModulePath(At("faktury"), "bin/libfaktury.so")), "ELF 1");
  EXPECT_FALSE(wxDirExists(At(".backup")));

  ASSERT_TRUE(StageFaktury("2"));
  EXPECT_EQ(InstalledVersion("faktury"), "1");  // untouched until the start
  ASSERT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  EXPECT_EQ(InstalledVersion("faktury"), "2");
  ASSERT_EQ(List(At(".backup")).size(), 1u);
  EXPECT_FALSE(IsModuleInstallPending(root_, "faktury"));

  wxString error;
  ASSERT_TRUE(PrepareModuleUninstall(root_, "faktury", &error)) << error;
  EXPECT_TRUE(wxDirExists(At("faktury")));
  ASSERT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
  EXPECT_TRUE(List(root_).empty());
  EXPECT_FALSE(IsModuleRemovalPending(root_, "faktury"));
}

TEST_F(PendingModuleChangesTest, AKilledStagingLeavesOneWholeVersion) {
  // Where the staging of version 2 is killed, what the user does next, and what the
  // next start installs.
  const struct {
    const char* point;
    std::function<bool()> next;
    std::string installed;
  } cases[] = {
      {"module staging commit", [] { return true; }, "2"},
      {"module staging commit", [this] { return StageFaktury("3"); }, "3"},
      {"module staging commit", [this] { return PrepareModuleUninstall(root_, "faktury", nullptr); }, "none"},
      {"module staging unpack", [] { return true; }, "1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.point) + " then " + c.installed);
    ASSERT_TRUE(RemoveDirIfExists(root_) && EnsureFolder(root_) && StageFaktury("1"));
    test::StoppedChild staging(c.point, [this] { StageFaktury("2"); });
    ASSERT_TRUE(staging.stopped());
    staging.Kill();
    EXPECT_TRUE(c.next());
    wxString report;
    EXPECT_TRUE(ApplyPendingModuleChanges(root_, &report)) << report;
    EXPECT_EQ(InstalledVersion("faktury"), c.installed);
    EXPECT_TRUE(List(At(".pending")).empty());
  }
}

}  // namespace
}  // namespace veldrix
