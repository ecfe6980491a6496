#include "auth/permission_catalogue.h"

#include "app/common/i18n.h"

std::vector<AuthPermission> BuildPermissionCatalogue() {
  const wxString modules = _("Moduły");
  const wxString administration = _("Administracja");
  return {
      {"artykuly.view", _("Artykuły"), modules},
      {"kontrahenci.view", _("Kontrahenci"), modules},
      {"faktury.view", _("Faktury i dokumenty handlowe"), modules},
      {"ksef.view", _("KSeF"), modules},
      {"kpir.view", _("KPiR"), modules},
      {"jpk_vat.view", _("JPK_VAT"), modules},
      {"firma.manage", _("Dane firmy"), administration},
      {"settings.view", _("Ustawienia programu"), administration},
      {"users.manage", _("Użytkownicy"), administration},
      {"permissions.manage", _("Role i uprawnienia"), administration},
  };
}
