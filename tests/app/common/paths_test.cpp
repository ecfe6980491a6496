#include "app/common/paths.h"
#include "app/common/worker_registry.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filefn.h>

using veldrix::test::ScopedEnv;
using veldrix::test::TempDir;

TEST(Paths, FollowXdgFolders) {
  TempDir temp;
  ScopedEnv config("XDG_CONFIG_HOME", temp.file("cfg"));
  ScopedEnv data("XDG_DATA_HOME", temp.file("share"));
  EXPECT_EQ(veldrix::ConfigFolder(), temp.file("cfg") + "/Veldrix");
  EXPECT_EQ(veldrix::UserDataFolder(), temp.file("share") + "/Veldrix");
  EXPECT_EQ(veldrix::ConfigFilePath(), temp.file("cfg") + "/Veldrix/veldrix.ini");
}

TEST(Paths, FallBackToHomeWhenXdgIsUnsetOrRelative) {
  TempDir temp;
  ScopedEnv home("HOME", temp.path());
  ScopedEnv config("XDG_CONFIG_HOME", "relative/cfg");
  ScopedEnv data("XDG_DATA_HOME", "");
  EXPECT_EQ(veldrix::ConfigFolder(), temp.path() + "/.config/Veldrix");
  EXPECT_EQ(veldrix::UserDataFolder(), temp.path() + "/.local/share/Veldrix");
}

TEST(Paths, ProgramFolderOverrideAndJoin) {
  TempDir temp;
  veldrix::SetProgramFolderOverride(temp.path());
  EXPECT_EQ(veldrix::ProgramFolder(), temp.path());
  EXPECT_EQ(veldrix::JoinPath(veldrix::ProgramFolder(), "Moduly", "a.so"), temp.path() + "/Moduly/a.so");
  veldrix::SetProgramFolderOverride(wxString());
  EXPECT_NE(veldrix::ProgramFolder(), temp.path());
  EXPECT_TRUE(veldrix::EnsureFolder(temp.file("a/b/c")));
  EXPECT_TRUE(wxDirExists(temp.file("a/b/c")));
}

TEST(WorkerRegistry, TracksThreadsAndShutdown) {
  veldrix::WorkerRegistry registry;
  auto* first = reinterpret_cast<wxThread*>(0x10);
  auto* second = reinterpret_cast<wxThread*>(0x20);
  registry.RegisterThread(first);
  registry.RegisterThread(second);
  registry.UnregisterThread(first);
  EXPECT_EQ(registry.RunningCount(), 1u);
  EXPECT_FALSE(registry.IsShuttingDown());
  registry.RequestShutdown();
  EXPECT_TRUE(registry.IsShuttingDown());

  veldrix::InstallWorkerRegistry(&registry);
  EXPECT_TRUE(veldrix::Workers().IsShuttingDown());
  veldrix::InstallWorkerRegistry(nullptr);
  EXPECT_FALSE(veldrix::Workers().IsShuttingDown());
}

TEST(WorkerRegistry, LastThreadLeavingDuringShutdownClearsTheFlagAndPostsOnce) {
  veldrix::WorkerRegistry registry;
  auto* first = reinterpret_cast<wxThread*>(0x10);
  auto* second = reinterpret_cast<wxThread*>(0x20);
  registry.RegisterThread(first);
  registry.UnregisterThread(first);
  EXPECT_FALSE(registry.IsShuttingDown());
  EXPECT_FALSE(registry.WaitAllDone(0));  // no shutdown under way: nothing posted

  registry.RegisterThread(first);
  registry.RegisterThread(second);
  registry.RequestShutdown();
  registry.UnregisterThread(first);
  EXPECT_TRUE(registry.IsShuttingDown());
  EXPECT_FALSE(registry.WaitAllDone(0));
  registry.UnregisterThread(second);
  EXPECT_FALSE(registry.IsShuttingDown());
  EXPECT_TRUE(registry.WaitAllDone(0));
  EXPECT_FALSE(registry.WaitAllDone(0));
  registry.UnregisterThread(second);  // not registered: nothing changes
  EXPECT_FALSE(registry.WaitAllDone(0));
}

TEST(Paths, FolderEntriesComeSortedByName) {
  TempDir temp;
  for (const char* name : {"b.so", "a.so", "c.txt", ".hidden.so"}) veldrix::test::WriteFileBytes(temp.file(name), "x");
  veldrix::EnsureFolder(temp.file("modul"));
  const std::vector<wxString> libraries = veldrix::SortedFolderEntries(temp.path(), wxDIR_FILES, "*.so");
  ASSERT_EQ(libraries.size(), 2u);
  EXPECT_EQ(libraries[0], "a.so");
  EXPECT_EQ(libraries[1], "b.so");
  EXPECT_EQ(veldrix::SortedFolderEntries(temp.path(), wxDIR_FILES | wxDIR_HIDDEN, "*.so").front(), ".hidden.so");
  EXPECT_EQ(veldrix::SortedFolderEntries(temp.path(), wxDIR_DIRS), std::vector<wxString>{"modul"});
  EXPECT_TRUE(veldrix::SortedFolderEntries(temp.file("missing"), wxDIR_FILES).empty());
}
