// The main window with real module libraries after a real login: module tools on
// its toolbar, its invoice openers opening the module's tabs, the area permission
// of a user whose role lacks it, a module page closing itself, and every tab laid
// out whole in the smallest window, on a screen of that size under a window manager.
#include "../authdialogs/auth_dialog_steps.h"
#include "app/common/message_box.h"
#include "app/veldrix_frame.h"
#include "danefirmy/sash_rules.h"
#include "modal_script.h"
#include "pluginmanager/module_calls.h"
#include "pluginmanager/module_settings_store.h"
#include "pluginmanager/plugin_manager.h"
#include "program_start_fixture.h"
#include "settings/lazy_settings_page.h"
#include "settings/ustawienia_panel.h"

#include <wx/aui/auibar.h>
#include <wx/aui/auibook.h>
#include <wx/bookctrl.h>
#include <wx/display.h>
#include <wx/filefn.h>
#include <wx/scrolwin.h>
#include <wx/splitter.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treebook.h>

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

// A page that reports a background action at work.
class WorkingPage : public wxPanel, public veldrix::IModuleActionPage {
 public:
  explicit WorkingPage(wxWindow* parent) : wxPanel(parent) {
    new wxStaticText(this, wxID_ANY, "Przeliczanie", wxPoint(20, 20));
  }
  bool IsActionRunning() const override { return running; }
  bool running = true;
};

class ModuleHost : public ProgramStartTest {
 protected:
  void SetUp() override {
    ProgramStartTest::SetUp();
    for (const char* name : {"mod_faktury_pages", "mod_notatki"}) {
      const wxString folder = veldrix::JoinPath(veldrix::PluginManager::GetModulesDirectory(), name);
      ASSERT_TRUE(veldrix::EnsureFolder(folder));
      ASSERT_TRUE(wxCopyFile(veldrix::JoinPath(VELDRIX_TEST_MODULE_DIR, wxString(name) + ".so"),
                             veldrix::JoinPath(folder, wxString(name) + ".so")));
      ASSERT_TRUE(wxCopyFile(veldrix::JoinPath(VELDRIX_TEST_MODULE_DIR, "ustawienia.xrc"),
                             veldrix::JoinPath(folder, "ustawienia.xrc")));
    }
    CreateUsers(AuthUser{"magazyn", "Jan Magazynier", false, true, 0}, "haslo-magazynu", "Magazyn",
                {"settings.view"});
  }

  void StartAs(const wxString& name, const wxString& password) {
    veldrix::MessageBoxRecorder boxes(wxID_OK);  // no company yet
    veldrix::test::ModalScript script;
    script.Then("AuthLoginDialog", veldrix::test::LogInStep(name, password));
    if (!frame) OpenFrame();
    frame->StartLogin();
    ASSERT_TRUE(frame->IsLoggedIn());
    ASSERT_TRUE(script.Done());
  }

  std::vector<wxString> ToolLabels() const {
    std::vector<wxString> labels;
    wxAuiToolBar* tools = frame->GetMainToolbar();
    for (size_t i = 0; i < tools->GetToolCount(); ++i) {
      const wxAuiToolBarItem* tool = tools->FindToolByIndex(static_cast<int>(i));
      if (tool->GetKind() != wxITEM_SEPARATOR) labels.push_back(tool->GetLabel());
    }
    return labels;
  }

  wxWindow* Selected() const { return frame->GetNotebook()->GetCurrentPage(); }

  // The scrolled window a notebook lies in, if any.
  static wxScrolledWindow* ScrolledAround(wxWindow* window) {
    for (wxWindow* outer = window->GetParent(); outer && !outer->IsTopLevel(); outer = outer->GetParent()) {
      if (auto* scrolled = dynamic_cast<wxScrolledWindow*>(outer)) return scrolled;
    }
    return nullptr;
  }

  // The first notebook inside a window, whose pages the user picks in turn.
  static wxBookCtrlBase* InnerBook(wxWindow* window) {
    for (wxWindow* child : window->GetChildren()) {
      if (auto* book = dynamic_cast<wxBookCtrlBase*>(child)) return book;
      if (wxBookCtrlBase* book = InnerBook(child)) return book;
    }
    return nullptr;
  }
};

