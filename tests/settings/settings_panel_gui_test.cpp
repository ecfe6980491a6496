// The settings tab as a real window on a real SQLite program database: its page
// tree, pages built once on first selection behind the loading bar, the database
// pages and their buttons, and the close tool.
#include "settings/ustawienia_panel.h"

#include "app/common/config_access.h"
#include "app/common/delayed_loading_bar.h"
#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "gui_support.h"
#include "settings/database_pages.h"
#include "settings/lazy_settings_page.h"
#include "settings_fixture.h"

#include <gtest/gtest.h>
#include <wx/aui/auibar.h>
#include <wx/button.h>
#include <wx/dir.h>
#include <wx/fileconf.h>
#include <wx/frame.h>
#include <wx/stattext.h>
#include <wx/treebook.h>

#include <tuple>
#include <vector>

namespace {

using veldrix::MessageBoxRecorder;
using veldrix::test::PumpEvents;
using veldrix::test::SaveSettledScreenshot;
using veldrix::test::WaitFor;

wxString U8(const char* text) { return wxString::FromUTF8(text); }

class SettingsTabTest : public veldrix::test::SettingsDatabaseTest {
 protected:
  void SetUp() override {
    SettingsDatabaseTest::SetUp();
    frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(1280, 820));
    tab = new UstawieniaPanel(frame, &app);
    frame->Show();
    frame->Layout();
    PumpEvents(200);
    tree = tab->GetTree();
  }

  void TearDown() override {
    frame->Destroy();
    PumpEvents(50);
  }

  // The page of the n-th tree entry with this title.
  int PageIndex(const char* title, int occurrence = 0) {
    for (size_t i = 0; i < tree->GetPageCount(); ++i) {
      if (tree->GetPageText(i) == U8(title) && occurrence-- == 0) return static_cast<int>(i);
    }
    ADD_FAILURE() << title;
    return 0;
  }

  // Selects the page as a click in the tree does, and waits until its load ran.
  wxWindow* Select(int index) {
    tree->SetSelection(static_cast<size_t>(index));
    PumpEvents(50);
    EXPECT_TRUE(WaitFor([&] { return !tab->IsLoadPending(); }));
    return tree->GetPage(static_cast<size_t>(index));
  }

  void Click(wxButton* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->HandleWindowEvent(click);
    PumpEvents(20);
  }

  wxFrame* frame = nullptr;
  UstawieniaPanel* tab = nullptr;
  wxTreebook* tree = nullptr;
};

TEST_F(SettingsTabTest, TreeHoldsTheOwnPagesAroundThoseOfTheMainWindow) {
  std::vector<wxString> titles;
  for (size_t i = 0; i < tree->GetPageCount(); ++i) titles.push_back(tree->GetPageText(i));
  const std::vector<wxString> expected = {
      U8("Program"), U8("Baza programu"), U8("Faktury"),     U8("Numeracja"),      U8("Raporty"),
      U8("Słowniki"), U8("Pola dodatkowe"), U8("Artykuły"),   U8("Słowniki"),       U8("Warianty"),
      U8("Pola dodatkowe"), U8("Kontrahenci"), U8("Słowniki"), U8("Pola dodatkowe")};
  EXPECT_EQ(titles, expected);
  // The main window's pages come right after "Baza programu", with the ledger
  // dictionaries to place under the ledger module.
  EXPECT_EQ(app.pagesAddedAt, 2);
  EXPECT_EQ(app.receivedImageIndex, 5);
  ASSERT_NE(app.receivedLedgerPage, nullptr);
  // Nobody placed it: it is not drawn over the tree.
  EXPECT_EQ(tree->FindPage(app.receivedLedgerPage), wxNOT_FOUND);
  EXPECT_FALSE(app.receivedLedgerPage->IsShown());
  EXPECT_FALSE(dynamic_cast<LazySettingsPagePanel*>(app.receivedLedgerPage)->IsLoaded());

  // The tab opens on "Program" and loads nothing.
  EXPECT_EQ(tree->GetSelection(), 0);
  EXPECT_FALSE(tab->IsLoadPending());
  EXPECT_FALSE(tab->GetLoadingBar()->IsBusy());
  EXPECT_TRUE(tab->GetProgramDatabasePage()->GetServerTypeLabel()->GetLabel().empty());
  SaveSettledScreenshot(frame, "settings_program");
}

