#include "dbsetup/schema_version.h"

#include "test_support.h"

#include <gtest/gtest.h>

TEST(SchemaVersion, ParsesBothDecimalSeparators) {
  double value = -1;
  EXPECT_TRUE(ParseSchemaVersion("1.25", &value));
  EXPECT_DOUBLE_EQ(value, 1.25);
  EXPECT_TRUE(ParseSchemaVersion(" 1,5 ", &value));
  EXPECT_DOUBLE_EQ(value, 1.5);
  value = 7;
  EXPECT_FALSE(ParseSchemaVersion("", &value));
  EXPECT_FALSE(ParseSchemaVersion("abc", &value));
  EXPECT_DOUBLE_EQ(value, 7);
}

TEST(SchemaVersion, ComparesWithinTolerance) {
  EXPECT_FALSE(VersionAbove(1.25000001, 1.25));
  EXPECT_FALSE(VersionAbove(1.0000005, 1.0));
  EXPECT_TRUE(VersionAbove(1.0000015, 1.0));
  EXPECT_TRUE(VersionAbove(1.1, 1.05));
}

TEST(SchemaVersion, FormatsWithDotUnderAnyLocale) {
  for (const char* name : {"C", "pl_PL.UTF-8"}) {
    if (!veldrix::test::LocaleAvailable(name)) {
      if (veldrix::test::RunningInCi()) ADD_FAILURE() << name << " locale missing";
      continue;
    }
    veldrix::test::ScopedLocale locale(name);
    EXPECT_EQ(FormatVersionFixed(1.25, 4), "1.2500") << name;
    EXPECT_EQ(FormatVersionFixed(2, 4), "2.0000") << name;
    EXPECT_EQ(FormatVersionFixed(1.005, 2), "1.01") << name;
    EXPECT_EQ(FormatSchemaVersion(1.25), "1.25") << name;
    EXPECT_EQ(FormatSchemaVersion(1.0), "1") << name;
    EXPECT_EQ(FormatSchemaVersion(0.5), "0.5") << name;
    EXPECT_EQ(FormatSchemaVersion(0), "0") << name;
    EXPECT_EQ(FormatSchemaVersion(1.23456), "1.2346") << name;
    double value = 0;
    EXPECT_TRUE(ParseSchemaVersion("1.2500", &value));
    EXPECT_DOUBLE_EQ(value, 1.25);
  }
}
