#include "danefirmy/company_application.h"

#include <wx/config.h>

const char kWorkingCompanyKey[] = "/veldrix/id_firmy";
const char kWorkingCompanyLegacyKey[] = "/VezoveVador/id_firmy";

bool StoreWorkingCompany(wxConfigBase* config, const wxString& id) {
  if (!config) return false;
  const bool written = config->Write(kWorkingCompanyKey, id) && config->Write(kWorkingCompanyLegacyKey, id);
  return config->Flush(true) && written;
}
