// The gradient button under X, driven by real pointer events: a click released
// inside sends one wxEVT_BUTTON, a press dragged out and released sends none.
#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/uiaction.h>

#include <memory>
#include <vector>

#include "app/common/gradient_button.h"
#include "app/common/images.h"
#include "gui_support.h"

using veldrix::test::PumpEvents;
using veldrix::test::WaitFor;

namespace {

constexpr int kButtonId = 7100;
constexpr int kCloseId = 7101;

class GradientButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(360, 160));
    panel = new wxPanel(frame);
    panel->SetBackgroundColour(wxColour(236, 239, 241));
    button = new wxGradientButton(panel, kButtonId, "Ustawienia", wxPoint(20, 20), wxSize(120, 90));
    button->bitmap = veldrix::LoadToolbarBitmap("opcje.png", wxART_MISSING_IMAGE, wxSize(36, 36));
    button->bitmapX = 42;
    button->bitmapY = 14;
    closeButton = new wxGradientButton(panel, kCloseId, "Zamknij", wxPoint(200, 20), wxSize(120, 90));
    panel->Bind(wxEVT_BUTTON, [this](wxCommandEvent& event) { clicks.push_back(event.GetId()); });
    frame->Show();
    ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen(); }));
    PumpEvents(50);
  }
  void TearDown() override {
    frame->Destroy();
    PumpEvents(20);
  }

  wxPoint Inside(wxWindow* window) const { return window->ClientToScreen(wxPoint(60, 45)); }

  wxFrame* frame = nullptr;
  wxPanel* panel = nullptr;
  wxGradientButton* button = nullptr;
  wxGradientButton* closeButton = nullptr;
  std::vector<int> clicks;
  wxUIActionSimulator mouse;
};

// Rows of the window's screenshot that hold dark (text) pixels.
void DarkRows(wxWindow* window, const wxString& name, int* first, int* last) {
  wxImage shot;
  ASSERT_TRUE(shot.LoadFile(veldrix::test::SaveScreenshot(window, name)));
  *first = -1;
  *last = -1;
  for (int y = 0; y < shot.GetHeight(); ++y) {
    for (int x = 0; x < shot.GetWidth(); ++x) {
      if (shot.GetRed(x, y) < 100 && shot.GetGreen(x, y) < 100 && shot.GetBlue(x, y) < 100) {
        if (*first < 0) *first = y;
        *last = y;
        break;
      }
    }
  }
}

}  // namespace

TEST_F(GradientButtonTest, ClickReleasedInsideSendsOneButtonEvent) {
  ASSERT_TRUE(mouse.MouseMove(Inside(button)));
  ASSERT_TRUE(WaitFor([&] { return button->IsHovered(); }, 2000));
  veldrix::test::SaveScreenshot(frame, "gradient_button_hover");
  mouse.MouseDown();
  ASSERT_TRUE(WaitFor([&] { return button->HasCapture(); }, 2000));
  mouse.MouseUp();
  ASSERT_TRUE(WaitFor([&] { return !clicks.empty(); }, 2000));
  PumpEvents(50);
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(clicks[0], kButtonId);
  EXPECT_FALSE(button->HasCapture());
}

TEST_F(GradientButtonTest, PressDraggedOutAndReleasedSendsNothing) {
  mouse.MouseMove(Inside(button));
  PumpEvents(30);
  mouse.MouseDown();
  ASSERT_TRUE(WaitFor([&] { return button->HasCapture(); }, 2000));
  const wxPoint outside = panel->ClientToScreen(wxPoint(170, 140));
  mouse.MouseMove(outside);
  PumpEvents(50);
  mouse.MouseUp();
  ASSERT_TRUE(WaitFor([&] { return !button->HasCapture(); }, 2000));
  PumpEvents(100);
  EXPECT_TRUE(clicks.empty());

  // Leaving and coming back shows the pointer is tracked again after the capture.
  mouse.MouseMove(Inside(closeButton));
  ASSERT_TRUE(WaitFor([&] { return closeButton->IsHovered(); }, 2000));
  EXPECT_FALSE(button->IsHovered());
  mouse.MouseClick();
  ASSERT_TRUE(WaitFor([&] { return !clicks.empty(); }, 2000));
  EXPECT_EQ(clicks, std::vector<int>{kCloseId});
}

