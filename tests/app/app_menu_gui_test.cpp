// The application menu through the real main window: it opens from its tool, shows
// and switches the working company (the start page follows), opens the company and
// settings tabs, shows the about box with the linked components, logs out and in
// again, and closes the program.
#include "app/application_state.h"
#include "app/common/gradient_button.h"
#include "app/common/message_box.h"
#include "app/dashboard_panel.h"
#include "appmenu/app_menu.h"
#include "danefirmy/company_application.h"
#include "danefirmy/dane_firmy.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "pluginmanager/plugin_manager.h"
#include "pluginmanager/plugin_module.h"
#include "sqldata/dv_model.h"
#include "sqldata/sql_literals.h"
#include "working_program_fixture.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/aui/auibar.h>
#include <wx/button.h>
#include <wx/display.h>
#include <wx/notebook.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/uiaction.h>

#include <cstdlib>
#include <functional>
#include <utility>

using veldrix::test::CaptureScreen;
using veldrix::test::ModalScript;
using veldrix::test::PumpEvents;
using veldrix::test::SamePixels;
using veldrix::test::SaveScreenshot;
using veldrix::test::WaitFor;

namespace {

class ApplicationMenu : public WorkingProgramTest {
 protected:
  // A click on the menu tool, as the toolbar reports it.
  void ClickMenuTool() {
    wxCommandEvent event(wxEVT_MENU, ControlIds().appMenuTool);
    event.SetEventObject(frame->GetStoreToolbar());
    frame->GetStoreToolbar()->HandleWindowEvent(event);
    PumpEvents(100);
  }

  static void Press(wxWindow* button) {
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->HandleWindowEvent(event);
  }

  wxString SelectedLabel() { return frame->GetNotebook()->GetCurrentPage()->GetLabel(); }

  // Opens the company tab, shows the company `id` in its form and types into its name.
  DaneFirmyMainPanel* TypeIntoCompany(const wxString& id, const wxString& name) {
    frame->OpenCompanyDataPage();
    auto* companies = dynamic_cast<DaneFirmyMainPanel*>(frame->GetNotebook()->GetCurrentPage());
    auto* editor = companies ? dynamic_cast<DaneFirmy*>(companies->GetEditor()) : nullptr;
    if (!editor) return nullptr;
    for (int row = 0; row < editor->GetCompanyModel()->rowCount && editor->GetRecordId() != id; ++row) {
      editor->SelectCompanyRow(row);
    }
    if (editor->GetRecordId() != id) return nullptr;
    // The multi-line fields take text once laid out.
    PumpEvents(300);
    NameField(companies)->SetValue(name);
    return companies;
  }

  static wxTextCtrl* NameField(wxWindow* companies) {
    return dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("nazwa", companies));
  }

  static wxString StoredWorkingCompany() {
    return veldrix::ConfigAccess()->Read(kWorkingCompanyKey, wxString("<none>"));
  }

  // Every static text below the window, joined by line breaks.
  static wxString Texts(wxWindow* window) {
    wxString all;
    for (wxWindow* child : window->GetChildren()) {
      if (auto* text = dynamic_cast<wxStaticText*>(child)) all += text->GetLabel() + "\n";
      all += Texts(child);
    }
    return all;
  }
};

