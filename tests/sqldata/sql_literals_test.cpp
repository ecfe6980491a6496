#include "sqldata/sql_literals.h"

#include "sqldata/sql_value.h"
#include "test_support.h"

#include <cmath>

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

TEST(SqlLiterals, ValuesAsLiterals) {
  EXPECT_EQ(SqlValueToLiteral(SqlValue(-7)), "-7");
  EXPECT_EQ(SqlValueToLiteral(SqlValue::Int64(-9000000000LL)), "-9000000000");
  EXPECT_EQ(SqlValueToLiteral(SqlValue(true)), "1");
  EXPECT_EQ(SqlValueToLiteral(SqlValue(false)), "0");
  EXPECT_EQ(SqlValueToLiteral(SqlValue(L"O'Neil ż")), L"'O''Neil ż'");
  EXPECT_EQ(SqlValueToLiteral(SqlValue::Null()), "NULL");
  SqlValue unknown;
  unknown.kind = static_cast<SqlValueKind>(9);
  EXPECT_EQ(SqlValueToLiteral(unknown), "NULL");
  EXPECT_EQ(SqlValueToLiteral(SqlValue::Double(std::nan(""))), "NULL");
}

TEST(SqlLiterals, DoubleLiteralHasAPointInThePolishLocale) {
  veldrix::test::ScopedLocale polish("pl_PL.UTF-8");
  if (!polish.ok() && !veldrix::test::RunningInCi()) GTEST_SKIP() << "pl_PL.UTF-8 not generated";
  ASSERT_TRUE(polish.ok());
  EXPECT_EQ(SqlValueToLiteral(SqlValue::Double(1.5)), "1.500000000000000");
  EXPECT_EQ(SqlValueToLiteral(SqlValue::Double(-1234567.25)), "-1234567.250000000000000");
}

TEST(InlineSqlParameters, FillsPlaceholdersInOrder) {
  std::vector<SqlValue> params{SqlValue(1), SqlValue("a'b")};
  EXPECT_EQ(InlineSqlParameters("UPDATE t SET a=?, b=? WHERE c=?", params), "UPDATE t SET a=1, b='a''b' WHERE c=?");
  EXPECT_EQ(InlineSqlParameters("SELECT ?", {SqlValue(1), SqlValue(2)}), "SELECT 1");
  EXPECT_EQ(InlineSqlParameters("SELECT 1", {}), "SELECT 1");
}

TEST(InlineSqlParameters, LeavesQuestionMarksInLiteralsAndCommentsAlone) {
  std::vector<SqlValue> params{SqlValue(1), SqlValue("x")};
  // As SQLite's own binding: the "?" inside the literal is text, so the second
  // parameter goes to the third "?".
  EXPECT_EQ(InlineSqlParameters("INSERT INTO t VALUES(?, 'what?', ?)", params), "INSERT INTO t VALUES(1, 'what?', 'x')");
  EXPECT_EQ(InlineSqlParameters("SELECT 'it''s ?', \"col?\", [a?], `b?` -- why?\n, ? /* and ? */, ?", params),
            "SELECT 'it''s ?', \"col?\", [a?], `b?` -- why?\n, 1 /* and ? */, 'x'");
  // Unterminated quotes and comments run to the end of the text.
  EXPECT_EQ(InlineSqlParameters("SELECT ? /* ?", params), "SELECT 1 /* ?");
  EXPECT_EQ(InlineSqlParameters("SELECT 'abc ?", params), "SELECT 'abc ?");
}
