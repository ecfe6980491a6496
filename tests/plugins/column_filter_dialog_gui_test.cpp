// The column filter dialog of module grids, driven as the user drives it.
#include "plugins/grid_column_filter_dialog.h"

#include "app/common/i18n.h"
#include "gui_support.h"
#include "modal_script.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checklst.h>
#include <wx/frame.h>
#include <wx/srchctrl.h>
#include <wx/textctrl.h>

namespace veldrix {
namespace {

wxButton* FindButton(wxWindow* parent, const wxString& label) {
  for (wxWindow* child : parent->GetChildren()) {
    if (auto* button = dynamic_cast<wxButton*>(child); button && button->GetLabel() == label) return button;
    if (wxButton* found = FindButton(child, label)) return found;
  }
  return nullptr;
}

void Click(wxButton* button) {
  ASSERT_NE(button, nullptr);
  wxCommandEvent click(wxEVT_BUTTON, button->GetId());
  click.SetEventObject(button);
  button->ProcessWindowEvent(click);
}

std::vector<wxString> Items(const wxCheckListBox* list, bool checkedOnly) {
  std::vector<wxString> items;
  for (unsigned i = 0; i < list->GetCount(); ++i) {
    if (!checkedOnly || list->IsChecked(i)) items.push_back(list->GetString(i));
  }
  return items;
}

void Search(GridColumnFilterDialog& dialog, const wxString& text) {
  dialog.GetSearchControl()->ChangeValue(text);
  dialog.RefreshValueList();  // what typing into the search box runs
}

class ColumnFilterDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "Siatka", wxDefaultPosition, wxSize(700, 560));
    frame_->Show();
    values_.Add("Alfa");
    values_.Add("alfa");
    values_.Add("Beta");
    values_.Add("GAMMA");
  }
  void TearDown() override {
    frame_->Destroy();
    test::PumpEvents(20);
  }

  wxFrame* frame_ = nullptr;
  wxArrayString values_;
};

TEST_F(ColumnFilterDialogTest, SearchNarrowsTheListAndChecksFollowWhatIsShown) {
  GridColumnFilterDialog dialog(frame_, "Filtr: Kontrahent", values_, ColumnFilter::Make("", {"Beta"}));
  wxCheckListBox* list = dialog.GetValueList();
  EXPECT_EQ(Items(list, false), (std::vector<wxString>{"Alfa", "alfa", "Beta", "GAMMA"}));
  EXPECT_EQ(Items(list, true), (std::vector<wxString>{"Beta"}));

  // Typing fills the list again (the search box's text event).
  dialog.GetSearchControl()->SetValue("gam");
  test::PumpEvents(20);
  EXPECT_EQ(Items(list, false), (std::vector<wxString>{"GAMMA"}));

  // Nothing visible checked: the filter's own values come back.
  Search(dialog, "");
  for (unsigned i = 0; i < list->GetCount(); ++i) list->Check(i, false);
  Search(dialog, "a");
  EXPECT_EQ(Items(list, true), (std::vector<wxString>{"Beta"}));

  // "Zaznacz wszystko" checks only what the search shows.
  Search(dialog, "ALF");
  Click(FindButton(&dialog, _("Zaznacz wszystko")));
  EXPECT_EQ(Items(list, true), (std::vector<wxString>{"Alfa", "alfa"}));
  // A checked value the search hides is not part of the result; values compare exactly.
  list->Check(1, false);
  Search(dialog, "");
  EXPECT_EQ(Items(list, true), (std::vector<wxString>{"Alfa"}));
  Search(dialog, "bet");
  EXPECT_TRUE(Items(list, true).empty());
  list->Check(0, true);
  const ColumnFilter result = dialog.GetFilter();
  EXPECT_TRUE(result.active);
  EXPECT_EQ(result.values, (std::set<wxString>{"Beta"}));

  Click(FindButton(&dialog, _("Wyczyść zaznaczenie")));
  EXPECT_FALSE(dialog.GetFilter().active);
  dialog.GetTextControl()->ChangeValue(" x ");
  EXPECT_TRUE(dialog.GetFilter().active);
  EXPECT_EQ(dialog.GetFilter().text, " x ");  // kept as typed
}

TEST_F(ColumnFilterDialogTest, ClearFilterEndsTheDialogWithAnInactiveFilter) {
  GridColumnFilterDialog dialog(frame_, "Filtr: Kontrahent", values_, ColumnFilter::Make("al", {"alfa"}));
  EXPECT_EQ(dialog.GetTextControl()->GetValue(), "al");
  test::ModalScript script;
  script.Then("GridColumnFilterDialog", [](wxDialog* shown) {
    test::SaveScreenshot(shown, "plugins_column_filter_dialog");
    Click(FindButton(shown, _("Wyczyść filtr")));
  });
  EXPECT_EQ(dialog.ShowModal(), wxID_OK);
  EXPECT_TRUE(script.Done());
  const ColumnFilter result = dialog.GetFilter();
  EXPECT_FALSE(result.active);
  EXPECT_TRUE(result.text.empty());
  EXPECT_TRUE(result.values.empty());
}

}  // namespace
}  // namespace veldrix
