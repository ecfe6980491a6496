#include "plugins/plugin_settings_xrc_panel.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/scoped_flag.h"
#include "pluginmanager/control_value.h"
#include "pluginmanager/module_settings_store.h"
#include "plugins/module_pages.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/gauge.h>
#include <wx/sizer.h>
#include <wx/srchctrl.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <vector>

namespace veldrix {
namespace {

int ChoiceIndex(const PluginSettingsFieldInfo& field, const wxString& value) {
  for (std::size_t i = 0; i < field.choices.size(); ++i) {
    if (field.choices[i].value == value) return static_cast<int>(i);
  }
  return wxNOT_FOUND;
}

}  // namespace

PluginSettingsXrcPanel::PluginSettingsXrcPanel(wxWindow* parent, const wxString& title, const wxString& xrcFile,
                                               const wxString& objectName, const wxString& settingsPath,
                                               const wxString& saveButtonName,
                                               const std::vector<PluginSettingsFieldInfo>& fields,
                                               const PluginTextPairs& controlBindings,
                                               const PluginTextPairs& actionButtons, const ModuleCalls& calls)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      title_(title),
      settingsPath_(settingsPath),
      fields_(fields),
      bindings_(controlBindings),
      calls_(calls) {
  ModuleActionRunner::Hooks hooks;
  hooks.started = [this] { ApplyValues(); };
  hooks.poll = [this] { PollProgress(); };
  hooks.finished = [this] { ApplyValues(); };
  hooks.layout = [this] { LayoutPage(); };
  runner_ = std::make_unique<ModuleActionRunner>(this, calls_, std::move(hooks));
  SetSizer(new wxBoxSizer(wxVERTICAL));

  panel_ = LoadModuleXrcPanel(this, title_, xrcFile, objectName);
  if (!panel_) return;
  if (!saveButtonName.empty()) save_ = dynamic_cast<wxButton*>(Control(saveButtonName));

  for (const auto& binding : bindings_) {
    const PluginSettingsFieldInfo* field = FindField(binding.second);
    if (!field || field->kind != 2 || field->choices.empty()) continue;
    wxWindow* control = Control(binding.first);
    wxItemContainer* items = nullptr;
    // On GTK a combo box is also a wxChoice; it is asked first everywhere.
    if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
      items = combo;
    } else if (auto* choice = dynamic_cast<wxChoice*>(control)) {
      items = choice;
    }
    if (!items) continue;
    items->Clear();
    for (const PluginChoice& choice : field->choices) items->Append(choice.label);
  }

  {
    const ScopedFlag loading(loading_);
    for (const auto& binding : bindings_) {
      const PluginSettingsFieldInfo* field = FindField(binding.second);
      if (!field) continue;
      SetFieldControlValue(Control(binding.first), *field,
                           ModuleSettingsStore::Get(settingsPath_, field->key, field->defaultValue));
    }
    ApplyValues();
    if (save_) save_->Disable();
  }

  for (const auto& binding : bindings_) {
    wxWindow* control = Control(binding.first);
    if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
      combo->Bind(wxEVT_CHOICE, &PluginSettingsXrcPanel::OnValueChanged, this);
      combo->Bind(wxEVT_COMBOBOX, &PluginSettingsXrcPanel::OnValueChanged, this);
      // Typing a value is a change as much as picking one.
      combo->Bind(wxEVT_TEXT, &PluginSettingsXrcPanel::OnValueChanged, this);
    } else if (auto* text = dynamic_cast<wxTextCtrl*>(control)) {
      text->Bind(wxEVT_TEXT, &PluginSettingsXrcPanel::OnValueChanged, this);
    } else if (auto* choice = dynamic_cast<wxChoice*>(control)) {
      choice->Bind(wxEVT_CHOICE, &PluginSettingsXrcPanel::OnValueChanged, this);
    } else if (auto* check = dynamic_cast<wxCheckBox*>(control)) {
      check->Bind(wxEVT_CHECKBOX, &PluginSettingsXrcPanel::OnValueChanged, this);
    }
  }
  for (const auto& action : actionButtons) {
    wxWindow* button = Control(action.first);
    if (!button) continue;
    const wxString text = action.second;
    button->Bind(wxEVT_BUTTON, [this, text](wxCommandEvent&) { DoAction(text); });
  }
  runner_->FindOperationStrip(panel_);
  if (save_) save_->Bind(wxEVT_BUTTON, &PluginSettingsXrcPanel::OnSave, this);
}

PluginSettingsXrcPanel::~PluginSettingsXrcPanel() { runner_->Shutdown(); }

wxWindow* PluginSettingsXrcPanel::Control(const wxString& name) const {
  if (!panel_ || name.empty()) return nullptr;
  return wxWindow::FindWindowByName(name, panel_);
}