TEST_F(ApplicationMenu, SwitchesTheCompanyAndOpensTheCompanyAndSettingsTabs) {
  LogIn("admin", "haslo-admina");
  AppMenu* menu = frame->GetAppMenu();
  ASSERT_NE(menu, nullptr);
  ClickMenuTool();
  ASSERT_TRUE(menu->IsShown());
  EXPECT_TRUE(menu->GetCompanyButton()->IsEnabled());
  EXPECT_EQ(menu->GetCompanyButton()->GetLabelText(), "Alfa Handel  v");
  // It drops from the tool: its right edge on the toolbar's.
  const wxRect tools = frame->GetStoreToolbar()->GetScreenRect();
  EXPECT_EQ(menu->GetScreenRect().GetRight(), tools.GetRight());
  EXPECT_EQ(menu->GetScreenRect().y, tools.GetBottom() + 1);
  SaveScreenshot(menu, "app_menu_open");

  // The second company of the list.
  wxCommandEvent choose(wxEVT_MENU, AppMenu::CompanyMenuId(1));
  menu->HandleWindowEvent(choose);
  EXPECT_EQ(AppState().GetWorkingCompanyId(), "1");
  EXPECT_EQ(frame->GetStartPage()->GetCompanyCaption(), "Beta Serwis");
  EXPECT_FALSE(menu->IsShown());
  EXPECT_EQ(menu->GetCompanyButton()->GetLabelText(), "Beta Serwis  v");
  // A company id past the list is ignored.
  wxCommandEvent beyond(wxEVT_MENU, AppMenu::CompanyMenuId(2));
  menu->HandleWindowEvent(beyond);
  EXPECT_EQ(AppState().GetWorkingCompanyId(), "1");

  // Each opens its page and the menu goes: the window shows the page where the menu lay.
  for (const auto& [button, label] : {std::make_pair(menu->GetCompanyDataButton(), "danefirmy"),
                                      std::make_pair(menu->GetSettingsButton(), "Ustawienia")}) {
    ClickMenuTool();
    ASSERT_TRUE(menu->IsShown());
    const wxRect where = menu->GetScreenRect();
    const wxImage shown = CaptureScreen(where);
    Press(button);
    EXPECT_EQ(SelectedLabel(), label);
    EXPECT_FALSE(menu->IsShown()) << label;
    EXPECT_FALSE(SamePixels(CaptureScreen(where), shown)) << label;
  }
  SaveScreenshot(frame, "app_menu_tabs_opened");

  // Switching back closes both tabs; the start page stays and follows.
  wxCommandEvent back(wxEVT_MENU, AppMenu::CompanyMenuId(0));
  menu->HandleWindowEvent(back);
  EXPECT_EQ(AppState().GetWorkingCompanyId(), "2");
  EXPECT_EQ(frame->GetNotebook()->GetPageCount(), 1u);
  EXPECT_EQ(frame->GetStartPage()->GetCompanyCaption(), "Alfa Handel");
}

// The questions the menu leads to, with an edit on the company tab: the menu is
// gone before each opens, and it opens over the main window with every button on
// the screen. Escape closes the menu.
TEST_F(ApplicationMenu, ItsQuestionsOpenOverTheWindowOnceTheMenuHasGone) {
  LogIn("admin", "haslo-admina");
  PumpEvents(300);
  AppMenu* menu = frame->GetAppMenu();
  DaneFirmyMainPanel* companies = TypeIntoCompany("2", "Alfa Zmieniona");
  ASSERT_NE(companies, nullptr);
  const struct {
    const char* entry;
    std::function<void()> choose;
  } rows[] = {{"another company", [&] {
                 wxCommandEvent choose(wxEVT_MENU, AppMenu::CompanyMenuId(1));
                 menu->HandleWindowEvent(choose);
               }},
              {"closing the program", [&] { Press(menu->GetPowerButton()); }}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.entry);
    ClickMenuTool();
    ASSERT_TRUE(menu->IsShown());
    const wxRect menuRect = menu->GetScreenRect();
    const wxImage menuShown = CaptureScreen(menuRect);
    veldrix::test::MessageBoxesAsDialogs boxes;
    ModalScript script;
    script.Then("dialog", [&](wxDialog* dialog) {
      veldrix::test::WaitUntilPlaced(dialog);
      SaveScreenshot(frame, wxString("app_menu_question_") + (row.entry[0] == 'a' ? "switch" : "close"));
      EXPECT_EQ(dialog->GetTitle(), "Dane firmy");
      EXPECT_FALSE(menu->IsShown());
      EXPECT_FALSE(SamePixels(CaptureScreen(menuRect), menuShown));
      const wxRect box = dialog->GetScreenRect();
      const wxRect window = frame->GetScreenRect();
      EXPECT_LE(std::abs(box.GetX() + box.GetWidth() / 2 - (window.GetX() + window.GetWidth() / 2)), 40);
      EXPECT_LE(std::abs(box.GetY() + box.GetHeight() / 2 - (window.GetY() + window.GetHeight() / 2)), 40);
      const wxRect screen = wxDisplay(static_cast<unsigned>(wxDisplay::GetFromWindow(frame))).GetGeometry();
      for (const int id : {wxID_YES, wxID_NO, wxID_CANCEL}) {
        wxWindow* button = dialog->FindWindow(id);
        ASSERT_NE(button, nullptr) << id;
        EXPECT_TRUE(button->IsShownOnScreen()) << id;
        EXPECT_TRUE(screen.Contains(button->GetScreenRect())) << id;
        EXPECT_FALSE(menu->IsShown() && menuRect.Intersects(button->GetScreenRect())) << id;
      }
      ModalScript::Click(dialog, wxID_CANCEL);
    });
    row.choose();
    EXPECT_TRUE(WaitFor([&] { return script.Done(); }));
    PumpEvents(100);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(AppState().GetWorkingCompanyId(), "2");
    EXPECT_EQ(NameField(companies)->GetValue(), "Alfa Zmieniona");
    ASSERT_FALSE(menu->IsShown());
  }

  ClickMenuTool();
  ASSERT_TRUE(menu->IsShown());
  wxUIActionSimulator keys;
  keys.Char(WXK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return !menu->IsShown(); }));
}

