// The fixed permission keys the program and the plug-in host test before they open an
// area, with their labels and groups for the role editor.
#pragma once

#include "auth/iauth_service.h"

#include <vector>

// The ten permissions in display order, built anew (and translated) on every call.
std::vector<AuthPermission> BuildPermissionCatalogue();
