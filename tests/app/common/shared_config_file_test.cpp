// The shared configuration file as one copy of the program sees it after its own
// flush and after taking in what another copy wrote.
#include "app/common/shared_config_file.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace veldrix {
namespace {

struct ReloadCase {
  const char* file;   // the file as it was when this copy opened it
  const char* group;  // where this copy stands while the file is read again
  bool byOtherCopy;   // the value comes from another copy rather than from this one's flush
};

TEST(SharedConfigFile, AReloadLeavesEveryEntryWhereAReaderAtAnyPathFindsIt) {
  const ReloadCase cases[] = {
      // No entry in the root, and the group written is the first by name that holds entries.
      {"[Security/Login]\nproby=0\n[veldrix]\nid_firmy=3\n", "/Plugins/artykuly", false},
      {"[Security/Login]\nproby=0\n[veldrix]\nid_firmy=3\n", "/Plugins/artykuly", true},
      {"", "/Plugins/artykuly", false},
      {"[Plugins/artykuly]\nEnabled=1\n", "/Plugins/artykuly", true},
      {"glowny=1\n[Plugins/artykuly]\nEnabled=1\n", "/Plugins/artykuly", false},
      {"[Security/Login]\nproby=0\n", "/Security", false},
  };
  for (const ReloadCase& c : cases) {
    SCOPED_TRACE(std::string(c.file) + " at " + c.group + (c.byOtherCopy ? " by another copy" : ""));
    test::TempDir temp;
    const wxString path = temp.file("veldrix.ini");
    test::WriteFileBytes(path, c.file);
    SharedConfigFile config(path);
    const wxString group = c.group;
    config.SetPath(group);
    if (c.byOtherCopy) {
      SharedConfigFile other(path);
      other.Write(group + "/token", "abc123");
      ASSERT_TRUE(other.Flush());
      config.Refresh();
    } else {
      config.Write("token", "abc123");
      ASSERT_TRUE(config.Flush());
    }
    EXPECT_EQ(config.GetPath(), group);
    EXPECT_EQ(config.Read("token", "domyslny"), "abc123");
    EXPECT_FALSE(config.HasEntry("/token"));
    EXPECT_EQ(config.Read("/Security/Login/proby", "brak"), wxString(c.file).Contains("proby") ? "0" : "brak");
  }
}

}  // namespace
}  // namespace veldrix
