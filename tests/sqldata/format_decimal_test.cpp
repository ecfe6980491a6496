#include "sqldata/format_decimal.h"

#include "test_support.h"

#include <gtest/gtest.h>

namespace {

// The Polish locale is generated in CI; on a machine without it the cases skip.
bool EnterPolish(veldrix::test::ScopedLocale& locale) {
  if (locale.ok()) return true;
  if (veldrix::test::RunningInCi()) ADD_FAILURE() << "pl_PL.UTF-8 is not available";
  return false;
}

}  // namespace

TEST(FormatDecimal, UsesAPointUnderTheCLocale) {
  veldrix::test::ScopedLocale locale("C");
  ASSERT_TRUE(locale.ok());
  EXPECT_EQ(FormatDecimal(2.675, 2), "2.68");
  EXPECT_EQ(FormatDecimal(1234.5, 2), "1234.50");
  EXPECT_EQ(FormatDecimal(0, 2), "0.00");
  EXPECT_EQ(FormatDecimal(7, 0), "7");
}

TEST(FormatDecimal, UsesACommaWithoutGroupingUnderPolish) {
  veldrix::test::ScopedLocale locale("pl_PL.UTF-8");
  if (!EnterPolish(locale)) GTEST_SKIP();
  EXPECT_EQ(FormatDecimal(2.675, 2), "2,68");
  EXPECT_EQ(FormatDecimal(1234.5, 2), "1234,50");
  EXPECT_EQ(FormatDecimal(1234567.891, 2), "1234567,89");
  EXPECT_EQ(FormatDecimal(0.1 + 0.2, 2), "0,30");
  EXPECT_EQ(FormatDecimal(-1.005, 2), "-1,01");
}

TEST(FormatDecimal, RoundsHalvesAwayFromZero) {
  veldrix::test::ScopedLocale locale("C");
  EXPECT_EQ(FormatDecimal(-2.5, 0), "-3");
  EXPECT_EQ(FormatDecimal(2.5, 0), "3");
  EXPECT_EQ(FormatDecimal(0.125, 2), "0.13");
  EXPECT_EQ(FormatDecimal(-0.125, 2), "-0.13");
  EXPECT_EQ(FormatDecimal(1.2344, 3), "1.234");
}

TEST(FormatDecimal, NeverShowsMinusZero) {
  veldrix::test::ScopedLocale locale("C");
  EXPECT_EQ(FormatDecimal(-0.001, 2), "0.00");
  EXPECT_EQ(FormatDecimal(-0.0, 2), "0.00");
}

TEST(FormatDecimal, TakesANegativeCountAsZero) {
  veldrix::test::ScopedLocale locale("C");
  EXPECT_EQ(FormatDecimal(12.6, -3), "13");
}
