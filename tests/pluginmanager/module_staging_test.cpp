// Staging of store packages and removals in a temporary modules folder, with
// packages the tests write themselves.
#include "pluginmanager/module_staging.h"

#include "app/common/folder_lock.h"
#include "app/common/paths.h"
#include "package_builder.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>

#include <string>
#include <vector>

namespace veldrix {
namespace {

using test::PackageEntry;

wxString U(const char* text) { return wxString::FromUTF8(text); }

class ModuleStagingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = JoinPath(temp_.path(), "Moduly");
    ASSERT_TRUE(EnsureFolder(root_));
    package_ = temp_.file("package.zip");
  }

  wxString Sha(const wxString& path) {
    wxString hex;
    wxString error;
    EXPECT_TRUE(ComputeFileSha256(path, &hex, &error)) << error;
    return hex;
  }

  bool Stage(const std::vector<PackageEntry>& entries, wxString* error, const PackageLimits& limits = {}) {
    test::WritePackage(package_, entries);
    return StagePackage(root_, "mod", package_, Sha(package_), limits, error);
  }

  bool StageFile(wxString* error, const PackageLimits& limits = {}) {
    return StagePackage(root_, "mod", package_, Sha(package_), limits, error);
  }

  wxString Staged(const wxString& name) { return JoinModulePath(GetPendingInstallDir(root_, "mod"), name); }

