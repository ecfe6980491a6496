// The failure notice shows its one box over the page that met the failure, and none
// once the user has left that page for another before the box was due.
#include "app/common/failure_notice.h"
#include "app/common/message_box.h"
#include "gui_support.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include <vector>

namespace {

TEST(FailureNotice, ShowsOverItsPageAndNotOverThePageTheUserWentTo) {
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(600, 400));
  auto* page = new wxPanel(frame);
  auto* other = new wxPanel(frame);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(page, 1, wxEXPAND);
  sizer->Add(other, 1, wxEXPAND);
  frame->SetSizer(sizer);
  other->Hide();
  frame->Show();
  veldrix::test::PumpEvents(100);

  std::vector<wxWindow*> parents;
  std::vector<wxString> messages;
  const veldrix::MessageBoxHandler previous =
      veldrix::SetMessageBoxHandler([&](const veldrix::MessageBoxLook& box, wxWindow* parent) {
        messages.push_back(box.message);
        parents.push_back(parent);
        return wxID_OK;
      });
  {
    veldrix::FailureNotice notice(page, "Dane firmy");
    notice.Note(wxString::FromUTF8("Nie udało się odczytać listy."), "no such table: firma");
    notice.Note("second failure");
    veldrix::test::PumpEvents(100);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(parents[0], page);
    EXPECT_TRUE(messages[0].StartsWith(wxString::FromUTF8("Nie udało się odczytać listy.")));
    EXPECT_TRUE(messages[0].EndsWith("no such table: firma"));

    // The user goes to another page in the same event.
    notice.Note(wxString::FromUTF8("Nie udało się odczytać listy."), "no such table: firma");
    page->Hide();
    other->Show();
    frame->Layout();
    veldrix::test::PumpEvents(100);
    EXPECT_EQ(messages.size(), 1u);
  }
  veldrix::SetMessageBoxHandler(previous);
  frame->Destroy();
  veldrix::test::PumpEvents(50);
}

}  // namespace
