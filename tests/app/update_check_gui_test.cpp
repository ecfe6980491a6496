// The update check of the real main window against a loopback update server: the
// state the start page shows, and the updater (a script beside the program) started
// only after login and only on "Aktualizuj".
#include "app/common/message_box.h"
#include "app/dashboard_panel.h"
#include "app/update_check.h"
#include "http_test_server.h"
#include "working_program_fixture.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/filename.h>

#include <sys/stat.h>

using veldrix::test::HttpTestRequest;
using veldrix::test::HttpTestResponse;
using veldrix::test::HttpTestServer;
using veldrix::test::PumpEvents;
using veldrix::test::SaveScreenshot;
using veldrix::test::WaitFor;

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

class UpdateCheckInWindow : public WorkingProgramTest {
 protected:
  void SetUp() override {
    WorkingProgramTest::SetUp();
    marker = veldrix::JoinPath(folders.root(), "updater-ran");
  }

  // The configuration names the server before the window starts its check.
  void UseServer(const std::string& baseUrl) {
    veldrix::test::WriteFileBytes(veldrix::ConfigFilePath(),
                                  "[veldrix]\nserwer_aktualizacji=" + baseUrl + "\n");
  }

  void InstallUpdater() {
    const wxString path = veldrix::UpdaterPath();
    veldrix::test::WriteFileBytes(path, "#!/bin/sh\necho uruchomiony > '" + std::string(marker.utf8_str()) + "'\n");
    ASSERT_EQ(chmod(path.utf8_str(), 0755), 0);
  }

  bool UpdaterRan() { return wxFileName::FileExists(marker); }

  // The window may close itself; the fixture must not touch it afterwards.
  void WatchForDestruction() {
    VeldrixFrame* watched = frame;
    watched->Bind(wxEVT_DESTROY, [this, watched](wxWindowDestroyEvent& event) {
      if (event.GetEventObject() == watched) {
        destroyed = true;
        frame = nullptr;
      }
      event.Skip();
    });
  }

  // The window opens with the updater installed and the server offering 0.26.0.
  void OpenWithUpdateOffered() {
    UseServer(offering.BaseUrl());
    InstallUpdater();
    OpenFrame();
    WatchForDestruction();
    ASSERT_TRUE(WaitFor([&] { return frame->GetUpdateState() == 2; }));
  }

  wxString marker;
  bool destroyed = false;
  HttpTestServer offering{[](const HttpTestRequest&) { return HttpTestResponse{200, {}, "0.26.0"}; }};
};

TEST_F(UpdateCheckInWindow, TheUpdaterRunsOnlyAfterLoginAndOnlyOnConsent) {
  HttpTestServer server([](const HttpTestRequest&) { return HttpTestResponse{200, {}, "0.26.0\n"}; });
  UseServer(server.BaseUrl());
  InstallUpdater();
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  OpenFrame();
  WatchForDestruction();
  ASSERT_TRUE(WaitFor([&] { return frame->GetUpdateState() == 2; }));
  EXPECT_EQ(frame->GetUpdateStatusText(), U8("Dostępna aktualizacja: 0.26.0"));
  // Nobody is logged in yet: nothing is asked and nothing runs.
  PumpEvents(300);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_FALSE(UpdaterRan());

  LogIn("admin", "haslo-admina");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, "Nowa wersja");
  EXPECT_EQ(boxes.shown()[0].message, U8("Dostępna jest nowa wersja 0.26.0. Zaktualizować?"));
  EXPECT_EQ(boxes.shown()[0].yesLabel, "Aktualizuj");
  EXPECT_EQ(boxes.shown()[0].noLabel, U8("Później"));
  EXPECT_TRUE(WaitFor([&] { return UpdaterRan(); }));
  // The program closes itself for the updater.
  EXPECT_TRUE(WaitFor([&] {
    wxTheApp->ProcessIdle();
    return destroyed;
  }));
}

