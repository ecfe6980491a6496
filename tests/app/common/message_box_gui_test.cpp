// A real message box under X and a window manager (openbox): it shows the labels the
// message box chose and its caption whole in the title bar, and the test answers it
// by clicking one of its buttons.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/modalhook.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <algorithm>
#include <functional>
#include <memory>

#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "gui_support.h"
#include "test_support.h"

namespace {

// Sees every modal dialog that starts, so the test can reach the message box.
class DialogWatcher : public wxModalDialogHook {
 public:
  wxDialog* dialog = nullptr;

 protected:
  int Enter(wxDialog* d) override {
    dialog = d;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { dialog = nullptr; }
};

wxString SaveScreenRect(const wxRect& rect, const wxString& name) {
  const wxString folder = veldrix::JoinPath(veldrix::test::ArtifactsDir(), "screenshots");
  veldrix::EnsureFolder(folder);
  const wxString file = veldrix::JoinPath(folder, name + ".png");
  veldrix::test::CaptureScreen(rect).SaveFile(file, wxBITMAP_TYPE_PNG);
  return file;
}

// The window manager's title bar of a placed window, as the screen shows it; not
// IsOk() while the manager has not framed the window.
wxImage TitleBar(wxTopLevelWindow* window) {
  const wxPoint frame = window->GetScreenPosition();
  const wxPoint client = window->ClientToScreen(wxPoint(0, 0));
  if (client.y <= frame.y) return wxImage();
  return veldrix::test::CaptureScreen(wxRect(frame.x, frame.y, window->GetSize().x, client.y - frame.y));
}

// Runs `show` (which shows a message box and returns when it is closed) and calls
// `act` from inside the box's own loop once the box is on screen, then closes it.
void WhileShown(const std::function<void()>& show, const std::function<void(wxDialog*)>& act) {
  DialogWatcher watcher;
  watcher.Register();
  wxStopWatch watch;
  bool done = false;
  wxTimer poll;
  poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    wxDialog* dialog = watcher.dialog;
    if (!dialog) return;
    // Never left waiting: a box still open here fails the test. GTK's own box is
    // closed through GTK.
    if (watch.Time() > 10000) {
      using Respond = void (*)(void*, int);
      constexpr int kGtkResponseCancel = -6;
      if (dialog->IsModal()) {
        dialog->EndModal(wxID_CANCEL);
      } else if (auto respond = reinterpret_cast<Respond>(dlsym(RTLD_DEFAULT, "gtk_dialog_response"))) {
        respond(dialog->GetHandle(), kGtkResponseCancel);
      }
      return;
    }
    if (done || !dialog->IsShown()) return;
    // Waited for here, inside the box's own loop; the time-out above still holds.
    done = true;
    if (!veldrix::test::WaitUntilPlaced(dialog) || !dialog->IsShown() || !TitleBar(dialog).IsOk()) {
      ADD_FAILURE() << "the manager did not frame the box";
      dialog->EndModal(wxID_CANCEL);
      return;
    }
    veldrix::test::PumpEvents(100);  // drawn
    act(dialog);
  });
  poll.Start(50);
  show();
  poll.Stop();
  watcher.Unregister();
  EXPECT_TRUE(done) << "the box did not show";
}

}  // namespace

