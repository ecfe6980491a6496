// Every tab opener of the main window asks the permission test: a program database
// with an administrator and a bookkeeper whose role grants only the settings and
// the invoices.
#include "../authdialogs/auth_dialog_steps.h"
#include "app/application_state.h"
#include "app/common/gradient_button.h"
#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "app/veldrix_frame.h"
#include "appmenu/app_menu.h"
#include "program_start_fixture.h"
#include "auth/auth_service.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "settings/lazy_settings_page.h"
#include "settings/module_dictionaries_panel.h"
#include "settings/ustawienia_panel.h"
#include "gui_support.h"
#include "modal_script.h"
#include "sqldata/sql_data.h"
#include "store/module_store_panel.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/aui/auibar.h>
#include <wx/aui/auibook.h>
#include <wx/log.h>
#include <wx/textctrl.h>
#include <wx/treebook.h>

#include <functional>
#include <memory>
#include <vector>

using veldrix::test::ModalScript;

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

class TabOpeners : public ProgramStartTest {
 protected:
  void SetUp() override {
    ProgramStartTest::SetUp();
    CreateUsers(AuthUser{"ksiegowa", "Ewa Kowalska", false, true, 0}, "haslo-ksiegowej", U8("Księgowość"),
                {"settings.view", "faktury.view"});
  }

  void StartAs(const wxString& name, const wxString& password) {
    ModalScript script;
    script.Then("AuthLoginDialog", veldrix::test::LogInStep(name, password));
    OpenFrame();
    frame->StartLogin();
    ASSERT_TRUE(frame->IsLoggedIn());
    ASSERT_TRUE(script.Done());
  }

  // What one opener showed and whether it added a tab.
  struct Outcome {
    wxString message;
    wxString caption;
    bool opened = false;
  };
  Outcome Run(const std::function<void()>& opener) {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    const size_t pages = frame->GetNotebook()->GetPageCount();
    opener();
    Outcome outcome;
    outcome.opened = frame->GetNotebook()->GetPageCount() > pages;
    if (!boxes.shown().empty()) {
      outcome.message = boxes.shown().back().message;
      outcome.caption = boxes.shown().back().caption;
    }
    return outcome;
  }

  // A company name and a dictionary entry typed and not saved. The company tab is
  // the last one, so the program's close asks it first.
  struct Typed {
    DaneFirmyMainPanel* companies = nullptr;
    UstawieniaPanel* settings = nullptr;
    wxTextCtrl* name = nullptr;
    wxTextCtrl* entry = nullptr;
  };
  Typed TypeIntoCompanyAndSettings() {
    wxAuiNotebook* tabs = frame->GetNotebook();
    Typed typed;
    frame->OpenCompanyDataPage();
    if (TabsLabelled(U8("Ustawienia")) == 0) {
      EXPECT_TRUE(frame->ClosePage(tabs->GetSelection()));
      frame->OpenSettingsPage();
      frame->OpenCompanyDataPage();
    }
    typed.companies = dynamic_cast<DaneFirmyMainPanel*>(tabs->GetCurrentPage());
    if (!typed.companies) return typed;
    typed.name = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("nazwa", typed.companies));
    typed.name->SetValue("Zmieniona");
    typed.entry = TypeIntoDictionaries();
    typed.settings = dynamic_cast<UstawieniaPanel*>(tabs->GetCurrentPage());
    return typed;
  }

  // Opens the settings tab's dictionaries and types a new entry's name.
  wxTextCtrl* TypeIntoDictionaries() {
    frame->OpenSettingsPage();
    wxTreebook* tree = dynamic_cast<UstawieniaPanel*>(frame->GetNotebook()->GetCurrentPage())->GetTree();
    size_t page = 0;
    while (page < tree->GetPageCount() && tree->GetPageText(page) != U8("Słowniki")) ++page;
    tree->SetSelection(page);
    auto* lazy = dynamic_cast<LazySettingsPagePanel*>(tree->GetCurrentPage());
    if (!lazy || !veldrix::test::WaitFor([&] { return lazy->IsLoaded(); })) return nullptr;
    wxTextCtrl* entry = dynamic_cast<ModuleDictionariesPanel*>(lazy->GetContent())->GetNameField();
    entry->SetValue("Weksel");
    return entry;
  }

  // Set once the window is destroyed.
  static std::shared_ptr<bool> WatchDestruction(VeldrixFrame* window) {
    const auto destroyed = std::make_shared<bool>(false);
    window->Bind(wxEVT_DESTROY, [window, destroyed](wxWindowDestroyEvent& event) {
      if (event.GetEventObject() == window) *destroyed = true;
      event.Skip();
    });
    return destroyed;
  }

  // "Nowy" on the company tab, which asks about its edit.
  static void PressNew(const Typed& typed) {
    wxCommandEvent press(wxEVT_MENU, DaneFirmyMainPanel::kNewToolId);
    typed.companies->GetEventHandler()->ProcessEvent(press);
  }

  void ExpectKept(const Typed& typed) {
    EXPECT_EQ(typed.name->GetValue(), "Zmieniona");
    EXPECT_TRUE(typed.companies->HasUnsavedChanges());
    EXPECT_EQ(typed.entry->GetValue(), "Weksel");
  }

};

