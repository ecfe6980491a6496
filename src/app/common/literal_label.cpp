#include "app/common/literal_label.h"

#include <wx/control.h>

namespace veldrix {

wxString LiteralLabel(const wxString& text) {
  wxString label = wxControl::EscapeMnemonics(text);
  label.Replace("\t", " ");
  return label;
}

}  // namespace veldrix