// "Wybierz" on another company switches as the menu does, once the company tab's
// question is answered: "Anuluj" leaves the working company, the configuration and
// the tabs as they were; "Nie zapisuj" and "Zapisz" close every tab but the start
// page, and the start page and the menu show the company chosen.
TEST_F(ApplicationMenu, WybierzSwitchesTheCompanyAsTheMenuDoesAfterItsQuestion) {
  LogIn("admin", "haslo-admina");
  ASSERT_EQ(AppState().GetWorkingCompanyId(), "2");
  // The first two ask about the same edit of Beta Serwis.
  const struct {
    int answer;
    const char* typed;
    const char* working;
    const char* caption;
  } rows[] = {{wxID_CANCEL, "Beta Zmieniona", "2", "Alfa Handel"},
              {wxID_NO, "", "1", "Beta Serwis"},
              {wxID_YES, "Alfa Zapisana", "2", "Alfa Zapisana"}};
  DaneFirmyMainPanel* companies = nullptr;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.answer);
    const wxString before = AppState().GetWorkingCompanyId();
    if (frame->GetNotebook()->GetPageCount() == 1) {
      frame->OpenSettingsPage();
      companies = TypeIntoCompany(before == "2" ? "1" : "2", row.typed);
      ASSERT_NE(companies, nullptr);
      // What a save needs besides the name.
      for (const auto& [field, text] : {std::make_pair("nazwa_pelna", "Alfa Zapisana SA"),
                                        std::make_pair("nip", "7251801126"), std::make_pair("kod", "00-950"),
                                        std::make_pair("miejscowosc", "Warszawa"), std::make_pair("ulica", "Polna 1")}) {
        dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(field, companies))->SetValue(text);
      }
    }
    const wxString typed = NameField(companies)->GetValue();
    const size_t tabs = frame->GetNotebook()->GetPageCount();
    wxString workingWhileAsked;
    wxString storedWhileAsked;
    veldrix::test::MessageBoxesAsDialogs boxes;
    ModalScript script;
    script.Then("dialog", [&](wxDialog* dialog) {
      workingWhileAsked = AppState().GetWorkingCompanyId();
      storedWhileAsked = StoredWorkingCompany();
      ModalScript::Click(dialog, row.answer);
    });
    wxCommandEvent press(wxEVT_MENU, DaneFirmyMainPanel::kChooseToolId);
    companies->GetEventHandler()->ProcessEvent(press);
    ASSERT_TRUE(WaitFor([&] { return script.Done(); }));
    PumpEvents(200);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(workingWhileAsked, before);
    EXPECT_EQ(storedWhileAsked, before);
    EXPECT_EQ(AppState().GetWorkingCompanyId(), row.working);
    EXPECT_EQ(StoredWorkingCompany(), row.working);
    EXPECT_EQ(frame->GetStartPage()->GetCompanyCaption(), row.caption);
    ClickMenuTool();
    EXPECT_EQ(frame->GetAppMenu()->GetCompanyButton()->GetLabelText(), wxString(row.caption) + "  v");
    frame->GetAppMenu()->Dismiss();
    if (row.answer == wxID_CANCEL) {
      EXPECT_EQ(frame->GetNotebook()->GetPageCount(), tabs);
      EXPECT_EQ(NameField(companies)->GetValue(), typed);
    } else {
      EXPECT_EQ(frame->GetNotebook()->GetPageCount(), 1u);
    }
  }
}

