// The loading bar under X: hidden until its delay has passed, then an animated band
// across the top of its parent.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/stopwatch.h>

#include "app/common/delayed_loading_bar.h"
#include "gui_support.h"

using veldrix::DelayedLoadingBar;
using veldrix::test::PumpEvents;
using veldrix::test::WaitFor;

namespace {

class LoadingBarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(640, 200));
    panel = new wxPanel(frame);
    panel->SetBackgroundColour(*wxWHITE);
    bar = new DelayedLoadingBar(panel);
    frame->Show();
    ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen(); }));
  }
  void TearDown() override {
    frame->Destroy();
    PumpEvents(20);
  }

  wxFrame* frame = nullptr;
  wxPanel* panel = nullptr;
  DelayedLoadingBar* bar = nullptr;
};

bool SameColour(const wxColour& a, const wxColour& b) {
  return a.Red() == b.Red() && a.Green() == b.Green() && a.Blue() == b.Blue();
}

}  // namespace

TEST_F(LoadingBarTest, AppearsOnlyAfterItsDelayAndAnimates) {
  EXPECT_FALSE(bar->IsShown());
  wxStopWatch watch;
  bar->Start();
  EXPECT_TRUE(bar->IsBusy());
  EXPECT_FALSE(bar->IsShown());
  ASSERT_TRUE(WaitFor([&] { return bar->IsShown(); }, 2000));
  EXPECT_GE(watch.Time(), DelayedLoadingBar::kDelayMs - 1);
  EXPECT_TRUE(bar->IsBandShown());
  EXPECT_EQ(bar->GetPosition(), wxPoint(0, 0));
  EXPECT_EQ(bar->GetSize(), wxSize(panel->GetClientSize().x, DelayedLoadingBar::kBarHeight));

  EXPECT_TRUE(WaitFor([&] { return bar->position() >= 3; }, 3000));
  const wxString file = veldrix::test::SaveScreenshot(frame, "loading_bar");
  wxImage shot;
  ASSERT_TRUE(shot.LoadFile(file));
  // The band sits on the top rows of the client area; below it the white panel.
  const wxPoint origin = frame->GetClientAreaOrigin();
  int coloured = 0;
  for (int x = 0; x < bar->GetSize().x; x += 10) {
    const wxColour pixel(shot.GetRed(origin.x + x, origin.y + 2), shot.GetGreen(origin.x + x, origin.y + 2),
                         shot.GetBlue(origin.x + x, origin.y + 2));
    if (!SameColour(pixel, *wxWHITE) && !SameColour(pixel, wxColour(245, 245, 245))) ++coloured;
  }
  EXPECT_GT(coloured, 50);

  bar->Stop();
  EXPECT_FALSE(bar->IsShown());
  EXPECT_FALSE(bar->IsBusy());
  const int stoppedAt = bar->position();
  PumpEvents(100);
  EXPECT_EQ(bar->position(), stoppedAt);
}

TEST_F(LoadingBarTest, StartThenStopWithinTheDelayNeverShows) {
  bool everShown = false;
  bar->Bind(wxEVT_SHOW, [&](wxShowEvent& event) {
    if (event.IsShown()) everShown = true;
    event.Skip();
  });
  bar->Start();
  bar->Stop();
  PumpEvents(100);
  EXPECT_FALSE(everShown);
  EXPECT_FALSE(bar->IsShown());
  bar->Stop();  // idle stop is harmless
  EXPECT_FALSE(bar->IsBusy());
}

TEST_F(LoadingBarTest, SecondStartKeepsTheRunningAnimation) {
  bar->Start();
  ASSERT_TRUE(WaitFor([&] { return bar->position() >= 2; }, 3000));
  const int before = bar->position();
  bar->Start();
  EXPECT_GE(bar->position(), before);
  EXPECT_TRUE(bar->IsBandShown());
  bar->Stop();
}

TEST_F(LoadingBarTest, ShowNowDoesNothingWhenIdleAndShowsAtOnceWhenAsked) {
  bar->ShowNow();
  EXPECT_FALSE(bar->IsShown());
  bar->StartAndShowNow();
  EXPECT_TRUE(bar->IsShown());
  EXPECT_TRUE(bar->IsBandShown());
  bar->Stop();
}

TEST_F(LoadingBarTest, FollowsParentResizeWhileHidden) {
  panel->SetSize(500, 150);
  PumpEvents(20);
  EXPECT_EQ(bar->GetSize().x, panel->GetClientSize().x);
  EXPECT_FALSE(bar->IsShown());
  bar->StartAndShowNow();
  EXPECT_EQ(bar->GetSize(), wxSize(panel->GetClientSize().x, DelayedLoadingBar::kBarHeight));
  bar->Stop();
}

TEST_F(LoadingBarTest, AnimationPositionWraps) {
  bar->StartAndShowNow();
  for (int i = 0; i < DelayedLoadingBar::kPositionCount - 1; ++i) bar->Advance();
  EXPECT_EQ(bar->position(), 9999);
  bar->Advance();
  EXPECT_EQ(bar->position(), 0);
  bar->Stop();
  bar->Advance();  // not shown: no step
  EXPECT_EQ(bar->position(), 0);
}

TEST(LoadingBarBand, GradientPeriodIsAtLeast1200Pixels) {
  const wxColour first(41, 121, 255);
  EXPECT_TRUE(SameColour(DelayedLoadingBar::BandColour(0, 600, 0), first));
  // 600 px show half of a 1200 px period: the last column is in the third of five
  // segments, between green (76,175,80) and amber (255,193,7), at t = 119/240, each
  // channel truncated: 76 + 179t = 164.7, 175 + 18t = 183.9, 80 - 73t = 43.8.
  const wxColour half = DelayedLoadingBar::BandColour(599, 600, 0);
  EXPECT_TRUE(SameColour(half, wxColour(164, 183, 43))) << half.GetAsString();
  // 2000 px use a 2000 px period: the last column is back near the first stop.
  const wxColour end = DelayedLoadingBar::BandColour(1999, 2000, 0);
  EXPECT_NEAR(end.Red(), 41, 2);
  EXPECT_NEAR(end.Green(), 121, 2);
  EXPECT_NEAR(end.Blue(), 255, 2);
  // Each step moves the band by 18 px.
  EXPECT_TRUE(SameColour(DelayedLoadingBar::BandColour(0, 600, 1), DelayedLoadingBar::BandColour(18, 600, 0)));
  EXPECT_TRUE(SameColour(DelayedLoadingBar::BandColour(0, 600, 9999),
                         DelayedLoadingBar::BandColour((9999 * 18) % 1200, 600, 0)));
}