// The program installed in a folder whose path holds a blank and a quote.
TEST_F(UpdateCheckInWindow, TheUpdaterStartsFromAFolderWithABlankInItsPath) {
  const wxString moved = veldrix::JoinPath(folders.root(), "Moje programy 'V'");
  ASSERT_TRUE(wxRenameFile(folders.programFolder(), moved));
  veldrix::SetProgramFolderOverride(moved);
  database = veldrix::JoinPath(moved, "veldrix.db");
  AppState().SetDefaultDatabasePath(database);
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  OpenWithUpdateOffered();
  LogIn("admin", "haslo-admina");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(WaitFor([&] { return UpdaterRan(); }));
}

// An updater that cannot be started leaves the program open and says so.
TEST_F(UpdateCheckInWindow, AnUpdaterThatDoesNotStartKeepsTheProgramOpen) {
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  OpenWithUpdateOffered();
  ASSERT_EQ(chmod(veldrix::UpdaterPath().utf8_str(), 0644), 0);
  LogIn("admin", "haslo-admina");
  ASSERT_TRUE(WaitFor([&] { return boxes.shown().size() == 2u; }));
  EXPECT_EQ(boxes.shown()[1].caption, "Nowa wersja");
  EXPECT_NE(boxes.shown()[1].message.Find(U8("Nie udało się uruchomić")), wxNOT_FOUND) << boxes.shown()[1].message;
  PumpEvents(300);
  wxTheApp->ProcessIdle();
  EXPECT_FALSE(destroyed);
  EXPECT_TRUE(frame->IsShown());
}

TEST_F(UpdateCheckInWindow, LaterRunsNothingAndTheQuestionIsNotAskedAgain) {
  HttpTestServer server([](const HttpTestRequest&) { return HttpTestResponse{200, {}, "0.26.0"}; });
  UseServer(server.BaseUrl());
  InstallUpdater();
  veldrix::MessageBoxRecorder boxes(wxID_NO);
  OpenFrame();
  ASSERT_TRUE(WaitFor([&] { return frame->GetUpdateState() == 2; }));
  LogIn("admin", "haslo-admina");
  ASSERT_EQ(boxes.shown().size(), 1u);
  PumpEvents(300);
  EXPECT_FALSE(UpdaterRan());
  EXPECT_EQ(frame->GetUpdateState(), 2);
  SaveScreenshot(frame, "update_available_start_page");

  boxes.AnswerNext(wxID_YES);  // the logout question
  veldrix::test::ModalScript script;
  script.Then("AuthLoginDialog", veldrix::test::LogInStep("admin", "haslo-admina"));
  frame->Logout();
  ASSERT_TRUE(frame->IsLoggedIn());
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[1].caption, "Wylogowanie");
  EXPECT_EQ(server.Requests().size(), 1u);  // one check per start
}

TEST_F(UpdateCheckInWindow, ASilentServerBlocksNothingAndEndsAsAFailedCheck) {
  HttpTestServer server;
  server.SetMode(HttpTestServer::Mode::Silent);
  UseServer(server.BaseUrl());
  InstallUpdater();
  veldrix::MessageBoxRecorder boxes(wxID_YES);
  OpenFrame();
  // The window logs in and works while the check waits for its answer.
  LogIn("admin", "haslo-admina");
  EXPECT_EQ(frame->GetUpdateState(), 0);
  EXPECT_EQ(frame->GetUpdateStatusText(), "Sprawdzanie aktualizacji...");
  frame->OpenSettingsPage();
  EXPECT_EQ(frame->GetNotebook()->GetCurrentPage()->GetLabel(), "Ustawienia");
  ASSERT_TRUE(WaitFor([&] { return frame->GetUpdateState() == 3; }, 30000));
  EXPECT_EQ(frame->GetUpdateStatusText(), U8("Nie udało się sprawdzić aktualizacji"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_FALSE(UpdaterRan());
  frame->GetNotebook()->SetSelection(0);
  SaveScreenshot(frame, "update_check_failed_start_page");
}

}  // namespace
