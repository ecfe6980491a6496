// Decimal numbers written with "," or "." as the decimal separator and with blanks or
// apostrophes as digit group marks: schema versions, numeric settings, user input.
// Pure functions of their arguments and the process locale.
#pragma once

#include <wx/string.h>

namespace veldrix {

// The decimal separator of the process's C library locale ("," under pl_PL).
wxChar LocaleDecimalSeparator();

// Removes blanks (space, U+00A0, U+202F) and turns every "," into ".":
// "1 234,5" -> "1234.5". Nothing else changes.
wxString NormalizeNumberText(wxString text);

// For a text written with ".": every "." becomes the locale's separator; under a
// locale whose separator is "." every "," becomes "." instead.
wxString ToLocaleDecimalSeparator(wxString text);

// Reads a decimal whichever mark separates the decimals: the later of the last ","
// and the last "." is the decimal separator, the other marks group digits
// ("1.234,56" and "1,234.56" are 1234.56; "1.000" is 1.0). Blanks, tabs and
// apostrophes are ignored. False for a null value, an empty text or one that does
// not parse.
bool ParseDecimal(wxString text, double* value);

}  // namespace veldrix