TEST_F(SettingsTabTest, DatabasePagesDescribeTheActiveConnectionOnce) {
  DatabaseInfoPage* program = tab->GetProgramDatabasePage();
  EXPECT_EQ(Select(PageIndex("Baza programu")), program);
  EXPECT_EQ(program->GetServerTypeLabel()->GetLabel(), "SQLite");
  EXPECT_TRUE(program->GetTargetLabel()->GetLabel().StartsWith(path)) << program->GetTargetLabel()->GetLabel();
  EXPECT_TRUE(program->GetTargetLabel()->GetLabel().EndsWith(U8("tylko dla SQLite)")));
  SaveSettledScreenshot(frame, "settings_program_database");

  // A second selection reads nothing again.
  app.connection = "Driver=PostgreSQL;Server=db.biuro;Port=5432;Database=v;";
  Select(0);
  Select(PageIndex("Baza programu"));
  EXPECT_EQ(program->GetServerTypeLabel()->GetLabel(), "SQLite");

  DatabaseInfoPage* reports = tab->GetReportDatabasePage();
  Select(PageIndex("Raporty"));
  EXPECT_EQ(reports->GetServerTypeLabel()->GetLabel(), "PostgreSQL");
  EXPECT_EQ(reports->GetTargetLabel()->GetLabel(), "db.biuro");
  SaveSettledScreenshot(frame, "settings_report_database");

  // The dialog closed without saving: no message, but the report page is read again.
  MessageBoxRecorder boxes;
  app.connection = "Data Source=/srv/inna.db;Version=3;";
  Click(reports->GetButton(0));
  EXPECT_EQ(app.dialogsShown, 1);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(reports->GetServerTypeLabel()->GetLabel(), "SQLite");
  EXPECT_EQ(reports->GetTargetLabel()->GetLabel(), "/srv/inna.db");

  // Saved: the program page shows the configuration and says when it applies.
  app.dialogSaves = true;
  Click(program->GetButton(0));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, U8("Baza programu"));
  EXPECT_TRUE(program->GetTargetLabel()->GetLabel().StartsWith("/srv/inna.db"));

  // A file name is shown as written, "&" included.
  app.connection = "Data Source=/srv/Kowalski & Syn.db;Version=3;";
  Click(reports->GetButton(0));
  EXPECT_EQ(reports->GetTargetLabel()->GetLabelText(), "/srv/Kowalski & Syn.db");
}

TEST_F(SettingsTabTest, ReportsReturnToTheProgramDatabaseWithoutCreatingAConfiguration) {
  DatabaseInfoPage* reports = tab->GetReportDatabasePage();
  const wxString configFolder = veldrix::ConfigFolder();
  // No configuration installed: nothing appears on disk.
  Click(reports->GetButton(1));
  EXPECT_FALSE(wxDir::Exists(configFolder) && wxDir(configFolder).HasFiles());
  EXPECT_EQ(reports->GetServerTypeLabel()->GetLabel(), "SQLite");

  const wxString file = folders.root() + "/veldrix.ini";
  auto* config = new wxFileConfig(wxString(), wxString(), file, wxString(), wxCONFIG_USE_LOCAL_FILE);
  config->Write("/Reports/ConnectionString", "Driver=MySQL;Server=raporty;");
  config->Write("/Reports/Other", "x");
  config->Flush();
  delete veldrix::InstallConfig(config);
  Click(reports->GetButton(1));
  delete veldrix::InstallConfig(nullptr);

  wxFileConfig reread(wxString(), wxString(), file, wxString(), wxCONFIG_USE_LOCAL_FILE);
  EXPECT_FALSE(reread.HasEntry("/Reports/ConnectionString"));
  EXPECT_TRUE(reread.HasEntry("/Reports/Other"));
}