TEST_F(ApplicationMenu, ACompanyListThatCannotBeReadIsReportedInsteadOfAskingForACompany) {
  {
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GE(db.DeleteData("alter table firma rename to firma_poprzednia"), 0) << db.lastError;
  }
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  LogIn("admin", "haslo-admina");
  PumpEvents(100);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.shown()[0].style & wxICON_ERROR);
  EXPECT_NE(boxes.shown()[0].message.Find("no such table: firma"), wxNOT_FOUND)
      << boxes.shown()[0].message.utf8_str().data();
  // No company tab to add the "first" company: the list is not empty, it is unread.
  EXPECT_EQ(frame->GetNotebook()->GetPageCount(), 1u);

  // The menu reads the list again as it opens, and tells it once again.
  boxes.Clear();
  ClickMenuTool();
  EXPECT_EQ(boxes.shown().size(), 1u);

  // Readable again, a company chosen from the menu turns the tools back on.
  {
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GE(db.DeleteData("alter table firma_poprzednia rename to firma"), 0) << db.lastError;
  }
  wxAuiToolBar* tools = frame->GetMainToolbar();
  tools->AddTool(wxID_HIGHEST + 700, "modul", wxArtProvider::GetBitmap(wxART_NEW));
  tools->EnableTool(wxID_HIGHEST + 700, false);  // as the login left the tools
  ASSERT_TRUE(frame->LoadCompanyList());
  wxCommandEvent choose(wxEVT_MENU, AppMenu::CompanyMenuId(0));
  frame->GetAppMenu()->HandleWindowEvent(choose);
  EXPECT_TRUE(tools->GetToolEnabled(wxID_HIGHEST + 700));
}

// A list that cannot be read again is no database without companies: the menu's
// company button and the start page keep the working company's name.
TEST_F(ApplicationMenu, ACompanyListThatCannotBeReadAgainKeepsTheCompaniesTheMenuKnew) {
  LogIn("admin", "haslo-admina");
  AppMenu* menu = frame->GetAppMenu();
  ClickMenuTool();
  ASSERT_TRUE(menu->IsShown());
  const wxImage button = veldrix::test::CaptureWindow(menu->GetCompanyButton());
  menu->Dismiss();
  const auto renameFirma = [&](const char* from, const char* to) {
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GE(db.DeleteData(wxString::Format("alter table %s rename to %s", from, to)), 0) << db.lastError;
  };
  ASSERT_NO_FATAL_FAILURE(renameFirma("firma", "firma_poprzednia"));
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  ClickMenuTool();
  EXPECT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(menu->GetCompanyButton()->IsEnabled());
  EXPECT_EQ(menu->GetCompanyButton()->GetLabelText(), "Alfa Handel  v");
  EXPECT_TRUE(SamePixels(veldrix::test::CaptureWindow(menu->GetCompanyButton()), button));
  SaveScreenshot(menu, "app_menu_list_unread");
  menu->Dismiss();
  PumpEvents(2100);  // past the start page's pause between two reads
  frame->GetStartPage()->RefreshDashboard();
  PumpEvents(100);
  EXPECT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(frame->GetStartPage()->GetCompanyCaption(), "Alfa Handel");

  // Readable again, the menu reads it as before.
  ASSERT_NO_FATAL_FAILURE(renameFirma("firma_poprzednia", "firma"));
  boxes.Clear();
  ClickMenuTool();
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_TRUE(SamePixels(veldrix::test::CaptureWindow(menu->GetCompanyButton()), button));
  EXPECT_EQ(frame->GetCompanyCount(), 2u);
}

