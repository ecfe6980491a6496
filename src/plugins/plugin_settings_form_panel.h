// The settings page the host generates for a module that describes its settings
// as a list of fields: one labelled control per field, loaded from the module
// settings store and written back by "Zapisz". The module is not called.
#pragma once

#include "app/common/unsaved_changes.h"
#include "pluginmanager/plugin_module.h"

#include <wx/panel.h>

#include <vector>

class wxButton;
class wxChoice;
class wxTextCtrl;

namespace veldrix {

class PluginSettingsFormPanel : public wxPanel, public IUnsavedChangesPage {
 public:
  PluginSettingsFormPanel(wxWindow* parent, const wxString& title, const wxString& description,
                          const wxString& settingsPath, const std::vector<PluginSettingsFieldInfo>& fields);

  void LoadValues();
  // Writes every field, changed or not; false (and the user told) when any was
  // not stored.
  bool SaveValues();

  wxButton* GetSaveButton() const { return save_; }

  // "Zapisz" is lit by a change and put out by a save.
  bool HasUnsavedChanges() const override;
  bool SaveChanges() override { return SaveValues(); }

 private:
  struct FieldControl {
    PluginSettingsFieldInfo field;
    wxTextCtrl* text = nullptr;
    wxChoice* choice = nullptr;
  };

  void OnValueChanged(wxCommandEvent& event);
  void OnSave(wxCommandEvent& event);

  wxString title_;
  wxString settingsPath_;
  std::vector<FieldControl> controls_;
  wxButton* save_ = nullptr;
  bool loading_ = false;
};

}  // namespace veldrix
