// The settings page of a module that lays its settings out in its own XRC file:
// named controls are bound to settings keys and saved to the module settings store,
// values the module computes are shown, named buttons run module actions, and
// "async:" actions run in the background with the operation strip.
#pragma once

#include "app/common/unsaved_changes.h"
#include "pluginmanager/module_calls.h"
#include "pluginmanager/plugin_module.h"
#include "plugins/module_action_runner.h"

#include <wx/panel.h>

#include <memory>
#include <vector>

class wxButton;

namespace veldrix {

class PluginSettingsXrcPanel : public wxPanel, public IUnsavedChangesPage {
 public:
  // `calls` gives the module's values function and RunAction.
  PluginSettingsXrcPanel(wxWindow* parent, const wxString& title, const wxString& xrcFile, const wxString& objectName,
                         const wxString& settingsPath, const wxString& saveButtonName,
                         const std::vector<PluginSettingsFieldInfo>& fields, const PluginTextPairs& controlBindings,
                         const PluginTextPairs& actionButtons, const ModuleCalls& calls);
  ~PluginSettingsXrcPanel() override;

  // The module's computed values into the panel (a focused text control is left to the user).
  void ApplyValues();
  // Stores the value of every bound control that exists; a control the layout
  // lacks stores nothing, so its stored value stays. False (and the user told)
  // when a value was not stored.
  bool SaveValues();
  // Saves first, then runs the action: "async:..." in the background, any other
  // at once with its text shown.
  void DoAction(const wxString& action);

  // The loaded XRC panel, null when the file or the object could not be loaded.
  wxWindow* GetXrcPanel() const { return panel_; }
  wxButton* GetSaveButton() const { return save_; }

  // "Zapisz" is lit by a change and put out by a save.
  bool HasUnsavedChanges() const override;
  bool SaveChanges() override { return SaveValues(); }
  const ModuleActionRunner& GetActionRunner() const { return *runner_; }
  ModuleActionRunner& GetActionRunner() { return *runner_; }

  // Choice-aware value of one bound control (fields compared by key, exactly).
  const PluginSettingsFieldInfo* FindField(const wxString& key) const;
  static void SetFieldControlValue(wxWindow* control, const PluginSettingsFieldInfo& field, const wxString& value);
  static wxString GetFieldControlValue(wxWindow* control, const PluginSettingsFieldInfo& field);

 private:
  wxWindow* Control(const wxString& name) const;
  void OnValueChanged(wxCommandEvent& event);
  void OnSave(wxCommandEvent& event);
  void LayoutPage();
  void PollProgress();

  wxString title_;
  wxString settingsPath_;
  std::vector<PluginSettingsFieldInfo> fields_;
  PluginTextPairs bindings_;
  ModuleCalls calls_;
  wxWindow* panel_ = nullptr;
  wxButton* save_ = nullptr;
  bool loading_ = false;
  std::unique_ptr<ModuleActionRunner> runner_;
};

}  // namespace veldrix
