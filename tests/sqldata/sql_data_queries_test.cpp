// SQLData's query methods on real SQLite files.
#include "sqldata/sql_data.h"

#include "sqldata/db_log.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>
#include <wx/wxsqlite3.h>

#include <climits>

using veldrix::test::IsolatedFolders;
using veldrix::test::ReadFileBytes;

namespace {

class SqlDataQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    db = std::make_unique<SQLData>(folders.root() + "/q.db");
    ASSERT_TRUE(db->IniciujBazeDanych());
    ASSERT_EQ(db->DeleteData("CREATE TABLE t(id INTEGER PRIMARY KEY, nazwa TEXT, kwota REAL, domyslna INTEGER)"), 0);
    ASSERT_EQ(db->DeleteData("INSERT INTO t(nazwa, kwota, domyslna) VALUES ('jeden', 2.5, 0), ('dwa', NULL, 1), "
                             "(NULL, 10, 0)"),
              3);
  }

  wxString LogText() const { return wxString::FromUTF8(ReadFileBytes(DbLogFilePath())); }

  IsolatedFolders folders;
  wxLogNull quiet;
  std::unique_ptr<SQLData> db;
};

}  // namespace

TEST_F(SqlDataQueries, FrameDataFlattensRowsAndFormatsRealCells) {
  const wxArrayString cells = db->FrameData("SELECT id, nazwa, kwota FROM t ORDER BY id");
  ASSERT_EQ(cells.size(), 9u);
  EXPECT_EQ(cells[0], "1");
  EXPECT_EQ(cells[1], "jeden");
  EXPECT_EQ(cells[2], "2.50");
  EXPECT_EQ(cells[5], "");  // NULL
  EXPECT_EQ(cells[7], "");
  EXPECT_EQ(cells[8], "10.00");
  EXPECT_TRUE(db->FrameData("SELECT * FROM t WHERE id < 0").empty());

  EXPECT_TRUE(db->FrameData("SELECT * FROM missing").empty());
  EXPECT_TRUE(db->errorFlag);
  EXPECT_TRUE(db->lastError.StartsWith("FrameData | SQL error 1: ")) << db->lastError;
  EXPECT_NE(LogText().Find("QUERY: SELECT * FROM missing"), wxNOT_FOUND);
}

TEST_F(SqlDataQueries, FrameDataShowsRealCellsWithTheLocaleDecimalComma) {
  veldrix::test::ScopedLocale polish("pl_PL.UTF-8");
  if (!polish.ok() && !veldrix::test::RunningInCi()) GTEST_SKIP() << "pl_PL.UTF-8 not generated";
  ASSERT_TRUE(polish.ok());
  const wxArrayString cells = db->FrameData("SELECT kwota FROM t WHERE id = 1");
  ASSERT_EQ(cells.size(), 1u);
  EXPECT_EQ(cells[0], "2,50");
}

TEST_F(SqlDataQueries, IsExistsDataAndSimpleListData) {
  EXPECT_TRUE(db->IsExistsData("SELECT 1 FROM t WHERE nazwa = 'dwa'"));
  EXPECT_FALSE(db->IsExistsData("SELECT 1 FROM t WHERE nazwa = 'trzy'"));
  EXPECT_FALSE(db->errorFlag);
  EXPECT_FALSE(db->IsExistsData("SELECT 1 FROM nowhere"));
  EXPECT_TRUE(db->errorFlag);

  wxArrayString texts;
  wxArrayInt ids;
  db->SimpleListData(&texts, &ids, "SELECT nazwa, id FROM t ORDER BY id");
  ASSERT_EQ(texts.size(), 3u);
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(texts[1], "dwa");
  EXPECT_EQ(texts[2], "");
  EXPECT_EQ(ids[2], 3);
  db->SimpleListData(nullptr, &ids, "SELECT nazwa, id FROM t");
  EXPECT_EQ(ids.size(), 3u);
}

TEST_F(SqlDataQueries, DeleteAndInsertData) {
  EXPECT_EQ(db->DeleteData("UPDATE t SET domyslna = 0"), 3);
  EXPECT_EQ(db->DeleteData("DELETE FROM t WHERE id = 99"), 0);
  EXPECT_EQ(db->InsertData("INSERT INTO t(nazwa) VALUES('cztery')"), 4);
  EXPECT_EQ(db->InsertData("UPDATE t SET nazwa = nazwa WHERE id = 99"), 0);
  EXPECT_FALSE(db->errorFlag);

  EXPECT_EQ(db->DeleteData("DELETE FROM missing"), -1);
  EXPECT_TRUE(db->lastError.StartsWith("SQLData | SQL error 1: ")) << db->lastError;

  wxString blad = "old";
  EXPECT_EQ(db->InsertData(blad, "INSERT INTO t(nazwa) VALUES('piec')"), 0);
  EXPECT_EQ(blad, "");
  EXPECT_EQ(db->InsertData(blad, "INSERT INTO t(id) VALUES(1)"), -1);
  EXPECT_TRUE(blad.StartsWith("19: ")) << blad;  // constraint
  EXPECT_TRUE(db->lastError.StartsWith("InsertData(blad) | SQL error 19: ")) << db->lastError;
}

