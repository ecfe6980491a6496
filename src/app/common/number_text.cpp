#include "app/common/number_text.h"

#include <wx/numformatter.h>

#include <clocale>

namespace veldrix {

wxChar LocaleDecimalSeparator() {
  // wxNumberFormatter follows wxUILocale, which only wxLocale sets; the C library's
  // locale is what wxString::ToDouble parses with, so the separator comes from there.
  const std::lconv* conv = std::localeconv();
  if (conv && conv->decimal_point && conv->decimal_point[0] != '\0' && conv->decimal_point[1] == '\0' &&
      static_cast<unsigned char>(conv->decimal_point[0]) < 0x80) {
    return static_cast<wxChar>(conv->decimal_point[0]);
  }
  return wxNumberFormatter::GetDecimalSeparator();
}

wxString NormalizeNumberText(wxString text) {
  text.Replace(" ", "");
  text.Replace(wxString(wxUniChar(0x00A0)), "");
  text.Replace(wxString(wxUniChar(0x202F)), "");
  text.Replace(",", ".");
  return text;
}

wxString ToLocaleDecimalSeparator(wxString text) {
  const wxChar separator = LocaleDecimalSeparator();
  if (separator == '.') {
    text.Replace(",", ".");
  } else {
    text.Replace(".", wxString(separator));
  }
  return text;
}

bool ParseDecimal(wxString text, double* value) {
  if (!value) return false;
  text.Trim(true).Trim(false);
  if (text.empty()) return false;

  for (const wxString& mark :
       {wxString(" "), wxString("\t"), wxString(wxUniChar(0x00A0)), wxString(wxUniChar(0x202F)), wxString("'")}) {
    text.Replace(mark, "");
  }

  const int lastComma = text.Find(',', true);
  const int lastDot = text.Find('.', true);
  const int last = lastComma > lastDot ? lastComma : lastDot;
  if (last != wxNOT_FOUND) {
    const wxChar separator = LocaleDecimalSeparator();
    wxString rebuilt;
    rebuilt.reserve(text.length());
    for (size_t i = 0; i < text.length(); ++i) {
      const wxUniChar c = text[i];
      if (static_cast<int>(i) == last) {
        rebuilt += separator;
      } else if (c != ',' && c != '.') {
        rebuilt += c;
      }
    }
    text = rebuilt;
  }

  if (wxNumberFormatter::FromString(text, value)) return true;
  return text.ToDouble(value);
}

}  // namespace veldrix
