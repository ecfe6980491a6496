// What the settings tab asks of the main window (ISettingsApplication) beyond what
// the company tab asks too: the default database and the pages of the module host
// and of the user and role modules in the settings tree.
#include "app/application_state.h"
#include "app/common/i18n.h"
#include "app/veldrix_frame.h"
#include "auth/auth_service.h"
#include "pluginmanager/plugin_manager.h"

#include <wx/artprov.h>
#include <wx/bookctrl.h>
#include <wx/imaglist.h>

wxString VeldrixFrame::DefaultSqliteConnection() { return AppState().DefaultSqliteConnection(); }

// The module host's entries first; then the user and role pages of their modules,
// which reach the user service through the page context.
void VeldrixFrame::AddSettingsPages(wxBookCtrlBase* tree, wxWindow* ledgerPage, int imageIndex) {
  if (pluginManager_) pluginManager_->AddSettingsPages(tree, ledgerPage, imageIndex);
  if (!tree || !pluginManager_ || !authService_) return;
  PluginPageContext context{};
  context.authService = authService_;
  const struct {
    const char* permission;
    const char* module;
    const char* pageKey;
    const char* caption;
  } pages[] = {{"users.manage", "uzytkownicy", "uzytkownicy.ustawienia", "Użytkownicy"},
               {"permissions.manage", "uprawnienia", "uprawnienia.ustawienia", "Role i uprawnienia"}};
  for (const auto& entry : pages) {
    if (!HasPermission(entry.permission) || !pluginManager_->IsModuleActive(entry.module)) continue;
    wxWindow* page = pluginManager_->CreateModulePage(entry.module, tree, entry.pageKey, wxString(), &context);
    if (!page) return;
    tree->AddPage(page, _(entry.caption), false);
    if (wxImageList* images = tree->GetImageList()) {
      const int image = images->Add(wxArtProvider::GetBitmap(wxART_TIP, wxART_OTHER, wxSize(16, 16)));
      tree->SetPageImage(static_cast<size_t>(tree->FindPage(page)), image);
    }
  }
}
