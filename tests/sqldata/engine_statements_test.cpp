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
  EXPECT_EQ(ColumnExistsStatement("Oracle", "o'x", "c"),
            "SELECT 1 FROM USER_TAB_COLUMNS WHERE LOWER(TABLE_NAME) = LOWER('o''x') AND LOWER(COLUMN_NAME) = LOWER('c')");
  EXPECT_EQ(LastInsertIdStatement("Oracle"), "");
}
