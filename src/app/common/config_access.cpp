#include "app/common/config_access.h"

#include "app/common/i18n.h"
#include "app/common/shared_config_file.h"

#include <wx/config.h>

namespace veldrix {
namespace {

// Accesses held at once, all on the thread holding the lock.
int g_depth = 0;

}  // namespace

std::recursive_mutex& ConfigLock() {
  static std::recursive_mutex lock;
  return lock;
}

ConfigAccess::ConfigAccess() : guard_(ConfigLock()), config_(wxConfigBase::Get(false)) {
  // Only the outermost: an enclosing access may be in the middle of reading.
  if (g_depth++ == 0) {
    if (auto* shared = dynamic_cast<SharedConfigFile*>(config_)) shared->Refresh();
  }
}

ConfigAccess::~ConfigAccess() { --g_depth; }

wxConfigBase* InstallConfig(wxConfigBase* config) {
  std::lock_guard<std::recursive_mutex> guard(ConfigLock());
  wxConfigBase::DontCreateOnDemand();
  return wxConfigBase::Set(config);
}

bool FlushConfig(wxConfigBase* config, wxString* error) {
  wxString reason;
  if (!config) {
    reason = _("Brak konfiguracji programu.");
  } else if (config->Flush()) {
    return true;
  } else if (auto* shared = dynamic_cast<SharedConfigFile*>(config)) {
    reason = shared->FlushError();
    shared->DiscardChanges();
  }
  if (error) {
    *error = _("Nie udało się zapisać ustawień programu.");
    if (!reason.empty()) *error += "\n" + reason;
  }
  return false;
}

}  // namespace veldrix
