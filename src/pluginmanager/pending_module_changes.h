// Carries out the module store's staged removals and installs at start-up, before
// any module library is loaded. Called by PluginManager::LoadModules.
#pragma once

#include <wx/string.h>

namespace veldrix {

// Removals first, then installs and updates (the replaced folder goes to
// .backup/{code}-{YYYYmmdd-HHMMSS}); an update of a module whose library this
// process has loaded waits for a new start of the program. True when every module
// was handled; otherwise `report` holds one line per module not handled, and that
// module's staged change stays for the next start.
bool ApplyPendingModuleChanges(const wxString& root, wxString* report);

}  // namespace veldrix