TEST_F(TabOpeners, ABookkeeperOpensOnlyWhatHerRoleGrants) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    StartAs("ksiegowa", "haslo-ksiegowej");
    // No company yet: the company tab that follows is refused to her as well.
    ASSERT_EQ(boxes.shown().size(), 2u);
    EXPECT_EQ(boxes.shown()[1].message, U8("Brak uprawnieńia do danych firmy."));
  }
  EXPECT_TRUE(frame->HasPermission("faktury.view"));
  EXPECT_FALSE(frame->HasPermission("firma.manage"));
  EXPECT_FALSE(frame->HasPermission(""));

  Outcome company = Run([&] { frame->OpenCompanyDataPage(); });
  EXPECT_FALSE(company.opened);
  EXPECT_EQ(company.message, U8("Brak uprawnieńia do danych firmy."));
  EXPECT_EQ(company.caption, U8("Brak uprawnień"));

  EXPECT_TRUE(Run([&] { frame->OpenSettingsPage(); }).opened);
  EXPECT_EQ(frame->GetNotebook()->GetCurrentPage()->GetLabel(), U8("Ustawienia"));

  // Granted, but no invoice module is installed.
  Outcome invoices = Run([&] { frame->OpenInvoiceListPage(); });
  EXPECT_FALSE(invoices.opened);
  EXPECT_EQ(invoices.message, U8("Moduł Faktury wymaga aktualizacji lub jest niedostępny."));
  EXPECT_EQ(invoices.caption, "Faktury");
  EXPECT_EQ(Run([&] { frame->OpenNewInvoicePage("", "korekta"); }).caption, "Faktury");

  EXPECT_EQ(Run([&] { frame->OpenContractorsPage(); }).message, U8("Brak uprawnień do kontrahentów."));
  EXPECT_EQ(Run([&] { frame->OpenArticlesPage(); }).message, U8("Brak uprawnień do artykułów."));
  EXPECT_EQ(Run([&] { frame->OpenKpirPage(); }).message, U8("Brak uprawnień do KPiR."));
  EXPECT_EQ(Run([&] { frame->OpenJpkVatPage(); }).message, U8("Brak uprawnień do JPK_VAT."));
  veldrix::test::SaveScreenshot(frame, "tab_openers_bookkeeper");
}

