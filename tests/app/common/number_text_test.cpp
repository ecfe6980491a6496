// Decimal numbers written with either separator, under the C and the Polish locale.
#include "app/common/number_text.h"

#include <gtest/gtest.h>

#include "test_locales.h"

using veldrix::NormalizeNumberText;
using veldrix::ParseDecimal;
using veldrix::ToLocaleDecimalSeparator;
using veldrix::test::ForEachTestLocale;
using veldrix::test::ScopedLocale;

TEST(NumberText, NormalizeRemovesBlanksAndTurnsCommasIntoDots) {
  ForEachTestLocale([] {
    EXPECT_EQ(NormalizeNumberText("1 234,5"), "1234.5");
    EXPECT_EQ(NormalizeNumberText(L"1\u00A0234\u202F567,25"), "1234567.25");
    EXPECT_EQ(NormalizeNumberText("1,234.5"), "1.234.5");  // two dots stay two dots
    EXPECT_EQ(NormalizeNumberText("\t2,0\n"), "\t2.0\n");  // nothing but spaces is trimmed
  });
}

TEST(NumberText, ToLocaleSeparatorFollowsTheProcessLocale) {
  {
    ScopedLocale c("C");
    EXPECT_EQ(ToLocaleDecimalSeparator("0.25"), "0.25");
    EXPECT_EQ(ToLocaleDecimalSeparator("0,25"), "0.25");
  }
  ScopedLocale polish("pl_PL.UTF-8");
  if (!polish.ok()) {
    if (veldrix::test::RunningInCi()) FAIL() << "pl_PL.UTF-8 is missing";
    GTEST_SKIP() << "pl_PL.UTF-8 is not installed";
  }
  EXPECT_EQ(veldrix::LocaleDecimalSeparator(), ',');
  EXPECT_EQ(ToLocaleDecimalSeparator("0.25"), "0,25");
}

TEST(NumberText, ParseDecimalTakesTheLastMarkAsTheSeparator) {
  ForEachTestLocale([] {
    for (const wxString& text : {wxString("1 234,50"), wxString("1'234.50"), wxString("1.234,50"),
                                 wxString(L"1\u00A0234,5"), wxString("  1234.5\t")}) {
      double value = 0;
      EXPECT_TRUE(ParseDecimal(text, &value)) << text;
      EXPECT_DOUBLE_EQ(value, 1234.5) << text;
    }
    double value = 0;
    ASSERT_TRUE(ParseDecimal("1,234.56", &value));
    EXPECT_DOUBLE_EQ(value, 1234.56);
    ASSERT_TRUE(ParseDecimal("1.000", &value));
    EXPECT_DOUBLE_EQ(value, 1.0);
    ASSERT_TRUE(ParseDecimal("-0,25", &value));
    EXPECT_DOUBLE_EQ(value, -0.25);
    ASSERT_TRUE(ParseDecimal("42", &value));
    EXPECT_DOUBLE_EQ(value, 42.0);
    ASSERT_TRUE(ParseDecimal("1.2.3,5", &value));
    EXPECT_DOUBLE_EQ(value, 123.5);
  });
}

TEST(NumberText, ParseDecimalRejectsEmptyAndNonNumbers) {
  ForEachTestLocale([] {
    double value = 7;
    EXPECT_FALSE(ParseDecimal("", &value));
    EXPECT_FALSE(ParseDecimal("   ", &value));
    EXPECT_FALSE(ParseDecimal("abc", &value));
    EXPECT_FALSE(ParseDecimal("12 zł", &value));
    EXPECT_FALSE(ParseDecimal("1,5", nullptr));
  });
}
