// The remembered password of the automatic login: sealed for the current user by the
// secret store and kept as Base64 under "/Security/AutoLogin" of the configuration.
#pragma once

#include <wx/string.h>

// The configuration group of the record: "Username" and "Credential".
extern const wxString kAutoLoginGroup;
// Bound to every sealed record, so another kind of secret cannot stand in for it.
extern const wxString kAutoLoginPurpose;

bool ProtectAutoLoginPassword(const wxString& password, wxString* credential, wxString* error);
// A credential that is not Base64 is "Zapis autologowania jest uszkodzony."; one that
// does not open for this user (another key, another purpose, altered) is the
// "cannot read on this account" text.
bool UnprotectAutoLoginPassword(const wxString& credential, wxString* password, wxString* error);
