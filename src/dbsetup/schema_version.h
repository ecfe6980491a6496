// Schema versions of the program database and its modules: decimal numbers read
// from the scripts and from table baza, compared within a tolerance, and written
// with "." whatever the locale.
#pragma once

#include <wx/string.h>

// Two versions differ only when they are more than this apart.
constexpr double kSchemaVersionTolerance = 0.000001;

// true when `version` is above `base` by more than the tolerance.
inline bool VersionAbove(double version, double base) { return version > base + kSchemaVersionTolerance; }

// Reads "1.25" or "1,25" whatever the locale. false when the text is no number,
// leaving *value unchanged.
bool ParseSchemaVersion(const wxString& text, double* value);

// The version with exactly `decimals` decimals, "." as separator, no grouping:
// 1.25 with 4 decimals gives 1.2500. Used in SQL, log lines and progress texts.
wxString FormatVersionFixed(double version, int decimals);

// The version for people: four decimals with trailing zeros and a trailing "."
// removed, so 1.25 gives 1.25, 2 gives 2 and 0 gives 0.
wxString FormatSchemaVersion(double version);
