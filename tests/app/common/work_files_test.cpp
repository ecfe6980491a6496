// What a writer of the configuration file killed before its rename leaves, and
// what the next write removes.
#include "app/common/paths.h"
#include "app/common/private_file.h"
#include "app/common/shared_config_file.h"
#include "stopped_child.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <wx/dir.h>

namespace veldrix {
namespace {

TEST(WorkFiles, TheNextWriteRemovesWhatAKilledWriterLeftAndNothingOfARunningOne) {
  test::TempDir temp;
  const wxString path = temp.file("veldrix.ini");
  auto write = [&path](const char* key) {
    SharedConfigFile config(path);
    config.Write(key, "1");
    config.Flush();
  };
  test::StoppedChild killed("file replacement", [&] { write("/a/zabity"); });
  // Copies of the program flush one after another; this writer of the file still runs.
  test::StoppedChild running("file replacement", [&] { ReplaceFileAtomically(path, "[a]\nb=1\n"); });
  ASSERT_TRUE(killed.stopped() && running.stopped());
  killed.Kill();
  // Of another machine, and of another kind: neither is judged here.
  const wxString others[] = {wxString::Format("veldrix.ini.inny-komputer.%d.Ab12Cd", killed.pid()),
                             wxString::Format("veldrix.ini.kopia.%d.Ab12Cd", killed.pid())};
  for (const wxString& name : others) test::WriteFileBytes(temp.file(name), "x");

  write("/a/nastepny");
  const std::vector<wxString> runningFiles = test::FilesOf(temp.path(), running.pid());
  ASSERT_EQ(runningFiles.size(), 1u);
  EXPECT_THAT(SortedFolderEntries(temp.path(), wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN),
              testing::UnorderedElementsAre("veldrix.ini", others[0], others[1], runningFiles[0]));
  EXPECT_FALSE(SharedConfigFile(path).HasEntry("/a/zabity"));
}

}  // namespace
}  // namespace veldrix
