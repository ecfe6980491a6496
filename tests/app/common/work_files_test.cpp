// Work files that a writer killed half-way leaves, and what the next write of the
// same kind removes, with the configuration writer as the writer.
#include "app/common/paths.h"
#include "app/common/private_file.h"
#include "app/common/shared_config_file.h"
#include "stopped_child.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>

#include <algorithm>
#include <vector>

namespace veldrix {
namespace {

void WriteSetting(const wxString& path, const wxString& key) {
  SharedConfigFile config(path);
  config.Write(key, "1");
  config.Flush();
}

TEST(WorkFiles, TheNextWriteRemovesWhatAKilledWriterLeftAndNothingOfARunningOne) {
  test::TempDir temp;
  const wxString path = temp.file("veldrix.ini");
  test::StoppedChild killed("file replacement", [&] { WriteSetting(path, "/a/zabity"); });
  // Copies of the program write one after another; another writer of the file still runs.
  test::StoppedChild running("file replacement", [&] { ReplaceFileAtomically(path, "[a]\ndziala=1\n"); });
  ASSERT_TRUE(killed.stopped());
  ASSERT_TRUE(running.stopped());
  killed.Kill();
  // Not this machine's, and not of this kind: neither is judged here.
  const wxString otherHost = wxString::Format("veldrix.ini.inny-komputer.%d.Ab12Cd", killed.pid());
  const wxString otherKind = wxString::Format("veldrix.ini.kopia.%d.Ab12Cd", killed.pid());
  test::WriteFileBytes(temp.file(otherHost), "x");
  test::WriteFileBytes(temp.file(otherKind), "x");
  ASSERT_EQ(SortedFolderEntries(temp.path(), wxDIR_FILES).size(), 4u);

  WriteSetting(path, "/a/nastepny");
  const std::vector<wxString> left = SortedFolderEntries(temp.path(), wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN);
  auto count = [&left](const wxString& part) {
    return std::count_if(left.begin(), left.end(), [&part](const wxString& name) { return name.Contains(part); });
  };
  EXPECT_EQ(left.size(), 4u);
  EXPECT_EQ(count(wxString::Format(".%d.", running.pid())), 1);
  EXPECT_EQ(count(otherHost), 1);
  EXPECT_EQ(count(otherKind), 1);
  SharedConfigFile config(path);
  EXPECT_TRUE(config.HasEntry("/a/nastepny"));
  EXPECT_FALSE(config.HasEntry("/a/zabity"));
}

}  // namespace
}  // namespace veldrix