  // Every entry below the temporary folder, to show that a refused package left
  // nothing behind.
  std::vector<wxString> AllFiles() {
    wxArrayString files;
    wxDir::GetAllFiles(temp_.path(), &files, wxEmptyString, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
    std::vector<wxString> names(files.begin(), files.end());
    std::sort(names.begin(), names.end());
    return names;
  }

  void ExpectRefused(const wxString& text, const wxString& error) {
    EXPECT_EQ(error, text);
    EXPECT_FALSE(wxDirExists(GetPendingInstallDir(root_, "mod")));
    EXPECT_FALSE(wxDirExists(GetPendingInstallDir(root_, "mod") + ".new"));
    EXPECT_EQ(AllFiles(), std::vector<wxString>{package_});
  }

  test::TempDir temp_;
  wxString root_;
  wxString package_;
};

TEST(ModuleCode, AcceptsLowerCaseDigitsUnderscoreAndHyphenUpTo80) {
  EXPECT_TRUE(IsValidModuleCode("abc-1_x"));
  EXPECT_TRUE(IsValidModuleCode(wxString('a', 80)));
  EXPECT_FALSE(IsValidModuleCode(wxString('a', 81)));
  for (const char* bad : {"Abc", "a.b", "a b", "", "mod.new", "\xc4\x85"}) {
    EXPECT_FALSE(IsValidModuleCode(wxString::FromUTF8(bad))) << bad;
  }
}

TEST(PackagePath, RefusesAbsoluteDriveAndDotPaths) {
  for (const char* bad : {"/a.so", "\\a.so", "D:/a.so", "x/../a.so", "./a.so", "a/./b.so", "..", "", "x\\..\\a.so"}) {
    EXPECT_FALSE(IsSafePackagePath(bad)) << bad;
  }
  for (const char* good : {"a.so", "bin/a.so", "bin\\a.so", "a//b.so", "D:", "..a.so", "a/"}) {
    EXPECT_TRUE(IsSafePackagePath(good)) << good;
  }
}

TEST(FileSha256, GivesLowerCaseHexOfTheContent) {
  test::TempDir temp;
  test::WriteFileBytes(temp.file("abc"), "abc");
  test::WriteFileBytes(temp.file("empty"), "");
  wxString hex;
  wxString error;
  ASSERT_TRUE(ComputeFileSha256(temp.file("abc"), &hex, &error));
  EXPECT_EQ(hex, "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  ASSERT_TRUE(ComputeFileSha256(temp.file("empty"), &hex, &error));
  EXPECT_EQ(hex, "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  // More than one 64 KiB block.
  test::WriteFileBytes(temp.file("big"), std::string(200000, 'a'));
  ASSERT_TRUE(ComputeFileSha256(temp.file("big"), &hex, &error));
  EXPECT_EQ(hex, "2287d207f24a941ff3b56c04c8a25ad56b63e3023207b3bb5b4ac0c9869d74be");
  EXPECT_FALSE(ComputeFileSha256(temp.file("missing"), &hex, &error));
  EXPECT_EQ(error, U("Nie udało się odczytać pobranej paczki."));
  EXPECT_TRUE(hex.empty());
}

TEST_F(ModuleStagingTest, StagesAVerifiedPackageWithItsFolders) {
  wxString error = "old";
  ASSERT_TRUE(Stage({{"bin/", "", true}, {"bin/libmod.SO", "ELF"}, {"ui\\main.xrc", "<xrc/>"}, {"a//b.txt", "b"}},
                    &error))
      << error;
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(test::ReadFileBytes(Staged("bin/libmod.SO")), "ELF");
  EXPECT_EQ(test::ReadFileBytes(Staged("ui/main.xrc")), "<xrc/>");
  EXPECT_EQ(test::ReadFileBytes(Staged("a/b.txt")), "b");
  EXPECT_FALSE(wxDirExists(GetPendingInstallDir(root_, "mod") + ".new"));
  EXPECT_TRUE(IsModuleInstallPending(root_, "mod"));
}

TEST_F(ModuleStagingTest, ChecksCodeAndPublishedSumFirst) {
  test::WritePackage(package_, {{"mod.so", "x"}});
  const wxString sum = Sha(package_);
  wxString error;
  EXPECT_FALSE(StagePackage(root_, "Mod", package_, sum, &error));
  EXPECT_EQ(error, U("Nieprawidłowy kod modułu."));
  EXPECT_FALSE(StagePackage(root_, "mod", package_, sum.Left(63), &error));
  EXPECT_EQ(error, U("Paczka nie ma opublikowanej sumy kontrolnej SHA-256."));
  EXPECT_FALSE(StagePackage(root_, "mod", package_, sum + "0", &error));
  EXPECT_EQ(error, U("Paczka nie ma opublikowanej sumy kontrolnej SHA-256."));
  wxString wrong = sum;
  wrong[0] = wrong[0] == '0' ? '1' : '0';
  EXPECT_FALSE(StagePackage(root_, "mod", package_, wrong, &error));
  ExpectRefused(U("Suma SHA-256 paczki jest nieprawidłowa. Instalacja została przerwana."), error);
  EXPECT_TRUE(StagePackage(root_, "mod", package_, sum.Upper(), &error)) << error;
}

TEST_F(ModuleStagingTest, RefusesPathsThatLeaveTheStagingFolder) {
  // The ZIP writer cleans a leading "/", "./" or "\\", so those names are patched in.
  const std::vector<std::pair<std::string, std::string>> names = {
      {"../evil.so", ""},     {"x/../../evil.so", ""}, {"Yevil.so", "\\evil.so"}, {"D:/evil.so", ""},
      {"a/./evil.so", ""},    {"Xevil.so", "/evil.so"}, {"XXevil.so", "./evil.so"}};
  for (const auto& [written, patched] : names) {
    test::WritePackage(package_, {{"ok.so", "ok"}, {written, "evil"}});
    if (!patched.empty()) test::ReplaceInFile(package_, written, patched);
    wxString error;
    EXPECT_FALSE(StageFile(&error)) << written;
    ExpectRefused(U("Paczka zawiera niedozwoloną ścieżkę."), error);
    EXPECT_FALSE(wxFileExists(JoinPath(root_, "evil.so")));
    EXPECT_FALSE(wxFileExists(JoinPath(temp_.path(), "evil.so")));
  }
}

TEST_F(ModuleStagingTest, LimitsTheNumberOfFilesButNotOfFolders) {
  std::vector<PackageEntry> entries = {{"mod.so", "x"}};
  for (int i = 0; i < 5000; ++i) entries.push_back({"f/" + std::to_string(i), ""});
  wxString error;
  EXPECT_FALSE(Stage(entries, &error));
  ExpectRefused(U("Paczka zawiera zbyt wiele plików."), error);

  PackageLimits three;
  three.maxFiles = 3;
  EXPECT_TRUE(Stage({{"d1/", "", true}, {"d2/", "", true}, {"a", "1"}, {"b", "2"}, {"c.so", "3"}}, &error, three))
      << error;
  EXPECT_FALSE(Stage({{"a", "1"}, {"b", "2"}, {"c.so", "3"}, {"d", "4"}}, &error, three));
  EXPECT_EQ(error, U("Paczka zawiera zbyt wiele plików."));
}

TEST_F(ModuleStagingTest, LimitsTheDeclaredSize) {
  PackageLimits small;
  small.maxBytes = 1000;
  wxString error;
  EXPECT_TRUE(Stage({{"a.so", std::string(600, 'a')}, {"b", std::string(400, 'b')}}, &error, small)) << error;
  EXPECT_FALSE(Stage({{"a.so", std::string(600, 'a')}, {"b", std::string(401, 'b')}}, &error, small));
  EXPECT_EQ(error, U("Rozpakowana paczka przekracza dozwolony rozmiar."));
  EXPECT_EQ(test::ReadFileBytes(Staged("b")), std::string(400, 'b'));  // the earlier package stays
  ASSERT_TRUE(RemoveDirIfExists(GetPendingInstallDir(root_, "mod")));
  // The real limit, 1 GiB, against a declared size of one byte more.
  test::WritePackage(package_, {{"a.so", "x"}, {"huge", std::string(100, 'h')}});
  test::SetDeclaredSize(package_, "huge", 1073741825u);
  EXPECT_FALSE(StageFile(&error));
  ExpectRefused(U("Rozpakowana paczka przekracza dozwolony rozmiar."), error);
}

TEST_F(ModuleStagingTest, CountsTheBytesActuallyWritten) {
  test::WritePackage(package_, {{"a.so", "x"}, {"liar", std::string(5000, 'l')}});
  test::SetDeclaredSize(package_, "liar", 10);
  PackageLimits small;
  small.maxBytes = 1000;
  wxString error;
  EXPECT_FALSE(StageFile(&error, small));
  ExpectRefused(U("Rozpakowana paczka przekracza dozwolony rozmiar."), error);
  // Within the limit, an entry that writes more than it declared is still refused.
  EXPECT_FALSE(StageFile(&error));
  ExpectRefused(U("Paczka modułu jest uszkodzona."), error);
}

TEST_F(ModuleStagingTest, AnUnreadableEntryIsReportedAndNothingIsStaged) {
  std::string noise;
  unsigned state = 12345;
  for (int i = 0; i < 20000; ++i) {
    state = state * 1103515245u + 12345u;
    noise += static_cast<char>('a' + (state >> 16) % 26);
  }
  test::WritePackage(package_, {{"a.so", "library"}, {"b.txt", noise}});
  std::string bytes = test::ReadFileBytes(package_);
  const std::size_t data = bytes.find("b.txt") + 5;
  for (std::size_t i = data + 2000; i < data + 2100; ++i) bytes[i] = static_cast<char>(~bytes[i]);
  test::WriteFileBytes(package_, bytes);
  wxString error;
  EXPECT_FALSE(StageFile(&error));
  ExpectRefused(U("Paczka modułu jest uszkodzona."), error);
}

TEST_F(ModuleStagingTest, RefusesPackagesWithoutALibrary) {
  wxString error;
  EXPECT_FALSE(Stage({{"readme.txt", "x"}, {"lib/.so", "hidden, no extension"}, {"mod.so.txt", ""}}, &error));
  ExpectRefused(U("Paczka nie zawiera biblioteki modułu dla Linux."), error);
  test::WriteFileBytes(package_, "not a zip archive");
  EXPECT_FALSE(StageFile(&error));
  ExpectRefused(U("Paczka nie zawiera biblioteki modułu dla Linux."), error);
}

TEST_F(ModuleStagingTest, RestagingReplacesTheEarlierVersionAndClearsLeftovers) {
  wxString error;
  ASSERT_TRUE(Stage({{"v1.so", "1"}}, &error)) << error;
  ASSERT_TRUE(EnsureFolder(JoinPath(GetPendingInstallDir(root_, "mod") + ".new", "junk")));
  ASSERT_TRUE(Stage({{"v2.so", "2"}}, &error)) << error;
  EXPECT_FALSE(wxFileExists(Staged("v1.so")));
  EXPECT_TRUE(wxFileExists(Staged("v2.so")));
  EXPECT_FALSE(wxDirExists(GetPendingInstallDir(root_, "mod") + ".new"));
  EXPECT_FALSE(wxDirExists(GetPendingInstallDir(root_, "mod") + ".old"));
}

TEST_F(ModuleStagingTest, AFailedCommitKeepsTheEarlierStagedVersion) {
  wxString error;
  ASSERT_TRUE(Stage({{"v1.so", "1"}}, &error)) << error;
  // A file where the earlier version would be moved aside makes the commit fail.
  test::WriteFileBytes(GetPendingInstallDir(root_, "mod") + ".old", "");
  EXPECT_FALSE(Stage({{"v2.so", "2"}}, &error));
  EXPECT_EQ(error, U("Nie udało się zatwierdzić oczekującej aktualizacji modułu."));
  EXPECT_TRUE(wxFileExists(Staged("v1.so")));
  EXPECT_FALSE(wxDirExists(GetPendingInstallDir(root_, "mod") + ".new"));
}

TEST_F(ModuleStagingTest, PreparesRemovalsAndCancelsStagedInstalls) {
  wxString error;
  ASSERT_TRUE(RemoveDirIfExists(root_));
  EXPECT_FALSE(PrepareModuleUninstall(root_, "mod", &error));
  EXPECT_EQ(error, U("Nie znaleziono plików zainstalowanego modułu."));
  EXPECT_FALSE(wxDirExists(root_));  // nothing is created for a module that is not there
  ASSERT_TRUE(EnsureFolder(root_));
  EXPECT_FALSE(PrepareModuleUninstall(root_, "a.b", &error));
  EXPECT_EQ(error, U("Nieprawidłowy kod modułu."));

  ASSERT_TRUE(Stage({{"mod.so", "1"}}, &error)) << error;
  ASSERT_TRUE(PrepareModuleUninstall(root_, "mod", &error)) << error;
  EXPECT_FALSE(IsModuleInstallPending(root_, "mod"));
  EXPECT_TRUE(IsModuleRemovalPending(root_, "mod"));
  EXPECT_EQ(test::ReadFileBytes(GetPendingRemovalMarker(root_, "mod")), "mod\n");

  ASSERT_TRUE(EnsureFolder(JoinPath(root_, "abc")));
  ASSERT_TRUE(PrepareModuleUninstall(root_, "abc", &error)) << error;
  EXPECT_EQ(test::ReadFileBytes(GetPendingRemovalMarker(root_, "abc")), "abc\n");

  // Without the staging folder's lock, which a file in its place denies, nothing is
  // prepared or staged, and the lock's reason is told below the operation's own line.
  ASSERT_TRUE(RemoveDirIfExists(JoinPath(root_, ".pending")));
  test::WriteFileBytes(JoinPath(root_, ".pending"), "");
  const wxString reason = FolderLock(JoinPath(root_, ".pending")).FailureText();
  ASSERT_TRUE(EnsureFolder(JoinPath(root_, "xyz")));
  EXPECT_FALSE(PrepareModuleUninstall(root_, "xyz", &error));
  EXPECT_EQ(error, U("Nie udało się przygotować odinstalowania modułu.\n") + reason);
  EXPECT_FALSE(IsModuleRemovalPending(root_, "xyz"));
  EXPECT_FALSE(Stage({{"mod.so", "2"}}, &error));
  EXPECT_EQ(error, U("Nie udało się przygotować katalogu aktualizacji modułu.\n") + reason);
}

TEST_F(ModuleStagingTest, PendingTestsRefuseInvalidCodes) {
  ASSERT_TRUE(EnsureFolder(GetPendingInstallDir(root_, "Mod")));
  ASSERT_TRUE(EnsureFolder(JoinPath(root_, ".pending-remove")));
  test::WriteFileBytes(GetPendingRemovalMarker(root_, "Mod"), "Mod\n");
  EXPECT_FALSE(IsModuleInstallPending(root_, "Mod"));
  EXPECT_FALSE(IsModuleRemovalPending(root_, "Mod"));
}

}  // namespace
}  // namespace veldrix
