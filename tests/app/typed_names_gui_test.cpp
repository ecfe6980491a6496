// Names as they were typed: a company name or a module's text holding "&" or a tab
// shows as written on the labels and menu items of the running program, never as a
// mnemonic mark or an accelerator.
#include "app/dashboard_panel.h"
#include "appmenu/app_menu.h"
#include "danefirmy/dane_firmy.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "pluginmanager/plugin_manager.h"
#include "plugins/plugin_main_page_panel.h"
#include "working_program_fixture.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <wx/control.h>
#include <wx/menu.h>

#include <vector>

using testing::Contains;
using veldrix::test::SaveScreenshot;

namespace {

using TypedNames = WorkingProgramTest;

// The items of a menu as the user reads them.
std::vector<wxString> Items(const wxMenu& menu) {
  std::vector<wxString> items;
  for (const wxMenuItem* item : menu.GetMenuItems()) items.push_back(item->GetItemLabelText());
  return items;
}

// The texts of a window's controls as the user reads them.
std::vector<wxString> Texts(wxWindow* window) {
  std::vector<wxString> texts;
  for (wxWindow* child : window->GetChildren()) {
    if (auto* control = dynamic_cast<wxControl*>(child)) texts.push_back(control->GetLabelText());
  }
  return texts;
}

TEST_F(TypedNames, CompanyNamesAndModuleTextsShowAsWritten) {
  {
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GT(db.InsertData("INSERT INTO firma (nazwa) VALUES ('Kowalski & Syn')"), 0) << db.lastError;
    ASSERT_GT(db.InsertData("INSERT INTO firma (nazwa) VALUES ('Firma' || char(9) || 'Ctrl+Q')"), 0) << db.lastError;
  }
  InstallModules({"mod_znaki"});
  LogIn("admin", "haslo-admina");

  // The company menus of the application menu and of the start page's caption; a
  // tab reads as a blank, so "Ctrl+Q" stays part of the name.
  const std::vector<wxString> appMenu = Items(*frame->GetAppMenu()->MakeCompanyMenu());
  const std::vector<wxString> startPage = Items(*frame->GetStartPage()->MakeCompanyMenu());
  for (const std::vector<wxString>* items : {&appMenu, &startPage}) {
    EXPECT_THAT(*items, Contains("Kowalski & Syn"));
    EXPECT_THAT(*items, Contains("Firma Ctrl+Q"));
  }

  // The menu button and the company editor's header with that company.
  unsigned index = 0;
  while (index < frame->GetCompanyCount() && frame->GetCompanyName(index) != "Kowalski & Syn") ++index;
  ASSERT_TRUE(frame->SwitchCompany(index));
  frame->GetAppMenu()->RefreshCompanyButton();
  EXPECT_EQ(frame->GetAppMenu()->GetCompanyButton()->GetLabelText(), "Kowalski & Syn  v");
  frame->OpenCompanyDataPage();
  auto* companyTab = dynamic_cast<DaneFirmyMainPanel*>(frame->GetNotebook()->GetCurrentPage());
  ASSERT_NE(companyTab, nullptr);
  auto* editor = dynamic_cast<DaneFirmy*>(companyTab->GetEditor());
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(editor->LoadRecord(AppState().GetWorkingCompanyId()));
  EXPECT_EQ(editor->GetTitleText(), "Kowalski & Syn");
  veldrix::test::PumpEvents(100);
  SaveScreenshot(companyTab, "typed_names_company_editor");

  // A module's main page: heading, rows and action buttons.
  ASSERT_TRUE(frame->GetPluginManager()->OpenModulePageById("znaki"));
  auto* modulePage = dynamic_cast<veldrix::PluginMainPagePanel*>(frame->GetNotebook()->GetCurrentPage());
  ASSERT_NE(modulePage, nullptr);
  const std::vector<wxString> texts = Texts(modulePage);
  for (const char* text : {"Koszty & Zyski", "Odbiorca & Syn", "Kowalski & Syn Ctrl+Q", "Przelicz & zapisz"}) {
    EXPECT_THAT(texts, Contains(text));
  }
  SaveScreenshot(modulePage, "typed_names_module_page");
}

}  // namespace