TEST_F(TabOpeners, TheAdministratorPassesEveryPermissionTest) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    StartAs("admin", "haslo-admina");
  }
  EXPECT_EQ(frame->GetNotebook()->GetCurrentPage()->GetLabel(), "danefirmy");
  EXPECT_TRUE(Run([&] { frame->OpenSettingsPage(); }).opened);
  EXPECT_EQ(Run([&] { frame->OpenKpirPage(); }).message, U8("Moduł KPiR wymaga aktualizacji lub jest niedostępny."));
  EXPECT_EQ(Run([&] { frame->OpenJpkVatPage(); }).caption, "JPK_VAT");
  veldrix::test::SaveScreenshot(frame, "tab_openers_administrator");

  // Two editors of one company, or of one dictionary, would undo each other's
  // saves: the opener and the menu select the open tab.
  AppMenu* menu = frame->GetAppMenu();
  ASSERT_NE(menu, nullptr);
  const struct {
    const char* label;
    void (VeldrixFrame::*open)();
    wxWindow* menuButton;
  } pages[] = {{"danefirmy", &VeldrixFrame::OpenCompanyDataPage, menu->GetCompanyDataButton()},
               {"Ustawienia", &VeldrixFrame::OpenSettingsPage, menu->GetSettingsButton()}};
  for (const auto& page : pages) {
    for (const bool fromMenu : {false, true}) {
      SCOPED_TRACE(wxString(page.label) + (fromMenu ? " from the menu" : ""));
      frame->GetNotebook()->SetSelection(0);  // the start page
      VeldrixFrame* const window = frame;
      const auto reopen = [&page, fromMenu, window] {
        wxCommandEvent press(wxEVT_BUTTON, page.menuButton->GetId());
        if (fromMenu) {
          page.menuButton->HandleWindowEvent(press);
        } else {
          (window->*page.open)();
        }
      };
      EXPECT_FALSE(Run(reopen).opened);
      EXPECT_EQ(TabsLabelled(page.label), 1);
      EXPECT_EQ(frame->GetNotebook()->GetCurrentPage()->GetLabel(), page.label);
    }
  }

  // Closing the company tab with an unsaved change: the tab stays drawn behind the
  // question, and "Anuluj" keeps it.
  frame->OpenCompanyDataPage();
  auto* companies = dynamic_cast<DaneFirmyMainPanel*>(frame->GetNotebook()->GetCurrentPage());
  ASSERT_NE(companies, nullptr);
  dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("nazwa", companies))->SetValue("Zmieniona");
  wxWindow* tools = companies->GetLeftToolBar();
  const wxImage drawn = veldrix::test::CaptureWindow(tools);
  veldrix::test::MessageBoxesAsDialogs boxes;
  ModalScript script;
  wxImage behindQuestion;
  script.Then("dialog", [&](wxDialog* dialog) {
    tools->Refresh();
    behindQuestion = veldrix::test::CaptureWindow(tools);
    ModalScript::Click(dialog, wxID_CANCEL);
  });
  EXPECT_FALSE(frame->ClosePage(frame->GetNotebook()->GetSelection()));
  EXPECT_EQ(boxes.shown, std::vector<wxString>{U8("Czy zapisać zmiany?")});
  EXPECT_TRUE(veldrix::test::SamePixels(behindQuestion, drawn));
}

