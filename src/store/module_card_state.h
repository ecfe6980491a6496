// What a module card of the store tab shows for a catalogue entry: its state
// line, colours and which actions it offers, decided from the installed version,
// the pending changes in the modules folder and the running program's version.
// No windows here, so the rules are tested on their own.
#pragma once

#include "store/store_catalogue.h"

#include <wx/colour.h>
#include <wx/string.h>

namespace veldrix {

// The facts one card is decided from.
struct ModuleCardInput {
  wxString installedVersion;  // empty when not installed; "0" when it reported none
  wxString programVersion;
  bool installPending = false;
  bool removalPending = false;
};

struct ModuleCardState {
  bool installed = false;
  bool updateAvailable = false;
  bool compatible = true;
  bool changePending = false;
  wxString requiredVersion;  // the package's, else the entry's; may be empty
  wxColour background;
  wxString stateText;
  wxColour stateColour;
  wxString versionsText;
  wxString primaryLabel;
  bool primaryEnabled = false;
  bool offersUninstall = false;
  bool offersDetails = false;  // only for an address IsStoreUrlAllowed accepts
};

// The required program version of an entry: its package's, else its own.
wxString RequiredProgramVersion(const StoreModuleEntry& entry);

ModuleCardState DescribeModuleCard(const StoreModuleEntry& entry, const ModuleCardInput& input);

// The store tab's filters, in the order of its choice.
enum class StoreFilter { kAll = 0, kInstalled = 1, kUpdates = 2 };

// Whether the entry's name or description, folded as FoldText folds, contains the
// folded search text; an empty search matches everything.
bool MatchesStoreSearch(const StoreModuleEntry& entry, const wxString& foldedSearch);

// Whether a matching entry in this state is listed under the filter (an index of
// the choice; an unknown one lists everything).
bool PassesStoreFilter(int filter, const ModuleCardState& state);

}  // namespace veldrix
