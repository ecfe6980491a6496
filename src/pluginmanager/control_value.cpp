#include "pluginmanager/control_value.h"

#include "app/common/literal_label.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/datetime.h>
#include <wx/event.h>
#include <wx/gauge.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veldrix {
namespace {

bool ParseIsoDate(const wxString& value, wxDateTime* date) {
  wxString::const_iterator end;
  wxDateTime parsed;
  if (!parsed.ParseFormat(value, "%Y-%m-%d", wxDateTime(1, wxDateTime::Jan, 2000), &end)) return false;
  if (end != value.end()) return false;
  *date = parsed;
  return true;
}

}  // namespace

void SetControlValue(wxWindow* control, const wxString& value) {
  if (!control) return;
  if (auto* label = dynamic_cast<wxStaticText*>(control)) {
    label->SetLabelText(value);
    label->Wrap(650);
  } else if (auto* text = dynamic_cast<wxTextCtrl*>(control)) {
    text->ChangeValue(value);
  } else if (auto* search = dynamic_cast<wxSearchCtrl*>(control)) {
    search->ChangeValue(value);
  } else if (auto* picker = dynamic_cast<wxDatePickerCtrl*>(control)) {
    wxDateTime date;
    if (ParseIsoDate(value, &date)) picker->SetValue(date);
  } else if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
    // Its SetValue raises a text event (a read-only one has no ChangeValue to use).
    wxEventBlocker quiet(combo, wxEVT_TEXT);
    quiet.Block(wxEVT_COMBOBOX);
    combo->SetValue(value);
  } else if (auto* choice = dynamic_cast<wxChoice*>(control)) {
    for (unsigned i = 0; i < choice->GetCount(); ++i) {
      if (choice->GetString(i).IsSameAs(value, false)) {
        choice->SetSelection(static_cast<int>(i));
        break;
      }
    }
  } else if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
    const wxString lower = value.Lower();
    check->SetValue(lower == "1" || lower == "true" || lower == "tak" || lower == "yes");
  } else if (auto* gauge = dynamic_cast<wxGauge*>(control)) {
    long number = 0;
    if (!value.ToLong(&number, 10)) return;
    if (number < 0) number = 0;
    if (number > gauge->GetRange()) number = gauge->GetRange();
    gauge->SetValue(static_cast<int>(number));
  } else {
    control->SetLabel(LiteralLabel(value));
  }
}

wxString GetControlValue(wxWindow* control) {
  if (!control) return wxString();
  if (auto* text = dynamic_cast<wxTextCtrl*>(control)) return text->GetValue();
  if (auto* search = dynamic_cast<wxSearchCtrl*>(control)) return search->GetValue();
  if (auto* picker = dynamic_cast<wxDatePickerCtrl*>(control)) {
    const wxDateTime date = picker->GetValue();
    return date.IsValid() ? date.Format("%Y-%m-%d") : wxString();
  }
  if (auto* combo = dynamic_cast<wxComboBox*>(control)) return combo->GetValue();
  if (auto* choice = dynamic_cast<wxChoice*>(control)) {
    const int selection = choice->GetSelection();
    return selection == wxNOT_FOUND ? wxString() : choice->GetString(static_cast<unsigned>(selection));
  }
  if (auto* check = dynamic_cast<wxCheckBox*>(control)) return check->GetValue() ? "1" : "0";
  return control->GetLabel();
}

}  // namespace veldrix