TEST_F(ModuleHost, TheAdministratorGetsTheModuleToolsAndTheInvoiceTabs) {
  StartAs("admin", "haslo-admina");
  EXPECT_EQ(ToolLabels(), (std::vector<wxString>{"Faktury", "Notatki"}));

  frame->OpenInvoiceListPage();
  ASSERT_EQ(Selected()->GetLabel(), "dokhan");
  EXPECT_EQ(frame->GetNotebook()->GetPageText(frame->GetNotebook()->GetSelection()), "Dok. handlowe");
  frame->OpenNewInvoicePage("", "korekta");
  wxWindow* editor = Selected();
  ASSERT_EQ(editor->GetLabel(), "dokhanedycja");
  EXPECT_EQ(frame->GetNotebook()->GetPageText(frame->GetNotebook()->GetSelection()), "Nowa faktura");
  auto* text = dynamic_cast<wxStaticText*>(editor->GetChildren().front());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetLabel(), "Faktury: faktury.nowa-faktura [0|korekta]");
  veldrix::test::SaveScreenshot(frame, "module_host_invoice_editor");

  // The editor asks to close itself while another tab is selected: the editor goes,
  // and the main window's rule then selects the invoice list.
  frame->OpenCompanyDataPage();
  ASSERT_EQ(Selected()->GetLabel(), "danefirmy");
  veldrix::PluginManager* host = frame->GetPluginManager();
  std::size_t index = 0;
  while (host->GetModuleId(index) != "faktury") ++index;
  std::vector<wchar_t> out(VELDRIX_ACTION_TEXT);
  veldrix::ModuleCalls(host->GetModule(index)).RunAction("close-me", out.data(), VELDRIX_ACTION_TEXT);
  ASSERT_TRUE(veldrix::test::WaitFor([&] { return frame->GetNotebook()->GetPageIndex(editor) == wxNOT_FOUND; }));
  EXPECT_EQ(Selected()->GetLabel(), "dokhan");

  // A module's list opened again gets a tab of its own.
  frame->OpenInvoiceListPage();
  EXPECT_EQ(TabsLabelled("dokhan"), 2);
  EXPECT_EQ(Selected(), frame->GetNotebook()->GetPage(frame->GetNotebook()->GetPageCount() - 1));

  // A tab whose background action runs stays, and stays drawn behind the box that
  // says so; once the action ends it closes.
  auto* working = new WorkingPage(frame->GetNotebook());
  host->TrackModulePage(working, index);
  frame->GetNotebook()->AddPage(working, "Praca", true);
  const wxImage drawn = veldrix::test::CaptureWindow(frame->GetNotebook());
  veldrix::test::MessageBoxesAsDialogs boxes;
  veldrix::test::ModalScript script;
  wxImage behindBox;
  script.Then("dialog", [&](wxDialog* dialog) {
    frame->GetNotebook()->Refresh();
    behindBox = veldrix::test::CaptureWindow(frame->GetNotebook());
    veldrix::test::ModalScript::Click(dialog, wxID_OK);
  });
  EXPECT_FALSE(frame->ClosePage(frame->GetNotebook()->GetSelection()));
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(veldrix::test::SamePixels(behindBox, drawn));
  working->running = false;
  EXPECT_TRUE(frame->ClosePage(frame->GetNotebook()->GetSelection()));
}

TEST_F(ModuleHost, TheSettingsTabHoldsTheModulesPageAndEachModulesSettings) {
  StartAs("admin", "haslo-admina");
  frame->OpenSettingsPage();
  auto* settings = dynamic_cast<UstawieniaPanel*>(Selected());
  ASSERT_NE(settings, nullptr);
  wxTreebook* tree = settings->GetTree();
  int modules = wxNOT_FOUND;
  int notes = wxNOT_FOUND;
  for (size_t i = 0; i < tree->GetPageCount(); ++i) {
    if (tree->GetPageText(i) == U8("Moduły")) modules = static_cast<int>(i);
    if (tree->GetPageText(i) == "Ustawienia Notatki") notes = static_cast<int>(i);
  }
  ASSERT_NE(modules, wxNOT_FOUND);
  ASSERT_NE(notes, wxNOT_FOUND);
  tree->SetSelection(static_cast<size_t>(notes));
  veldrix::test::PumpEvents(100);
  auto* server =
      dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("txtServer", tree->GetPage(static_cast<size_t>(notes))));
  ASSERT_NE(server, nullptr);
  veldrix::test::SaveScreenshot(frame, "module_host_settings_tab");

  // A changed value is offered for saving before the tab closes: "Anuluj" keeps
  // the tab, "Tak" stores the value and closes it.
  server->SetValue("serwer.firmy.pl");
  {
    veldrix::test::MessageBoxesAsDialogs boxes;
    veldrix::test::ModalScript answers;
    answers.Then("dialog", veldrix::test::MessageBoxesAsDialogs::Press(wxID_CANCEL))
        .Then("dialog", veldrix::test::MessageBoxesAsDialogs::Press(wxID_YES));
    EXPECT_FALSE(frame->ClosePage(frame->GetNotebook()->GetSelection()));
    EXPECT_TRUE(frame->ClosePage(frame->GetNotebook()->GetSelection()));
    EXPECT_EQ(boxes.shown.size(), 2u);
  }
  EXPECT_EQ(veldrix::ModuleSettingsStore::Get("/TestModules/notatki", "server", ""), "serwer.firmy.pl");
  frame->OpenSettingsPage();
  tree = dynamic_cast<UstawieniaPanel*>(Selected())->GetTree();

  // The invoice numbering page is the invoice module's own.
  for (size_t i = 0; i < tree->GetPageCount(); ++i) {
    if (tree->GetPageText(i) == "Numeracja") tree->SetSelection(i);
  }
  auto* numbering = dynamic_cast<LazySettingsPagePanel*>(tree->GetCurrentPage());
  ASSERT_NE(numbering, nullptr);
  ASSERT_TRUE(veldrix::test::WaitFor([&] { return numbering->IsLoaded(); }));
  ASSERT_NE(numbering->GetContent(), nullptr);
  auto* text = dynamic_cast<wxStaticText*>(numbering->GetContent()->GetChildren().front());
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(text->GetLabel(), "Faktury: faktury.ustawienia-numeracji []");
}

