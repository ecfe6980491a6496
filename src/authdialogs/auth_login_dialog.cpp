// The login dialog: user name and password, the choice of saved program databases,
// the database button, and the end of the program after five failed attempts.
#include "app/common/config_access.h"
#include "app/common/delayed_loading_bar.h"
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "auth/auth_service.h"
#include "authdialogs/auth_dialogs.h"

#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/config.h>
#include <wx/dialog.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/utils.h>
#include <wx/xrc/xmlres.h>

namespace {

const char kLastLoginKey[] = "/Security/Login/LastUsername";

// Everything one call of ShowAuthLoginDialog shares with its handlers; it lives on
// that call's stack, which outlives the dialog.
struct LoginState {
  wxDialog* dialog = nullptr;
  AuthService* service = nullptr;
  wxComboBox* selector = nullptr;
  wxTextCtrl* username = nullptr;
  wxTextCtrl* password = nullptr;
  wxStaticText* errorLabel = nullptr;
  veldrix::DelayedLoadingBar* loadingBar = nullptr;
  ConnectionSwitchCallback onSwitch;
  LoginAllowedCallback onAllowed;
  int attempts = 0;
  int result = kAuthLoginNone;
  int previousIndex = 0;
};

void ShowErrorAndRetypePassword(LoginState& state, const wxString& text) {
  SetAuthErrorText(state.errorLabel, text);
  state.password->Clear();
  state.password->SetFocus();
  state.dialog->Layout();
}

void OnLoginSubmit(LoginState& state) {
  SetAuthErrorText(state.errorLabel, wxString());
  state.dialog->Layout();
  if (!state.loadingBar->IsBusy()) state.loadingBar->Start();

  wxString error;
  const bool loggedIn = state.service && state.service->Login(state.username->GetValue(), state.password->GetValue(),
                                                              &error);
  state.loadingBar->Stop();
  if (!loggedIn) {
    if (!state.service) error = _("Brak połączenia z bazą danych.");
    ++state.attempts;
    ShowErrorAndRetypePassword(state, error);
    if (state.attempts >= kAuthMaxLoginAttempts) {
      veldrix::ShowMessageBox(_("Przekroczono liczbę prób logowania. Program zostanie zamknięty."), _("Logowanie"),
                              wxOK | wxICON_ERROR, state.dialog);
      state.dialog->EndModal(wxID_CANCEL);
    }
    return;
  }

  wxString message;
  if (state.onAllowed && !state.onAllowed(state.dialog, &message)) {
    // A refusal after a correct password is no failed attempt.
    ShowErrorAndRetypePassword(state, message);
    return;
  }
  // The name as the database stores it, not as typed. Not remembering it costs
  // the user only typing it next time, which the box tells.
  if (!WriteLastLoginName(state.service->currentUser.username, &error)) {
    veldrix::ShowMessageBox(error, _("Logowanie"), wxOK | wxICON_ERROR, state.dialog);
  }
  state.result = kAuthLoginDone;
  state.dialog->EndModal(wxID_OK);
}

void OnLoginDatabaseChanged(LoginState& state) {
  const int selection = state.selector->GetSelection();
  if (selection == wxNOT_FOUND || selection == state.previousIndex) return;

  state.loadingBar->Start();
  SetAuthErrorText(state.errorLabel, wxString());
  state.dialog->Layout();
  wxYieldIfNeeded();

  wxString error;
  bool switched = false;
  if (state.onSwitch && state.onSwitch(selection, &error) && state.service && state.service->CheckDatabase(&error)) {
    wxString usersError;
    if (state.service->HasUsers(&usersError)) {
      switched = true;
    } else if (!usersError.empty()) {
      error = usersError;
    } else if (ShowAuthSetupDialog(state.dialog, state.service)) {
      switched = true;
    } else {
      error = _("Nie zmieniono bazy, ponieważ nie utworzono administratora.");
    }
  }

  if (switched) {
    state.previousIndex = selection;
    state.password->Clear();
    state.password->SetFocus();
    SetAuthErrorText(state.errorLabel, wxString());
  } else {
    wxString restoreError;
    if (state.onSwitch && !state.onSwitch(state.previousIndex, &restoreError) && restoreError.empty()) {
      restoreError = _("Nie udało się przełączyć bazy programu.");
    }
    state.selector->SetSelection(state.previousIndex);
    if (!restoreError.empty()) {
      error += "\n" + _("Nie udało się przywrócić poprzedniego połączenia: ") + restoreError;
    }
    if (error.empty()) error = _("Nie udało się przełączyć bazy programu.");
    SetAuthErrorText(state.errorLabel, error);
  }
  state.loadingBar->Stop();
  state.dialog->Layout();
}

}  // namespace

