#include "app/common/tab_closing.h"

#include <gtest/gtest.h>
#include <wx/event.h>
#include <wx/stopwatch.h>
#include <wx/utils.h>
#include <wx/window.h>

#include <vector>

namespace {

// Stands in for the main window: records the 6001 events it is sent.
class Target : public wxEvtHandler {
 public:
  Target() { Bind(wxEVT_THREAD, &Target::OnThread, this, veldrix::kTabClosingEventId); }

  // Handles what the threads queued, waiting up to `milliseconds` for `count` events.
  void Receive(std::size_t count, int milliseconds) {
    wxStopWatch watch;
    do {
      if (Pending()) ProcessPendingEvents();
      if (pages.size() >= count) return;
      wxMilliSleep(5);
    } while (watch.Time() < milliseconds);
  }

  std::vector<wxWindow*> pages;

 private:
  // ProcessPendingEvents asserts when nothing is queued.
  bool Pending() {
    wxCriticalSectionLocker lock(m_pendingEventsLock);
    return m_pendingEvents && !m_pendingEvents->IsEmpty();
  }

  void OnThread(wxThreadEvent& event) { pages.push_back(veldrix::TabClosingPage(event)); }
};

wxWindow* FakePage(std::uintptr_t value) { return reinterpret_cast<wxWindow*>(value); }

class TabClosing : public ::testing::Test {
 protected:
  void TearDown() override { veldrix::SetTabClosingTarget(nullptr); }
  Target target;
};

TEST_F(TabClosing, TheRegisteredTargetLearnsWhichTabAskedOrThatNoneIsKnown) {
  veldrix::SetTabClosingTarget(&target);
  ASSERT_EQ(veldrix::RequestTabClose(FakePage(0x1000)), wxTHREAD_NO_ERROR);
  target.Receive(1, 3000);
  ASSERT_EQ(veldrix::RequestTabClose(nullptr), wxTHREAD_NO_ERROR);
  target.Receive(2, 3000);
  EXPECT_EQ(target.pages, (std::vector<wxWindow*>{FakePage(0x1000), nullptr}));
}

TEST_F(TabClosing, NothingIsQueuedToATargetThatWasUnregistered) {
  EXPECT_EQ(veldrix::RequestTabClose(nullptr), wxTHREAD_NO_RESOURCE);

  // A thread started for a window that then goes away must not reach it.
  veldrix::SetTabClosingTarget(&target);
  veldrix::SetTabClosingTarget(nullptr);
  ASSERT_EQ(veldrix::StartTabClosingThread(&target, FakePage(0x2000)), wxTHREAD_NO_ERROR);
  target.Receive(1, 300);
  EXPECT_TRUE(target.pages.empty());
}

TEST_F(TabClosing, AnotherEventIdNamesNoPage) {
  wxThreadEvent event(wxEVT_THREAD, 6000);
  event.SetExtraLong(0x3000);
  EXPECT_EQ(veldrix::TabClosingPage(event), nullptr);
}

}  // namespace