TEST_F(SqlDataQueries, ClosedObjectAnswersWithoutRunning) {
  db->ZamknijBazeDanych();
  db->errorFlag = false;
  EXPECT_TRUE(db->FrameData("SELECT 1").empty());
  EXPECT_FALSE(db->IsExistsData("SELECT 1"));
  EXPECT_EQ(db->InsertData("INSERT INTO t(nazwa) VALUES('x')"), -1);
  wxString blad;
  EXPECT_EQ(db->InsertData(blad, "INSERT INTO t(nazwa) VALUES('x')"), -1);
  EXPECT_EQ(blad, "DB not open");
  EXPECT_FALSE(db->errorFlag);

  EXPECT_EQ(db->DeleteData("DELETE FROM t"), -1);
  EXPECT_EQ(db->lastError, "SQLData | DB not open");
  const SqlExecResult result = db->ExecPrepared("DELETE FROM t", {});
  EXPECT_EQ(result.changes, 0);
  EXPECT_EQ(db->lastError, "ExecPrepared | DB not open");
  EXPECT_NE(LogText().Find(" ExecPrepared | DB not open\n"), wxNOT_FOUND);
}

TEST_F(SqlDataQueries, ExecPreparedBindsEveryKindAndReturnsTheNewRowId) {
  ASSERT_GE(db->DeleteData("CREATE TABLE v(id INTEGER PRIMARY KEY, n, i, l, d, b, s)"), 0);
  SqlValue unknown;
  unknown.kind = static_cast<SqlValueKind>(6);
  const std::vector<SqlValue> params{SqlValue::Null(), SqlValue(INT_MIN), SqlValue::Int64(9000000000123LL),
                                     SqlValue::Double(-1.25), SqlValue(true), SqlValue(L"zażółć 'x'"), unknown};
  SqlExecResult result = db->ExecPrepared("INSERT INTO v(n, i, l, d, b, s, id) VALUES(?, ?, ?, ?, ?, ?, ?)", params);
  EXPECT_EQ(result.changes, 1);
  EXPECT_EQ(result.newRowId, 1);
  result = db->ExecPrepared("INSERT INTO v(id, s) VALUES(?, ?)", {SqlValue::Int64(5000000000LL), SqlValue("big")});
  EXPECT_EQ(result.newRowId, 5000000000LL);

  const wxArrayString cells =
      db->FrameData("SELECT typeof(n), i, l, typeof(d), b, s, typeof(s) FROM v WHERE id = 1");
  ASSERT_EQ(cells.size(), 7u);
  EXPECT_EQ(cells[0], "null");
  EXPECT_EQ(cells[1], "-2147483648");
  EXPECT_EQ(cells[2], "9000000000123");
  EXPECT_EQ(cells[3], "real");
  EXPECT_EQ(cells[4], "1");
  EXPECT_EQ(cells[5], L"zażółć 'x'");
  EXPECT_EQ(cells[6], "text");
  EXPECT_EQ(db->FrameData("SELECT d FROM v WHERE id = 1")[0], "-1.25");

  result = db->ExecPrepared("UPDATE v SET s = ? WHERE id > ?", {SqlValue("u"), SqlValue(0)});
  EXPECT_EQ(result.changes, 2);
  result = db->ExecPrepared("DELETE FROM v WHERE id = ?", {SqlValue(77)});
  EXPECT_EQ(result.changes, 0);
  EXPECT_EQ(result.newRowId, 0);
  EXPECT_FALSE(db->errorFlag);
}

TEST_F(SqlDataQueries, ExecPreparedOnSqlitePassesTheExceptionOnAndSetsTheErrorFlag) {
  db->StartTransaction();
  db->ExecPrepared("INSERT INTO t(nazwa) VALUES(?)", {SqlValue("in unit")});
  EXPECT_THROW(db->ExecPrepared("INSERT INTO t(id) VALUES(?)", {SqlValue(1)}), wxSQLite3Exception);
  EXPECT_TRUE(db->errorFlag);
  EXPECT_TRUE(db->lastError.StartsWith("ExecPrepared | SQL error 19: ")) << db->lastError;
  db->RollbackTransaction();
  EXPECT_FALSE(db->IsExistsData("SELECT 1 FROM t WHERE nazwa = 'in unit'"));
  EXPECT_THROW(db->ExecPrepared("INSERT INTO nowhere VALUES(?)", {SqlValue(1)}), wxSQLite3Exception);
}

TEST_F(SqlDataQueries, ATransactionWhoseUnitThrowsIsRolledBackAndFails) {
  EXPECT_FALSE(db->RunTransaction([&] {
    db->ExecPrepared("INSERT INTO t(nazwa) VALUES(?)", {SqlValue("in unit")});
    db->ExecPrepared("INSERT INTO t(id) VALUES(?)", {SqlValue(1)});
    return true;
  }));
  EXPECT_TRUE(db->errorFlag);
  EXPECT_NE(db->ErrorReason().Find("UNIQUE"), wxNOT_FOUND) << db->lastError;  // the reason SQLite gave
  EXPECT_FALSE(db->IsExistsData("SELECT 1 FROM t WHERE nazwa = 'in unit'"));
  EXPECT_TRUE(db->RunTransaction([] { return true; }));  // nothing was left open
}
