// The tab the host opens for a module that describes a simple main page: a
// heading, a description, label/value rows from the module and a button per
// module action next to "Odśwież". Actions run at once on the GUI thread.
#pragma once

#include "pluginmanager/module_calls.h"
#include "pluginmanager/plugin_module.h"

#include <wx/panel.h>

class wxFlexGridSizer;

namespace veldrix {

class PluginMainPagePanel : public wxPanel {
 public:
  // `actions`: {action name, button label} in order; `calls` gives the rows and RunAction.
  PluginMainPagePanel(wxWindow* parent, const wxString& title, const wxString& description,
                      const PluginTextPairs& actions, const ModuleCalls& calls);

  // Asks the module for its rows (at most 32) and shows them anew.
  void LoadRows();
  void RunModuleAction(const wxString& action);

 private:
  void OnRefresh(wxCommandEvent& event);

  wxString title_;
  ModuleCalls calls_;
  wxFlexGridSizer* rows_ = nullptr;
};

}  // namespace veldrix