TEST_F(SettingsTabTest, PagesAreBuiltOnceOnFirstSelectionBehindTheLoadingBar) {
  auto* dictionaries = dynamic_cast<LazySettingsPagePanel*>(tree->GetPage(PageIndex("Słowniki", 1)));
  auto* fields = dynamic_cast<LazySettingsPagePanel*>(tree->GetPage(PageIndex("Pola dodatkowe", 1)));
  ASSERT_TRUE(dictionaries && fields);
  EXPECT_FALSE(dictionaries->IsLoaded());
  SaveSettledScreenshot(frame, "settings_placeholder_before");

  // The bar is on screen before the page is built.
  std::vector<bool> builtWhenBarShown;
  tab->GetLoadingBar()->Bind(wxEVT_SHOW, [&](wxShowEvent& event) {
    if (event.IsShown()) builtWhenBarShown.push_back(dictionaries->IsLoaded());
    event.Skip();
  });
  Select(PageIndex("Słowniki", 1));
  ASSERT_FALSE(builtWhenBarShown.empty());
  EXPECT_FALSE(builtWhenBarShown.front());
  EXPECT_TRUE(dictionaries->IsLoaded());
  ASSERT_NE(dictionaries->GetContent(), nullptr);
  EXPECT_FALSE(tab->GetLoadingBar()->IsBusy());
  SaveSettledScreenshot(frame, "settings_article_dictionaries");

  const wxWindow* content = dictionaries->GetContent();
  Select(0);
  Select(PageIndex("Słowniki", 1));
  EXPECT_EQ(dictionaries->GetContent(), content);

  // A page chosen while a load waits is loaded right after it.
  tree->SetSelection(static_cast<size_t>(PageIndex("Słowniki", 2)));
  tree->SetSelection(static_cast<size_t>(PageIndex("Pola dodatkowe", 1)));
  EXPECT_TRUE(WaitFor([&] { return fields->IsLoaded() && !tab->IsLoadPending(); }));
  SaveSettledScreenshot(frame, "settings_article_custom_fields");

  // Without the modules: the numbering page fails, the variants page says why.
  auto* numbering = dynamic_cast<LazySettingsPagePanel*>(Select(PageIndex("Numeracja")));
  ASSERT_NE(numbering, nullptr);
  EXPECT_TRUE(numbering->IsLoaded());
  EXPECT_EQ(numbering->GetContent(), nullptr);
  SaveSettledScreenshot(frame, "settings_numbering_unavailable");
  auto* variants = dynamic_cast<LazySettingsPagePanel*>(Select(PageIndex("Warianty")));
  ASSERT_NE(variants, nullptr);
  EXPECT_NE(variants->GetContent(), nullptr);
  SaveSettledScreenshot(frame, "settings_variants_unavailable");

  for (const auto& [title, occurrence, shot] :
       {std::make_tuple("Słowniki", 0, "settings_invoice_dictionaries"),
        std::make_tuple("Pola dodatkowe", 0, "settings_invoice_custom_fields"),
        std::make_tuple("Słowniki", 2, "settings_contractor_dictionaries"),
        std::make_tuple("Pola dodatkowe", 2, "settings_contractor_custom_fields")}) {
    auto* page = dynamic_cast<LazySettingsPagePanel*>(Select(PageIndex(title, occurrence)));
    ASSERT_NE(page, nullptr);
    EXPECT_NE(page->GetContent(), nullptr) << title;
    SaveSettledScreenshot(frame, shot);
  }
}

TEST_F(SettingsTabTest, CloseToolAsksTheMainWindowToCloseTheTab) {
  wxAuiToolBar* toolbar = tab->GetToolbar();
  wxCommandEvent press(wxEVT_TOOL, tab->GetCloseToolId());
  press.SetEventObject(toolbar);
  toolbar->HandleWindowEvent(press);
  EXPECT_EQ(app.closeRequests, 1);
  EXPECT_EQ(tab->GetLabel(), "Ustawienia");
}

}  // namespace
