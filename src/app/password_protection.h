// Remembered database passwords in the configuration file: the password's UTF-8
// bytes sealed by the per-user secret store, written as Base64 text. A record made
// by another user, or damaged, does not open.
#pragma once

#include <wx/string.h>

// False (record untouched) when record is null or the store fails.
bool ProtectDatabasePassword(const wxString& password, wxString* record);
// False when password is null, the record decodes to nothing or does not open.
bool UnprotectDatabasePassword(const wxString& record, wxString* password);