TEST_F(ModuleHost, AUserWithoutTheAreaPermissionCannotOpenTheModule) {
  StartAs("magazyn", "haslo-magazynu");
  EXPECT_EQ(ToolLabels(), (std::vector<wxString>{"Notatki"}));
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  const size_t tabs = frame->GetNotebook()->GetPageCount();
  frame->OpenInvoiceListPage();
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Brak uprawnień do faktur i dokumentów handlowych."));
  EXPECT_FALSE(frame->GetPluginManager()->OpenModulePageById("faktury"));
  EXPECT_TRUE(frame->GetPluginManager()->OpenModulePageById("notatki"));
  EXPECT_EQ(frame->GetNotebook()->GetPageCount(), tabs + 1);
  veldrix::test::SaveScreenshot(frame, "module_host_storekeeper");
}

TEST_F(ModuleHost, EveryTabAndPageFitsTheSmallestMainWindowAlsoAfterResizing) {
  OpenFrame();
  frame->Maximize(false);
  frame->SetSize(frame->GetMinSize());
  StartAs("admin", "haslo-admina");
  StoreStandIn store;
  frame->OpenSettingsPage();
  frame->OpenInvoiceListPage();
  frame->OpenNewInvoicePage("", "korekta");
  frame->GetPluginManager()->OpenModulePageById("notatki");
  frame->OpenModuleStorePage();

  // Built at the smallest size; then the window is made wider, the user drags the
  // company form as narrow as a drag may make it, and makes the window smallest again.
  auto* sash = dynamic_cast<wxSplitterWindow*>(wxWindow::FindWindowByName("splitter", frame));
  ASSERT_NE(sash, nullptr);
  wxAuiNotebook* tabs = frame->GetNotebook();
  const wxSize sizes[] = {frame->GetMinSize(), wxSize(1920, 1040), frame->GetMinSize()};
  for (size_t pass = 0; pass < WXSIZEOF(sizes); ++pass) {
    if (pass > 0) sash->SetSashPosition(CompanySashLimit(sash->GetClientSize().x));
    // The test's screen is as small as the smallest window.
    const wxRect screen = wxDisplay(frame).GetClientArea();
    frame->SetSize(wxRect(screen.GetTopLeft(), sizes[pass]));
    const bool smallest = sizes[pass] == frame->GetMinSize();
    EXPECT_TRUE(!smallest || screen.Contains(frame->GetScreenRect())) << pass;
    for (size_t tab = 0; tab < tabs->GetPageCount(); ++tab) {
      tabs->SetSelection(tab);
      wxBookCtrlBase* pages = InnerBook(tabs->GetPage(tab));
      for (size_t page = 0; page < (pages ? pages->GetPageCount() : 1); ++page) {
        if (pages) pages->SetSelection(page);
        veldrix::test::PumpEvents(150);
        const wxString faults = veldrix::test::LayoutFaults(frame);
        EXPECT_TRUE(faults.empty()) << pass << " " << tabs->GetPageText(tab) << " " << page << "\n" << faults;
        // A form that scrolls brings its lowest field into sight on the screen.
        wxScrolledWindow* form = pages && smallest ? ScrolledAround(pages) : nullptr;
        if (form) {
          form->Scroll(0, form->GetVirtualSize().y);
          veldrix::test::PumpEvents(50);
          const wxRect sight = form->GetScreenRect().Intersect(screen);
          wxRect lowest;
          for (wxWindow* field : pages->GetCurrentPage()->GetChildren()) {
            if (field->IsShown() && field->GetScreenRect().GetBottom() > lowest.GetBottom()) lowest = field->GetScreenRect();
          }
          EXPECT_TRUE(sight.Contains(lowest)) << pass << " " << page << " " << lowest.GetBottom() << " " << sight.GetBottom();
          form->Scroll(0, 0);
        }
        // Each tab once, and whatever shows a fault.
        if ((pass == 0 && page == 0) || !faults.empty()) {
          veldrix::test::SaveScreenshot(frame, wxString::Format("main_window_pass%zu_tab%zu_page%zu", pass, tab, page));
        }
      }
    }
  }
}

}  // namespace
