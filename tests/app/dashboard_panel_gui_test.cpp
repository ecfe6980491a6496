// The start page after a real login: its tiles, counts and texts, the refresh rules,
// hit-testing and clicks as the mouse sends them, and screenshots at three sizes.
#include "app/application_state.h"
#include "app/common/message_box.h"
#include "app/dashboard_panel.h"
#include "working_program_fixture.h"

#include <gtest/gtest.h>
#include <wx/aui/auibook.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/tooltip.h>

#include <cmath>
#include <vector>

using veldrix::test::PumpEvents;
using veldrix::test::SaveScreenshot;
using veldrix::test::WaitFor;

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

// The errors of the GUI library's log, which the fixture otherwise silences: each
// would be an error box in the running program.
class LoggedErrors : public wxLog {
 public:
  LoggedErrors() : previous_(wxLog::SetActiveTarget(this)) { wxLog::EnableLogging(true); }
  ~LoggedErrors() override {
    wxLog::EnableLogging(false);
    wxLog::SetActiveTarget(previous_);
  }
  std::vector<wxString> errors;

 protected:
  void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo&) override {
    if (level <= wxLOG_Error) errors.push_back(message);
  }

 private:
  wxLog* previous_;
};

class StartPage : public WorkingProgramTest {
 protected:
  DashboardPanel* Page() { return frame->GetStartPage(); }

  std::vector<wxString> Keys(const DashboardPanel* page) {
    std::vector<wxString> keys;
    for (const DashboardTile& tile : page->GetTiles()) keys.push_back(tile.key);
    return keys;
  }

  const DashboardTile& Tile(const DashboardPanel* page, const wxString& key) {
    for (const DashboardTile& tile : page->GetTiles()) {
      if (tile.key == key) return tile;
    }
    static DashboardTile none;
    ADD_FAILURE() << "no tile " << key;
    return none;
  }

  static void Mouse(wxWindow* window, wxEventType type, const wxPoint& at) {
    wxMouseEvent event(type);
    event.SetPosition(at);
    event.SetEventObject(window);
    window->HandleWindowEvent(event);
  }

  static wxPoint Centre(const wxRect& rect) { return wxPoint(rect.x + rect.width / 2, rect.y + rect.height / 2); }

  // A start page of its own in a window whose client area is exactly `size`.
  struct Sized {
    wxFrame* window;
    DashboardPanel* page;
  };
  Sized OpenSized(const wxSize& size) {
    auto* window = new wxFrame(nullptr, wxID_ANY, "Pulpit", wxDefaultPosition, wxDefaultSize);
    auto* page = new DashboardPanel(window, frame, frame->GetPluginManager());
    window->SetClientSize(size);
    window->Show();
    WaitFor([&] { return page->GetClientSize() == size; });
    page->Refresh();
    page->Update();
    PumpEvents(100);
    return {window, page};
  }
};

TEST_F(StartPage, ShowsTheCompanyTheDatabaseAndModuleTilesWithCountsFromItsOwnConnection) {
  InstallModules({"mod_tile_kontrahenci", "mod_faktury_pages", "mod_alpha"});
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  LoggedErrors log;
  LogIn("admin", "haslo-admina");
  DashboardPanel* page = Page();
  ASSERT_NE(page, nullptr);
  EXPECT_EQ(page->GetLabel(), "dashboard");
  EXPECT_EQ(page->GetCompanyCaption(), "Alfa Handel");
  EXPECT_EQ(page->GetEngineText(), "SQLite");
  EXPECT_EQ(page->GetDatabaseText(), "veldrix.db");
  EXPECT_EQ(page->GetServerText(), database);
  EXPECT_EQ(page->GetNews().size(), 4u);

  // A module without the tool marker gets no tile; the business modules come first,
  // then the settings tile and the three placeholders.
  const std::vector<wxString> expected = {"faktury", "kontrahenci", "settings", "magazyn", "raporty", "platnosci"};
  EXPECT_EQ(Keys(page), expected);
  EXPECT_EQ(Tile(page, "faktury").status, "3 dokumenty");
  EXPECT_TRUE(Tile(page, "faktury").icon.IsOk());
  // The contractor table does not exist: the tile keeps its state, nobody is told,
  // and the failure stays on the page's own connection.
  EXPECT_EQ(Tile(page, "kontrahenci").status, "aktywny");
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_TRUE(log.errors.empty()) << log.errors.front();
  EXPECT_FALSE(frame->GetDatabase()->errorFlag) << frame->GetDatabase()->lastError;
  EXPECT_TRUE(Tile(page, "settings").enabled);
  EXPECT_EQ(Tile(page, "settings").status, "konfiguracja");
  EXPECT_FALSE(Tile(page, "raporty").enabled);
  EXPECT_EQ(Tile(page, "raporty").status, "w przygotowaniu");
  SaveScreenshot(frame, "start_page_in_main_window");
}

