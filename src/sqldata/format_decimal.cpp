#include "sqldata/format_decimal.h"

#include <wx/numformatter.h>

#include <cmath>

wxString FormatDecimal(double value, int decimals) {
  if (decimals < 0) decimals = 0;
  const double scale = std::pow(10.0, decimals);
  const double scaled = value * scale;
  double rounded = scaled >= 0 ? std::floor(scaled + 0.5 + 1e-9) : std::ceil(scaled - 0.5 - 1e-9);
  // ceil() of a small negative gives -0.0, which printf writes as "-0,00".
  if (rounded == 0) rounded = 0;
  return wxNumberFormatter::ToString(rounded / scale, decimals, wxNumberFormatter::Style_None);
}
