#include "sqldata/sql_literals.h"

#include <gtest/gtest.h>

TEST(SqlLiterals, DoubleEveryQuote) {
  EXPECT_EQ(EscapeSqlText("O'Brien's"), "O''Brien''s");
  EXPECT_EQ(EscapeSqlText(""), "");
  EXPECT_EQ(QuoteSqlLiteral("a'b"), "'a''b'");
  EXPECT_EQ(QuoteSqlNLiteral(L"Łódź'"), L"N'Łódź'''");
}

TEST(SqlLiterals, QuoteIdentifiersPerEngine) {
  EXPECT_EQ(QuoteIdentifier("a`b", "mysql"), "`a``b`");
  EXPECT_EQ(QuoteIdentifier("a]b", "SQL Server"), "[a]]b]");
  EXPECT_EQ(QuoteIdentifier("a\"b", "PostgreSQL"), "\"a\"\"b\"");
  EXPECT_EQ(QuoteIdentifier("firma", "SQLite"), "\"firma\"");
}
