// Which actions a module card offers for each combination of installed version,
// offered package, required program version and pending change.
#include "store/module_card_state.h"

#include <gtest/gtest.h>

namespace veldrix {
namespace {

StoreModuleEntry Entry(const char* latest, bool hasFile, const char* entryMin = "", const char* fileMin = "") {
  StoreModuleEntry entry;
  entry.code = "kpir";
  entry.latest_version = latest;
  entry.has_file = hasFile;
  entry.min_app_version = entryMin;
  entry.file.min_app_version = fileMin;
  return entry;
}

ModuleCardInput Input(const char* installed, bool installPending = false, bool removalPending = false) {
  ModuleCardInput input;
  input.installedVersion = installed;
  input.programVersion = "0.25.9 Alpha";
  input.installPending = installPending;
  input.removalPending = removalPending;
  return input;
}

TEST(ModuleCard, OffersExactlyTheActionsTheStateAllows) {
  const struct {
    const char* what;
    StoreModuleEntry entry;
    ModuleCardInput input;
    bool update;
    bool compatible;
    bool primaryEnabled;
    bool uninstall;
  } cases[] = {
      {"not installed", Entry("1.0", true), Input(""), false, true, true, false},
      {"installed, older", Entry("1.3", true), Input("1.2.9"), true, true, true, true},
      {"installed, newer than offered", Entry("1.3", true), Input("1.4"), false, true, false, true},
      {"installed, same", Entry("1.3", true), Input("1.3.0"), false, true, false, true},
      {"no version reported counts as 0", Entry("0.1", true), Input("0"), true, true, true, true},
      {"no package", Entry("2.0", false), Input(""), false, true, false, false},
      {"no package, installed", Entry("2.0", false), Input("1.0"), false, true, false, true},
      {"program too old (entry)", Entry("1.0", true, "0.26"), Input(""), false, false, false, false},
      {"program too old, update listed", Entry("2.0", true, "", "1.0"), Input("1.0"), true, false, false, true},
      {"package's version wins", Entry("1.0", true, "9.0", "0.25.9"), Input(""), false, true, true, false},
      {"install pending", Entry("1.0", true), Input("", true), false, true, false, false},
      {"removal pending", Entry("1.3", true), Input("1.2", false, true), true, true, false, false},
  };
  for (const auto& c : cases) {
    const ModuleCardState s = DescribeModuleCard(c.entry, c.input);
    EXPECT_EQ(s.updateAvailable, c.update) << c.what;
    EXPECT_EQ(s.compatible, c.compatible) << c.what;
    EXPECT_EQ(s.primaryEnabled, c.primaryEnabled) << c.what;
    EXPECT_EQ(s.offersUninstall, c.uninstall) << c.what;
    EXPECT_FALSE(s.primaryLabel.empty()) << c.what;
  }
}

}  // namespace
}  // namespace veldrix
