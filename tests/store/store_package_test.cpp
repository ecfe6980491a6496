// A module package from a loopback HTTPS store: downloaded, checked and staged,
// then applied at the next start and loaded by the host; and every refused
// download leaves neither a staged module nor a temporary file behind.
#include "store/store_package.h"

#include "app/common/config_access.h"
#include "app/common/paths.h"
#include "http_test_server.h"
#include "store_test_support.h"
#include "package_builder.h"
#include "stopped_child.h"
#include "pluginmanager/module_staging.h"
#include "pluginmanager/plugin_manager.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/memconf.h>

#include <algorithm>
#include <memory>
#include <string>

namespace veldrix {
namespace {

using test::HttpTestRequest;
using test::HttpTestResponse;
using test::HttpTestServer;
using test::Sha256Hex;
using test::U;

class StorePackageTest : public ::testing::Test {
 protected:
  StorePackageTest()
      : installed_(InstallConfig(new wxMemoryConfig)),
        server_([this](const HttpTestRequest&) { return HttpTestResponse{200, {}, package_}; },
                HttpTestServer::Tls::Trusted),
        trust_(server_.CaFile()),
        temporaryFolder_(temp_.file("tmp")),
        tmpdir_("TMPDIR", temporaryFolder_) {
    delete installed_;
    EnsureFolder(temporaryFolder_);
    EnsureFolder(PluginManager::GetModulesDirectory());
    // A real module library as the package's only file.
    const std::string library =
        test::ReadFileBytes(JoinPath(VELDRIX_TEST_MODULE_DIR, "mod_alpha.so"));
    const wxString zip = temp_.file("alpha.zip");
    test::WritePackage(zip, {{"mod_alpha.so", library}, {"docs/README.txt", "Alfa\n"}});
    package_ = test::ReadFileBytes(zip);
    entry_.code = "alpha";
    entry_.has_file = true;
    entry_.file.download_url = wxString::FromUTF8(server_.BaseUrl() + "/files/alpha.zip");
    entry_.file.sha256 = Sha256Hex(package_);
    entry_.file.size_bytes = static_cast<std::int64_t>(package_.size());
  }
  ~StorePackageTest() override { delete InstallConfig(nullptr); }

  wxString Root() const { return PluginManager::GetModulesDirectory(); }

  bool TemporaryFolderEmpty() const {
    wxDir dir(temporaryFolder_);
    return dir.IsOpened() && !dir.HasFiles() && !dir.HasSubDirs();
  }