// One or two quick closes of a changed company tab ask once and close that tab
// alone; the program's close (0) asks every tab first, and "Anuluj" keeps them all.
TEST_F(TabOpeners, ATabIsAskedOnceAndTheProgramClosesAllTabsOrNone) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    StartAs("admin", "haslo-admina");
  }
  wxAuiNotebook* tabs = frame->GetNotebook();
  frame->OpenSettingsPage();
  for (const int closes : {1, 2, 0}) {
    frame->OpenCompanyDataPage();
    wxWindow* companies = tabs->GetCurrentPage();
    dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("nazwa", companies))->SetValue("Zmieniona");
    veldrix::test::MessageBoxesAsDialogs boxes;
    ModalScript answers;
    answers.Then("dialog", veldrix::test::MessageBoxesAsDialogs::Press(wxID_NO))
        .Then("dialog", veldrix::test::MessageBoxesAsDialogs::Press(wxID_CANCEL));
    for (int i = 0; i < closes; ++i) {
      companies->GetEventHandler()->QueueEvent(new wxCommandEvent(wxEVT_MENU, DaneFirmyMainPanel::kCloseToolId));
    }
    if (closes > 0) {
      EXPECT_TRUE(veldrix::test::WaitFor([&] { return tabs->GetPageIndex(companies) == wxNOT_FOUND; }));
      veldrix::test::PumpEvents(300);
    } else {
      // A settings entry is left unsaved too.
      ASSERT_TRUE(TypeIntoDictionaries());
      frame->Close();
    }
    EXPECT_EQ(boxes.shown.size(), closes > 0 ? 1u : 2u) << closes;
    EXPECT_EQ(tabs->GetPageIndex(companies) != wxNOT_FOUND, closes == 0) << closes;
    EXPECT_EQ(TabsLabelled(U8("Ustawienia")), 1) << closes;
  }
}

// "Nie" on one tab drops nothing while a later tab may still call the close off.
TEST_F(TabOpeners, AProgramCloseCalledOffKeepsWhatEveryTabHolds) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    StartAs("admin", "haslo-admina");
  }
  for (const std::vector<int>& answers : {std::vector<int>{wxID_NO, wxID_CANCEL}, std::vector<int>{wxID_CANCEL}}) {
    SCOPED_TRACE(answers.size());
    const Typed typed = TypeIntoCompanyAndSettings();
    ASSERT_TRUE(typed.entry);
    veldrix::test::MessageBoxesAsDialogs boxes;
    ModalScript script;
    for (const int answer : answers) script.Then("dialog", veldrix::test::MessageBoxesAsDialogs::Press(answer));
    frame->Close();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(boxes.shown.size(), answers.size());
    ExpectKept(typed);
  }
}

// A close that comes while a question waits is no answer: nothing closes before
// the user answers, and the next close asks again. Asked by the program's close,
// the question stays; asked by a tab's own move, it ends and the close asks afresh.
TEST_F(TabOpeners, ACloseDuringAQuestionClosesNothingUnasked) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    StartAs("admin", "haslo-admina");
  }
  VeldrixFrame* const window = frame;
  const auto destroyed = WatchDestruction(window);
  const struct {
    const char* asking;
    std::function<void(const Typed&)> ask;
    size_t questions;
  } rows[] = {{"the program's close", [&](const Typed&) { window->Close(); }, 1}, {"Nowy", PressNew, 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.asking);
    const Typed typed = TypeIntoCompanyAndSettings();
    ASSERT_TRUE(typed.entry);
    veldrix::test::MessageBoxesAsDialogs boxes;
    ModalScript script;
    script.Then("dialog", [&](wxDialog*) { window->Close(); })  // the window's close button again
        .Then("dialog", veldrix::test::MessageBoxesAsDialogs::Press(wxID_CANCEL));
    row.ask(typed);
    veldrix::test::WaitFor([&] {
      wxTheApp->ProcessIdle();
      return *destroyed || script.Done();
    });
    veldrix::test::PumpEvents(200);
    wxTheApp->ProcessIdle();
    if (*destroyed) frame = nullptr;
    ASSERT_FALSE(*destroyed);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(boxes.shown.size(), row.questions);
    ExpectKept(typed);

    script.Then("dialog", veldrix::test::MessageBoxesAsDialogs::Press(wxID_CANCEL));
    window->Close();
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(boxes.shown.size(), row.questions + 1);
    ExpectKept(typed);
  }
}

