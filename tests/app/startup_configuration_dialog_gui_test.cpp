// The database configuration dialog that start-up opens when the active connection
// fails. It has a process of its own: at start-up no dialog has been shown before
// it, and under a window manager that is what used to put it in the screen's corner.
#include "app/application_state.h"
#include "app/common/message_box.h"
#include "app/veldrix_frame.h"
#include "program_start_fixture.h"
#include "modal_script.h"

#include <gtest/gtest.h>
#include <wx/dialog.h>

using veldrix::test::ModalScript;
using veldrix::test::PumpEvents;
using veldrix::test::SaveScreenshot;

namespace {

using StartupConfigurationDialog = ProgramStartTest;

TEST_F(StartupConfigurationDialog, OpensCentredOnTheMainWindow) {
  // A server that refuses at once.
  AppState().SetActiveConnection("ServerType=PostgreSQL;Server=127.0.0.1;Port=1;Database=veldrix;User ID=veldrix;");
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  wxRect shown;
  wxRect main;
  ModalScript script;
  script.Then("DatabaseConfigDialog", [&](wxDialog* dialog) {
    PumpEvents(400);
    shown = dialog->GetScreenRect();
    main = frame->GetScreenRect();
    SaveScreenshot(dialog, "configuration_at_startup");
    ModalScript::Click(dialog, wxID_CLOSE);
  });
  OpenFrame();
  // The connection still fails after the dialog: the program closes.
  EXPECT_TRUE(LoginClosesTheWindow());
  ASSERT_TRUE(script.Done()) << script.Remaining();
  EXPECT_NEAR(shown.x + shown.width / 2, main.x + main.width / 2, 25) << shown.x << "," << shown.y;
  EXPECT_NEAR(shown.y + shown.height / 2, main.y + main.height / 2, 25) << shown.x << "," << shown.y;
}

}  // namespace
