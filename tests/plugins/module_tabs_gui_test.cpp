// Module tools and tabs through the real host: the tools on the toolbar, the
// double-click rule, area permissions, the main page, closing requests, the
// teardown at logout and a module that throws.
#include "module_host_fixture.h"

#include "app/common/message_box.h"
#include "pluginmanager/module_calls.h"
#include "plugins/plugin_main_page_panel.h"

#include <wx/button.h>
#include <wx/scrolwin.h>
#include <wx/stattext.h>

namespace veldrix {
namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

class ModuleTabs : public test::ModuleHostTest {
 protected:
  // The toolbar from left to right: labels, "|" for a separator.
  std::vector<wxString> Tools() const {
    std::vector<wxString> tools;
    for (size_t i = 0; i < window_->toolbar->GetToolCount(); ++i) {
      const wxAuiToolBarItem* tool = window_->toolbar->FindToolByIndex(static_cast<int>(i));
      tools.push_back(tool->GetKind() == wxITEM_SEPARATOR ? wxString("|") : tool->GetLabel());
    }
    return tools;
  }

  void Click(const wxString& label) {
    for (size_t i = 0; i < window_->toolbar->GetToolCount(); ++i) {
      const wxAuiToolBarItem* tool = window_->toolbar->FindToolByIndex(static_cast<int>(i));
      if (tool->GetLabel() != label) continue;
      wxCommandEvent click(wxEVT_MENU, tool->GetId());
      click.SetEventObject(window_->toolbar);
      window_->toolbar->ProcessWindowEvent(click);
      return;
    }
    ADD_FAILURE() << "no tool " << label;
  }

  std::vector<wxString> TabLabels() const {
    std::vector<wxString> labels;
    for (size_t i = 0; i < window_->notebook->GetPageCount(); ++i) labels.push_back(window_->notebook->GetPage(i)->GetLabel());
    return labels;
  }

  static wxButton* Button(wxWindow* page, const wxString& label) {
    for (wxWindow* child : page->GetChildren()) {
      auto* button = dynamic_cast<wxButton*>(child);
      if (button && button->GetLabel() == label) return button;
    }
    return nullptr;
  }

  // The module's rows fill more than the tab: scrolled to its end, the page shows
  // its "Odśwież" button inside the tab.
  static void ExpectRefreshReachable(wxWindow* page) {
    wxButton* refresh = nullptr;
    for (wxWindow* child : page->GetChildren()) {
      auto* button = dynamic_cast<wxButton*>(child);
      if (button && button->GetLabel() == wxString::FromUTF8("Odśwież")) refresh = button;
    }
    ASSERT_NE(refresh, nullptr);
    test::PumpEvents(50);
    if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(page)) scrolled->Scroll(0, 100000);
    test::PumpEvents(50);
    EXPECT_LE(refresh->GetRect().GetBottom(), page->GetClientSize().y);
  }

  static int CountTexts(wxWindow* page, const wxString& label) {
    int count = 0;
    for (wxWindow* child : page->GetChildren()) {
      auto* text = dynamic_cast<wxStaticText*>(child);
      if (text && text->GetLabel() == label) ++count;
    }
    return count;
  }
};

TEST_F(ModuleTabs, ToolsOpenTabsAndASecondQuickClickOpensAnother) {
  Install("a", "mod_notatki");
  Install("b", "mod_faktury_pages");
  Install("c", "mod_kpir");
  Install("d", "mod_kasa");  // no tool asked for
  Load();
  EXPECT_EQ(Tools(), (std::vector<wxString>{"|", "Faktury", "|", "KPiR", "Notatki"}));

  Click("Notatki");
  ASSERT_EQ(TabLabels(), (std::vector<wxString>{"plugin:notatki"}));
  Click("Notatki");  // within a second: a second tab
  EXPECT_EQ(TabLabels().size(), 2u);
  EXPECT_EQ(window_->notebook->GetPageText(0), "Notatki");
  ExpectRefreshReachable(window_->notebook->GetPage(0));
  test::SaveScreenshot(window_, "module_main_page");
  Click("Notatki");  // the pair is used up: selects
  EXPECT_EQ(TabLabels().size(), 2u);
  test::PumpEvents(1100);
  Click("Notatki");  // over a second later: selects
  EXPECT_EQ(TabLabels().size(), 2u);

  // A module with its own page function; a ledger module without one opens the
  // main window's own ledger tab.
  Click("Faktury");
  EXPECT_EQ(TabLabels().back(), "dokhan");
  EXPECT_EQ(window_->notebook->GetPageText(window_->notebook->GetSelection()), "Faktury");
  Click("KPiR");
  EXPECT_EQ(window_->opened, (std::vector<wxString>{"kpir.lista"}));
  test::SaveScreenshot(window_, "module_invoice_tab");
}

