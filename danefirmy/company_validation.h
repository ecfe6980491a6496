// The checks a company passes before it is stored: Polish identifiers (NIP, REGON,
// bank account numbers), the post code, the e-mail address, the payment term, and
// the ordered form check that the company editor runs before every save.
// Pure functions: no display, no database.
#pragma once

#include "danefirmy/bank_account.h"

#include <wx/string.h>

// Only the characters "0" to "9" of the text, in their order.
wxString FilterDigits(const wxString& text);

// Ten digits (separators ignored) whose weighted sum modulo 11 is the last digit.
bool IsValidNip(const wxString& nip);
// Nine or fourteen digits (separators ignored) with a matching check digit.
bool IsValidRegon(const wxString& regon);
// "00-000" after trailing white space is removed.
bool IsValidPolishPostCode(const wxString& code);
// The light check of the editor: a text before the first "@", a "." at least two
// places after it, no blank. The text is trimmed first; an empty text is not valid.
bool IsValidEmailAddress(const wxString& email);
// The whole text as a decimal number from 0 to INT_MAX; *days gets it. The number is
// stored in an int column, so larger values are refused rather than cut.
bool ParsePaymentTerm(const wxString& text, int* days);

// The form fields that the company check reads, as the user typed them.
struct CompanyValidationFields {
  wxString nazwa;
  wxString nazwaPelna;
  wxString nip;
  wxString regon;
  wxString kraj;  // the selected country code, empty without a selection
  wxString kod;
  wxString miejscowosc;
  wxString ulica;
  wxString email;
  wxString termin;
};

// The field that takes the keyboard focus after a failed check.
enum class CompanyField {
  None,  // the address check leaves the focus where it was
  Nazwa,
  NazwaPelna,
  Nip,
  Regon,
  Kod,
  Email,
  Termin,
};

struct CompanyValidationFailure {
  int check = 0;  // 1 to 9, in the order the checks run
  wxString message;  // translated, ready for the message box
  CompanyField focus = CompanyField::None;
};

// Runs the nine checks in order and stops at the first that fails. True when all
// pass; otherwise *failure (when given) describes the first failure.
bool CheckCompanyFields(const CompanyValidationFields& fields, CompanyValidationFailure* failure);
