// A number as display text with a fixed count of decimals in the user's locale:
// used by the decimal columns of DVModel and by screens that show amounts.
#pragma once

#include <wx/string.h>

// Rounds halves away from zero (with a 1e-9 nudge so that 2.675 shows as 2,68
// although its double lies just below), then writes exactly `decimals` digits after
// the locale's decimal separator, without thousands grouping. A result that rounds
// to zero never shows a minus sign. A negative count is taken as 0.
wxString FormatDecimal(double value, int decimals);
