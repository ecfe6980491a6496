// The settings tab's own pages whose content is built on first selection: a
// placeholder that turns into the page a SettingsPageFactory builds, and the plain
// category pages of the tree's top nodes.
#pragma once

#include "app/common/lazy_loadable_panel.h"

#include <wx/panel.h>

class wxBoxSizer;

class LazySettingsPagePanel : public wxPanel, public veldrix::ILazyLoadablePanel {
 public:
  LazySettingsPagePanel(wxWindow* parent, const wxString& title, const veldrix::SettingsPageFactory& factory);

  // Replaces the placeholder by the factory's page, or by the error text when the
  // factory is empty or returns null. Runs once: a failed page is not tried again.
  void EnsureLoaded() override;
  bool IsLoaded() const override { return loaded_; }

  const wxString& GetTitle() const { return title_; }
  // The built page; null before loading or after a failure.
  wxWindow* GetContent() const { return content_; }

 private:
  void ShowPlaceholder();
  void ShowError();

  wxString title_;
  veldrix::SettingsPageFactory factory_;
  wxBoxSizer* sizer_;
  wxWindow* content_ = nullptr;
  bool loaded_ = false;
};

// A page holding only the page header with the title.
wxPanel* CreateSettingsCategoryPage(wxWindow* parent, const wxString& title);
