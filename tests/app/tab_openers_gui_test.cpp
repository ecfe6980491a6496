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
      frame->OpenSettingsPage();
      wxTreebook* tree = dynamic_cast<UstawieniaPanel*>(tabs->GetCurrentPage())->GetTree();
      size_t page = 0;
      while (page < tree->GetPageCount() && tree->GetPageText(page) != U8("Słowniki")) ++page;
      tree->SetSelection(page);
      auto* lazy = dynamic_cast<LazySettingsPagePanel*>(tree->GetCurrentPage());
      ASSERT_TRUE(lazy && veldrix::test::WaitFor([&] { return lazy->IsLoaded(); }));
      dynamic_cast<ModuleDictionariesPanel*>(lazy->GetContent())->GetNameField()->SetValue("Weksel");
      frame->Close();
    }
    EXPECT_EQ(boxes.shown.size(), closes > 0 ? 1u : 2u) << closes;
    EXPECT_EQ(tabs->GetPageIndex(companies) != wxNOT_FOUND, closes == 0) << closes;
    EXPECT_EQ(TabsLabelled(U8("Ustawienia")), 1) << closes;
  }
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