TEST(MessageBoxDialog, ShowsTheChosenLabelsAndReturnsTheClickedButton) {
  ASSERT_TRUE(wxUIActionSimulator().MouseMove(10, 10)) << "no input simulation";
  wxString title;
  wxString yes;
  wxString no;
  bool hasCancel = true;
  wxString screenshot;
  int result = 0;
  WhileShown(
      [&] { result = veldrix::ShowMessageBox(L"Czy usunąć zaznaczoną firmę?", "", wxYES_NO | wxICON_QUESTION); },
      [&](wxDialog* dialog) {
        title = dialog->GetTitle();
        auto* yesButton = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_YES));
        auto* noButton = dynamic_cast<wxButton*>(dialog->FindWindow(wxID_NO));
        hasCancel = dialog->FindWindow(wxID_CANCEL) != nullptr;
        if (!yesButton || !noButton) {
          dialog->EndModal(wxID_CANCEL);
          return;
        }
        yes = yesButton->GetLabel();
        no = noButton->GetLabel();
        screenshot = SaveScreenRect(dialog->GetScreenRect(), "message_box");
        const wxRect target = noButton->GetScreenRect();
        wxUIActionSimulator mouse;
        mouse.MouseMove(target.x + target.width / 2, target.y + target.height / 2);
        mouse.MouseClick();
      });
  EXPECT_EQ(title, L"Potwierdzenie");
  EXPECT_EQ(yes, L"Usuń");
  EXPECT_EQ(no, L"Nie usuwaj");
  EXPECT_FALSE(hasCancel);
  EXPECT_EQ(result, wxNO);
  wxImage shot;
  ASSERT_TRUE(shot.LoadFile(screenshot));
  EXPECT_GT(shot.GetWidth(), 100);
}

// Captions a short message leaves too little room for in a box as narrow as its text.
TEST(MessageBoxDialog, TheCaptionShowsWholeInTheTitleBar) {
  for (const wxString& caption : {wxString("Faktury w KSeF"), wxString::FromUTF8("Stawki VAT – słownik")}) {
    SCOPED_TRACE(caption.utf8_string());
    // The caption as the manager draws it where there is room: what differs from a
    // window of the same width whose caption is a dot (the manager keeps the previous
    // caption for an empty one).
    auto reference = std::unique_ptr<wxFrame, void (*)(wxFrame*)>(
        new wxFrame(nullptr, wxID_ANY, caption, wxPoint(40, 40), wxSize(900, 200)), [](wxFrame* f) { f->Destroy(); });
    reference->Show();
    ASSERT_TRUE(veldrix::test::WaitUntilPlaced(reference.get(), 10000));
    ASSERT_TRUE(veldrix::test::WaitFor([&] { return reference->IsActive(); }, 10000));
    veldrix::test::PumpEvents(200);
    const wxImage named = TitleBar(reference.get());
    reference->SetTitle(".");
    veldrix::test::PumpEvents(200);
    const wxImage unnamed = TitleBar(reference.get());
    ASSERT_TRUE(named.IsOk() && unnamed.IsOk());
    ASSERT_EQ(named.GetSize(), unnamed.GetSize());
    int left = named.GetWidth();
    int right = -1;
    for (int y = 0; y < named.GetHeight(); ++y) {
      for (int x = 0; x < named.GetWidth(); ++x) {
        if (named.GetRed(x, y) != unnamed.GetRed(x, y) || named.GetGreen(x, y) != unnamed.GetGreen(x, y) ||
            named.GetBlue(x, y) != unnamed.GetBlue(x, y)) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
      }
    }
    ASSERT_LT(left, right) << "no caption drawn";
    const wxImage text = named.GetSubImage(wxRect(left, 0, right - left + 1, named.GetHeight()));
    reference.reset();
    veldrix::test::PumpEvents(200);

    // The box's title bar shows those pixels somewhere.
    bool whole = false;
    WhileShown([&] { veldrix::ShowMessageBox("Policzono.", caption, wxOK | wxICON_INFORMATION); },
               [&](wxDialog* dialog) {
                 const wxImage bar = TitleBar(dialog);
                 SaveScreenRect(dialog->GetScreenRect(), "message_box_caption");
                 for (int x = 0; !whole && x + text.GetWidth() <= bar.GetWidth(); ++x) {
                   whole = bar.GetHeight() == text.GetHeight() &&
                           veldrix::test::SamePixels(bar.GetSubImage(wxRect(x, 0, text.GetWidth(), text.GetHeight())),
                                                     text);
                 }
                 dialog->EndModal(wxID_OK);
               });
    EXPECT_TRUE(whole);
  }
}