TEST_F(ApplicationMenu, ModuleToolsLightForActiveModulesOnlyAndOnlyWhileTheToolsAreOn) {
  InstallModules({"mod_faktury_pages", "mod_notatki"});
  LogIn("admin", "haslo-admina");
  veldrix::PluginManager* host = frame->GetPluginManager();
  std::size_t notes = 0;
  while (host->GetModuleId(notes) != "notatki") ++notes;
  const int notesTool = host->GetModule(notes).toolId;
  const int invoicesTool = host->FindModule("faktury")->toolId;
  ASSERT_NE(notesTool, wxID_NONE);
  ASSERT_NE(invoicesTool, wxID_NONE);
  wxString error;
  ASSERT_TRUE(host->SetModuleEnabled(notes, false, &error)) << error;
  wxAuiToolBar* tools = frame->GetMainToolbar();
  ASSERT_FALSE(tools->GetToolEnabled(notesTool));

  // Also from the tools all off, as a login whose company list could not be read left them.
  for (const bool offBefore : {false, true}) {
    SCOPED_TRACE(offBefore ? "tools off before" : "tools on before");
    if (offBefore) frame->EnableToolbar(false, false);
    const wxString working = AppState().GetWorkingCompanyId();
    wxCommandEvent choose(wxEVT_MENU, AppMenu::CompanyMenuId(working == "2" ? 1 : 0));
    frame->GetAppMenu()->HandleWindowEvent(choose);
    ASSERT_NE(AppState().GetWorkingCompanyId(), working);
    EXPECT_TRUE(tools->GetToolEnabled(invoicesTool));
    EXPECT_FALSE(tools->GetToolEnabled(notesTool));
  }

  // Switched off and on again, the tool follows only while the tools are on (no working company: off).
  for (const bool toolsOn : {true, false}) {
    SCOPED_TRACE(toolsOn ? "tools on" : "tools off");
    frame->EnableToolbar(toolsOn, false);
    ASSERT_TRUE(host->SetModuleEnabled(notes, false, &error)) << error;
    EXPECT_FALSE(tools->GetToolEnabled(notesTool));
    ASSERT_TRUE(host->SetModuleEnabled(notes, true, &error)) << error;
    EXPECT_EQ(tools->GetToolEnabled(notesTool), toolsOn);
    SaveScreenshot(frame, toolsOn ? "module_switched_on_tools_on" : "module_switched_on_tools_off");
  }
}

TEST_F(ApplicationMenu, ALongCompanyNameIsShortenedWithItsDropDownMarkInSight) {
  const wxString name = wxString::FromUTF8("Firma \"Żółw\" O'Brien\\Ślązak");
  {
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GT(db.InsertData("INSERT INTO firma (nazwa) VALUES (" + QuoteSqlLiteral(name) + ")"), 0) << db.lastError;
  }
  LogIn("admin", "haslo-admina");
  AppMenu* menu = frame->GetAppMenu();
  ASSERT_NE(menu, nullptr);
  wxCommandEvent choose(wxEVT_MENU, AppMenu::CompanyMenuId(2));
  menu->HandleWindowEvent(choose);
  ASSERT_EQ(frame->GetStartPage()->GetCompanyCaption(), name);
  ClickMenuTool();
  ASSERT_TRUE(menu->IsShown());
  wxButton* button = menu->GetCompanyButton();
  const wxString label = button->GetLabelText();
  EXPECT_EQ(veldrix::test::LayoutFaults(button), "");
  EXPECT_TRUE(label.StartsWith("Firma ")) << label;
  EXPECT_TRUE(label.EndsWith(" v")) << label;
  EXPECT_LT(label.length(), name.length() + 3) << label;
  EXPECT_EQ(button->GetToolTipText(), name);
  SaveScreenshot(menu, "app_menu_long_company_name");
  menu->Dismiss();
}

TEST_F(ApplicationMenu, AClickOnTheToolWhileTheMenuIsOpenClosesIt) {
  LogIn("admin", "haslo-admina");
  AppMenu* menu = frame->GetAppMenu();
  ClickMenuTool();
  ASSERT_TRUE(menu->IsShown());
  // The press on the tool reaches the menu first, as a click outside it.
  wxAuiToolBar* tools = frame->GetStoreToolbar();
  const wxRect tool = tools->GetToolRect(ControlIds().appMenuTool);
  wxMouseEvent press(wxEVT_LEFT_DOWN);
  press.SetPosition(menu->ScreenToClient(tools->ClientToScreen(tool.GetPosition() + wxPoint(5, 5))));
  EXPECT_FALSE(menu->ProcessLeftDown(press));
  menu->Dismiss();
  ClickMenuTool();
  EXPECT_FALSE(menu->IsShown());
  // The next click opens it again.
  ClickMenuTool();
  EXPECT_TRUE(menu->IsShown());
  menu->Dismiss();
}

