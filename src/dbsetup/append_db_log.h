// One line into the database log "veldrix_db.log" from any thread: the database
// lifecycle's own lines go into the same file, under the same lock, as those of
// the database layer.
#pragma once

#include <wx/string.h>

// Writes the local date and time, a blank and the message. Never fails: a log
// that cannot be written is skipped.
void AppendDbLog(const wxString& message);
