#include "sqldata/engine_statements.h"

#include <gtest/gtest.h>

TEST(EngineStatements, BeginsTransactionsInEachEnginesWords) {
  EXPECT_EQ(BeginTransactionStatement("SQLite"), "BEGIN TRANSACTION");
  EXPECT_EQ(BeginTransactionStatement("SQL Server"), "BEGIN TRANSACTION");
  EXPECT_EQ(BeginTransactionStatement("mysql"), "START TRANSACTION");
  EXPECT_EQ(BeginTransactionStatement("PostgreSQL"), "BEGIN");
  EXPECT_EQ(BeginTransactionStatement("Oracle"), "");
}

TEST(EngineStatements, QuotesNamesInCatalogueLookups) {
  EXPECT_EQ(TableExistsStatement("Oracle", "o'x"), "SELECT 1 FROM USER_TABLES WHERE LOWER(TABLE_NAME) = LOWER('o''x')");
  EXPECT_EQ(LastInsertIdStatement("Oracle"), "");
}