TEST_F(ApplicationMenu, TheAboutBoxListsTheLinkedComponents) {
  LogIn("admin", "haslo-admina");
  AppMenu* menu = frame->GetAppMenu();
  ClickMenuTool();
  wxString version;
  wxString components;
  ModalScript script;
  script.Then("VeldrixAboutDialog", [&](wxDialog* dialog) {
    auto* line = dynamic_cast<wxStaticText*>(dialog->FindWindow("AboutVersion"));
    if (line) version = line->GetLabel();
    components = Texts(dialog);
    SaveScreenshot(dialog, "about_box");
    wxNotebook* pages = nullptr;
    for (wxWindow* child : dialog->GetChildren()) {
      if (!pages) pages = dynamic_cast<wxNotebook*>(child);
    }
    if (pages) {
      pages->SetSelection(2);
      SaveScreenshot(dialog, "about_box_licences");
    }
    ModalScript::Click(dialog, wxID_OK);
  });
  Press(menu->GetAboutButton());
  EXPECT_TRUE(script.Done());
  EXPECT_FALSE(menu->IsShown());
  EXPECT_EQ(version, "Wersja programu: 0.25.9 Alpha");
  for (const char* name : {"wxWidgets 3.", "SQLite 3.", "wxSQLite3 ", "FreeTDS ", "MariaDB Connector/C 3.",
                           "OpenSSL 3.", "libcurl ", "nlohmann-json 3."}) {
    EXPECT_NE(components.Find(name), wxNOT_FOUND) << name;
  }
}

TEST_F(ApplicationMenu, TheSessionEndingWhileTheAboutBoxIsOpenClosesTheBoxThenTheWindow) {
  LogIn("admin", "haslo-admina");
  VeldrixFrame* closing = frame;
  bool destroyed = false;
  closing->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == closing) destroyed = true;
    event.Skip();
  });
  // SIGTERM closes the window as the user would, here while the box is up.
  ModalScript script;
  script.Then("VeldrixAboutDialog", [&](wxDialog*) { closing->Close(true); });
  closing->ShowAboutDialog();
  frame = nullptr;
  EXPECT_TRUE(script.Done());
  EXPECT_TRUE(WaitFor([&] {
    wxTheApp->ProcessIdle();
    return destroyed;
  }));
}

TEST_F(ApplicationMenu, LogsOutAndInAgainAndClosesTheProgram) {
  LogIn("admin", "haslo-admina");
  AppMenu* first = frame->GetAppMenu();
  ClickMenuTool();
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  ModalScript script;
  script.Then("AuthLoginDialog", veldrix::test::LogInStep("ksiegowa", "haslo-ksiegowej", "app_menu_login_again"));
  Press(first->GetLogoutButton());
  // The logout runs once the button's handler has returned.
  EXPECT_TRUE(frame->IsLoggedIn());
  ASSERT_TRUE(WaitFor([&] { return script.Done() && frame->IsLoggedIn(); }, 20000));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, "Wylogowanie");
  EXPECT_TRUE(frame->GetTitle().EndsWith("Ewa Kowalska"));
  ASSERT_NE(frame->GetAppMenu(), nullptr);
  EXPECT_NE(frame->GetStartPage(), nullptr);

  ClickMenuTool();
  VeldrixFrame* closing = frame;
  bool destroyed = false;
  closing->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
    if (event.GetEventObject() == closing) destroyed = true;
    event.Skip();
  });
  Press(frame->GetAppMenu()->GetPowerButton());
  frame = nullptr;
  // Destroy() deletes the window at idle time.
  EXPECT_TRUE(WaitFor([&] {
    wxTheApp->ProcessIdle();
    return destroyed;
  }));
}

}  // namespace
