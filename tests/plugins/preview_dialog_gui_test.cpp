// The preview of documents modules return: shown as text, coloured as XML,
// read-only, never wrapped.
#include "plugins/preview_dialog.h"

#include "app/common/i18n.h"
#include "gui_support.h"
#include "modal_script.h"

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

TEST_F(PreviewTest, DialogShowsTheDocumentUnderTheTitle) {
  const wxString xml = wxString::FromUTF8(
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<Faktura xmlns=\"http://crd.gov.pl/wzor/2023/06/29/12648/\">\n"
      "  <!-- wystawiona w Veldrix -->\n"
      "  <Podmiot1><NIP>5261040828</NIP><Nazwa>Firma &amp; Syn</Nazwa></Podmiot1>\n"
      "  <Fa><P_1>2024-01-15</P_1><P_15>1234.56</P_15></Fa>\n"
      "</Faktura>\n");
  test::ModalScript script;
  wxString title;
  wxString shown;
  script.Then(kPreviewDialogName, [&](wxDialog* dialog) {
    title = dialog->GetTitle();
    for (wxWindow* child : dialog->GetChildren()) {
      if (auto* view = wxDynamicCast(child, wxStyledTextCtrl)) shown = view->GetText();
    }
    test::SaveScreenshot(dialog, "plugins_preview_dialog");
    test::ModalScript::Click(dialog, wxID_OK);
  });
  ShowPreviewDialog(frame_, _("Podgląd XML"), xml);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(title, _("Podgląd XML"));
  EXPECT_EQ(shown, xml);
}

}  // namespace
}  // namespace veldrix
