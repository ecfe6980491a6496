#include "danefirmy/company_application.h"

#include "app/common/config_access.h"

#include <wx/config.h>

#include <mutex>

const char kWorkingCompanyKey[] = "/veldrix/id_firmy";
const char kWorkingCompanyLegacyKey[] = "/VezoveVador/id_firmy";

bool StoreWorkingCompany(wxConfigBase* config, const wxString& id, wxString* error) {
  std::lock_guard<std::recursive_mutex> guard(veldrix::ConfigLock());
  if (config) {
    config->Write(kWorkingCompanyKey, id);
    config->Write(kWorkingCompanyLegacyKey, id);
  }
  return veldrix::FlushConfig(config, error);
}
