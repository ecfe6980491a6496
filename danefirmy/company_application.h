// What the company screens need of the application around them: the active
// connection, the working company, the main window's tool bar and tab closing, the
// configuration, and the modules' announcement of a new company. The application
// shell implements these, so the company code does not depend on it.
#pragma once

#include <wx/string.h>

class wxConfigBase;

// Told about every company a save has just created (the module host answers it).
class ICompanyEvents {
 public:
  virtual ~ICompanyEvents() = default;
  // False when some receiver failed; *error then holds one line per failure.
  virtual bool NotifyCompanyCreated(int companyId, wxString* error) = 0;
};

class ICompanyApplication {
 public:
  virtual ~ICompanyApplication() = default;

  // The connection string every company screen opens its own SQLData on.
  virtual wxString GetActiveConnection() = 0;
  // The working company's id as decimal text, "0" when there is none.
  virtual wxString GetWorkingCompanyId() = 0;
  virtual void SetWorkingCompanyId(const wxString& id) = 0;
  // Makes the company the working one as the application's own switch does, once
  // the caller's handler has returned: every tab but the start page closes first,
  // after its questions, and a tab that stays changes nothing.
  virtual void SwitchWorkingCompany(const wxString& id) = 0;
  // The application's configuration; null when it has none.
  virtual wxConfigBase* GetConfig() = 0;
  // Enables or disables every tool of the main tool bar; openCompanyPage also
  // opens the company tab.
  virtual void EnableToolbar(bool enable, bool openCompanyPage) = 0;
  // Closes the selected tab once the handler that asks has returned.
  virtual void RequestTabClose() = 0;
  // The receiver of new-company announcements; null while no modules are loaded.
  virtual ICompanyEvents* GetCompanyEvents() = 0;
};

// The configuration keys that hold the working company; both are written together.
extern const char kWorkingCompanyKey[];        // "/veldrix/id_firmy"
extern const char kWorkingCompanyLegacyKey[];  // "/VezoveVador/id_firmy"

// Writes the id under both working-company keys and flushes the configuration;
// false, with the reason for the user, when the file did not take it.
bool StoreWorkingCompany(wxConfigBase* config, const wxString& id, wxString* error = nullptr);
