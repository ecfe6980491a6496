// The permission test of the logged-in user as layers below the application shell
// reach it (the module host's permission service): the main window installs its
// VeldrixFrame::HasPermission here while it lives.
#pragma once

#include <wx/string.h>

#include <functional>

namespace veldrix {

using PermissionCheck = std::function<bool(const wxString& key)>;

// An empty check uninstalls.
void InstallPermissionCheck(PermissionCheck check);

// The installed check's answer; false when none is installed (nobody logged in).
bool CurrentUserHasPermission(const wxString& key);

}  // namespace veldrix
