// Bringing a catalogue entry's package into the modules folder: downloaded under
// a temporary name, checked against the catalogue's size and SHA-256, and only
// then staged for the next start. The store tab's install and update use it.
#pragma once

#include "store/store_catalogue.h"
#include "store/store_client.h"

#include <wx/string.h>

namespace veldrix {

// True when the package is staged as {root}/.pending/{code}. The temporary file
// (in the system temporary folder, prefix "veldrix-module-") is gone afterwards
// whatever the outcome, a cancelled download included; the next download removes
// the one a killed process left.
bool DownloadAndStagePackage(const wxString& modulesFolder, const StoreModuleEntry& entry, wxString* error,
                             const StoreProgress& progress = StoreProgress());

}  // namespace veldrix
