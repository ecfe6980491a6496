// The program started as a new user starts it: an empty program folder with the
// database scripts, a temporary HOME, the real main window, the real dialogs filled
// through their controls. Each step leaves a screenshot for review.
#include "../authdialogs/auth_dialog_steps.h"
#include "app/application_state.h"
#include "app/aui_notebook_custom.h"
#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "app/common/tab_closing.h"
#include "app/dashboard_panel.h"
#include "app/veldrix_frame.h"
#include "program_start_fixture.h"
#include "auth/auth_service.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "dbsetup/database_config_dialog.h"
#include "sqldata/sql_data.h"
#include "gui_support.h"
#include "modal_script.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/aui/aui.h>
#include <wx/button.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/textctrl.h>

using veldrix::test::CreateAdministratorStep;
using veldrix::test::LogInStep;
using veldrix::test::ModalScript;
using veldrix::test::PumpEvents;
using veldrix::test::SaveScreenshot;
using veldrix::test::WaitFor;

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

class LoginSequence : public ProgramStartTest {
 protected:
  // A main window with one stand-in module tool, so that enabling the tools shows.
  VeldrixFrame* OpenFrame() {
    ProgramStartTest::OpenFrame();
    frame->GetMainToolbar()->AddTool(wxID_HIGHEST + 700, "modul", wxArtProvider::GetBitmap(wxART_NEW));
    frame->GetMainToolbar()->Realize();
    return frame;
  }

  bool ToolEnabled() { return frame->GetMainToolbar()->GetToolEnabled(wxID_HIGHEST + 700); }

  wxString SelectedLabel() {
    wxWindow* page = frame->GetNotebook()->GetCurrentPage();
    return page ? page->GetLabel() : wxString("<none>");
  }

  // A first start: the administrator is created and logs in.
  void FirstStart(const wxString& setupScreenshot = "", const wxString& loginScreenshot = "") {
    ModalScript script;
    script.Then("AuthSetupDialog", CreateAdministratorStep("admin", "tajne-haslo-1", "tajne-haslo-1", setupScreenshot))
        .Then("AuthLoginDialog", LogInStep("admin", "tajne-haslo-1", loginScreenshot));
    frame->StartLogin();
    EXPECT_TRUE(script.Done()) << script.Remaining();
    EXPECT_EQ(script.Unexpected(), 0);
  }

  // The configuration dialog unlocked by the administrator of FirstStart, a new
  // SQLite database `name` created beside the program and the dialog closed.
  static void CreateDatabaseSteps(ModalScript& script, const wxString& name, const wxString& screenshot = "") {
    const auto type = [](wxDialog* dialog, const char* field, const wxString& text) {
      dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(field, dialog))->SetValue(text);
    };
    script.Then("DatabaseConfigDialog", [](wxDialog* dialog) { ModalScript::Click(dialog, kDbConfigAdmin); })
        .Then("AdministratorAuthorizationDialog",
              [type](wxDialog* dialog) {
                type(dialog, "userField", "admin");
                type(dialog, "passwordField", "tajne-haslo-1");
                ModalScript::Click(dialog, wxID_OK);
              })
        .Then("DatabaseConfigDialog", [type, name, screenshot](wxDialog* dialog) {
          auto* config = dynamic_cast<DatabaseConfigDialog*>(dialog);
          ASSERT_NE(config, nullptr);
          ASSERT_TRUE(config->IsAdminMode());
          type(dialog, "databaseField", name);
          wxCommandEvent create(wxEVT_BUTTON, kDbConfigCreate);
          config->GetEventHandler()->ProcessEvent(create);
          EXPECT_TRUE(WaitFor([&] { return !config->IsBusy(); }, 60000));
          if (!screenshot.empty()) {
            PumpEvents(400);
            SaveScreenshot(dialog, screenshot);
          }
          ModalScript::Click(dialog, wxID_CLOSE);
        });
  }
};

TEST_F(LoginSequence, FirstStartCreatesTheDatabaseAndTheAdministratorThenAsksForACompany) {
  ASSERT_FALSE(wxFileExists(database));
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  OpenFrame();
  SaveScreenshot(frame, "e2e_00_before_login");
  FirstStart("e2e_01_first_administrator", "e2e_02_login");
  ASSERT_TRUE(frame->IsLoggedIn());
  EXPECT_TRUE(wxFileExists(database));
  EXPECT_TRUE(frame->GetTitle().EndsWith(" - Anna Nowak"));

  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Nie znaleziono żadnej firmy. Dodaj firmę."));
  EXPECT_EQ(AppState().GetWorkingCompanyId(), "0");
  EXPECT_FALSE(ToolEnabled());
  EXPECT_EQ(SelectedLabel(), "danefirmy");
  PumpEvents(200);
  SaveScreenshot(frame, "e2e_03_company_tab");

  // The first company, typed into the company tab and saved with its button.
  auto* tab = dynamic_cast<DaneFirmyMainPanel*>(frame->GetNotebook()->GetCurrentPage());
  ASSERT_NE(tab, nullptr);
  auto type = [&](const char* name, const wxString& text) {
    auto* control = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(name, tab));
    ASSERT_NE(control, nullptr) << name;
    control->SetValue(text);
  };
  type("nazwa", "Biuro Rachunkowe Nowak");
  type("nazwa_pelna", "Biuro Rachunkowe Nowak sp. z o.o.");
  type("nip", "5260250274");
  type("kod", "00-950");
  type("miejscowosc", "Warszawa");
  type("ulica", U8("Długa 1"));
  auto* save = dynamic_cast<wxButton*>(wxWindow::FindWindowByName("ID_COMPANY_SAVE", tab));
  ASSERT_NE(save, nullptr);
  boxes.Clear();
  wxCommandEvent click(wxEVT_BUTTON, save->GetId());
  click.SetEventObject(save);
  save->HandleWindowEvent(click);
  PumpEvents(200);
  for (const auto& box : boxes.shown()) ADD_FAILURE() << box.message.utf8_str().data();
  EXPECT_NE(AppState().GetWorkingCompanyId(), "0");
  EXPECT_TRUE(ToolEnabled());
  SaveScreenshot(frame, "e2e_04_company_saved");
}

