// What the settings tab asks of the main window (ISettingsApplication) beyond what
// the company tab asks too: the default database and the pages of the module host
// and of the user and role modules in the settings tree.
#include "app/application_state.h"
#include "app/veldrix_frame.h"
#include "pluginmanager/plugin_manager.h"

wxString VeldrixFrame::DefaultSqliteConnection() { return AppState().DefaultSqliteConnection(); }

// The module host adds no settings pages yet, and the user and role pages come
// from modules it cannot create pages of: the tree holds the program's own pages.
void VeldrixFrame::AddSettingsPages(wxBookCtrlBase* tree, wxWindow* ledgerPage, int imageIndex) {}