  test::IsolatedFolders folders_;
  test::TempDir temp_;
  wxConfigBase* installed_;
  std::string package_;
  HttpTestServer server_;
  test::ScopedCaFile trust_;
  wxString temporaryFolder_;
  test::ScopedEnv tmpdir_;
  StoreModuleEntry entry_;
};

TEST_F(StorePackageTest, StagedPackageIsAppliedAtTheNextStartAndLoadedByTheHost) {
  wxString error;
  ASSERT_TRUE(DownloadAndStagePackage(Root(), entry_, &error)) << error;
  EXPECT_TRUE(error.empty());
  EXPECT_TRUE(IsModuleInstallPending(Root(), "alpha"));
  EXPECT_TRUE(TemporaryFolderEmpty());
  EXPECT_FALSE(wxDirExists(JoinPath(Root(), "alpha")));  // nothing installed while running

  PluginManager host(nullptr, nullptr, nullptr);
  host.LoadModules();
  EXPECT_FALSE(IsModuleInstallPending(Root(), "alpha"));
  EXPECT_TRUE(wxFileExists(JoinPath(JoinPath(Root(), "alpha", "docs"), "README.txt")));
  ASSERT_EQ(host.GetModuleCount(), 1u);
  EXPECT_EQ(host.GetModuleId(0), "alpha");
  EXPECT_TRUE(host.GetModule(0).IsActive()) << host.GetModule(0).message;
}

TEST_F(StorePackageTest, ARefusedDownloadStagesNothingAndLeavesNoTemporaryFile) {
  const std::string rightSha = Sha256Hex(package_);
  const struct {
    const char* what;
    const char* sha;
    std::int64_t sizeDelta;
    HttpTestServer::Mode mode;
    const char* message;  // null: any text
  } cases[] = {
      {"wrong sum", "00000000000000000000000000000000000000000000000000000000000000aa", 0,
       HttpTestServer::Mode::Answer, "Suma SHA-256 paczki jest nieprawidłowa. Instalacja została przerwana."},
      {"no sum", "", 0, HttpTestServer::Mode::Answer, "Paczka nie ma opublikowanej sumy kontrolnej SHA-256."},
      {"size differs", nullptr, 1, HttpTestServer::Mode::Answer, nullptr},
      {"broken off", nullptr, 0, HttpTestServer::Mode::BrokenBody, "Błąd podczas pobierania danych sklepu."},
  };
  for (const auto& c : cases) {
    StoreModuleEntry entry = entry_;
    entry.file.sha256 = c.sha ? wxString(c.sha) : wxString::FromUTF8(rightSha.c_str());
    entry.file.size_bytes += c.sizeDelta;
    server_.SetMode(c.mode, package_.size());
    wxString error;
    EXPECT_FALSE(DownloadAndStagePackage(Root(), entry, &error)) << c.what;
    if (c.message) {
      EXPECT_EQ(error, U(c.message)) << c.what;
    }
    EXPECT_FALSE(error.empty()) << c.what;
    EXPECT_FALSE(IsModuleInstallPending(Root(), "alpha")) << c.what;
    EXPECT_TRUE(TemporaryFolderEmpty()) << c.what;
  }

  server_.SetMode(HttpTestServer::Mode::HugeBody, 4 << 20);
  entry_.file.size_bytes = 0;  // unknown: only the sum decides
  int calls = 0;
  wxString error;
  EXPECT_FALSE(DownloadAndStagePackage(Root(), entry_, &error, [&calls](std::uint64_t, std::uint64_t) {
    return ++calls < 3;
  }));
  EXPECT_EQ(calls, 3);  // the download stopped when asked
  EXPECT_FALSE(IsModuleInstallPending(Root(), "alpha"));
  EXPECT_TRUE(TemporaryFolderEmpty());
}

TEST_F(StorePackageTest, TheNextDownloadRemovesWhatAKilledOneLeftAndNothingOfARunningOne) {
  auto download = [this] { DownloadAndStagePackage(Root(), entry_, nullptr); };
  test::StoppedChild killed("package download", download);
  test::StoppedChild running("package download", download);
  ASSERT_TRUE(killed.stopped() && running.stopped());
  killed.Kill();

  wxString error;
  ASSERT_TRUE(DownloadAndStagePackage(Root(), entry_, &error)) << error;
  const std::vector<wxString> left = SortedFolderEntries(temporaryFolder_, wxDIR_FILES | wxDIR_HIDDEN);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(test::FilesOf(temporaryFolder_, running.pid()), left);
}

TEST_F(StorePackageTest, ADownloadLongerThanTheCatalogueSaysIsCutOffAtThatSize) {
  // A server that keeps sending would otherwise fill the temporary folder first.
  server_.SetMode(HttpTestServer::Mode::HugeBody, 256u << 20);
  std::uint64_t most = 0;
  wxString error;
  EXPECT_FALSE(DownloadAndStagePackage(Root(), entry_, &error, [&most](std::uint64_t received, std::uint64_t) {
    most = std::max(most, received);
    return true;
  }));
  EXPECT_EQ(error, U("Rozmiar pobranej paczki nie zgadza się z katalogiem. Instalacja została przerwana."));
  EXPECT_LT(most, 16u << 20);
  EXPECT_FALSE(IsModuleInstallPending(Root(), "alpha"));
  EXPECT_TRUE(TemporaryFolderEmpty());
}

}  // namespace
}  // namespace veldrix
