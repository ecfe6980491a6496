// The application menu: a borderless pop-up under the main window's menu tool with
// the working company (and its switch), "Ustawienia", "Dane firmy", the about box,
// logout and closing the program. The main window makes one after every login,
// shows it from the menu tool and destroys it at logout. GUI thread only.
#pragma once

#include "appmenu/app_menu_host.h"

#include <wx/event.h>
#include <wx/gdicmn.h>
#include <wx/popupwin.h>

#include <memory>

class wxButton;
class wxGradientButton;
class wxMenu;
class wxPanel;

class AppMenu : public wxPopupTransientWindow {
 public:
  // At most this many companies are offered in the company menu.
  static constexpr int kCompanyMenuSize = 256;

  // host may be null: then every operation does nothing.
  explicit AppMenu(std::unique_ptr<IAppMenuHost> host);
  ~AppMenu() override;

  // Refreshes the company button, then shows the pop-up; the focus window is ignored.
  void Popup(wxWindow* focus = nullptr) override;
  // Notes a click on the menu tool (it closes the pop-up without reopening it); the
  // base class then dismisses the pop-up for any click outside it.
  bool ProcessLeftDown(wxMouseEvent& event) override;
  void Dismiss() override;

  // Re-reads the companies and shows the working one.
  void RefreshCompanyButton();
  void UpdateCompanyLabel();

  // The menu tool's rectangle in screen coordinates, where a click that closes the
  // pop-up must not open it again.
  void SetToolRect(const wxRect& screenRect) { toolRect_ = screenRect; }
  bool IsShownAsMenu() const { return shown_; }
  // Read and cleared by the main window before it opens the menu.
  bool TakeToolClickDismissed();

  wxButton* GetCompanyButton() const { return companyButton_; }
  wxGradientButton* GetSettingsButton() const { return settingsButton_; }
  wxGradientButton* GetCompanyDataButton() const { return companyDataButton_; }
  wxGradientButton* GetAboutButton() const { return aboutButton_; }
  wxGradientButton* GetLogoutButton() const { return logoutButton_; }
  wxGradientButton* GetPowerButton() const { return powerButton_; }
  // The id of company item `index` of the company menu.
  static int CompanyMenuId(int index);
  // The company menu the company button drops down.
  std::unique_ptr<wxMenu> MakeCompanyMenu() const;

 protected:
  void OnDismiss() override;

 private:
  void OnCompanyMenu(wxCommandEvent& event);
  void OnSettings(wxCommandEvent& event);
  void OnCompanyData(wxCommandEvent& event);
  void OnAbout(wxCommandEvent& event);
  void OnLogout(wxCommandEvent& event);
  void OnPower(wxCommandEvent& event);
  void OnCompanyChosen(wxCommandEvent& event);
  void OnCharHook(wxKeyEvent& event);

  std::unique_ptr<IAppMenuHost> host_;
  bool shown_ = false;
  bool toolClickDismissed_ = false;
  wxRect toolRect_;
  wxButton* companyButton_ = nullptr;
  wxGradientButton* companyDataButton_ = nullptr;
  wxPanel* panel_ = nullptr;
  wxGradientButton* settingsButton_ = nullptr;
  wxGradientButton* logoutButton_ = nullptr;
  wxGradientButton* powerButton_ = nullptr;
  wxGradientButton* aboutButton_ = nullptr;
};
