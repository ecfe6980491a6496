// Where the first dialogs of a process open under a window manager (the test runs
// under one): wxGTK used to hold back a dialog's first showing and the manager then
// put it in the screen's corner. The database configuration dialog that start-up
// opens when the active connection fails, and the about box.
#include "app/application_state.h"
#include "app/common/message_box.h"
#include "app/veldrix_frame.h"
#include "program_start_fixture.h"
#include "modal_script.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>

using veldrix::test::ModalScript;
using veldrix::test::SaveScreenshot;

namespace {

using StartupConfigurationDialog = ProgramStartTest;
using AboutBox = ProgramStartTest;

struct Placement {
  wxRect dialog;
  wxRect main;
};

// A step that notes where the dialog opened and where `main` is, then clicks `button`.
ModalScript::Action NotePlacement(VeldrixFrame*& main, Placement* placement, const char* screenshot, int button) {
  return [&main, placement, screenshot, button](wxDialog* dialog) {
    EXPECT_TRUE(veldrix::test::WaitUntilPlaced(dialog)) << "the manager did not place " << screenshot;
    placement->dialog = dialog->GetScreenRect();
    placement->main = main->GetScreenRect();
    SaveScreenshot(dialog, screenshot);
    ModalScript::Click(dialog, button);
  };
}

void ExpectCentred(const Placement& p) {
  const wxString at = wxString::Format("%d,%d", p.dialog.x, p.dialog.y);
  EXPECT_NEAR(p.dialog.x + p.dialog.width / 2, p.main.x + p.main.width / 2, 25) << at;
  EXPECT_NEAR(p.dialog.y + p.dialog.height / 2, p.main.y + p.main.height / 2, 25) << at;
}

TEST_F(StartupConfigurationDialog, OpensCentredOnTheMainWindow) {
  // A server that refuses at once.
  AppState().SetActiveConnection("ServerType=PostgreSQL;Server=127.0.0.1;Port=1;Database=veldrix;User ID=veldrix;");
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  Placement placement;
  ModalScript script;
  script.Then("DatabaseConfigDialog", NotePlacement(frame, &placement, "configuration_at_startup", wxID_CLOSE));
  OpenFrame();
  // The connection still fails after the dialog: the program closes.
  EXPECT_TRUE(LoginClosesTheWindow());
  ASSERT_TRUE(script.Done()) << script.Remaining();
  ExpectCentred(placement);
}

// On a first start the about box follows only the box saying there is no company,
// which is GTK's own dialog: the about box is the first the library shows itself.
TEST_F(AboutBox, OpensCentredOnTheMainWindow) {
  OpenFrame();
  Placement placement;
  ModalScript script;
  script.Then("VeldrixAboutDialog", NotePlacement(frame, &placement, "about_box_first_dialog", wxID_OK));
  // What the menu's "i" calls.
  frame->ShowAboutDialog();
  ASSERT_TRUE(script.Done()) << script.Remaining();
  ExpectCentred(placement);
}

}  // namespace
