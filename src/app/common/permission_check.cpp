#include "app/common/permission_check.h"

#include <mutex>

namespace veldrix {
namespace {

std::mutex g_lock;
PermissionCheck g_check;

}  // namespace

void InstallPermissionCheck(PermissionCheck check) {
  std::lock_guard<std::mutex> lock(g_lock);
  g_check = std::move(check);
}

bool CurrentUserHasPermission(const wxString& key) {
  PermissionCheck check;
  {
    std::lock_guard<std::mutex> lock(g_lock);
    check = g_check;
  }
  return check && check(key);
}

}  // namespace veldrix
