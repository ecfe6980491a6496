// Bank account numbers of the company's accounts: the Polish account number (NRB,
// also written as a Polish IBAN) and the IBAN of an account abroad, both checked
// with the ISO 7064 MOD 97-10 rule. Pure functions: no display, no database.
#pragma once

#include <wx/string.h>

// The number in upper case without blanks and hyphens.
wxString CompactAccountNumber(const wxString& number);

// An IBAN (blanks and hyphens ignored, any case): two letters of the country, two
// check digits and the account in letters and digits, of the country's length
// where it is known (15 to 34 characters otherwise), whose MOD 97-10 check gives 1.
bool IsValidIban(const wxString& iban);

// An empty (or blank) number; a Polish number of 26 digits, with or without "PL",
// blanks and hyphens, whose check gives 1; or the valid IBAN of another country.
bool IsValidBankAccount(const wxString& number);
