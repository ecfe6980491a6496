// The "Moduły" page of the settings tree: every module the host knows, loaded or
// not, with its state and a check box that switches it on or off (fully after a
// restart), and the modules folder.
#pragma once

#include <wx/panel.h>

class wxCheckListBox;

namespace veldrix {

class PluginManager;

class PluginModulesPanel : public wxPanel {
 public:
  // The manager is not owned; it destroys this page before it goes.
  PluginModulesPanel(wxWindow* parent, PluginManager* manager);

  wxCheckListBox* GetList() const { return list_; }

 private:
  void OnModuleToggled(wxCommandEvent& event);

  PluginManager* manager_;
  wxCheckListBox* list_ = nullptr;
};

}  // namespace veldrix
