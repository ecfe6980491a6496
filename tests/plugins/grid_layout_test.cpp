// The stored layout of module grids: where it lives in the configuration, how it
// reads back after a restart and how damaged entries are treated.
#include "plugins/grid_layout.h"

#include "../pluginmanager/scoped_config.h"
#include "app/common/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/fileconf.h>

#include <memory>

namespace veldrix {
namespace {

TEST(GridLayout, PathNamesTheModuleFolderAndTheGrid) {
  struct Case {
    const char* folder;
    const char* grid;
    const char* path;
  };
  const Case cases[] = {
      {"/opt/veldrix/Moduly/ksef", "lstKsefInvoices", "/PluginGrid/ksef/lstKsefInvoices"},
      {"/opt/veldrix/Moduly/ksef/", "g", "/PluginGrid/ksef/g"},
      {"/opt/veldrix/Moduly/ksef", "", "/PluginGrid/ksef/Grid"},
      {"", "g", "/PluginGrid/Plugin/g"},
      {"/opt/Moduly/a\\b", "x/y\\z", "/PluginGrid/a_b/x_y_z"},
  };
  for (const Case& c : cases) EXPECT_EQ(GridLayoutPath(c.folder, c.grid), c.path) << c.folder << " " << c.grid;
}

TEST(GridLayout, ColourTextNeedsThreeComponentsInRange) {
  const wxColour fallback(1, 2, 3);
  struct Case {
    const char* text;
    wxColour colour;
  };
  const Case cases[] = {
      {"10,20,30", wxColour(10, 20, 30)},
      {"0,0,0,9", wxColour(0, 0, 0)},
      {" 10, 20 ,30", wxColour(10, 20, 30)},
      {"300,0,0", fallback},
      {"10,20", fallback},
      {"a,b,c", fallback},
      {"-1,0,0", fallback},
      {"", fallback},
      {"1.5,2,3", fallback},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseColourText(c.text, fallback), c.colour) << c.text;
  EXPECT_EQ(ParseColourText(FormatColourText(wxColour(225, 240, 250)), fallback), wxColour(225, 240, 250));
}

class StoredGridLayout : public ::testing::Test {
 protected:
  // Writes the configuration file and opens it again, as a new start of the program would.
  void Restart() {
    config_.reset();
    config_ = std::make_unique<test::ScopedProgramConfig>();
  }

  test::IsolatedFolders folders_;
  std::unique_ptr<test::ScopedProgramConfig> config_ = std::make_unique<test::ScopedProgramConfig>();
};

TEST_F(StoredGridLayout, OrderVisibilityAndColoursSurviveARestart) {
  const wxString path = GridLayoutPath("/m/Moduly/ksef", "lstKsefInvoices");
  GridLayout layout = GridLayout::Default(4);
  wxArrayInt answer;
  for (int entry : {2, ~0, 3, 1}) answer.Add(entry);
  ApplyColumnArrangement(layout, answer);
  layout.header = wxColour(200, 10, 20);
  WriteGridLayout(path, layout);
  Restart();

  const GridLayout read = ReadGridLayout(path, 4);
  EXPECT_EQ(read.order, (std::vector<int>{2, 0, 3, 1}));
  EXPECT_EQ(read.VisibleDefinitions(), (std::vector<int>{2, 3, 1}));
  EXPECT_EQ(read.header, wxColour(200, 10, 20));
  EXPECT_EQ(read.selection, GridLayout::DefaultSelectionColour());
  EXPECT_EQ(ColumnArrangementOrder(read), answer);
  // Another grid of the module keeps its own layout.
  EXPECT_EQ(ReadGridLayout(GridLayoutPath("/m/Moduly/ksef", "other"), 4).order, (std::vector<int>{0, 1, 2, 3}));
}

TEST_F(StoredGridLayout, DamagedEntriesFallBackToTheDefaults) {
  const wxString path = "/PluginGrid/mod/grid";
  (*config_)->Write(path + "/Order0", 1L);
  (*config_)->Write(path + "/Order1", 1L);  // a repeat
  (*config_)->Write(path + "/Visible0", false);
  (*config_)->Write(path + "/Visible1", false);
  (*config_)->Write(path + "/HeaderColour", "300,0,0");
  (*config_)->Write(path + "/LineColour", "0,0,0,9");
  GridLayout read = ReadGridLayout(path, 2);
  EXPECT_EQ(read.order, (std::vector<int>{0, 1}));
  EXPECT_EQ(read.VisibleDefinitions(), (std::vector<int>{0}));  // never nothing to see
  EXPECT_EQ(read.header, GridLayout::DefaultHeaderColour());
  EXPECT_EQ(read.line, wxColour(0, 0, 0));

  (*config_)->Write(path + "/Order0", 5L);
  EXPECT_EQ(ReadGridLayout(path, 2).order, (std::vector<int>{0, 1}));
  // A grid that gained a column reads the old positions and shows the new one.
  (*config_)->Write(path + "/Order0", 1L);
  (*config_)->Write(path + "/Order1", 0L);
  EXPECT_EQ(ReadGridLayout(path, 3).order, (std::vector<int>{1, 0, 2}));
}

TEST_F(StoredGridLayout, WithoutAConfigurationTheDefaultsStayAndNothingIsWritten) {
  config_.reset();
  GridLayout layout = GridLayout::Default(3);
  layout.visible[1] = false;
  layout.header = wxColour(1, 1, 1);
  WriteGridLayout("/PluginGrid/a/b", layout);
  EXPECT_EQ(ReadGridLayout("/PluginGrid/a/b", 3).VisibleDefinitions(), (std::vector<int>{0, 1, 2}));
  Restart();
  const GridLayout read = ReadGridLayout("/PluginGrid/a/b", 3);
  EXPECT_EQ(read.VisibleDefinitions(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(read.header, GridLayout::DefaultHeaderColour());
}

TEST(GridLayout, HidingEveryColumnKeepsTheFirstVisible) {
  GridLayout layout = GridLayout::Default(3);
  wxArrayInt hidden;
  for (int entry : {~2, ~0, ~1}) hidden.Add(entry);
  ApplyColumnArrangement(layout, hidden);
  EXPECT_EQ(layout.order, (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(layout.VisibleDefinitions(), (std::vector<int>{0}));

  // Answers that do not describe every column once change nothing.
  wxArrayInt shorter;
  shorter.Add(1);
  ApplyColumnArrangement(layout, shorter);
  wxArrayInt twice;
  for (int entry : {1, ~1, 0}) twice.Add(entry);
  ApplyColumnArrangement(layout, twice);
  EXPECT_EQ(layout.order, (std::vector<int>{2, 0, 1}));
  EXPECT_EQ(layout.VisibleDefinitions(), (std::vector<int>{0}));
}

}  // namespace
}  // namespace veldrix
