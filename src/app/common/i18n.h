// The translation lookup of user-visible texts. Literals are UTF-8 source text, so
// they are decoded as UTF-8 whatever the process locale (wxWidgets' own _() would
// decode them with the C library's current encoding).
#pragma once

#include <wx/string.h>
#include <wx/translation.h>

#ifdef _
#undef _
#endif
#define _(s) wxGetTranslation(wxString::FromUTF8(s))
