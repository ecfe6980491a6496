// The first-administrator dialog of a program database without users.
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "auth/auth_service.h"
#include "authdialogs/auth_dialogs.h"

#include <wx/dialog.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

namespace {

wxTextCtrl* FindText(wxDialog* dialog, const char* name) {
  return dynamic_cast<wxTextCtrl*>(dialog->FindWindow(XRCID(name)));
}

}  // namespace

bool ShowAuthSetupDialog(wxWindow* parent, AuthService* service) {
  wxDialog* dialog = LoadAuthDialog(parent, "auth_setup.xrc", "AuthSetupDialog");
  wxTextCtrl* username = dialog ? FindText(dialog, "AuthSetupUsername") : nullptr;
  wxTextCtrl* displayName = dialog ? FindText(dialog, "AuthSetupDisplayName") : nullptr;
  wxTextCtrl* password = dialog ? FindText(dialog, "AuthSetupPassword") : nullptr;
  wxTextCtrl* confirmation = dialog ? FindText(dialog, "AuthSetupPasswordConfirm") : nullptr;
  // A layout without its four fields cannot create anyone: treated like a missing one.
  if (!username || !displayName || !password || !confirmation) {
    if (dialog) dialog->Destroy();
    veldrix::ShowMessageBox(_("Nie można załadować okna tworzenia administratora."), _("Błąd zabezpieczeń"),
                            wxOK | wxICON_ERROR, parent);
    return false;
  }

  bool created = false;
  while (dialog->ShowModal() == wxID_OK) {
    if (password->GetValue() != confirmation->GetValue()) {
      veldrix::ShowMessageBox(_("Podane hasła nie są takie same."), _("Administrator"), wxOK | wxICON_EXCLAMATION,
                              dialog);
      continue;
    }
    wxString error;
    bool ok = false;
    if (!service) {
      error = _("Brak połączenia z bazą danych.");
    } else if (service->HasUsers(nullptr)) {
      error = _("Administrator zostal juz utworzony.");
    } else {
      AuthUser user;
      user.username = username->GetValue();
      user.display_name = displayName->GetValue();
      user.is_admin = true;
      user.is_active = true;
      user.version = 0;
      ok = service->CreateUser(user, password->GetValue(), &error);
    }
    if (ok) {
      created = true;
      break;
    }
    veldrix::ShowMessageBox(error, _("Administrator"), wxOK | wxICON_ERROR, dialog);
  }
  dialog->Destroy();
  return created;
}
