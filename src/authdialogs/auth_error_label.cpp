// The one-line error label of the login dialog.
#include "authdialogs/auth_dialogs.h"

#include <wx/stattext.h>

void FormatAuthErrorText(const wxString& text, wxString* shown, wxString* tooltip) {
  wxString full = text;
  full.Replace("\r", " ");
  full.Replace("\n", " ");
  full.Trim(true).Trim(false);
  // A blank keeps the label one line high, so the dialog does not jump.
  if (full.empty()) full = " ";
  wxString visible = full;
  if (visible.length() > kAuthErrorTextMax) visible = full.Left(kAuthErrorTextMax - 3) + "...";
  if (shown) *shown = visible;
  if (tooltip) *tooltip = visible == full ? wxString() : full;
}

void SetAuthErrorText(wxStaticText* label, const wxString& text) {
  if (!label) return;
  wxString shown;
  wxString tooltip;
  FormatAuthErrorText(text, &shown, &tooltip);
  // Service texts are shown as written: an "&" is no mnemonic here.
  label->SetLabelText(shown);
  if (tooltip.empty()) {
    label->UnsetToolTip();
  } else {
    label->SetToolTip(tooltip);
  }
}
