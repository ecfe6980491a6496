// Account numbers of the account editor: Polish numbers with or without "PL" and
// the IBANs of accounts abroad, judged by the MOD 97-10 check and the length.
#include "danefirmy/bank_account.h"

#include <gtest/gtest.h>

TEST(BankAccount, AcceptsValidIbansOfOtherCountriesInAnyNotation) {
  for (const char* iban : {"DE89370400440532013000", "GB82 WEST 1234 5698 7654 32", "fr14-2004-1010-0505-0001-3m02-606",
                           "CH9300762011623852957", "NO9386011117947", "NL91ABNA0417164300",
                           "UA213223130000026007233566001", "XK051212012345678906"}) {
    EXPECT_TRUE(IsValidIban(iban)) << iban;
    EXPECT_TRUE(IsValidBankAccount(iban)) << iban;
  }
}

TEST(BankAccount, RefusesIbansThatFailTheCheckOrTheirCountrysLength) {
  const struct {
    const char* number;
    const char* why;
  } kInvalid[] = {
      {"DE89370400440532013001", "check digits do not match"},
      {"DE6537040044053201300012", "valid check, but a German IBAN has 22 characters"},
      {"PL921090101400000712198128A4", "valid check, but a Polish number has only digits"},
      {"D189370400440532013000", "country code with a digit"},
      {"DEX9370400440532013000", "check digit that is a letter"},
      {"DE8937040044053201300_", "character outside letters and digits"},
      {"GB82WEST1234", "shorter than any IBAN"},
      {"GB82WEST12345698765432GB82WEST12345698765432", "longer than any IBAN"},
  };
  for (const auto& invalid : kInvalid) {
    EXPECT_FALSE(IsValidIban(invalid.number)) << invalid.why;
    EXPECT_FALSE(IsValidBankAccount(invalid.number)) << invalid.why;
  }
}

TEST(BankAccount, PolishNumberIsTheSameAccountWithOrWithoutItsCountryCode) {
  EXPECT_TRUE(IsValidBankAccount("61 1090 1014 0000 0712 1981 2874"));
  EXPECT_TRUE(IsValidBankAccount("PL61 1090 1014 0000 0712 1981 2874"));
  EXPECT_TRUE(IsValidIban("PL61109010140000071219812874"));
  // Without "PL" the number is Polish: the same digits are no other country's IBAN.
  EXPECT_FALSE(IsValidIban("61109010140000071219812874"));
  EXPECT_EQ(CompactAccountNumber("pl61 1090-1014"), "PL6110901014");
}
