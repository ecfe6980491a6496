// What the module host needs of the running application: the active connection
// string and the working company. The application installs its implementation
// at start-up; until then (tests, tools) there is no connection and no company.
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

// The installed application, or null.
IHostApplication* HostApplication();
void InstallHostApplication(IHostApplication* application);

// The working company id read as a base-10 number at the start of the text
// (leading blanks and a sign allowed); 0 when it is not above 0 or unreadable.
long WorkingCompanyId();

}  // namespace veldrix
