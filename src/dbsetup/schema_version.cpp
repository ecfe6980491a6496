#include "dbsetup/schema_version.h"

#include "app/common/number_text.h"

#include <cmath>

bool ParseSchemaVersion(const wxString& text, double* value) {
  double parsed = 0;
  if (!veldrix::ParseDecimal(text, &parsed) || !std::isfinite(parsed)) return false;
  if (value) *value = parsed;
  return true;
}

wxString FormatVersionFixed(double version, int decimals) {
  if (decimals < 0) decimals = 0;
  if (decimals > 9) decimals = 9;
  // Written digit by digit: printf-style formatting follows the process locale,
  // which may use a decimal comma. Halves go away from zero; the nudge keeps
  // 1.005 (stored just below) from rounding down.
  long long scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;
  const double magnitude = std::fabs(version) * static_cast<double>(scale);
  const long long scaled = std::llround(magnitude + 1e-9 * static_cast<double>(scale));
  wxString text;
  if (version < 0 && scaled != 0) text << "-";
  text << wxString::Format("%lld", scaled / scale);
  if (decimals > 0) text << "." << wxString::Format("%0*lld", decimals, scaled % scale);
  return text;
}

wxString FormatSchemaVersion(double version) {
  wxString text = FormatVersionFixed(version, 4);
  if (text.Contains(".")) {
    while (text.EndsWith("0")) text.RemoveLast();
    if (text.EndsWith(".")) text.RemoveLast();
  }
  return text;
}
