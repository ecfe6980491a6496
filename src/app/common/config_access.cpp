#include "app/common/config_access.h"

#include <wx/config.h>

namespace veldrix {

std::recursive_mutex& ConfigLock() {
  static std::recursive_mutex lock;
  return lock;
}

ConfigAccess::ConfigAccess() : guard_(ConfigLock()), config_(wxConfigBase::Get(false)) {}

wxConfigBase* InstallConfig(wxConfigBase* config) {
  std::lock_guard<std::recursive_mutex> guard(ConfigLock());
  wxConfigBase::DontCreateOnDemand();
  return wxConfigBase::Set(config);
}

}  // namespace veldrix
