#include "dbsetup/schema_checks.h"

#include "dbsetup/baza_skrypt.h"
#include "sqldata/sql_data.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>

using veldrix::JoinPath;
using veldrix::test::IsolatedFolders;

namespace {

class SchemaChecksTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = std::make_unique<SQLData>(JoinPath(folders_.root(), "checks.db"));
    ASSERT_TRUE(db_->IniciujBazeDanych()) << db_->lastError;
  }
  void Run(const wxString& sql) {
    wxString error;
    ASSERT_EQ(db_->InsertData(error, sql), 0) << error;
  }

  IsolatedFolders folders_;
  std::unique_ptr<SQLData> db_;
};

}  // namespace

TEST_F(SchemaChecksTest, TableExistsOnSqlite) {
  Run("create table firma(id_firmy integer primary key, nazwa text)");
  EXPECT_TRUE(TableExists(db_.get(), "firma"));
  EXPECT_FALSE(TableExists(db_.get(), "brak"));
  EXPECT_FALSE(TableExists(db_.get(), ""));
  EXPECT_FALSE(TableExists(nullptr, "firma"));
  EXPECT_FALSE(TableExists(db_.get(), "firma' or '1'='1"));
}

TEST(SchemaChecks, TableExistsAsksEachEnginesOwnSchema) {
  EXPECT_EQ(TableExistsSql("SQL Server", "firma"),
            "select 1 from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA='dbo' and TABLE_NAME='firma'");
  EXPECT_EQ(TableExistsSql("MySQL", "firma"),
            "select 1 from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA=DATABASE() and TABLE_NAME='firma'");
  EXPECT_EQ(TableExistsSql("PostgreSQL", "firma"),
            "select 1 from INFORMATION_SCHEMA.TABLES where TABLE_SCHEMA=current_schema() and TABLE_NAME='firma'");
  EXPECT_EQ(TableExistsSql("Oracle", "o'k"), "select 1 from user_tables where table_name=UPPER('o''k')");
}

TEST_F(SchemaChecksTest, RecognisesAddColumnOfAnExistingColumn) {
  Run("create table firma(id_firmy integer primary key, logo_base64 text)");
  Run("create table t(c int)");
  wxString table, column;
  EXPECT_TRUE(AddColumnAlreadyExists(db_.get(), "ALTER TABLE firma ADD COLUMN logo_base64 TEXT", &table, &column));
  EXPECT_EQ(table, "firma");
  EXPECT_EQ(column, "logo_base64");
  EXPECT_TRUE(AddColumnAlreadyExists(db_.get(), "alter table [firma]\r\n add logo_base64 text;", &table, &column));
  EXPECT_TRUE(AddColumnAlreadyExists(db_.get(), "ALTER TABLE IF EXISTS t ADD COLUMN c INT", &table, &column));
  EXPECT_EQ(table, "t");
  EXPECT_TRUE(AddColumnAlreadyExists(db_.get(), "ALTER TABLE t ADD c", &table, &column));
  EXPECT_FALSE(AddColumnAlreadyExists(db_.get(), "ALTER TABLE t ADD CONSTRAINT ck CHECK (c > 0)", &table, &column));
  EXPECT_FALSE(AddColumnAlreadyExists(db_.get(), "ALTER TABLE firma ADD COLUMN logo_format TEXT", &table, &column));
  EXPECT_FALSE(AddColumnAlreadyExists(db_.get(), "ALTER TABLE t ADD", &table, &column));
  EXPECT_FALSE(AddColumnAlreadyExists(db_.get(), "CREATE TABLE x (a int, b int)", &table, &column));
  EXPECT_FALSE(AddColumnAlreadyExists(nullptr, "ALTER TABLE t ADD COLUMN c INT", &table, &column));
}

TEST(SchemaChecks, IdentifiersAndComparisonText) {
  EXPECT_EQ(CleanSqlIdentifier(" [firma]; "), "firma");
  EXPECT_EQ(CleanSqlIdentifier("\"a b\","), "a b");
  EXPECT_EQ(CleanSqlIdentifier("`t`"), "t");
  EXPECT_EQ(CleanSqlIdentifier("dbo.[t]"), "dbo.[t]");
  EXPECT_EQ(CleanSqlIdentifier("\"x`"), "\"x`");
  EXPECT_EQ(NormalizeSqlForCompare("  PRAGMA foreign_keys = OFF;\r\n"), "pragmaforeign_keys=off");
}

