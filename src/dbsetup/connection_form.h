// The "DANE POŁĄCZENIA" form of the database configuration dialog as plain values,
// and the rules that turn it into a saved connection and back, engine by engine.
// Kept apart from the window so the rules can be tested without one.
#pragma once

#include "dbsetup/connection_profile.h"

#include <wx/string.h>

// What the form's controls hold, as typed.
struct ConnectionForm {
  wxString name;
  wxString serverType;  // the choice's text
  wxString server;
  wxString port;
  wxString login;
  wxString password;
  wxString database;
  bool windowsAuth = false;
  bool rememberPassword = false;
  bool logSqlQueries = false;
};

// False for a value holding ";", which a connection string cannot carry, with the
// message naming the field (its label, translated) in *error (may be null).
bool FitsConnectionString(const wxString& value, const char* label, wxString* error);

// Validates the form and builds the entry; on the first failure false with the
// message for the user in *error and *out untouched. Both pointers may be null.
bool ReadConnectionForm(const ConnectionForm& form, ConnectionProfile* out, wxString* error);

// What the form shows for an entry: a server type the choice does not offer shows
// as its first item, a SQL Server instance follows the server after "\", a port of
// 0 is an empty field.
ConnectionForm FillConnectionForm(const ConnectionProfile& profile);
