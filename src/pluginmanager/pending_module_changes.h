// Carries out the module store's staged removals and installs at start-up, before
// any module library is loaded. Called by PluginManager::LoadModules.
#pragma once

#include <wx/string.h>

namespace veldrix {

// Removals first, then installs and updates (the replaced folder goes to
// .backup/{code}-{YYYYmmdd-HHMMSS}). True when no change failed; otherwise `report`
// holds one line per module whose change failed, and that change stays for the
// next start. An update of a module whose library this process has loaded is no
// failure: it waits for a new start of the program, and a line saying so is added
// to `postponed`. All of it is done under the ".pending" folder's FolderLock:
// while another copy of the program holds it everything waits, unreported; a lock
// that cannot be taken at all is one line of `report`.
bool ApplyPendingModuleChanges(const wxString& root, wxString* report, wxString* postponed = nullptr);

}  // namespace veldrix