TEST_F(LoginSequence, SecondStartAsksForTheLoginAndFiveWrongPasswordsCloseTheProgram) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    OpenFrame();
    FirstStart();
    ASSERT_TRUE(frame->IsLoggedIn());
    CloseFrame();
  }

  veldrix::MessageBoxRecorder boxes(wxID_OK);
  ModalScript script;
  wxString prefilled;
  for (int i = 0; i < 5; ++i) {
    script.Then("AuthLoginDialog", [&, i](wxDialog* dialog) {
      if (i == 0) prefilled = ModalScript::Find<wxTextCtrl>(dialog, "AuthLoginUsername")->GetValue();
      LogInStep("admin", "zle-haslo", i == 1 ? "e2e_05_second_start_wrong_password" : "")(dialog);
    });
  }
  OpenFrame();
  EXPECT_TRUE(LoginClosesTheWindow());
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(prefilled, "admin");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Przekroczono liczbę prób logowania. Program zostanie zamknięty."));
}

TEST_F(LoginSequence, LogoutLetsTheNextUserLogInAndATabCloseRequestClosesTheTabThatAsked) {
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  OpenFrame();
  FirstStart();
  ASSERT_TRUE(frame->IsLoggedIn());

  // The settings tab asks to be closed while the company tab is selected.
  frame->OpenSettingsPage();
  wxWindow* first = frame->GetNotebook()->GetCurrentPage();
  frame->OpenCompanyDataPage();
  wxWindow* second = frame->GetNotebook()->GetCurrentPage();
  ASSERT_NE(first, second);
  ASSERT_EQ(veldrix::RequestTabClose(first), wxTHREAD_NO_ERROR);
  EXPECT_TRUE(WaitFor([&] { return frame->GetNotebook()->GetPageIndex(first) == wxNOT_FOUND; }));
  EXPECT_NE(frame->GetNotebook()->GetPageIndex(second), wxNOT_FOUND);

  // The start page never closes, and its tab shows no close button.
  const int startIndex = frame->GetNotebook()->GetPageIndex(static_cast<wxWindow*>(frame->GetStartPage()));
  ASSERT_NE(startIndex, wxNOT_FOUND);
  EXPECT_FALSE(frame->ClosePage(startIndex));
  frame->GetNotebook()->SetSelection(startIndex);
  EXPECT_FALSE(frame->GetNotebook()->GetWindowStyleFlag() & wxAUI_NB_CLOSE_ON_ACTIVE_TAB);

  ModalScript script;
  script.Then("AuthLoginDialog", LogInStep("admin", "tajne-haslo-1", "e2e_06_login_after_logout"));
  frame->Logout();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(script.Unexpected(), 0);
  EXPECT_TRUE(frame->IsLoggedIn());
  EXPECT_NE(frame->GetStartPage(), nullptr);
}

TEST_F(LoginSequence, AnUnreadableUserTableIsReportedInsteadOfOfferingAFirstAdministrator) {
  ASSERT_FALSE(veldrix::test::RunWorker(false, database, registry).empty());
  {
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GE(db.DeleteData("DROP TABLE veldrix_user_roles"), 0) << db.lastError;
    ASSERT_GE(db.DeleteData("DROP TABLE veldrix_users"), 0) << db.lastError;
  }
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  ModalScript script;
  OpenFrame();
  EXPECT_TRUE(LoginClosesTheWindow());
  EXPECT_TRUE(script.Seen().empty());
  EXPECT_EQ(script.Unexpected(), 0);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, U8("Błąd logowania"));
  EXPECT_NE(boxes.shown()[0].message.Find("veldrix_users"), wxNOT_FOUND) << boxes.shown()[0].message.utf8_str().data();
}

