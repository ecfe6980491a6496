// The small modal dialog in which an administrator types a user name and password
// to unlock administrator mode of the database configuration dialog. The caller
// reads both fields after ShowModal and checks them itself.
#pragma once

#include <wx/dialog.h>

class wxTextCtrl;

class AdministratorAuthorizationDialog : public wxDialog {
 public:
  explicit AdministratorAuthorizationDialog(wxWindow* parent);

  // The user name trimmed; the password exactly as typed.
  wxString GetUserName() const;
  wxString GetPassword() const;

 private:
  wxTextCtrl* userField_ = nullptr;
  wxTextCtrl* passwordField_ = nullptr;
};
