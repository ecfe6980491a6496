#include "dbsetup/administrator_authorization_dialog.h"

#include "app/common/i18n.h"
#include "app/common/window_placement.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

AdministratorAuthorizationDialog::AdministratorAuthorizationDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, _("Wymagana autoryzacja administratora"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE, "AdministratorAuthorizationDialog") {
  auto* column = new wxBoxSizer(wxVERTICAL);
  auto* grid = new wxFlexGridSizer(2, 8, 10);
  grid->AddGrowableCol(1, 1);
  grid->Add(new wxStaticText(this, wxID_ANY, _("Użytkownik:")), 0, wxALIGN_CENTER_VERTICAL);
  userField_ = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                              "userField");
  grid->Add(userField_, 0, wxEXPAND);
  grid->Add(new wxStaticText(this, wxID_ANY, _("Hasło:")), 0, wxALIGN_CENTER_VERTICAL);
  passwordField_ = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxSize(260, -1), wxTE_PASSWORD,
                                  wxDefaultValidator, "passwordField");
  grid->Add(passwordField_, 0, wxEXPAND);
  column->Add(grid, 1, wxEXPAND | wxALL, 14);
  column->Add(CreateSeparatedButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 14);
  SetSizerAndFit(column);
  CentreOnParent(wxBOTH);
  veldrix::KeepPositionOnFirstShow(this);
  userField_->SetFocus();
}

wxString AdministratorAuthorizationDialog::GetUserName() const {
  wxString name = userField_->GetValue();
  name.Trim(true).Trim(false);
  return name;
}

wxString AdministratorAuthorizationDialog::GetPassword() const { return passwordField_->GetValue(); }
