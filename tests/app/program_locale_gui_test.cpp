// The program's Polish locale, as VeldrixApp sets it up: the GUI library's own texts
// (stock buttons, search boxes, a property grid's yes/no) come in Polish too.
#include "app/program_locale.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/frame.h>
#include <wx/intl.h>
#include <wx/propgrid/propgrid.h>
#include <wx/propgrid/props.h>
#include <wx/srchctrl.h>

TEST(ProgramLocale, TheGuiLibrarysOwnTextsArePolish) {
  if (!wxLocale::IsAvailable(wxLANGUAGE_POLISH) && !veldrix::test::RunningInCi()) GTEST_SKIP() << "no Polish locale";
  wxLocale locale;
  ASSERT_TRUE(SetUpPolishLocale(locale));
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Locale");
  EXPECT_EQ((new wxButton(frame, wxID_CANCEL))->GetLabelText(), "Anuluj");
  EXPECT_EQ((new wxSearchCtrl(frame, wxID_ANY))->GetDescriptiveText(), "Szukaj");
  frame->Destroy();
}

// Any grid, a module's too, whatever page was built before it.
TEST(ProgramLocale, PropertyGridsSayYesAndNoInPolish) {
  wxPropertyGrid::SetBoolChoices("True", "False");  // the library's own
  wxLocale locale;
  SetUpPolishLocale(locale);
  auto* frame = new wxFrame(nullptr, wxID_ANY, "Locale");
  auto* grid = new wxPropertyGrid(frame);
  const wxPGProperty* yes = grid->Append(new wxBoolProperty("a", "a", true));
  const wxPGProperty* no = grid->Append(new wxBoolProperty("b", "b", false));
  EXPECT_EQ(yes->GetDisplayedString(), "Tak");
  EXPECT_EQ(no->GetDisplayedString(), "Nie");
  frame->Destroy();
}
