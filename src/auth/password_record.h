// Password records of the accounts: a salted PBKDF2-HMAC-SHA-256 key stored as
// lower-case hexadecimal together with its salt and iteration count. AuthService
// makes a record whenever a password is set and checks one at every login.
#pragma once

#include "app/common/hex_text.h"

#include <wx/string.h>

#include <vector>

// Iteration count of every new record. Records keep their own count, so rows written
// with another one stay valid.
constexpr int kPasswordIterations = 210000;

// Makes a new record. The three outputs are required; on failure they are left alone.
// Refuses passwords shorter than 8 characters, counted in UTF-16 code units.
bool HashPassword(const wxString& password, wxString* hashHex, wxString* saltHex, int* iterations,
                  wxString* error);

// True when the password matches the record. The error is written for a damaged record
// (bad hexadecimal, an iteration count below 0) or a failed derivation, never for a
// plain mismatch: callers word that themselves.
bool VerifyPassword(const wxString& password, const wxString& hashHex, const wxString& saltHex, int iterations,
                    wxString* error);

// PBKDF2-HMAC-SHA-256 of the password's UTF-8 bytes; key receives exactly 32 bytes.
bool DerivePasswordKey(const wxString& password, const std::vector<unsigned char>& salt, int iterations,
                       std::vector<unsigned char>* key);


