// The GUI runner itself: windows, timers and screenshots work inside the tests.
#include "gui_support.h"

#include <gtest/gtest.h>
#include <wx/filename.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/timer.h>

TEST(GuiRunner, ShowsAWindowRunsTimersAndSavesAScreenshot) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(320, 200));
  frame->SetBackgroundColour(*wxRED);
  frame->Show();
  ASSERT_TRUE(veldrix::test::WaitFor([&] { return frame->IsShownOnScreen(); }));

  wxTimer timer;
  int ticks = 0;
  timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) { ++ticks; });
  timer.Start(10);
  EXPECT_TRUE(veldrix::test::WaitFor([&] { return ticks >= 3; }, 3000));
  timer.Stop();

  const wxString file = veldrix::test::SaveScreenshot(frame, "gui_runner");
  wxImage image;
  ASSERT_TRUE(image.LoadFile(file));
  EXPECT_GT(image.GetWidth(), 100);
  frame->Destroy();
  veldrix::test::PumpEvents(20);
}
