#include "server_support.h"
#include "sqldata/engine_statements.h"

#include <gtest/gtest.h>

using veldrix::test::TestServer;
using veldrix::test::UniqueServerName;

namespace {

class EngineStatements : public veldrix::test::ServerConnectionTest,
                         public ::testing::WithParamInterface<TestServer> {
 protected:
  EngineStatements() : ServerConnectionTest(GetParam().variable), engine_(GetParam().engine) {}

  int Rows(const wxString& sql, IDbConnection* on = nullptr) {
    DbQueryResult result = Run(sql, on);
    return result.resultSets.empty() ? -1 : result.resultSets.back().rowCount;
  }

  wxString Scalar(const wxString& sql) {
    DbQueryResult result = Run(sql);
    if (result.resultSets.empty() || result.resultSets.back().rowCount < 1) return "<none>";
    return result.resultSets.back().text(0, 0);
  }

  wxString NewTable(const wxString& columns) {
    const wxString table = TableName("stmt");
    Run("CREATE TABLE " + table + " (" + columns + ")");
    return table;
  }

  wxString AutoIdColumn() const {
    return engine_ == "MySQL" ? "id INT PRIMARY KEY AUTO_INCREMENT" : "id SERIAL PRIMARY KEY";
  }

  wxString engine_;
};

TEST_P(EngineStatements, BeginStartsATransactionThatRollsBackAndCommits) {
  const wxString table = NewTable("id INT, name VARCHAR(20)");
  auto observer = OpenAnother();
  Run(BeginTransactionStatement(engine_));
  Run("INSERT INTO " + table + " VALUES (1, 'a')");
  EXPECT_EQ(Rows("SELECT * FROM " + table, observer.get()), 0);  // not visible before the commit
  Run("ROLLBACK");
  EXPECT_EQ(Rows("SELECT * FROM " + table), 0);

  Run(BeginTransactionStatement(engine_));
  Run("INSERT INTO " + table + " VALUES (2, 'b')");
  Run("COMMIT");
  EXPECT_EQ(Rows("SELECT * FROM " + table, observer.get()), 1);
}

TEST_P(EngineStatements, LastInsertIdGivesTheNewRowsId) {
  const wxString table = NewTable(AutoIdColumn() + ", name VARCHAR(20)");
  Run("INSERT INTO " + table + " (name) VALUES ('a')");
  Run("INSERT INTO " + table + " (name) VALUES ('b')");
  EXPECT_EQ(Scalar(LastInsertIdStatement(engine_)), "2");
}

TEST_P(EngineStatements, LastInsertIdNeverAbortsTheOpenTransaction) {
  // A fresh session has used no sequence yet: lastval() itself would fail here.
  const wxString table = NewTable("id INT, name VARCHAR(20)");
  auto fresh = OpenAnother();
  Run(BeginTransactionStatement(engine_), fresh.get());
  Run("INSERT INTO " + table + " VALUES (7, 'x')", fresh.get());
  DbQueryResult result = Run(LastInsertIdStatement(engine_), fresh.get());
  ASSERT_FALSE(result.resultSets.empty());
  const wxString id = result.resultSets.back().text(0, 0);
  EXPECT_TRUE(id.empty() || id == "0") << id;
  Run("INSERT INTO " + table + " VALUES (8, 'y')", fresh.get());
  Run("COMMIT", fresh.get());
  EXPECT_EQ(Rows("SELECT * FROM " + table), 2);
}

TEST_P(EngineStatements, ColumnLookupSeesOnlyTheOwnDatabase) {
  const wxString name = UniqueServerName("elsewhere");
  // The same table name in another schema (PostgreSQL) or database (MySQL).
  Run("CREATE SCHEMA " + name);
  DropAtEnd(engine_ == "MySQL" ? "DROP DATABASE IF EXISTS " + name : "DROP SCHEMA IF EXISTS " + name + " CASCADE");
  Run("CREATE TABLE " + name + ".firma_test (id INT, nip VARCHAR(20))");
  EXPECT_EQ(Rows(ColumnExistsStatement(engine_, "firma_test", "nip")), 0);

  const wxString own = NewTable("id INT, Nip VARCHAR(20)");
  EXPECT_EQ(Rows(ColumnExistsStatement(engine_, own.Upper(), "NIP")), 1);
  EXPECT_EQ(Rows(ColumnExistsStatement(engine_, own, "regon")), 0);
}

INSTANTIATE_TEST_SUITE_P(Servers, EngineStatements, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