TEST_F(ModuleTabs, TheAreaPermissionGatesToolsPagesAndOpenersWhateverTheIdsCase) {
  Install("a", "mod_faktury_caps");  // id "Faktury"
  Install("b", "mod_notatki");
  window_->administrator = false;
  PluginManager& host = Load();
  EXPECT_EQ(Tools(), (std::vector<wxString>{"Notatki"}));
  EXPECT_FALSE(host.IsModuleAllowed(Index("Faktury")));
  EXPECT_FALSE(host.OpenModulePageById("faktury"));
  EXPECT_FALSE(host.OpenModulePageById("FAKTURY"));
  EXPECT_TRUE(host.OpenModulePageById("notatki"));
  EXPECT_EQ(TabLabels(), (std::vector<wxString>{"plugin:notatki"}));

  window_->granted.insert("faktury.view");
  PluginManager& granted = Load();
  EXPECT_EQ(Tools(), (std::vector<wxString>{"FakturyWielkie", "Notatki"}));
  EXPECT_TRUE(granted.OpenModulePageById("FAKTURY"));
  EXPECT_EQ(TabLabels().back(), "plugin:Faktury");
}

TEST_F(ModuleTabs, ModulePagesNeedTheirAreaPermissionAndTheHostPagesGoToTheMainWindow) {
  Install("a", "mod_faktury_pages");
  window_->administrator = false;
  PluginManager& host = Load();
  const HostApi& table = host.GetHostApi();
  EXPECT_TRUE(Tools().empty());
  EXPECT_EQ(host.CreateModulePage("faktury", window_->notebook, "faktury.lista", "", nullptr), nullptr);
  EXPECT_EQ(table.createModulePage(table.context, L"faktury", window_->notebook, L"faktury.lista", L"", nullptr),
            nullptr);

  window_->granted.insert("faktury.view");
  EXPECT_EQ(table.hasPermission(table.context, L"faktury.view"), 1);
  wxWindow* page = table.createModulePage(table.context, L"FAKTURY", window_, L"faktury.nowa-faktura", L"7|k", nullptr);
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(host.GetPages().back().page, page);
  EXPECT_EQ(host.CreateModulePage("faktury", window_, "brak", "", nullptr), nullptr);
  page->Destroy();  // a page closed elsewhere leaves the host's list
  EXPECT_TRUE(host.GetPages().empty());

  // Host page keys reach the main window's openers, the invoice argument split at "|".
  EXPECT_EQ(table.openPage(table.context, L"faktury.nowa-faktura", L"|korekta"), 1);
  EXPECT_EQ(table.openPage(table.context, L"faktury.nowa-faktura", L"12"), 1);
  EXPECT_EQ(table.openPage(table.context, L"jpk_vat.lista", nullptr), 1);
  EXPECT_EQ(table.openPage(table.context, L"nieznana", L""), 0);
  EXPECT_EQ(window_->opened, (std::vector<wxString>{"faktury.nowa-faktura 0|korekta", "faktury.nowa-faktura 12|0",
                                                    "jpk_vat.lista"}));
}

