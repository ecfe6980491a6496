// The company checks: identifiers, post code, e-mail, payment term, bank account
// numbers, and the order in which the form check reports the first failure.
#include "danefirmy/company_validation.h"

#include <gtest/gtest.h>

namespace {

CompanyValidationFields ValidPolishCompany() {
  CompanyValidationFields f;
  f.nazwa = "Firma";
  f.nazwaPelna = "Firma sp. z o.o.";
  f.nip = "526-025-02-74";
  f.regon = "123456785";
  f.kraj = "PL";
  f.kod = "00-950";
  f.miejscowosc = "Warszawa";
  f.ulica = wxString::FromUTF8("Długa 1");
  f.email = "biuro@firma.pl";
  f.termin = "14";
  return f;
}

CompanyValidationFailure FailureOf(const CompanyValidationFields& f) {
  CompanyValidationFailure failure;
  EXPECT_FALSE(CheckCompanyFields(f, &failure));
  return failure;
}

}  // namespace

TEST(FilterDigits, KeepsOnlyAsciiDigitsInOrder) {
  EXPECT_EQ(FilterDigits("PL 526-025 02/74"), "5260250274");
  EXPECT_EQ(FilterDigits(""), "");
  // Arabic-Indic digits are not decimal digits of the identifiers.
  EXPECT_EQ(FilterDigits(wxString::FromUTF8("1\xd9\xa3" "2")), "12");
}

TEST(Nip, ChecksTenDigitsWithTheWeightedCheckDigit) {
  EXPECT_TRUE(IsValidNip("5260250274"));
  EXPECT_TRUE(IsValidNip("526-025-02-74"));
  EXPECT_TRUE(IsValidNip("PL 526 025 02 74"));
  EXPECT_FALSE(IsValidNip("5260250275"));
  EXPECT_FALSE(IsValidNip("526025027"));
  EXPECT_FALSE(IsValidNip("52602502740"));
  // Weighted sum leaves 10: no check digit can match.
  EXPECT_FALSE(IsValidNip("1234567890"));
}

TEST(Regon, ChecksNineAndFourteenDigitNumbers) {
  EXPECT_TRUE(IsValidRegon("123456785"));
  EXPECT_FALSE(IsValidRegon("123456784"));
  EXPECT_TRUE(IsValidRegon("12345678512347"));
  EXPECT_FALSE(IsValidRegon("12345678512346"));
  for (const char* length : {"1234567850", "12345678501", "123456785012", "1234567850123"}) {
    EXPECT_FALSE(IsValidRegon(length)) << length;
  }
  // A remainder of 10 counts as 0.
  EXPECT_TRUE(IsValidRegon("100000050"));
  EXPECT_FALSE(IsValidRegon("100000051"));
  EXPECT_TRUE(IsValidRegon("10000000000010"));
  EXPECT_FALSE(IsValidRegon("10000000000011"));
}

TEST(PostCode, PolishFormIsTwoDigitsHyphenThreeDigits) {
  EXPECT_TRUE(IsValidPolishPostCode("00-950"));
  EXPECT_TRUE(IsValidPolishPostCode("00-950  "));
  EXPECT_FALSE(IsValidPolishPostCode("00950"));
  EXPECT_FALSE(IsValidPolishPostCode("00 950"));
  EXPECT_FALSE(IsValidPolishPostCode(" 00-950"));
  EXPECT_FALSE(IsValidPolishPostCode(wxString::FromUTF8("00\xe2\x80\x93" "950")));
  EXPECT_FALSE(IsValidPolishPostCode("0a-950"));
}

TEST(Email, NeedsTextBeforeAtAndADotLaterWithoutBlanks) {
  EXPECT_TRUE(IsValidEmailAddress("a@b.c"));
  EXPECT_TRUE(IsValidEmailAddress("  biuro@firma.pl "));
  EXPECT_FALSE(IsValidEmailAddress("@firma.pl"));
  EXPECT_FALSE(IsValidEmailAddress("biuro@firmapl"));
  EXPECT_FALSE(IsValidEmailAddress("biuro@.pl"));
  EXPECT_FALSE(IsValidEmailAddress("bi uro@firma.pl"));
  EXPECT_FALSE(IsValidEmailAddress(""));
}

TEST(PaymentTerm, WholeNumbersFromZeroToTheLargestInt) {
  int days = -1;
  EXPECT_TRUE(ParsePaymentTerm("0", &days));
  EXPECT_EQ(days, 0);
  EXPECT_TRUE(ParsePaymentTerm("30", &days));
  EXPECT_EQ(days, 30);
  EXPECT_TRUE(ParsePaymentTerm("2147483647", &days));
  EXPECT_EQ(days, 2147483647);
  EXPECT_FALSE(ParsePaymentTerm("2147483648", &days));
  EXPECT_FALSE(ParsePaymentTerm("99999999999", &days));
  EXPECT_FALSE(ParsePaymentTerm("", &days));
  EXPECT_FALSE(ParsePaymentTerm("-1", &days));
  EXPECT_FALSE(ParsePaymentTerm("7 ", &days));
  EXPECT_FALSE(ParsePaymentTerm("7 dni", &days));
  EXPECT_FALSE(ParsePaymentTerm("7.5", &days));
}

