#include "sqldata/db_number.h"

#include "test_support.h"

#include <gtest/gtest.h>

using veldrix::test::ScopedLocale;

namespace {

void ExpectReadsEveryForm() {
  const wxString texts[] = {"1 234,50", "1.234,50", "1,234.50", "1234.5", "  1234,5 ",
                            wxString::FromUTF8("1\xC2\xA0" "234,50"), wxString::FromUTF8("1\xE2\x80\xAF" "234.50")};
  for (const wxString& text : texts) {
    double value = 0.0;
    EXPECT_TRUE(ParseDbNumber(text, &value)) << text;
    EXPECT_DOUBLE_EQ(value, 1234.5) << text;
  }
  double value = 7.0;
  EXPECT_TRUE(ParseDbNumber("-0,25", &value));
  EXPECT_DOUBLE_EQ(value, -0.25);
  EXPECT_TRUE(ParseDbNumber("42", &value));
  EXPECT_DOUBLE_EQ(value, 42.0);
  value = 7.0;
  EXPECT_FALSE(ParseDbNumber("", &value));
  EXPECT_FALSE(ParseDbNumber("   ", &value));
  EXPECT_FALSE(ParseDbNumber("abc", &value));
  EXPECT_FALSE(ParseDbNumber(L"12,5 zł", &value));
  EXPECT_DOUBLE_EQ(value, 7.0);
}

}  // namespace

TEST(ParseDbNumber, ReadsBothSeparatorsInTheCLocale) {
  ScopedLocale c("C");
  ASSERT_TRUE(c.ok());
  ExpectReadsEveryForm();
}

TEST(ParseDbNumber, ReadsBothSeparatorsInThePolishLocale) {
  ScopedLocale polish("pl_PL.UTF-8");
  if (!polish.ok() && !veldrix::test::RunningInCi()) GTEST_SKIP() << "pl_PL.UTF-8 not generated";
  ASSERT_TRUE(polish.ok());
  ExpectReadsEveryForm();
}
