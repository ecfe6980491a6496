// The SQL services of the host service table. Each call opens a session of its
// own on the given connection and closes it before returning, so a module may call
// them from its worker threads; the host opens no transaction.
#pragma once

#include "pluginmanager/veldrix_plugin_api.h"

#include <wx/string.h>

namespace veldrix {

// Runs a statement without result set. False with the reason in *error: no SQL,
// the database did not open, the statement failed (the engine's text when known).
bool ExecuteModuleSql(const wxString& connection, const wchar_t* sql, wxString* error);

// Reads the whole result, then hands it to `callback` row by row, each row as an
// array of `columns` texts valid during that call; a zero answer stops. Returns the
// rows the callback accepted, or -1 with the reason in *error. Rows keep the query's
// own boundaries: a query with more columns than the module declared is refused (the
// module's row would not hold it), one with fewer gets empty texts after its cells.
int QueryModuleSql(const wxString& connection, const wchar_t* sql, unsigned columns, PluginRowCallback callback,
                   void* userData, wxString* error);

// The largest column count a module may declare; no engine returns more.
constexpr unsigned kMaxModuleQueryColumns = 4096;

}  // namespace veldrix