TEST_F(SchemaChecksTest, ForeignKeysPragmaRunsBetweenTransactions) {
  Run("create table t(x int)");
  db_->StartTransaction();
  bool open = true;
  bool handled = false;
  wxString error;
  Run("insert into t values(1)");
  ASSERT_TRUE(ExecuteForeignKeysPragma(db_.get(), "pragma foreign_keys=off", &open, &handled, &error)) << error;
  EXPECT_TRUE(handled);
  EXPECT_TRUE(open);
  Run("insert into t values(2)");
  db_->RollbackTransaction();
  // The row written before the pragma was committed by it; the one after was not.
  EXPECT_EQ(db_->FrameData("select count(*) from t")[0], "1");
  EXPECT_EQ(db_->FrameData("pragma foreign_keys")[0], "0");

  handled = true;
  EXPECT_TRUE(ExecuteForeignKeysPragma(db_.get(), "insert into t values(3)", &open, &handled, &error));
  EXPECT_FALSE(handled);
  EXPECT_TRUE(ExecuteForeignKeysPragma(db_.get(), "pragma foreign_keys=on", nullptr, &handled, &error));
  EXPECT_FALSE(handled);
}

TEST_F(SchemaChecksTest, ModuleVersionsRoundTripThroughBazaModul) {
  Run("CREATE TABLE IF NOT EXISTS baza_modul (modul VARCHAR(100) PRIMARY KEY, wersja REAL NOT NULL DEFAULT 0)");
  EXPECT_EQ(SetModuleVersionSql("SQLite", "kpir", 1.25),
            "insert or replace into baza_modul(modul,wersja) values('kpir',1.2500)");
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), "kpir"), 0);
  Run(SetModuleVersionSql("SQLite", "kpir", 1.2345));
  Run(SetModuleVersionSql("SQLite", "o'k", 3));
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), "kpir"), 1.2345);
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), "o'k"), 3);
  Run(SetModuleVersionSql("SQLite", "kpir", 2));
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), "kpir"), 2);
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), ""), 0);
}

TEST_F(SchemaChecksTest, AdoptsModulesWhoseTablesPredateTheirVersionRow) {
  Run("CREATE TABLE IF NOT EXISTS baza_modul (modul VARCHAR(100) PRIMARY KEY, wersja REAL NOT NULL DEFAULT 0)");
  Run("create table kpir_zapis(x int)");
  Run("insert into baza_modul(modul,wersja) values('kpir',0)");
  AdoptExistingModuleSchema(db_.get(), "kpir", 1.3);
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), "kpir"), 1.3);

  Run("insert into baza_modul(modul,wersja) values('faktury',0.5)");
  Run("create table dokument_handlowy(x int)");
  AdoptExistingModuleSchema(db_.get(), "faktury", 1.3);
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), "faktury"), 0.5);

  AdoptExistingModuleSchema(db_.get(), "artykuly", 1.3);  // marker table absent
  AdoptExistingModuleSchema(db_.get(), "inny", 1.3);      // no marker table at all
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), "artykuly"), 0);
  EXPECT_DOUBLE_EQ(GetModuleVersion(db_.get(), "inny"), 0);
  EXPECT_EQ(ModuleMarkerTable("ksef"), "ksef_faktury");
  EXPECT_EQ(ModuleMarkerTable("KSEF"), "");
}

TEST(SchemaChecks, SqlServerResetNamesOnlyTheScriptsTables) {
  BazaSkrypt script;
  script.Add(" firma ", "create table firma(x int)", ScriptStatementTable);
  script.Add("FIRMA", "create table FIRMA(x int)", ScriptStatementTable);
  script.Add("o'k", "create table [o'k](x int)", ScriptStatementTable);
  script.Add("baza", "insert into baza values(1)", ScriptStatementInsert);
  script.Add("", "create table x(y int)", ScriptStatementTable);
  const wxString list = ScriptTableNameList(script);
  EXPECT_EQ(list, "N'firma',N'o''k'");
  const wxString batch = SqlServerResetBatch(list);
  EXPECT_TRUE(batch.StartsWith("DECLARE @sql NVARCHAR(MAX)=N''; SELECT @sql=@sql+N'ALTER TABLE '"));
  EXPECT_TRUE(batch.Contains("WHERE (pt.schema_id=SCHEMA_ID(N'dbo') AND pt.name IN (N'firma',N'o''k')) "
                             "OR (rt.schema_id=SCHEMA_ID(N'dbo') AND rt.name IN (N'firma',N'o''k')); "
                             "IF LEN(@sql)>0 EXEC sp_executesql @sql; SET @sql=N''; "));
  EXPECT_TRUE(batch.EndsWith("FROM sys.tables t WHERE t.schema_id=SCHEMA_ID(N'dbo') AND t.name IN "
                             "(N'firma',N'o''k'); IF LEN(@sql)>0 EXEC sp_executesql @sql;"));
  EXPECT_EQ(ScriptTableNameList(BazaSkrypt()), "");
}

TEST_F(SchemaChecksTest, SqlServerResetLeavesOtherEnginesAlone) {
  Run("create table firma(x int)");
  BazaSkrypt script;
  script.Add("firma", "create table firma(x int)", ScriptStatementTable);
  wxString error;
  EXPECT_TRUE(ResetSqlServerPartialSchema(db_.get(), &script, &error));
  EXPECT_TRUE(TableExists(db_.get(), "firma"));
}