TEST_F(StartPage, GeometryAndHitTestingAgreeAtEverySize) {
  InstallModules({"mod_faktury_pages", "mod_tile_kontrahenci"});
  LogIn("admin", "haslo-admina");
  ASSERT_TRUE(WaitFor([&] { return frame->GetUpdateState() != 0; }));
  struct Case {
    wxSize size;
    wxRect panel;
    int newsAtLeast;
    const char* screenshot;
  } cases[] = {{{1000, 600}, {744, 50, 240, 500}, 1, "start_page_1000x600"},
               // The start page of the main window at its least size, in a window manager's frame.
               {{1022, 648}, {766, 74, 240, 500}, 1, "start_page_1022x648"},
               {{1280, 900}, {1000, 200, 256, 500}, 1, "start_page_1280x900"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.screenshot);
    Sized sized = OpenSized(c.size);
    DashboardPanel* page = sized.page;
    EXPECT_EQ(page->GetInfoPanelRect(), c.panel);
    const veldrix::dashboard::WheelGeometry& wheel = page->GetWheel();
    const int count = static_cast<int>(page->GetTiles().size());
    ASSERT_EQ(count, 6);
    for (int i = 0; i < count; ++i) {
      const DashboardTile& tile = page->GetTiles()[i];
      EXPECT_EQ(page->HitTestTile(Centre(tile.labelRect)), i);
      EXPECT_EQ(page->HitTestTile(Centre(tile.iconRect)), i);
      const double mid = (i + 0.5) * 2 * M_PI / count - M_PI / 2;
      const double radius = (wheel.innerRadius + wheel.outerRadius) / 2;
      EXPECT_EQ(page->HitTestTile(wxPoint(static_cast<int>(wheel.centreX + radius * std::cos(mid)),
                                          static_cast<int>(wheel.centreY + radius * std::sin(mid)))),
                i);
    }
    EXPECT_EQ(page->HitTestTile(wxPoint(static_cast<int>(wheel.centreX), static_cast<int>(wheel.centreY))), -1);
    // The news items that fit the panel can be clicked.
    int shown = 0;
    for (const DashboardNewsItem& item : page->GetNews()) {
      if (item.hitRect.IsEmpty()) continue;
      ++shown;
      EXPECT_TRUE(c.panel.Contains(item.hitRect));
      EXPECT_EQ(page->HitTestNews(Centre(item.hitRect)), shown - 1);
    }
    EXPECT_GE(shown, c.newsAtLeast);
    // The centre texts stay inside the disc: nothing dark is drawn on the hub around it.
    const wxImage shot(SaveScreenshot(page, c.screenshot), wxBITMAP_TYPE_PNG);
    int dark = 0;
    for (int y = 0; y < shot.GetHeight(); ++y) {
      for (int x = 0; x < shot.GetWidth(); ++x) {
        const double d = std::hypot(x + 0.5 - wheel.centreX, y + 0.5 - wheel.centreY);
        dark += d > wheel.discRadius + 2 && d < wheel.innerRadius - 8 && shot.GetGreen(x, y) < 180;
      }
    }
    EXPECT_EQ(dark, 0);

    // Hovering the invoice tile highlights it.
    Mouse(page, wxEVT_MOTION, Centre(page->GetTiles()[0].labelRect));
    EXPECT_EQ(page->GetHoverTile(), 0);
    ASSERT_NE(page->GetToolTip(), nullptr);
    EXPECT_EQ(page->GetToolTip()->GetTip(), U8("Kliknij, aby otworzyć moduł Faktury."));
    page->Update();
    SaveScreenshot(page, wxString(c.screenshot) + "_hover");
    Mouse(page, wxEVT_LEAVE_WINDOW, wxPoint(-1, -1));
    EXPECT_EQ(page->GetHoverTile(), -1);
    sized.window->Destroy();
    PumpEvents(50);
  }
  // A client area 19 pixels high shows only the background: nothing is laid out.
  Sized flat = OpenSized(wxSize(600, 19));
  EXPECT_TRUE(flat.page->GetCompanyRect().IsEmpty());
  EXPECT_EQ(flat.page->HitTestTile(wxPoint(300, 10)), -1);
  flat.window->Destroy();
}

TEST_F(StartPage, TheWorkingCompanyRenamedOnTheCompanyTabShowsItsNewName) {
  LogIn("admin", "haslo-admina");
  DashboardPanel* page = Page();
  ASSERT_EQ(page->GetCompanyCaption(), "Alfa Handel");
  // What the company tab's "Zapisz" stores; the start page is shown again when the
  // tab closes, past the two seconds in which a refresh only repaints.
  ASSERT_GE(frame->GetDatabase()->DeleteData("update firma set nazwa='Alfa Handel SA' where id_firmy=2"), 0);
  wxMilliSleep(2100);
  page->RefreshDashboard();
  EXPECT_EQ(page->GetCompanyCaption(), "Alfa Handel SA");
}

