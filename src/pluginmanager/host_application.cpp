#include "pluginmanager/host_application.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

namespace veldrix {
namespace {
std::atomic<IHostApplication*> installed{nullptr};
}  // namespace

IHostApplication* HostApplication() { return installed.load(); }

void InstallHostApplication(IHostApplication* application) { installed.store(application); }

long WorkingCompanyId() {
  IHostApplication* app = HostApplication();
  if (!app) return 0;
  const wxString id = app->GetWorkingCompanyId();
  const wxScopedCharBuffer text = id.utf8_str();
  errno = 0;
  const long value = std::strtol(text.data(), nullptr, 10);
  if (errno == ERANGE || value <= 0 || value > INT_MAX) return 0;
  return value;
}

}  // namespace veldrix
