#include "app/application_state.h"

#include <atomic>

wxString ApplicationState::GetWorkingCompanyId() const {
  std::lock_guard<std::mutex> guard(companyLock_);
  return workingCompanyId_;
}

void ApplicationState::SetWorkingCompanyId(const wxString& id) {
  std::lock_guard<std::mutex> guard(companyLock_);
  workingCompanyId_ = id;
}

namespace {
std::atomic<ApplicationState*> g_installed{nullptr};
}

ApplicationState& AppState() {
  if (ApplicationState* installed = g_installed.load()) return *installed;
  static ApplicationState fallback;
  return fallback;
}

void InstallAppState(ApplicationState* state) { g_installed.store(state); }
