// One module's entry in the program's settings tree: a placeholder until the
// entry is first selected, then the real page built by its factory (the module's
// settings form or XRC settings page). The settings tab calls EnsureLoaded.
#pragma once

#include "app/common/lazy_loadable_panel.h"

#include <wx/panel.h>

namespace veldrix {

class PluginLazySettingsPanel : public wxPanel, public ILazyLoadablePanel {
 public:
  PluginLazySettingsPanel(wxWindow* parent, const wxString& title, SettingsPageFactory factory);

  // Builds the page once; a factory that fails is not tried again.
  void EnsureLoaded() override;
  bool IsLoaded() const override { return loaded_; }
  // The built page, null before loading or when the factory failed.
  wxWindow* GetContent() const { return content_; }

 private:
  wxString title_;
  SettingsPageFactory factory_;
  wxWindow* content_ = nullptr;
  bool loaded_ = false;
};

}  // namespace veldrix
