// Numbers read back from database cells, whose text may use "," or "." as the
// decimal separator and carry thousands separators, whatever the process locale.
#pragma once

#include <wx/string.h>

// Reads "1234.5", "1 234,50", "1.234,50" and "1,234.50" alike: blanks and no-break
// spaces are dropped, the last "," or "." is the decimal separator and any earlier
// one a thousands separator. False (and *out untouched) when no number is there.
bool ParseDbNumber(wxString text, double* out);

// The number with a point and a fixed count of decimals whatever the process
// locale, as SQL literals and log lines need it.
wxString FormatDbNumber(double value, int decimals);
