// What the application menu asks of the main window: the company list and the
// switch, the tabs it opens, the about box, logging out and closing. The main
// window supplies one; the menu owns it.
#pragma once

#include <wx/string.h>

#include <cstddef>

class wxWindow;

class IAppMenuHost {
 public:
  virtual ~IAppMenuHost() = default;

  // The window the menu drops from; its parent.
  virtual wxWindow* GetMainWindow() = 0;
  // Reads the company list from the database again.
  virtual void LoadCompanyList() = 0;
  virtual std::size_t GetCompanyCount() const = 0;
  virtual wxString GetCompanyName(unsigned index) const = 0;
  // -1 when the working company is not in the list.
  virtual int FindCurrentCompanyIndex() const = 0;
  // False when a tab refused to close; nothing changed then.
  virtual bool SwitchCompany(unsigned index) = 0;
  virtual void OpenSettingsPage() = 0;
  virtual void OpenCompanyDataPage() = 0;
  virtual void ShowAboutDialog() = 0;
  // Logs out once the caller has returned (the menu is destroyed by the logout).
  virtual void RequestLogout() = 0;
  // An ordinary close request of the main window.
  virtual void RequestClose() = 0;
};