TEST(BankAccount, PolishNumbersPassTheMod97Check) {
  EXPECT_TRUE(IsValidBankAccount(""));
  EXPECT_TRUE(IsValidBankAccount("   "));
  EXPECT_TRUE(IsValidBankAccount("61109010140000071219812874"));
  EXPECT_TRUE(IsValidBankAccount("61 1090 1014 0000 0712 1981 2874"));
  EXPECT_TRUE(IsValidBankAccount("61-1090-1014-0000-0712-1981-2874"));
  EXPECT_TRUE(IsValidBankAccount("PL61109010140000071219812874"));
  EXPECT_TRUE(IsValidBankAccount("pl61 1090 1014 0000 0712 1981 2874"));
  EXPECT_FALSE(IsValidBankAccount("62109010140000071219812874"));
  EXPECT_FALSE(IsValidBankAccount("6110901014000007121981287"));
  EXPECT_FALSE(IsValidBankAccount("611090101400000712198128740"));
  EXPECT_FALSE(IsValidBankAccount("DE61109010140000071219812874"));
  EXPECT_FALSE(IsValidBankAccount("61109010140000071219812X74"));
}

TEST(CompanyCheck, ValidCompanyPasses) {
  CompanyValidationFailure failure;
  EXPECT_TRUE(CheckCompanyFields(ValidPolishCompany(), &failure));
  EXPECT_EQ(failure.check, 0);
}

TEST(CompanyCheck, ReportsTheFirstFailureInOrderWithItsField) {
  // Every field wrong at once: each fix uncovers the next check in order.
  CompanyValidationFields f;
  f.nazwa = "   ";
  f.nazwaPelna = "";
  f.nip = "";
  f.regon = "12";
  f.kraj = "PL";
  f.kod = "";
  f.email = "x";
  f.termin = "-3";

  auto expect = [&](int check, const char* message, CompanyField focus) {
    const CompanyValidationFailure failure = FailureOf(f);
    EXPECT_EQ(failure.check, check);
    EXPECT_EQ(failure.message, wxString::FromUTF8(message));
    EXPECT_EQ(failure.focus, focus);
  };
  expect(1, "Nazwa firmy nie może być pusta.", CompanyField::Nazwa);
  f.nazwa = "Firma";
  expect(2, "Pełna nazwa firmy nie może być pusta.", CompanyField::NazwaPelna);
  f.nazwaPelna = wxString::FromUTF8("Firma pełna");
  expect(3, "Dla polskiej firmy podaj NIP.", CompanyField::Nip);
  f.nip = "1234567890";
  expect(4, "Wprowadzono nieprawidłowy numer NIP.", CompanyField::Nip);
  f.nip = "5260250274";
  expect(5, "Wprowadzono nieprawidłowy numer REGON.", CompanyField::Regon);
  f.regon = "";
  expect(6, "Uzupełnij kraj, kod pocztowy, miejscowość oraz ulicę i numer.", CompanyField::None);
  f.kod = "00950";
  f.miejscowosc = "Warszawa";
  f.ulica = "Prosta 2";
  expect(7, "Polski kod pocztowy powinien mieć format 00-000.", CompanyField::Kod);
  f.kod = "00-950";
  expect(8, "Wprowadzono nieprawidłowy adres e-mail.", CompanyField::Email);
  f.email = "";
  expect(9, "Termin płatności musi być liczbą nieujemną.", CompanyField::Termin);
  f.termin = "2147483648";
  expect(9, "Termin płatności musi być liczbą nieujemną.", CompanyField::Termin);
  f.termin = "0";
  EXPECT_TRUE(CheckCompanyFields(f, nullptr));
}

TEST(CompanyCheck, ForeignCompanyNeedsNoNipButAValidOneWhenGiven) {
  CompanyValidationFields f = ValidPolishCompany();
  f.kraj = "DE";
  f.nip = "";
  f.kod = "10115";
  EXPECT_TRUE(CheckCompanyFields(f, nullptr));
  f.nip = "DE123456789";
  EXPECT_EQ(FailureOf(f).check, 4);
}

TEST(CompanyCheck, AddressNeedsACountrySelection) {
  CompanyValidationFields f = ValidPolishCompany();
  f.kraj = "";
  EXPECT_EQ(FailureOf(f).check, 6);
}