TEST_F(StartPage, ACompanySwitchRebuildsAtOnceWhileRepeatedRefreshesOnlyRepaint) {
  InstallModules({"mod_faktury_pages"});
  LogIn("admin", "haslo-admina");
  DashboardPanel* page = Page();
  const std::int64_t first = page->GetLastRefreshMs();
  ASSERT_GT(first, 0);
  wxMilliSleep(5);
  page->RefreshDashboard();
  EXPECT_EQ(page->GetLastRefreshMs(), first);

  // The company menu of the caption: item 1 is "Beta Serwis".
  wxCommandEvent choose(wxEVT_MENU, DashboardPanel::CompanyMenuFirstId() + 1);
  page->HandleWindowEvent(choose);
  EXPECT_EQ(AppState().GetWorkingCompanyId(), "1");
  EXPECT_EQ(page->GetCompanyCaption(), "Beta Serwis");
  EXPECT_EQ(Tile(page, "faktury").status, "1 dokument");
  EXPECT_GT(page->GetLastRefreshMs(), first);
  // Ids past the company list are ignored.
  wxCommandEvent beyond(wxEVT_MENU, DashboardPanel::CompanyMenuFirstId() + 2);
  page->HandleWindowEvent(beyond);
  EXPECT_EQ(AppState().GetWorkingCompanyId(), "1");
}

TEST_F(StartPage, TilesOpenWhatTheUserMayOpenAndNothingElse) {
  InstallModules({"mod_faktury_pages", "mod_tile_kontrahenci"});
  LogIn("admin", "haslo-admina");
  DashboardPanel* page = Page();
  PumpEvents(100);
  wxAuiNotebook* notebook = frame->GetNotebook();
  const size_t pages = notebook->GetPageCount();
  Mouse(page, wxEVT_LEFT_UP, Centre(Tile(page, "faktury").labelRect));
  ASSERT_EQ(notebook->GetPageCount(), pages + 1);
  EXPECT_NE(notebook->GetCurrentPage(), page);
  notebook->SetSelection(notebook->GetPageIndex(page));
  PumpEvents(50);
  Mouse(page, wxEVT_LEFT_UP, Centre(Tile(page, "settings").iconRect));
  ASSERT_EQ(notebook->GetPageCount(), pages + 2);
  EXPECT_EQ(notebook->GetCurrentPage()->GetLabel(), "Ustawienia");
  // A placeholder does nothing.
  notebook->SetSelection(notebook->GetPageIndex(page));
  PumpEvents(50);
  Mouse(page, wxEVT_LEFT_UP, Centre(Tile(page, "magazyn").labelRect));
  EXPECT_EQ(notebook->GetPageCount(), pages + 2);

  // The bookkeeper may see the invoices only.
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  veldrix::test::ModalScript script;
  script.Then("AuthLoginDialog", veldrix::test::LogInStep("ksiegowa", "haslo-ksiegowej"));
  frame->Logout();
  ASSERT_TRUE(frame->IsLoggedIn());
  page = Page();
  notebook->SetSelection(notebook->GetPageIndex(page));
  PumpEvents(100);
  EXPECT_TRUE(Tile(page, "faktury").enabled);
  const DashboardTile& contractors = Tile(page, "kontrahenci");
  EXPECT_FALSE(contractors.enabled);
  EXPECT_EQ(contractors.status, U8("brak uprawnień"));
  const DashboardTile& denied = Tile(page, "settings");
  EXPECT_FALSE(denied.enabled);
  EXPECT_EQ(denied.status, U8("brak uprawnień"));
  Mouse(page, wxEVT_MOTION, Centre(denied.labelRect));
  ASSERT_NE(page->GetToolTip(), nullptr);
  EXPECT_EQ(page->GetToolTip()->GetTip(), U8("Brak uprawnień do ustawień programu."));
  const size_t before = notebook->GetPageCount();
  Mouse(page, wxEVT_LEFT_UP, Centre(denied.labelRect));
  Mouse(page, wxEVT_LEFT_UP, Centre(contractors.labelRect));
  EXPECT_EQ(notebook->GetPageCount(), before);
  SaveScreenshot(frame, "start_page_bookkeeper");
}

class StartPageWithoutCompany : public StartPage {
 protected:
  void SetUp() override {
    withCompanies = false;
    StartPage::SetUp();
  }
};

TEST_F(StartPageWithoutCompany, ACompanyChosenOnTheCompanyTabShowsAtOnce) {
  {
    veldrix::MessageBoxRecorder boxes(wxID_OK);
    LogIn("admin", "haslo-admina");
  }
  DashboardPanel* page = Page();
  EXPECT_EQ(page->GetCompanyCaption(), "Brak wybranej firmy");
  {
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GT(db.InsertData(U8("INSERT INTO firma (nazwa) VALUES ('Gamma Usługi')")), 0);
  }
  // What the company tab's "Wybierz" (and the save of a first company) calls.
  static_cast<ICompanyApplication*>(frame)->SetWorkingCompanyId("1");
  EXPECT_EQ(page->GetCompanyCaption(), U8("Gamma Usługi"));
  EXPECT_EQ(frame->GetCompanyCount(), 1u);
}

}  // namespace
