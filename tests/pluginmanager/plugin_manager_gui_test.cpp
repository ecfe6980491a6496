// What the module host does with windows: module images, and the module pages it
// tracks and destroys before the modules shut down.
#include "pluginmanager/plugin_manager.h"

#include "app/common/paths.h"
#include "gui_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/aui/auibook.h>
#include <wx/filefn.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include <memory>

namespace veldrix {
namespace {

class PluginManagerGuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "Moduly", wxDefaultPosition, wxSize(500, 300));
    notebook_ = new wxAuiNotebook(frame_, wxID_ANY);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(notebook_, 1, wxEXPAND);
    frame_->SetSizer(sizer);
    frame_->Show();
    test::PumpEvents(30);
  }
  void TearDown() override {
    manager_.reset();
    frame_->Destroy();
    test::PumpEvents(20);
  }

  void Install(const wxString& folder, const wxString& name) {
    const wxString target = JoinPath(PluginManager::GetModulesDirectory(), folder);
    ASSERT_TRUE(EnsureFolder(target));
    ASSERT_TRUE(wxCopyFile(JoinPath(VELDRIX_TEST_MODULE_DIR, name + ".so"), JoinPath(target, name + ".so")));
  }

  PluginManager& Load() {
    manager_ = std::make_unique<PluginManager>(frame_, notebook_, nullptr);
    manager_->LoadModules();
    return *manager_;
  }

  test::IsolatedFolders folders_;
  wxFrame* frame_ = nullptr;
  wxAuiNotebook* notebook_ = nullptr;
  std::unique_ptr<PluginManager> manager_;
};

TEST_F(PluginManagerGuiTest, ModuleImageComesFromItsFolderElseTheStockPicture) {
  Install("a", "mod_alpha");
  Install("b", "mod_pictured");
  wxImage red(32, 32);
  red.SetRGB(wxRect(0, 0, 32, 32), 200, 10, 10);
  red.SetRGB(wxRect(0, 0, 1, 1), 1, 2, 3);  // the top-left colour becomes the mask
  ASSERT_TRUE(red.SaveFile(JoinPath(JoinPath(PluginManager::GetModulesDirectory(), "b"), "logo.png"),
                           wxBITMAP_TYPE_PNG));
  PluginManager& host = Load();
  ASSERT_EQ(host.GetModuleId(1), "pictured");
  const wxBitmap picture = host.GetModuleBitmap(1, wxSize(16, 16));
  ASSERT_TRUE(picture.IsOk());
  EXPECT_EQ(picture.GetSize(), wxSize(16, 16));
  const wxImage shown = picture.ConvertToImage();
  EXPECT_EQ(shown.GetRed(8, 8), 200);
  EXPECT_TRUE(shown.HasMask() || shown.HasAlpha());
  EXPECT_TRUE(host.GetModuleBitmap(0, wxSize(52, 52)).IsOk());  // stock picture
  EXPECT_FALSE(host.GetModuleBitmap(2, wxSize(16, 16)).IsOk());
}

TEST_F(PluginManagerGuiTest, ModulePagesAreDestroyedBeforeTheModulesShutDown) {
  Install("a", "mod_alpha");
  PluginManager& host = Load();
  auto* tab = new wxPanel(notebook_);
  notebook_->AddPage(tab, "Alfa");
  auto* other = new wxPanel(frame_);
  host.TrackModulePage(tab, 0);
  host.TrackModulePage(other, 0);
  test::SaveScreenshot(frame_, "pluginmanager_module_tab");
  other->Destroy();  // a page closed elsewhere leaves the list
  ASSERT_EQ(host.GetPages().size(), 1u);
  EXPECT_EQ(host.GetPages()[0].page, tab);

  bool tabDestroyed = false;
  tab->Bind(wxEVT_DESTROY, [&tabDestroyed](wxWindowDestroyEvent& event) {
    tabDestroyed = true;
    event.Skip();
  });
  manager_.reset();
  EXPECT_TRUE(tabDestroyed);
  EXPECT_EQ(notebook_->GetPageCount(), 0u);
}

}  // namespace
}  // namespace veldrix
