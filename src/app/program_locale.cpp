#include "app/program_locale.h"

#include <wx/intl.h>
#include <wx/translation.h>

#include <cstdio>

bool SetUpPolishLocale(wxLocale& locale) {
  if (!wxLocale::IsAvailable(wxLANGUAGE_POLISH)) {
    std::fputs("The selected language is not supported by your system.\n", stdout);
    std::fputs("Try installing support for this language.\n", stdout);
    return false;
  }
  locale.Init(wxLANGUAGE_POLISH, wxLOCALE_DONT_LOAD_DEFAULT);
  wxLocale::AddCatalogLookupPathPrefix("./langs");
  locale.AddCatalog("Veldrix");
  // "wxstd-3.2" from the system's locale folder (Debian's wx3.2-i18n).
  if (wxTranslations* translations = wxTranslations::Get()) translations->AddStdCatalog();
  if (!locale.IsOk()) std::fputs("selected language is wrong\n", stderr);
  return true;
}
