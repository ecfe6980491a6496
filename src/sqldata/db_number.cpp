#include "sqldata/db_number.h"

#include <locale>
#include <sstream>

bool ParseDbNumber(wxString text, double* out) {
  text.Trim(true).Trim(false);
  if (text.empty()) return false;
  wxString compact;
  compact.reserve(text.length());
  for (wxUniChar ch : text) {
    if (ch == ' ' || ch == wxUniChar(0x00A0) || ch == wxUniChar(0x202F)) continue;
    compact << ch;
  }
  const size_t comma = compact.rfind(',');
  const size_t point = compact.rfind('.');
  size_t last = wxString::npos;
  if (comma != wxString::npos && point != wxString::npos) {
    last = comma > point ? comma : point;
  } else {
    last = comma != wxString::npos ? comma : point;
  }
  if (last != wxString::npos) {
    wxString rebuilt;
    rebuilt.reserve(compact.length());
    for (size_t i = 0; i < compact.length(); ++i) {
      const wxUniChar ch = compact[i];
      if (i == last) {
        rebuilt << '.';
      } else if (ch != ',' && ch != '.') {
        rebuilt << ch;
      }
    }
    compact = rebuilt;
  }
  // Read in the C locale: the text now has a point whatever the user's locale says.
  double value = 0.0;
  if (!compact.ToCDouble(&value)) return false;
  if (out) *out = value;
  return true;
}

wxString FormatDbNumber(double value, int decimals) {
  // wxString::FromCDouble follows LC_NUMERIC in this wxWidgets build; a stream
  // in the classic locale does not.
  std::ostringstream text;
  text.imbue(std::locale::classic());
  text.setf(std::ios::fixed);
  text.precision(decimals);
  text << value;
  return wxString::FromAscii(text.str().c_str());
}
