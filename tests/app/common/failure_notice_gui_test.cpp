// The failure notice shows its one box over the page that met the failure, and none
// once the user has left that page for another before the box was due.
#include "app/common/failure_notice.h"
#include "app/common/message_box.h"
#include "gui_support.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>

#include <vector>

namespace {

TEST(FailureNotice, ShowsOverItsPageAndNotOverThePageTheUserWentTo) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(600, 400));
  auto* page = new wxPanel(frame);
  frame->Show();
  veldrix::test::PumpEvents(100);
  std::vector<wxWindow*> parents;
  const veldrix::MessageBoxHandler previous = veldrix::SetMessageBoxHandler(
      [&](const veldrix::MessageBoxLook&, wxWindow* parent) { return parents.push_back(parent), wxID_OK; });
  {
    veldrix::FailureNotice notice(page, "Dane firmy");
    notice.Note(wxString::FromUTF8("Nie udało się odczytać listy."), "no such table: firma");
    veldrix::test::PumpEvents(100);
    EXPECT_EQ(parents, std::vector<wxWindow*>{page});

    // The user goes to another page in the same event.
    notice.Note(wxString::FromUTF8("Nie udało się odczytać listy."), "no such table: firma");
    page->Hide();
    veldrix::test::PumpEvents(100);
    EXPECT_EQ(parents, std::vector<wxWindow*>{page});
  }
  veldrix::SetMessageBoxHandler(previous);
  frame->Destroy();
  veldrix::test::PumpEvents(50);
}

}  // namespace
