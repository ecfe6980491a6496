// The read-only viewer of a document a module returns for a row (an invoice's XML,
// an operation log): fixed-pitch text with line numbers, coloured as XML, never
// interpreted, never wrapped. Opened by the context actions of module pages.
#pragma once

#include <wx/string.h>

class wxStyledTextCtrl;
class wxWindow;

namespace veldrix {

// Builds the dialog over `parent`, shows it modally and destroys it.
void ShowPreviewDialog(wxWindow* parent, const wxString& title, const wxString& text);

// Styles the control and loads the text, leaving it read-only.
void SetUpPreviewText(wxStyledTextCtrl* control, const wxString& text);

// The name of the dialog window, for tests that drive it.
extern const char kPreviewDialogName[];

}  // namespace veldrix
