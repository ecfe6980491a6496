// A control's value as text, the way the module pages bind controls to settings
// keys and module actions. GUI thread only.
#pragma once

#include <wx/string.h>

class wxWindow;

namespace veldrix {

// Puts the value into the control by its kind; a value that does not fit the
// control (a non-date for a date picker, a non-number for a gauge, an unknown
// choice) leaves it unchanged. Raises no change event of a text control.
void SetControlValue(wxWindow* control, const wxString& value);
// The control's value: text, "YYYY-MM-DD", the selected item, "1"/"0", or its label.
wxString GetControlValue(wxWindow* control);

}  // namespace veldrix