const PluginSettingsFieldInfo* PluginSettingsXrcPanel::FindField(const wxString& key) const {
  for (const PluginSettingsFieldInfo& field : fields_) {
    if (field.key == key) return &field;
  }
  return nullptr;
}

void PluginSettingsXrcPanel::SetFieldControlValue(wxWindow* control, const PluginSettingsFieldInfo& field,
                                                  const wxString& value) {
  if (!control) return;
  if (field.kind != 2 || field.choices.empty()) {
    SetControlValue(control, value);
    return;
  }
  const int index = ChoiceIndex(field, value);
  if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
    // A value the user typed shows as typed: the default's choice in its place
    // would be saved over it at the next save.
    if (index != wxNOT_FOUND) {
      combo->SetSelection(index);
    } else {
      combo->ChangeValue(value);
    }
  } else if (auto* choice = dynamic_cast<wxChoice*>(control)) {
    const int shown = index != wxNOT_FOUND ? index : ChoiceIndex(field, field.defaultValue);
    if (shown != wxNOT_FOUND) choice->SetSelection(shown);
  } else {
    SetControlValue(control, value);
  }
}

wxString PluginSettingsXrcPanel::GetFieldControlValue(wxWindow* control, const PluginSettingsFieldInfo& field) {
  if (!control) return field.defaultValue;
  if (field.kind != 2 || field.choices.empty()) return GetControlValue(control);
  if (auto* combo = dynamic_cast<wxComboBox*>(control)) {
    const int selection = combo->GetSelection();
    if (selection >= 0 && static_cast<std::size_t>(selection) < field.choices.size()) {
      return field.choices[static_cast<std::size_t>(selection)].value;
    }
    const wxString typed = combo->GetValue();
    for (const PluginChoice& choice : field.choices) {
      if (choice.label == typed) return choice.value;
    }
    return GetControlValue(control);
  }
  if (auto* choice = dynamic_cast<wxChoice*>(control)) {
    const int selection = choice->GetSelection();
    if (selection >= 0 && static_cast<std::size_t>(selection) < field.choices.size()) {
      return field.choices[static_cast<std::size_t>(selection)].value;
    }
    return field.defaultValue;
  }
  return GetControlValue(control);
}

void PluginSettingsXrcPanel::ApplyValues() {
  if (!panel_ || !calls_.Entry().getSettingsXrcValues) return;
  for (const auto& [name, value] : calls_.GetSettingsXrcValues()) {
    wxWindow* control = Control(name);
    if (!control || IsBeingTyped(control)) continue;
    SetControlValue(control, value);
  }
}

bool PluginSettingsXrcPanel::SaveValues() {
  ModuleSettingValues values;
  for (const auto& binding : bindings_) {
    const PluginSettingsFieldInfo* field = FindField(binding.second);
    wxWindow* control = Control(binding.first);
    if (field && control) values.emplace_back(field->key, GetFieldControlValue(control, *field));
  }
  wxString reason;
  if (!ModuleSettingsStore::SetValues(settingsPath_, values, &reason)) {
    ReportUnsavedModuleSettings(this, title_, reason);
    return false;
  }
  ApplyValues();
  if (save_) save_->Disable();
  return true;
}

void PluginSettingsXrcPanel::DoAction(const wxString& action) {
  // The module reads the settings it acts on from the store.
  if (!SaveValues()) return;
  wxString name;
  if (ModuleActionRunner::IsAsyncAction(action, &name)) {
    runner_->Start(name);
    return;
  }
  wxString text;
  int result = 0;
  if (calls_.HasRunAction()) {
    std::vector<wchar_t> buffer(VELDRIX_ACTION_TEXT, L'\0');
    result = calls_.RunAction(action, buffer.data(), VELDRIX_ACTION_TEXT);
    text = BufferText(buffer.data(), buffer.size());
  }
  if (text.empty() && result == 0) text = _("Nie udało się wykonać akcji modułu.");
  if (!text.empty()) ShowMessageBox(text, title_, wxICON_INFORMATION, this);
  ApplyValues();
  LayoutPage();
}

void PluginSettingsXrcPanel::OnValueChanged(wxCommandEvent& event) {
  event.Skip();
  if (!loading_ && save_) save_->Enable();
}

void PluginSettingsXrcPanel::OnSave(wxCommandEvent&) { SaveValues(); }

bool PluginSettingsXrcPanel::HasUnsavedChanges() const { return save_ && save_->IsThisEnabled(); }

void PluginSettingsXrcPanel::LayoutPage() {
  Layout();
  if (GetParent()) GetParent()->Layout();
}

void PluginSettingsXrcPanel::PollProgress() {
  ApplyValues();
  // Indeterminate until the module reports a value.
  if (wxGauge* gauge = runner_->Gauge(); gauge && gauge->GetValue() == 0) gauge->Pulse();
}

}  // namespace veldrix
