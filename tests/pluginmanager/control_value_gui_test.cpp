// Control values as text on real controls of a shown frame.
#include "pluginmanager/control_value.h"

#include "gui_support.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/frame.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veldrix {
namespace {

class ControlValueTest : public ::testing::Test {
 protected:
  void SetUp() override {
    frame_ = new wxFrame(nullptr, wxID_ANY, "Kontrolki modułu");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    label_ = new wxStaticText(frame_, wxID_ANY, "");
    button_ = new wxButton(frame_, wxID_ANY, "");
    text_ = new wxTextCtrl(frame_, wxID_ANY);
    check_ = new wxCheckBox(frame_, wxID_ANY, "Aktywny");
    const wxString items[] = {"Alfa", "Beta"};
    choice_ = new wxChoice(frame_, wxID_ANY, wxDefaultPosition, wxDefaultSize, 2, items);
    combo_ = new wxComboBox(frame_, wxID_ANY, "", wxDefaultPosition, wxDefaultSize, 2, items);
    gauge_ = new wxGauge(frame_, wxID_ANY, 100);
    date_ = new wxDatePickerCtrl(frame_, wxID_ANY);
    for (wxWindow* w :
         std::initializer_list<wxWindow*>{label_, button_, text_, check_, choice_, combo_, gauge_, date_}) {
      sizer->Add(w, 0, wxEXPAND | wxALL, 4);
    }
    frame_->SetSizerAndFit(sizer);
    frame_->Show();
    test::PumpEvents(50);
  }
  void TearDown() override {
    frame_->Destroy();
    test::PumpEvents(20);
  }

  wxFrame* frame_ = nullptr;
  wxStaticText* label_ = nullptr;
  wxButton* button_ = nullptr;
  wxTextCtrl* text_ = nullptr;
  wxCheckBox* check_ = nullptr;
  wxChoice* choice_ = nullptr;
  wxComboBox* combo_ = nullptr;
  wxGauge* gauge_ = nullptr;
  wxDatePickerCtrl* date_ = nullptr;
};

TEST_F(ControlValueTest, SetsAndReadsEachKindOfControl) {
  int textEvents = 0;
  text_->Bind(wxEVT_TEXT, [&textEvents](wxCommandEvent&) { ++textEvents; });
  combo_->Bind(wxEVT_TEXT, [&textEvents](wxCommandEvent&) { ++textEvents; });
  SetControlValue(text_, "NIP 123");
  EXPECT_EQ(GetControlValue(text_), "NIP 123");
  EXPECT_EQ(textEvents, 0);

  SetControlValue(label_, "A & B");
  EXPECT_EQ(label_->GetLabelText(), "A & B");
  SetControlValue(button_, "Wyslij & zapisz");
  EXPECT_EQ(button_->GetLabelText(), "Wyslij & zapisz");

  SetControlValue(check_, "TAK");
  EXPECT_EQ(GetControlValue(check_), "1");
  SetControlValue(check_, "");
  EXPECT_EQ(GetControlValue(check_), "0");

  EXPECT_EQ(GetControlValue(choice_), "");
  SetControlValue(choice_, "beta");
  EXPECT_EQ(GetControlValue(choice_), "Beta");
  SetControlValue(choice_, "Gamma");
  EXPECT_EQ(GetControlValue(choice_), "Beta");

  SetControlValue(combo_, wxString::FromUTF8("wpisany tekst"));
  EXPECT_EQ(GetControlValue(combo_), wxString::FromUTF8("wpisany tekst"));
  EXPECT_EQ(textEvents, 0);

  SetControlValue(gauge_, "150");
  EXPECT_EQ(gauge_->GetValue(), 100);
  SetControlValue(gauge_, "-5");
  EXPECT_EQ(gauge_->GetValue(), 0);
  SetControlValue(gauge_, "40");
  SetControlValue(gauge_, "abc");
  EXPECT_EQ(gauge_->GetValue(), 40);

  SetControlValue(date_, "2026-03-15");
  EXPECT_EQ(GetControlValue(date_), "2026-03-15");
  SetControlValue(date_, "2026-03-15x");
  SetControlValue(date_, "15.03.2026");
  EXPECT_EQ(GetControlValue(date_), "2026-03-15");

  SetControlValue(frame_, "Tytul");
  EXPECT_EQ(GetControlValue(frame_), "Tytul");
  SetControlValue(nullptr, "x");
  EXPECT_EQ(GetControlValue(nullptr), "");
  test::SaveScreenshot(frame_, "pluginmanager_control_values");
}

}  // namespace
}  // namespace veldrix
