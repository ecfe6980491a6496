// Dates read back from the database in the text forms the supported engines and
// drivers produce ("2024-01-15 10:30:00.123", "15.01.2024", "Jan 15 2024 10:30AM").
#pragma once

#include <wx/datetime.h>
#include <wx/string.h>

namespace veldrix {

// The first form that reads the whole (trimmed) text; an invalid wxDateTime when
// none does. Fractional seconds after a time are dropped; the month-name form
// ("Jan 15 2024 ...") gives the date at midnight and ignores what follows the year.
wxDateTime ParseDateText(wxString text);

}  // namespace veldrix
