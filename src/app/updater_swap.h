// The start-up swap of the updater: a newly downloaded "_aktualizacja" beside the
// executable replaces "aktualizacja" before anything could start the old one.
#pragma once

#include <wx/string.h>

// When "_aktualizacja" exists in the folder, removes "aktualizacja" and renames the
// new copy to it. True when the swap happened; failures are left for the next start.
bool SwapUpdater(const wxString& programFolder);
