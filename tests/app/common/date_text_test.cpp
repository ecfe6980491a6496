// Dates in the text forms the database engines and drivers give back.
#include "app/common/date_text.h"

#include <gtest/gtest.h>

#include "test_locales.h"

using veldrix::ParseDateText;
using veldrix::test::ForEachTestLocale;

namespace {

void ExpectDate(const wxString& text, int year, wxDateTime::Month month, int day, int hour = 0, int minute = 0,
                int second = 0) {
  const wxDateTime date = ParseDateText(text);
  ASSERT_TRUE(date.IsValid()) << text;
  EXPECT_EQ(date.GetYear(), year) << text;
  EXPECT_EQ(date.GetMonth(), month) << text;
  EXPECT_EQ(date.GetDay(), day) << text;
  EXPECT_EQ(date.GetHour(), hour) << text;
  EXPECT_EQ(date.GetMinute(), minute) << text;
  EXPECT_EQ(date.GetSecond(), second) << text;
  EXPECT_EQ(date.GetMillisecond(), 0) << text;
}

}  // namespace

TEST(DateText, ReadsTheEngineForms) {
  ForEachTestLocale([] {
    ExpectDate("2024-01-15 10:30:00.123", 2024, wxDateTime::Jan, 15, 10, 30, 0);
    ExpectDate("2024-01-15 10:30:45", 2024, wxDateTime::Jan, 15, 10, 30, 45);
    ExpectDate("2024-01-15T10:30:45", 2024, wxDateTime::Jan, 15, 10, 30, 45);
    ExpectDate("2024-01-15", 2024, wxDateTime::Jan, 15);
    ExpectDate("  15.01.2024 ", 2024, wxDateTime::Jan, 15);
    ExpectDate("15-01-2024", 2024, wxDateTime::Jan, 15);
    ExpectDate("15/01/2024", 2024, wxDateTime::Jan, 15);
  });
}

TEST(DateText, MonthNameFormGivesTheDateAtMidnight) {
  ForEachTestLocale([] {
    ExpectDate("Jan 15 2024 10:30AM", 2024, wxDateTime::Jan, 15);
    ExpectDate("DEC  3  1999", 1999, wxDateTime::Dec, 3);
    ExpectDate("sep. 30 2023 x y", 2023, wxDateTime::Sep, 30);
  });
}

TEST(DateText, TextsWithARestOrAWrongPartAreNoDate) {
  ForEachTestLocale([] {
    EXPECT_FALSE(ParseDateText("15.01.2024 10:00").IsValid());
    EXPECT_FALSE(ParseDateText("Jan 15, 2024").IsValid());
    EXPECT_FALSE(ParseDateText("").IsValid());
    EXPECT_FALSE(ParseDateText("   ").IsValid());
    EXPECT_FALSE(ParseDateText("Foo 15 2024").IsValid());
    EXPECT_FALSE(ParseDateText("Jan 32 2024").IsValid());
    EXPECT_FALSE(ParseDateText("Jan 15 0").IsValid());
    // A day past the end of its month is no date (and never trips an assertion).
    EXPECT_FALSE(ParseDateText("Feb 30 2023").IsValid());
  });
}