wxString ReadLastLoginName() {
  veldrix::ConfigAccess config;
  return config ? config->Read(kLastLoginKey, wxString()) : wxString();
}

bool WriteLastLoginName(const wxString& username, wxString* error) {
  const wxString name = wxString(username).Trim(true).Trim(false);
  veldrix::ConfigAccess config;
  // The same name again changes nothing in the file.
  if (name.empty() || (config && config->Read(kLastLoginKey, wxString()) == name)) return true;
  if (config) config->Write(kLastLoginKey, name);
  return veldrix::FlushConfig(config.get(), error);
}

AuthLoginResult ShowAuthLoginDialog(wxWindow* parent, AuthService* service, const wxArrayString& savedConnectionNames,
                                    int activeIndex, LoginDatabaseRequest* request,
                                    ConnectionSwitchCallback onSwitch, LoginAllowedCallback onAllowed) {
  if (request) *request = LoginDatabaseRequest{};

  LoginState state;
  state.dialog = LoadAuthDialog(parent, "auth_login.xrc", "AuthLoginDialog");
  if (state.dialog) {
    state.username = dynamic_cast<wxTextCtrl*>(state.dialog->FindWindow(XRCID("AuthLoginUsername")));
    state.password = dynamic_cast<wxTextCtrl*>(state.dialog->FindWindow(XRCID("AuthLoginPassword")));
  }
  // The two text fields are what the dialog is for; without them it is as good as missing.
  if (!state.username || !state.password) {
    if (state.dialog) state.dialog->Destroy();
    veldrix::ShowMessageBox(_("Nie można załadować okna logowania."), _("Błąd zabezpieczeń"), wxOK | wxICON_ERROR,
                            parent);
    return kAuthLoginNone;
  }
  wxDialog* dialog = state.dialog;
  state.service = service;
  state.selector = dynamic_cast<wxComboBox*>(dialog->FindWindow(XRCID("AuthLoginDatabaseChoice")));
  auto* databaseButton = dynamic_cast<wxButton*>(dialog->FindWindow(XRCID("AuthLoginDatabaseButton")));
  state.errorLabel = dynamic_cast<wxStaticText*>(dialog->FindWindow(XRCID("AuthLoginError")));
  state.onSwitch = std::move(onSwitch);
  state.onAllowed = std::move(onAllowed);
  SetAuthErrorText(state.errorLabel, wxString());
  state.loadingBar = new veldrix::DelayedLoadingBar(dialog);

  const int count = static_cast<int>(savedConnectionNames.size());
  const bool activeValid = activeIndex >= 0 && activeIndex < count;
  if (state.selector) {
    state.selector->Clear();
    if (count == 0) {
      state.selector->Append(_("Bieżąca baza programu"));
      state.selector->SetSelection(0);
    } else {
      for (const wxString& name : savedConnectionNames) state.selector->Append(name);
      state.selector->SetSelection(activeValid ? activeIndex : 0);
    }
  }
  state.previousIndex = activeValid ? activeIndex : 0;

  const wxString lastName = ReadLastLoginName();
  wxTextCtrl* focusTarget = state.username;
  if (!lastName.empty()) {
    state.username->ChangeValue(lastName);
    focusTarget = state.password;
  }
  // Focus set now would be lost when the dialog is shown.
  dialog->CallAfter([focusTarget] { focusTarget->SetFocus(); });

  // None of the handlers skips its event: the dialog's own OK handling would end it.
  dialog->Bind(wxEVT_BUTTON, [&state](wxCommandEvent&) { OnLoginSubmit(state); }, wxID_OK);
  if (state.selector) {
    state.selector->Bind(wxEVT_COMBOBOX, [&state](wxCommandEvent&) { OnLoginDatabaseChanged(state); });
  }
  if (databaseButton) {
    databaseButton->Bind(wxEVT_BUTTON, [dialog](wxCommandEvent&) { dialog->EndModal(kAuthLoginDatabaseButtonCode); });
  }

  while (state.attempts < kAuthMaxLoginAttempts) {
    const int code = dialog->ShowModal();
    if (code == kAuthLoginDatabaseButtonCode) {
      if (request) {
        request->openConfiguration = true;
        request->index = -1;
      }
      state.result = kAuthLoginConfiguration;
      break;
    }
    if (code != wxID_OK || state.result == kAuthLoginDone) break;
  }
  dialog->Destroy();
  return static_cast<AuthLoginResult>(state.result);
}
