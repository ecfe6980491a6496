// What the settings tab and its pages need of the main window: the active
// connection and the working company, the database connection dialog, the pages
// the main window and the module host add to the tree, closing the tab, and the
// module host itself. The application shell implements it, so the settings code
// does not depend on the shell.
#pragma once

#include <wx/string.h>

class wxBookCtrlBase;
class wxWindow;
namespace veldrix {
class PluginManager;
}

class ISettingsApplication {
 public:
  virtual ~ISettingsApplication() = default;

  // The connection string every settings page opens its own SQLData on.
  virtual wxString GetActiveConnection() = 0;
  // The default SQLite file as a canonical connection string.
  virtual wxString DefaultSqliteConnection() = 0;
  // The working company's id as decimal text, "0" when there is none; read afresh
  // for every statement of a company-scoped dictionary.
  virtual wxString GetWorkingCompanyId() = 0;
  // Closes the selected tab once the handler that asks has returned.
  virtual void RequestTabClose() = 0;
  // Shows the shared database connection dialog modally; true when the user saved
  // the connection configuration in it.
  virtual bool ShowDatabaseConfigDialog() = 0;
  // Adds the pages of the module host and the users and roles pages of their
  // modules to the tree. `ledgerPage` goes under the ledger module's node when
  // there is one, with `imageIndex`; otherwise it stays unplaced. The tree's image
  // list is assigned before the call.
  virtual void AddSettingsPages(wxBookCtrlBase* tree, wxWindow* ledgerPage, int imageIndex) = 0;
  // The module host; null before modules are loaded.
  virtual veldrix::PluginManager* GetPluginManager() const = 0;
};
