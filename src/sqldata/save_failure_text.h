// The one text every screen shows when a save (or a delete) through SQLData
// failed, and ReadFailureText for a read it reports in a box: a failure of the
// connection to the server, or a record another workstation holds locked while it
// saves (a lock wait given up, a deadlock that came back after the retry), is told
// in Polish, with what it means for the user's changes and the
// server's reason below; any other failure keeps the text the screen had for it.
#pragma once

#include <wx/string.h>

class SQLData;

// error: the screen's own text of the failure (lastError, a store's reason).
wxString SaveFailureText(const SQLData& db, const wxString& error);

// The same for a read that failed: the connection's failure in Polish, the
// server's reason below; any other failure keeps error.
wxString ReadFailureText(const SQLData& db, const wxString& error);
