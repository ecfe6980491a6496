// The host service tables handed to modules, and how a callback finds the module
// host behind a table. A module may keep its table and call through it from its own
// threads after its host has gone (a logout), so tables are never freed: a table's
// context leads to its PluginManager only while that manager lives.
#pragma once

#include "pluginmanager/veldrix_plugin_api.h"

#include <wx/string.h>

#include <vector>

namespace veldrix {

class PluginManager;

// Sets the fourteen callbacks of a table (host_api_callbacks.cpp).
void FillHostCallbacks(HostApi& table);

// A new table whose context leads to `manager`; the table stays valid for the rest
// of the process. Fills version, context and callbacks; the caller sets the windows.
HostApi* OpenHostSession(PluginManager* manager);
// From now on the table's context leads nowhere and no module counts as active.
void CloseHostSession(const HostApi* table);

// The live manager behind a callback's context: null for a null, foreign or closed
// context. For callbacks on the GUI thread, the only thread that destroys managers.
PluginManager* HostSessionManager(void* context);
// Every live manager, for notices that concern all of them. GUI thread.
std::vector<PluginManager*> LiveHostManagers();

// The ids (lower case) of the active modules as module threads see them; the
// manager publishes them whenever a module's state changes.
void PublishActiveModules(const HostApi* table, std::vector<wxString> lowerCaseIds);
// Whether the module is active for the session of `context`; any thread.
bool IsModuleActiveInSession(void* context, const wxString& id);

}  // namespace veldrix