// A close that cannot be refused (the session ending) while a question waits ends
// the question as unanswered, asks no other tab and closes the window, whatever
// move asked.
TEST_F(TabOpeners, ACloseThatCannotBeRefusedEndsTheQuestionAndCloses) {
  const struct {
    const char* asking;
    std::function<void(const Typed&)> ask;
  } rows[] = {{"the program's close", [&](const Typed&) { frame->Close(); }}, {"Nowy", PressNew}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.asking);
    {
      veldrix::MessageBoxRecorder boxes(wxID_OK);
      StartAs("admin", "haslo-admina");
    }
    VeldrixFrame* const window = frame;
    const auto destroyed = WatchDestruction(window);
    const Typed typed = TypeIntoCompanyAndSettings();
    ASSERT_TRUE(typed.entry);
    veldrix::test::MessageBoxesAsDialogs boxes;
    ModalScript script;
    script.Then("dialog", [window](wxDialog*) { window->Close(true); });
    row.ask(typed);
    veldrix::test::WaitFor([&] {
      wxTheApp->ProcessIdle();
      return *destroyed;
    });
    if (*destroyed) frame = nullptr;
    EXPECT_TRUE(*destroyed);
    EXPECT_TRUE(script.Done());
    EXPECT_EQ(script.Unexpected(), 0);
    EXPECT_EQ(boxes.shown.size(), 1u);
    if (!*destroyed) return;
  }
}

// The program's close asks each tab over that tab, and the box names it.
TEST_F(TabOpeners, EachClosingQuestionShowsTheTabItIsAbout) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    StartAs("admin", "haslo-admina");
  }
  const Typed typed = TypeIntoCompanyAndSettings();
  ASSERT_TRUE(typed.entry);
  wxAuiNotebook* tabs = frame->GetNotebook();
  tabs->SetSelection(0);  // the start page
  const auto over = [&](wxWindow* about, const char* title, int answer) {
    return [this, tabs, about, title, answer](wxDialog* dialog) {
      EXPECT_EQ(tabs->GetCurrentPage(), about) << title;
      EXPECT_TRUE(about->IsShownOnScreen()) << title;
      EXPECT_EQ(dialog->GetTitle(), title);
      veldrix::test::SaveScreenshot(frame, "tab_openers_closing_" + about->GetLabel().Lower());
      ModalScript::Click(dialog, answer);
    };
  };
  veldrix::test::MessageBoxesAsDialogs boxes;
  ModalScript script;
  script.Then("dialog", over(typed.companies, "Dane firmy", wxID_NO))
      .Then("dialog", over(typed.settings, "Ustawienia", wxID_CANCEL));
  frame->Close();
  EXPECT_TRUE(script.Done());
}

TEST_F(TabOpeners, TheStoreToolOpensOneStoreTabWithTheCatalogue) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    StartAs("admin", "haslo-admina");
  }
  StoreStandIn store;

  const auto clickStoreTool = [this] {
    wxCommandEvent click(wxEVT_MENU, ControlIds().moduleStoreTool);
    frame->ProcessWindowEvent(click);
  };
  EXPECT_TRUE(Run(clickStoreTool).opened);
  auto* tab = dynamic_cast<veldrix::ModuleStorePanel*>(frame->GetNotebook()->GetCurrentPage());
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(frame->GetNotebook()->GetPageText(frame->GetNotebook()->GetSelection()), U8("Sklep modułów"));
  EXPECT_EQ(tab->GetEntries().size(), 1u);
  veldrix::test::SaveScreenshot(frame, "tab_openers_store");

  // A second click selects the same tab and asks the store nothing while it has a catalogue.
  frame->OpenSettingsPage();
  EXPECT_FALSE(Run(clickStoreTool).opened);
  EXPECT_EQ(frame->GetNotebook()->GetCurrentPage(), tab);
  EXPECT_EQ(store.server.Requests().size(), 1u);

  EXPECT_TRUE(frame->ClosePage(frame->GetNotebook()->GetSelection()));
  EXPECT_EQ(frame->GetNotebook()->GetPageIndex(tab), wxNOT_FOUND);
  EXPECT_TRUE(Run(clickStoreTool).opened);
  EXPECT_EQ(store.server.Requests().size(), 2u);
}

}  // namespace
