// Small value rules shared by the schema reading and the module pages: choice
// lists written one per line, and file names given relative to a module's folder.
#pragma once

#include <wx/string.h>

#include <utility>
#include <vector>

namespace veldrix {

// Lines split at "\n", trimmed, empty ones skipped; "label=value" splits at the
// first "=" (both trimmed), a line without "=" gives itself twice; pairs with an
// empty label are dropped.
std::vector<std::pair<wxString, wxString>> SplitLines(const wxString& text);

// An absolute name as its full path; otherwise joined to the folder and normalised
// (variables, dots, "~", made absolute, links resolved, case kept). An empty name
// gives the folder itself.
wxString ResolveModuleFile(const wxString& folder, const wxString& name);

}  // namespace veldrix
