#include "app/common/config_access.h"
#include "app/common/paths.h"
#include "app/program_config.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/fileconf.h>
#include <wx/filename.h>

#include <memory>

using veldrix::test::IsolatedFolders;
using veldrix::test::ReadFileBytes;
using veldrix::test::ScopedEnv;
using veldrix::test::ScopedLocale;
using veldrix::test::WriteFileBytes;

TEST(ProgramConfig, FileLivesInTheVeldrixConfigFolderBelowHome) {
  IsolatedFolders folders;
  ScopedEnv config("XDG_CONFIG_HOME", "");
  std::unique_ptr<wxFileConfig> file(OpenProgramConfig());
  EXPECT_TRUE(wxFileName::DirExists(folders.root() + "/.config/Veldrix"));
  file->Write("/veldrix/id_firmy", "7");
  file.reset();
  EXPECT_NE(ReadFileBytes(folders.root() + "/.config/Veldrix/veldrix.ini").find("id_firmy=7"), std::string::npos);
  EXPECT_EQ(OldConfigFilePath(), folders.root() + "/.config/veldrix.ini");
}

TEST(ProgramConfig, OlderFileIsMovedIntoTheVeldrixFolder) {
  IsolatedFolders folders;
  veldrix::EnsureFolder(wxFileName(OldConfigFilePath()).GetPath());
  WriteFileBytes(OldConfigFilePath(), "[veldrix]\nid_firmy=12\n");
  ASSERT_TRUE(wxFileName::FileExists(OldConfigFilePath()));
  std::unique_ptr<wxFileConfig> file(OpenProgramConfig());
  EXPECT_FALSE(wxFileName::FileExists(OldConfigFilePath()));
  EXPECT_EQ(ReadWorkingCompanyId(file.get(), "0"), "12");
}

TEST(ProgramConfig, FileInTheVeldrixFolderWinsOverTheOlderOne) {
  IsolatedFolders folders;
  veldrix::EnsureFolder(veldrix::ConfigFolder());
  WriteFileBytes(veldrix::ConfigFilePath(), "[veldrix]\nid_firmy=3\n");
  WriteFileBytes(OldConfigFilePath(), "[veldrix]\nid_firmy=12\n");
  std::unique_ptr<wxFileConfig> file(OpenProgramConfig());
  EXPECT_EQ(ReadWorkingCompanyId(file.get(), "0"), "3");
  EXPECT_EQ(ReadFileBytes(OldConfigFilePath()), "[veldrix]\nid_firmy=12\n");
}

TEST(ProgramConfig, WorkingCompanyFallsBackToTheOlderKeyThenToZero) {
  IsolatedFolders folders;
  std::unique_ptr<wxFileConfig> file(OpenProgramConfig());
  EXPECT_EQ(ReadWorkingCompanyId(file.get(), "0"), "0");
  EXPECT_EQ(ReadWorkingCompanyId(file.get(), "5"), "5");  // a missing key leaves the id
  file->Write("/veldrix/id_firmy", "");
  file->Write("/VezoveVador/id_firmy", "42");
  EXPECT_EQ(ReadWorkingCompanyId(file.get(), "0"), "42");
  file->Write("/veldrix/id_firmy", "8");
  EXPECT_EQ(ReadWorkingCompanyId(file.get(), "0"), "8");
  file->Write("/veldrix/id_firmy", "");
  file->Write("/VezoveVador/id_firmy", "");
  EXPECT_EQ(ReadWorkingCompanyId(file.get(), "5"), "0");
  EXPECT_TRUE(file->GetPath().empty());  // back at the root
  EXPECT_EQ(ReadWorkingCompanyId(nullptr, ""), "0");
}

TEST(ProgramConfig, TwoCopiesOfTheProgramKeepWhatEachWrote) {
  IsolatedFolders folders;
  std::unique_ptr<wxFileConfig> first(OpenProgramConfig());
  std::unique_ptr<wxFileConfig> second(OpenProgramConfig());
  const wxString connection = "  Server=C:\\dane \"x\";Password=;\t";
  first->Write("/AppDatabase/History/0", connection);
  ASSERT_TRUE(first->Flush());
  // The second copy, started before, sees the connection the next time it takes the configuration.
  delete veldrix::InstallConfig(second.get());
  {
    veldrix::ConfigAccess access;
    EXPECT_EQ(access->Read("/AppDatabase/History/0", wxString()), connection);
  }
  veldrix::InstallConfig(nullptr);
  second->Write("/veldrix/id_firmy", "7");
  ASSERT_TRUE(second->Flush());
  first->Write("/Security/LastUser", "jan");
  first.reset();
  second.reset();

  std::unique_ptr<wxFileConfig> later(OpenProgramConfig());
  EXPECT_EQ(later->Read("/AppDatabase/History/0", wxString()), connection);
  EXPECT_EQ(later->Read("/veldrix/id_firmy", wxString()), "7");
  EXPECT_EQ(later->Read("/Security/LastUser", wxString()), "jan");
}

TEST(ProgramConfig, UnreadableFileGivesAnEmptyConfiguration) {
  IsolatedFolders folders;
  veldrix::EnsureFolder(veldrix::ConfigFolder());
  WriteFileBytes(veldrix::ConfigFilePath(), std::string("\xff\xfe\x00[zepsuty\n", 11));
  std::unique_ptr<wxFileConfig> file(OpenProgramConfig());
  ASSERT_TRUE(file);
  EXPECT_EQ(ReadWorkingCompanyId(file.get(), "0"), "0");
}

TEST(ProgramConfig, VersionUsesADotWhateverTheLocale) {
  EXPECT_EQ(ProgramVersionNumber(), "0.25.9");
  if (!veldrix::test::LocaleAvailable("pl_PL.UTF-8")) {
    if (veldrix::test::RunningInCi()) FAIL() << "pl_PL.UTF-8 missing";
    GTEST_SKIP() << "pl_PL.UTF-8 not installed";
  }
  ScopedLocale polish("pl_PL.UTF-8");
  ASSERT_EQ(wxString::Format("%.2f", 0.25), "0,25");
  EXPECT_EQ(ProgramVersionNumber(), "0.25.9");
}