TEST_F(LoginSequence, ADatabaseThatCannotBePreparedOpensTheConfigurationInEmergencyMode) {
  {
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GE(db.DeleteData("create table cudza(x)"), 0) << db.lastError;
  }
  const wxString repaired = veldrix::JoinPath(folders.programFolder(), "naprawiona.db");
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  ModalScript script;
  script
      .Then("DatabaseConfigDialog",
            [&](wxDialog* dialog) {
              auto* config = dynamic_cast<DatabaseConfigDialog*>(dialog);
              ASSERT_NE(config, nullptr);
              EXPECT_TRUE(config->IsAdminMode());
              PumpEvents(400);
              SaveScreenshot(dialog, "e2e_09_configuration_after_failed_preparation");
              dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("databaseField", dialog))->SetValue("naprawiona");
              wxCommandEvent create(wxEVT_BUTTON, kDbConfigCreate);
              config->GetEventHandler()->ProcessEvent(create);
              EXPECT_TRUE(WaitFor([&] { return !config->IsBusy(); }, 60000));
              ModalScript::Click(dialog, wxID_CLOSE);
            })
      .Then("AuthSetupDialog", CreateAdministratorStep("admin", "tajne-haslo-1", "tajne-haslo-1"))
      .Then("AuthLoginDialog", LogInStep("admin", "tajne-haslo-1"));
  OpenFrame();
  frame->StartLogin();
  EXPECT_TRUE(script.Done()) << script.Remaining();
  EXPECT_EQ(script.Unexpected(), 0);
  ASSERT_FALSE(boxes.shown().empty());
  EXPECT_TRUE(boxes.shown()[0].message.Contains(U8("Sprawdź połączenie w oknie konfiguracji bazy danych.")));
  EXPECT_TRUE(frame->IsLoggedIn());
  EXPECT_EQ(AppState().GetActiveConnectionInfo().server, repaired);
}

TEST_F(LoginSequence, TheDatabaseButtonOpensTheConfigurationAndTheNewDatabaseIsUsedAtTheNextLogin) {
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  OpenFrame();
  FirstStart();
  ASSERT_TRUE(frame->IsLoggedIn());
  const wxString second = veldrix::JoinPath(folders.programFolder(), "druga.db");

  ModalScript script;
  script.Then("AuthLoginDialog", [](wxDialog* dialog) { ModalScript::Click(dialog, "AuthLoginDatabaseButton"); });
  CreateDatabaseSteps(script, "druga", "e2e_07_new_database_from_login");
  script.Then("AuthSetupDialog", CreateAdministratorStep("anna", "haslo-anny-1", "haslo-anny-1"))
      .Then("AuthLoginDialog", LogInStep("anna", "haslo-anny-1", "e2e_08_login_to_new_database"));
  frame->Logout();
  EXPECT_TRUE(script.Done()) << script.Remaining();
  EXPECT_EQ(script.Unexpected(), 0) << wxJoin(script.UnexpectedNames(), ' ');
  for (const auto& box : boxes.shown()) {
    if (box.message.Contains("wylogować")) continue;
    ADD_FAILURE() << box.message.utf8_str().data();
  }
  EXPECT_TRUE(frame->IsLoggedIn());
  EXPECT_TRUE(wxFileExists(second));
  EXPECT_EQ(AppState().GetActiveConnectionInfo().server, second);
  ASSERT_NE(frame->GetDatabase(), nullptr);
  EXPECT_EQ(frame->GetDatabase()->GetServer(), second);
}

TEST_F(LoginSequence, AWindowClosedBeforeItsLoginRanStartsNoLogin) {
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  OpenFrame();
  // The session ends (SIGTERM) before the login queued at start-up has run.
  frame->Close(true);
  ModalScript script;
  EXPECT_TRUE(LoginClosesTheWindow());
  EXPECT_EQ(script.Unexpected(), 0);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_FALSE(wxFileExists(database));
}

TEST_F(LoginSequence, ADatabaseConfiguredDuringTheSessionIsUsedFromTheNextLoginOnly) {
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  OpenFrame();
  FirstStart();
  ASSERT_TRUE(frame->IsLoggedIn());
  const wxString second = veldrix::JoinPath(folders.programFolder(), "druga.db");

  // The settings tab's "Skonfiguruj połączenie..." while logged in: a new database
  // is created, which makes it the configured connection.
  ModalScript script;
  CreateDatabaseSteps(script, "druga");
  EXPECT_TRUE(frame->ShowDatabaseConfigDialog());
  EXPECT_TRUE(script.Done()) << script.Remaining();
  ASSERT_TRUE(wxFileExists(second));
  // Until the next login the tabs and modules of this session keep to its database.
  EXPECT_EQ(AppState().GetActiveConnectionInfo().server, database);
  EXPECT_TRUE(frame->GetActiveConnection().Contains(database));

  ModalScript again;
  again.Then("AuthSetupDialog", CreateAdministratorStep("anna", "haslo-anny-1", "haslo-anny-1"))
      .Then("AuthLoginDialog", LogInStep("anna", "haslo-anny-1"));
  frame->Logout();
  EXPECT_TRUE(again.Done()) << again.Remaining();
  ASSERT_TRUE(frame->IsLoggedIn());
  EXPECT_EQ(AppState().GetActiveConnectionInfo().server, second);
  EXPECT_EQ(frame->GetDatabase()->GetServer(), second);
}

}  // namespace
