#include "danefirmy/bank_account.h"

namespace {

bool IsAsciiDigit(wxUniChar c) { return c >= '0' && c <= '9'; }
bool IsAsciiUpper(wxUniChar c) { return c >= 'A' && c <= 'Z'; }

// IBAN lengths of the countries whose accounts a Polish company most often keeps:
// the European Economic Area, its neighbours and the countries of the address list.
struct CountryLength {
  const char* code;
  size_t length;
};
const CountryLength kIbanLengths[] = {
    {"AD", 24}, {"AT", 20}, {"BE", 16}, {"BG", 22}, {"CH", 21}, {"CY", 28}, {"CZ", 24}, {"DE", 22},
    {"DK", 18}, {"EE", 20}, {"ES", 24}, {"FI", 18}, {"FR", 27}, {"GB", 22}, {"GR", 27}, {"HR", 21},
    {"HU", 28}, {"IE", 22}, {"IS", 26}, {"IT", 27}, {"LI", 21}, {"LT", 20}, {"LU", 20}, {"LV", 21},
    {"MC", 27}, {"MT", 31}, {"NL", 18}, {"NO", 15}, {"PL", 28}, {"PT", 25}, {"RO", 24}, {"SE", 24},
    {"SI", 19}, {"SK", 24}, {"SM", 27}, {"UA", 29}, {"VA", 22},
};

size_t KnownIbanLength(const wxString& country) {
  for (const CountryLength& entry : kIbanLengths) {
    if (country == entry.code) return entry.length;
  }
  return 0;
}

// MOD 97-10 over the IBAN with its first four characters moved to the end and
// every letter written as its number (A = 10 ... Z = 35). The text is checked
// character by character by the caller.
int IbanRemainder(const wxString& iban) {
  const wxString rearranged = iban.Mid(4) + iban.Left(4);
  int remainder = 0;
  for (wxUniChar c : rearranged) {
    if (IsAsciiDigit(c)) {
      remainder = (remainder * 10 + static_cast<int>(c.GetValue() - '0')) % 97;
    } else {
      remainder = (remainder * 100 + static_cast<int>(c.GetValue() - 'A') + 10) % 97;
    }
  }
  return remainder;
}

}  // namespace

wxString CompactAccountNumber(const wxString& number) {
  wxString text(number);
  text.MakeUpper();
  text.Replace(" ", "");
  text.Replace("-", "");
  return text;
}

bool IsValidIban(const wxString& iban) {
  const wxString text = CompactAccountNumber(iban);
  if (text.length() < 15 || text.length() > 34) return false;
  if (!IsAsciiUpper(text[0]) || !IsAsciiUpper(text[1]) || !IsAsciiDigit(text[2]) || !IsAsciiDigit(text[3])) {
    return false;
  }
  for (wxUniChar c : text) {
    if (!IsAsciiDigit(c) && !IsAsciiUpper(c)) return false;
  }
  const size_t known = KnownIbanLength(text.Left(2));
  if (known != 0 && text.length() != known) return false;
  if (text.StartsWith("PL")) {
    for (wxUniChar c : text.Mid(2)) {
      if (!IsAsciiDigit(c)) return false;
    }
  }
  return IbanRemainder(text) == 1;
}

bool IsValidBankAccount(const wxString& number) {
  wxString trimmed(number);
  trimmed.Trim(true).Trim(false);
  if (trimmed.empty()) return true;
  const wxString text = CompactAccountNumber(trimmed);
  if (text.length() >= 2 && IsAsciiUpper(text[0]) && IsAsciiUpper(text[1])) return IsValidIban(text);
  // A Polish number without its country code.
  return text.length() == 26 && IsValidIban("PL" + text);
}
