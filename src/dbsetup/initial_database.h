// The first preparation of a missing SQLite program database at start-up: the
// database worker builds it from the scripts while a local event loop keeps the
// window responsive, and the caller gets the worker's verdict.
#pragma once

#include <wx/string.h>

// true when the worker reported success; otherwise *error holds its message.
bool PrepareInitialDatabase(const wxString& sqliteFile, wxString* error);
