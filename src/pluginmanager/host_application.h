// What the module host needs of the running application: the active connection
// string and the working company (installed at start-up; until then, in tests and
// tools, there is no connection and no company), and of the main window: the
// permission test and the openers of the business-area tabs.
#pragma once

#include <wx/string.h>

namespace veldrix {

// Called from the GUI thread and from module worker threads: implementations
// must be safe to call concurrently.
class IHostApplication {
 public:
  virtual ~IHostApplication() = default;
  // The connection string every module session opens (password put back).
  virtual wxString GetActiveConnection() const = 0;
  // The working company id as decimal text, "0" when no company is chosen.
  virtual wxString GetWorkingCompanyId() const = 0;
};

// The main window as the module host sees it. The host finds it on the window it
// was given by dynamic cast; a window without it has no permissions and no openers,
// and its tools are always on. GUI thread only.
class IModuleHostWindow {
 public:
  virtual ~IModuleHostWindow() = default;
  // False without a logged-in user; true for an administrator; else by role.
  virtual bool HasPermission(const wxString& key) const = 0;
  // False while the main window keeps its tools greyed (no working company): a
  // module switched on then leaves its tool greyed too.
  virtual bool AreToolsEnabled() const = 0;
  // The openers check the area permission and show their own messages.
  virtual void OpenInvoiceListPage() = 0;
  virtual void OpenNewInvoicePage(wxString documentId, wxString extra) = 0;
  virtual void OpenArticlesPage() = 0;
  virtual void OpenContractorsPage() = 0;
  virtual void OpenKpirPage() = 0;
  virtual void OpenJpkVatPage() = 0;
};

// The installed application, or null.
IHostApplication* HostApplication();
void InstallHostApplication(IHostApplication* application);

// The working company id read as a base-10 number at the start of the text
// (leading blanks and a sign allowed); 0 when it is not above 0 or unreadable.
long WorkingCompanyId();

}  // namespace veldrix