TEST_F(GradientButtonTest, LooksAndSizes) {
  mouse.MouseMove(panel->ClientToScreen(wxPoint(170, 140)));
  PumpEvents(50);
  veldrix::test::SaveScreenshot(frame, "gradient_button");
  EXPECT_EQ(button->GetLabel(), "Ustawienia");
  EXPECT_EQ(button->GetClassInfo()->GetClassName(), wxString("wxGradientButton"));
  EXPECT_EQ(button->GetBackgroundColour(), *wxWHITE);
  EXPECT_EQ(button->hoverFill, wxColour(193, 224, 255));
  EXPECT_EQ(button->hoverBorder, wxColour(51, 153, 255));

  auto* tiny = new wxGradientButton(panel, wxID_ANY, "X");
  const wxSize best = tiny->GetBestSize();
  EXPECT_GE(best.x, 40);
  EXPECT_GE(best.y, 20);
  int w = 0;
  int h = 0;
  tiny->GetTextExtent("X", &w, &h);
  EXPECT_EQ(best, wxSize(std::max(w + 20, 40), std::max(h + 10, 20)));

  std::unique_ptr<wxObject> byName(wxCreateDynamicObject("wxGradientButton"));
  EXPECT_NE(dynamic_cast<wxGradientButton*>(byName.get()), nullptr);
}

TEST_F(GradientButtonTest, CloseLabelIsCentredOthersSitAtTheBottom) {
  mouse.MouseMove(panel->ClientToScreen(wxPoint(170, 140)));
  PumpEvents(50);
  const int height = closeButton->GetClientSize().y;
  int first = 0;
  int last = 0;
  DarkRows(closeButton, "gradient_button_close", &first, &last);
  ASSERT_GE(first, 0);
  EXPECT_NEAR((first + last) / 2.0, (height - 1) / 2.0, 2.5);

  auto* lower = new wxGradientButton(panel, wxID_ANY, "zamknij", wxPoint(200, 20), wxSize(120, 90));
  closeButton->Hide();
  PumpEvents(50);
  DarkRows(lower, "gradient_button_bottom_label", &first, &last);
  ASSERT_GE(first, 0);
  EXPECT_GE(last, height - 1 - 3 - 4);
  EXPECT_LE(last, height - 1 - 3);
}

TEST_F(GradientButtonTest, EmptyLabelWithoutBitmapPaintsOnlyTheRectangle) {
  auto* empty = new wxGradientButton(panel, wxID_ANY, "", wxPoint(200, 20), wxSize(120, 90));
  empty->SetForegroundColour(wxColour(0, 0, 0));
  closeButton->Hide();
  mouse.MouseMove(panel->ClientToScreen(wxPoint(170, 140)));
  PumpEvents(50);
  wxImage shot;
  ASSERT_TRUE(shot.LoadFile(veldrix::test::SaveScreenshot(empty, "gradient_button_empty")));
  // A black one-pixel border (the corners slightly softened) around a white fill, nothing else.
  for (int y = 0; y < shot.GetHeight(); ++y) {
    for (int x = 0; x < shot.GetWidth(); ++x) {
      const bool border = x == 0 || y == 0 || x == shot.GetWidth() - 1 || y == shot.GetHeight() - 1;
      if (border) {
        ASSERT_LT(shot.GetRed(x, y), 32) << x << "," << y;
      } else {
        ASSERT_EQ(shot.GetRed(x, y), 255) << x << "," << y;
        ASSERT_EQ(shot.GetGreen(x, y), 255) << x << "," << y;
        ASSERT_EQ(shot.GetBlue(x, y), 255) << x << "," << y;
      }
    }
  }
}
