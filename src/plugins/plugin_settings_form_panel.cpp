#include "plugins/plugin_settings_form_panel.h"

#include "app/common/i18n.h"
#include "app/common/literal_label.h"
#include "app/common/scoped_flag.h"
#include "pluginmanager/module_settings_store.h"
#include "plugins/module_pages.h"

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace veldrix {
namespace {

constexpr int kLineHeight = 24;

int FindChoice(const std::vector<PluginChoice>& choices, const wxString& value) {
  for (std::size_t i = 0; i < choices.size(); ++i) {
    if (choices[i].value == value) return static_cast<int>(i);
  }
  return wxNOT_FOUND;
}

}  // namespace

PluginSettingsFormPanel::PluginSettingsFormPanel(wxWindow* parent, const wxString& title,
                                                 const wxString& description, const wxString& settingsPath,
                                                 const std::vector<PluginSettingsFieldInfo>& fields)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      title_(title),
      settingsPath_(settingsPath) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  AddModulePageHeading(this, sizer, title, description);

  auto* grid = new wxFlexGridSizer(2, 0, 0);
  grid->AddGrowableCol(1);
  for (const PluginSettingsFieldInfo& field : fields) {
    FieldControl control;
    control.field = field;
    grid->Add(new wxStaticText(this, wxID_ANY, LiteralLabel(field.label)), 0, wxALIGN_RIGHT | wxALL, 5);
    if (field.kind == 2 && !field.choices.empty()) {
      control.choice = new wxChoice(this, wxID_ANY);
      for (const PluginChoice& choice : field.choices) control.choice->Append(choice.label);
      control.choice->Bind(wxEVT_CHOICE, &PluginSettingsFormPanel::OnValueChanged, this);
      grid->Add(control.choice, 0, wxEXPAND | wxALIGN_CENTER_VERTICAL | wxALL, 5);
    } else {
      const bool multiLine = field.kind == 1;
      const long style = multiLine ? (wxTE_MULTILINE | wxHSCROLL) : 0;
      const wxSize size = multiLine ? wxSize(-1, field.lines * kLineHeight) : wxDefaultSize;
      control.text = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, size, style);
      control.text->Bind(wxEVT_TEXT, &PluginSettingsFormPanel::OnValueChanged, this);
      grid->Add(control.text, 1, wxEXPAND | wxALL, 5);
    }
    controls_.push_back(std::move(control));
  }
  sizer->Add(grid, 1, wxEXPAND | wxALL, 5);

  save_ = new wxButton(this, wxID_ANY, _("Zapisz"));
  save_->Disable();
  save_->Bind(wxEVT_BUTTON, &PluginSettingsFormPanel::OnSave, this);
  sizer->Add(save_, 0, wxALIGN_RIGHT | wxALL, 5);
  SetSizer(sizer);

  LoadValues();
}

void PluginSettingsFormPanel::LoadValues() {
  const ScopedFlag loading(loading_);
  for (FieldControl& control : controls_) {
    const PluginSettingsFieldInfo& field = control.field;
    const wxString value = ModuleSettingsStore::Get(settingsPath_, field.key, field.defaultValue);
    if (control.text) {
      control.text->ChangeValue(value);
      continue;
    }
    int index = FindChoice(field.choices, value);
    if (index == wxNOT_FOUND && !field.defaultValue.empty()) index = FindChoice(field.choices, field.defaultValue);
    control.choice->SetSelection(index == wxNOT_FOUND ? 0 : index);
  }
  save_->Disable();
}

bool PluginSettingsFormPanel::SaveValues() {
  ModuleSettingValues values;
  for (const FieldControl& control : controls_) {
    const PluginSettingsFieldInfo& field = control.field;
    wxString value;
    if (control.text) {
      value = control.text->GetValue();
    } else {
      const int selection = control.choice->GetSelection();
      value = (selection >= 0 && static_cast<std::size_t>(selection) < field.choices.size())
                  ? field.choices[static_cast<std::size_t>(selection)].value
                  : field.defaultValue;
    }
    values.emplace_back(field.key, value);
  }
  wxString reason;
  if (!ModuleSettingsStore::SetValues(settingsPath_, values, &reason)) {
    ReportUnsavedModuleSettings(this, title_, reason);
    return false;
  }
  save_->Disable();
  return true;
}

void PluginSettingsFormPanel::OnValueChanged(wxCommandEvent& event) {
  event.Skip();
  if (!loading_) save_->Enable();
}

void PluginSettingsFormPanel::OnSave(wxCommandEvent&) { SaveValues(); }

bool PluginSettingsFormPanel::HasUnsavedChanges() const { return save_ && save_->IsThisEnabled(); }

}  // namespace veldrix
