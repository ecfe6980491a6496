// Texts the user or a module wrote (a company name, a module's label or row) shown
// on a control label or a menu item exactly as written. Used wherever such a text
// becomes a label or a menu entry.
#pragma once

#include <wx/string.h>

namespace veldrix {

// The text for SetLabel or a menu item: "&" shows as itself instead of marking a
// mnemonic, and a tab shows as a blank instead of starting an accelerator.
wxString LiteralLabel(const wxString& text);

}  // namespace veldrix
