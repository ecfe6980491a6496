// The preview of documents modules return: shown as text, coloured as XML,
// read-only, never wrapped.
#include "plugins/preview_dialog.h"

#include "gui_support.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/stc/stc.h>

namespace veldrix {
namespace {

class PreviewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "Podgląd", wxDefaultPosition, wxSize(900, 650));
    frame_->Show();
  }
  void TearDown() override {
    frame_->Destroy();
    test::PumpEvents(20);
  }
  wxFrame* frame_ = nullptr;
};

TEST_F(PreviewTest, TextIsShownAsWrittenAndCannotBeEdited) {
  auto* view = new wxStyledTextCtrl(frame_, wxID_ANY);
  // Markup, entities and a script stay characters on the screen.
  const wxString log = wxString::FromUTF8(
      "12:00:01 Wysłano <b>fakturę</b> &amp; <script>alert(1)</script>\n"
      "12:00:02 Odpowiedź: &lt;ok&gt; \"zażółć\"\t" +
      std::string(3000, 'x'));
  SetUpPreviewText(view, log);
  EXPECT_EQ(view->GetText(), log);
  EXPECT_TRUE(view->GetReadOnly());
  EXPECT_EQ(view->GetWrapMode(), wxSTC_WRAP_NONE);
  EXPECT_FALSE(view->CanUndo());

  view->SetFocus();
  view->GotoPos(0);
  view->AddText("x");
  view->Cut();
  EXPECT_EQ(view->GetText(), log);
  view->SetSelection(0, 8);
  EXPECT_EQ(view->GetSelectedText(), "12:00:01");

  // A plain line has nothing but default text; a tag gets the tag colour.
  const wxString xml = "<?xml version=\"1.0\"?>\n<Faktura nr=\"1\">ok &amp; gotowe</Faktura>\n";
  SetUpPreviewText(view, xml);
  const int tag = view->FindText(0, view->GetLength(), "Faktura");
  ASSERT_GE(tag, 0);
  EXPECT_EQ(view->GetStyleAt(tag), wxSTC_H_TAG);
  EXPECT_EQ(view->StyleGetForeground(wxSTC_H_TAG), wxColour(0, 72, 150));
  EXPECT_EQ(view->GetStyleAt(view->FindText(0, view->GetLength(), "gotowe")), wxSTC_H_DEFAULT);
  // Every style keeps the fixed-pitch font, so the lines of a document align.
  EXPECT_EQ(view->StyleGetFont(wxSTC_H_TAG).GetFamily(), view->StyleGetFont(wxSTC_H_DEFAULT).GetFamily());
  EXPECT_TRUE(view->StyleGetFont(wxSTC_H_DEFAULT).IsFixedWidth());
}

}  // namespace
}  // namespace veldrix
