// The translation lookup of user-visible texts. Literals are UTF-8 source text, so
// they are decoded as UTF-8 whatever the process locale (wxWidgets' own _() would
// decode them with the C library's current encoding). A literal kept in a table and
// translated where it is shown is written wxTRANSLATE("...") for the catalogue
// tools (keywords _ and wxTRANSLATE); that leaves it a UTF-8 char literal, which
// _() then looks up like any other.
#pragma once

#include <wx/string.h>
#include <wx/translation.h>

#ifdef _
#undef _
#endif
#define _(s) wxGetTranslation(wxString::FromUTF8(s))
