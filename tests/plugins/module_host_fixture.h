// A main window for the module host under test: notebook and toolbar, the
// permissions of one user, openers that note what the host asked for, and tab
// closing by event 6001 through the host's closing rules, as the program's main
// window does. The fixture installs test modules and loads them into a real host.
#pragma once

#include "../pluginmanager/scoped_config.h"
#include "app/common/paths.h"
#include "app/common/tab_closing.h"
#include "gui_support.h"
#include "pluginmanager/host_application.h"
#include "pluginmanager/plugin_manager.h"
#include "plugins/plugin_lazy_settings_panel.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/aui/auibar.h>
#include <wx/aui/auibook.h>
#include <wx/button.h>
#include <wx/filefn.h>
#include <wx/frame.h>
#include <wx/imaglist.h>
#include <wx/log.h>
#include <wx/sizer.h>
#include <wx/treebook.h>

#include <memory>
#include <set>
#include <vector>

namespace veldrix::test {

class TestMainWindow : public wxFrame, public IModuleHostWindow {
 public:
  TestMainWindow() : wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(900, 600)) {
    toolbar = new wxAuiToolBar(this, wxID_ANY);
    toolbar->SetToolBitmapSize(wxSize(52, 52));
    notebook = new wxAuiNotebook(this, wxID_ANY);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(toolbar, 0, wxEXPAND);
    sizer->Add(notebook, 1, wxEXPAND);
    SetSizer(sizer);
    Bind(wxEVT_THREAD, &TestMainWindow::OnTabClosing, this, kTabClosingEventId);
    SetTabClosingTarget(this);
  }
  ~TestMainWindow() override { SetTabClosingTarget(nullptr); }

  bool HasPermission(const wxString& key) const override { return administrator || granted.count(key) > 0; }
  bool AreToolsEnabled() const override { return true; }
  void OpenInvoiceListPage() override { opened.push_back("faktury.dokumenty"); }
  void OpenNewInvoicePage(wxString documentId, wxString extra) override {
    opened.push_back("faktury.nowa-faktura " + documentId + "|" + extra);
  }
  void OpenArticlesPage() override { opened.push_back("artykuly.lista"); }
  void OpenContractorsPage() override { opened.push_back("kontrahenci.lista"); }
  void OpenKpirPage() override { opened.push_back("kpir.lista"); }
  void OpenJpkVatPage() override { opened.push_back("jpk_vat.lista"); }

  bool administrator = true;
  std::set<wxString> granted;
  std::vector<wxString> opened;
  wxAuiToolBar* toolbar = nullptr;
  wxAuiNotebook* notebook = nullptr;
  PluginManager* host = nullptr;

 private:
  void OnTabClosing(wxThreadEvent& event) {
    const int index = notebook->GetPageIndex(TabClosingPage(event));
    if (index == wxNOT_FOUND || !host) return;
    bool isModulePage = false;
    if (host->CanClosePage(notebook->GetPage(static_cast<size_t>(index)), &isModulePage) && isModulePage) {
      notebook->DeletePage(static_cast<size_t>(index));
    }
  }
};

class ModuleHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    config_ = std::make_unique<ScopedProgramConfig>();
    window_ = new TestMainWindow();
    window_->Show();
    PumpEvents(30);
  }

  void TearDown() override {
    manager_.reset();
    window_->Destroy();
    PumpEvents(20);
  }

  // Copies the built module `name` (and the settings layout) into Moduly/<folder>/.
  void Install(const wxString& folder, const wxString& name) {
    const wxString target = JoinPath(PluginManager::GetModulesDirectory(), folder);
    ASSERT_TRUE(EnsureFolder(target));
    ASSERT_TRUE(wxCopyFile(JoinPath(VELDRIX_TEST_MODULE_DIR, name + ".so"), JoinPath(target, name + ".so")));
    ASSERT_TRUE(wxCopyFile(JoinPath(VELDRIX_TEST_MODULE_DIR, "ustawienia.xrc"), JoinPath(target, "ustawienia.xrc")));
  }

  // A login: a new host loads the modules and adds its tools.
  PluginManager& Load() {
    manager_.reset();
    manager_ = std::make_unique<PluginManager>(window_, window_->notebook, window_->toolbar);
    window_->host = manager_.get();
    manager_->LoadModules();
    manager_->AddModuleTools();
    return *manager_;
  }

  // A logout, then the program started again: the configuration is read anew.
  PluginManager& Restart() {
    manager_.reset();
    window_->host = nullptr;
    config_.reset();
    config_ = std::make_unique<ScopedProgramConfig>();
    return Load();
  }

  std::size_t Index(const wxString& id) const {
    for (std::size_t i = 0; i < manager_->GetModuleCount(); ++i) {
      if (manager_->GetModuleId(i) == id) return i;
    }
    ADD_FAILURE() << "no module " << id;
    return 0;
  }

  IsolatedFolders folders_;
  std::unique_ptr<ScopedProgramConfig> config_;
  wxLogNull quiet_;
  TestMainWindow* window_ = nullptr;
  std::unique_ptr<PluginManager> manager_;
};

// The fixture with a settings window: a tree book the host adds its entries to.
class SettingsTreeTest : public ModuleHostTest {
 protected:
  void SetUp() override {
    ModuleHostTest::SetUp();
    settings_ = new wxFrame(nullptr, wxID_ANY, "Ustawienia", wxDefaultPosition, wxSize(900, 560));
    tree_ = new wxTreebook(settings_, wxID_ANY);
    tree_->AssignImageList(new wxImageList(16, 16));
    settings_->Show();
  }
  void TearDown() override {
    manager_.reset();  // takes its pages out of the tree first
    settings_->Destroy();
    ModuleHostTest::TearDown();
  }

  std::vector<wxString> Entries() const {
    std::vector<wxString> texts;
    for (size_t i = 0; i < tree_->GetPageCount(); ++i) texts.push_back(tree_->GetPageText(i));
    return texts;
  }

  // Selects the entry and builds it as the settings tab does.
  template <typename Page>
  Page* Open(const wxString& text) {
    for (size_t i = 0; i < tree_->GetPageCount(); ++i) {
      if (tree_->GetPageText(i) != text) continue;
      tree_->SetSelection(i);
      auto* lazy = dynamic_cast<ILazyLoadablePanel*>(tree_->GetPage(i));
      if (lazy) lazy->EnsureLoaded();
      PumpEvents(50);  // realised before the test types into it
      auto* entry = dynamic_cast<PluginLazySettingsPanel*>(tree_->GetPage(i));
      return dynamic_cast<Page*>(entry ? entry->GetContent() : tree_->GetPage(i));
    }
    ADD_FAILURE() << "no entry " << text;
    return nullptr;
  }

  template <typename Control>
  Control* Named(wxWindow* page, const wxString& name) {
    return dynamic_cast<Control*>(wxWindow::FindWindowByName(name, page));
  }

  void Press(wxButton* button) {
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
  }

  wxString Stored(const wxString& key) { return (*config_)->Read("/TestModules/" + key, "<none>"); }

  wxFrame* settings_ = nullptr;
  wxTreebook* tree_ = nullptr;
};

}  // namespace veldrix::test
