#include "danefirmy/company_validation.h"

#include "app/common/i18n.h"

#include <climits>

namespace {

bool IsAsciiDigit(wxUniChar c) { return c >= '0' && c <= '9'; }

int DigitAt(const wxString& digits, size_t index) { return static_cast<int>(digits[index].GetValue() - '0'); }

bool IsBlank(const wxString& text) {
  wxString copy(text);
  return copy.Trim(true).Trim(false).empty();
}

bool Fail(CompanyValidationFailure* failure, int check, const wxString& message, CompanyField focus) {
  if (failure) {
    failure->check = check;
    failure->message = message;
    failure->focus = focus;
  }
  return false;
}

}  // namespace

wxString FilterDigits(const wxString& text) {
  wxString digits;
  for (wxUniChar c : text) {
    if (IsAsciiDigit(c)) digits += c;
  }
  return digits;
}

bool IsValidNip(const wxString& nip) {
  const wxString digits = FilterDigits(nip);
  if (digits.length() != 10) return false;
  static const int kWeights[9] = {6, 5, 7, 2, 3, 4, 5, 6, 7};
  int sum = 0;
  for (size_t i = 0; i < 9; ++i) sum += DigitAt(digits, i) * kWeights[i];
  // A remainder of 10 can never equal a digit, so such numbers fail here.
  return sum % 11 == DigitAt(digits, 9);
}

bool IsValidRegon(const wxString& regon) {
  const wxString digits = FilterDigits(regon);
  static const int kWeights9[8] = {8, 9, 2, 3, 4, 5, 6, 7};
  static const int kWeights14[13] = {2, 4, 8, 5, 0, 9, 7, 3, 6, 1, 2, 4, 8};
  const int* weights = nullptr;
  if (digits.length() == 9) {
    weights = kWeights9;
  } else if (digits.length() == 14) {
    weights = kWeights14;
  } else {
    return false;
  }
  const size_t last = digits.length() - 1;
  int sum = 0;
  for (size_t i = 0; i < last; ++i) sum += DigitAt(digits, i) * weights[i];
  int check = sum % 11;
  if (check == 10) check = 0;
  return check == DigitAt(digits, last);
}

bool IsValidPolishPostCode(const wxString& code) {
  wxString copy(code);
  copy.Trim(true);
  if (copy.length() != 6) return false;
  for (size_t i = 0; i < 6; ++i) {
    if (i == 2) {
      if (copy[i] != '-') return false;
    } else if (!IsAsciiDigit(copy[i])) {
      return false;
    }
  }
  return true;
}

bool IsValidEmailAddress(const wxString& email) {
  wxString copy(email);
  copy.Trim(true).Trim(false);
  if (copy.empty()) return false;
  const int at = copy.Find('@');
  const int dot = copy.Find('.', true);
  if (at < 1) return false;
  if (dot == wxNOT_FOUND || dot < at + 2) return false;
  return copy.Find(' ') == wxNOT_FOUND;
}

bool ParsePaymentTerm(const wxString& text, int* days) {
  long value = 0;
  if (!text.ToLong(&value, 10)) return false;
  if (value < 0 || value > INT_MAX) return false;
  if (days) *days = static_cast<int>(value);
  return true;
}

bool CheckCompanyFields(const CompanyValidationFields& fields, CompanyValidationFailure* failure) {
  const bool polish = fields.kraj == "PL";
  if (IsBlank(fields.nazwa)) return Fail(failure, 1, _("Nazwa firmy nie może być pusta."), CompanyField::Nazwa);
  if (IsBlank(fields.nazwaPelna)) {
    return Fail(failure, 2, _("Pełna nazwa firmy nie może być pusta."), CompanyField::NazwaPelna);
  }
  const bool hasNip = !IsBlank(fields.nip);
  if (polish && !hasNip) return Fail(failure, 3, _("Dla polskiej firmy podaj NIP."), CompanyField::Nip);
  if (hasNip && !IsValidNip(fields.nip)) {
    return Fail(failure, 4, _("Wprowadzono nieprawidłowy numer NIP."), CompanyField::Nip);
  }
  if (!IsBlank(fields.regon) && !IsValidRegon(fields.regon)) {
    return Fail(failure, 5, _("Wprowadzono nieprawidłowy numer REGON."), CompanyField::Regon);
  }
  if (fields.kraj.empty() || IsBlank(fields.kod) || IsBlank(fields.miejscowosc) || IsBlank(fields.ulica)) {
    return Fail(failure, 6, _("Uzupełnij kraj, kod pocztowy, miejscowość oraz ulicę i numer."), CompanyField::None);
  }
  if (polish && !IsValidPolishPostCode(fields.kod)) {
    return Fail(failure, 7, _("Polski kod pocztowy powinien mieć format 00-000."), CompanyField::Kod);
  }
  if (!IsBlank(fields.email) && !IsValidEmailAddress(fields.email)) {
    return Fail(failure, 8, _("Wprowadzono nieprawidłowy adres e-mail."), CompanyField::Email);
  }
  if (!ParsePaymentTerm(fields.termin, nullptr)) {
    return Fail(failure, 9, _("Termin płatności musi być liczbą nieujemną."), CompanyField::Termin);
  }
  return true;
}