TEST_F(ModuleTabs, TheMainPageShowsAtMost32RowsAndRunsTheModulesActions) {
  Install("a", "mod_notatki");  // claims 500 rows
  Load().OpenModulePageById("notatki");
  auto* page = dynamic_cast<PluginMainPagePanel*>(window_->notebook->GetPage(0));
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(CountTexts(page, "Wiersz"), 31);
  EXPECT_EQ(CountTexts(page, "Przeliczenia"), 1);

  MessageBoxRecorder boxes;
  wxCommandEvent click(wxEVT_BUTTON);
  ASSERT_NE(Button(page, "Przelicz"), nullptr);
  Button(page, "Przelicz")->ProcessWindowEvent(click);
  Button(page, U8("Nie działa"))->ProcessWindowEvent(click);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[0].message, "Przeliczono");
  EXPECT_EQ(boxes.shown()[0].caption, "Strona Notatki");
  EXPECT_EQ(boxes.shown()[1].message, U8("Nie udało się wykonać akcji modułu."));
  EXPECT_EQ(CountTexts(page, "1"), 1);  // the rows were read again
}

TEST_F(ModuleTabs, ACloseRequestClosesThePageThatAskedNotTheSelectedTab) {
  Install("a", "mod_faktury_pages");
  Install("b", "mod_notatki");
  PluginManager& host = Load();
  ASSERT_TRUE(host.OpenModulePageById("faktury"));
  ASSERT_TRUE(host.OpenModulePageById("notatki"));
  EXPECT_EQ(window_->notebook->GetCurrentPage()->GetLabel(), "plugin:notatki");
  wxWindow* invoices = window_->notebook->GetPage(0);

  ModuleCalls invoiceModule(host.GetModule(Index("faktury")));
  std::vector<wchar_t> out(VELDRIX_ACTION_TEXT);
  invoiceModule.RunAction("close-me", out.data(), VELDRIX_ACTION_TEXT);
  ASSERT_TRUE(test::WaitFor([&] { return window_->notebook->GetPageCount() == 1; }));
  EXPECT_EQ(TabLabels(), (std::vector<wxString>{"plugin:notatki"}));

  // The same request for the page that is gone closes nothing.
  const HostApi& table = host.GetHostApi();
  table.closePage(table.context, invoices);
  test::PumpEvents(200);
  EXPECT_EQ(window_->notebook->GetPageCount(), 1u);
}

// A page that reports a background action at work.
class WorkingPage : public wxPanel, public IModuleActionPage {
 public:
  explicit WorkingPage(wxWindow* parent) : wxPanel(parent) {}
  bool IsActionRunning() const override { return running; }
  bool running = true;
};

TEST_F(ModuleTabs, ATabIsNotClosedWhileItsBackgroundActionRuns) {
  Install("a", "mod_notatki");
  PluginManager& host = Load();
  auto* page = new WorkingPage(window_->notebook);
  host.TrackModulePage(page, Index("notatki"));
  window_->notebook->AddPage(page, "Praca");
  MessageBoxRecorder boxes;
  bool isModulePage = false;
  EXPECT_FALSE(host.CanClosePage(page, &isModulePage));
  EXPECT_TRUE(isModulePage);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, U8("Operacja w toku"));
  page->running = false;
  EXPECT_TRUE(host.CanClosePage(page, &isModulePage));
  EXPECT_TRUE(host.CanClosePage(window_->toolbar, &isModulePage));
  EXPECT_FALSE(isModulePage);
}

TEST_F(ModuleTabs, AnActionThatThrowsFailsItsModuleAndTheProgramGoesOn) {
  Install("a", "mod_notatki");
  PluginManager& host = Load();
  ModuleCalls calls(host.GetModule(0));
  std::vector<wchar_t> out(VELDRIX_ACTION_TEXT, L'x');
  EXPECT_EQ(calls.RunAction("boom", out.data(), VELDRIX_ACTION_TEXT), 0);
  EXPECT_EQ(out[0], L'\0');
  EXPECT_FALSE(host.IsModuleActive("notatki"));
  EXPECT_NE(host.GetModuleStateText(0).Find("uszkodzony stan"), wxNOT_FOUND) << host.GetModuleStateText(0);
  EXPECT_FALSE(host.OpenModulePageById("notatki"));
  const HostApi& table = host.GetHostApi();
  EXPECT_EQ(table.isModuleActive(table.context, L"notatki"), 0);
}

}  // namespace
}  // namespace veldrix
