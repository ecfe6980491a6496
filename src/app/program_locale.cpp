#include "app/program_locale.h"

#include "app/common/i18n.h"

#include <wx/intl.h>
#include <wx/propgrid/propgrid.h>
#include <wx/translation.h>

#include <cstdio>

namespace {

void LoadCatalogues(wxLocale& locale) {
  locale.Init(wxLANGUAGE_POLISH, wxLOCALE_DONT_LOAD_DEFAULT);
  wxLocale::AddCatalogLookupPathPrefix("./langs");
  locale.AddCatalog("Veldrix");
  // "wxstd-3.2" from the system's locale folder (Debian's wx3.2-i18n).
  if (wxTranslations* translations = wxTranslations::Get()) translations->AddStdCatalog();
  if (!locale.IsOk()) std::fputs("selected language is wrong\n", stderr);
}

}  // namespace

bool SetUpPolishLocale(wxLocale& locale) {
  const bool available = wxLocale::IsAvailable(wxLANGUAGE_POLISH);
  if (available) {
    LoadCatalogues(locale);
  } else {
    std::fputs("The selected language is not supported by your system.\n", stdout);
    std::fputs("Try installing support for this language.\n", stdout);
  }
  // The library's "True" and "False" serve every property grid in the process, the
  // modules' too, and no catalogue of its own translates them.
  wxPropertyGrid::SetBoolChoices(_("Tak"), _("Nie"));
  return available;
}
