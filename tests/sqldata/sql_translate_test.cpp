#include "sqldata/sql_translate.h"

#include <gtest/gtest.h>

#include <string>

namespace {

wxString Mssql(const wxString& sql) { return TranslateSqlForEngine(sql, "SQL Server"); }

struct Case {
  const char* input;
  const char* expected;
};

}  // namespace

TEST(SqlTranslate, DialectExamplesComeOutExactly) {
  const Case cases[] = {
      {"select nazwa from firma order by nazwa limit 1", "select TOP 1 nazwa from firma order by nazwa"},
      {"SELECT DISTINCT nazwa FROM firma LIMIT 10", "SELECT DISTINCT TOP 10 nazwa FROM firma"},
      {"SELECT TOP 5 nazwa FROM firma LIMIT 10", "SELECT TOP 5 nazwa FROM firma"},
      {"select * from (select id_firmy from firma order by id_firmy desc limit 1) t",
       "select * from (select TOP 1 id_firmy from firma order by id_firmy desc) t"},
      {"select ifnull(sum(kwota),0) from x where d > datetime('now','-1 day')",
       "select ISNULL(sum(kwota),0) from x where d > DATEADD(day,-1,CURRENT_TIMESTAMP)"},
      {"select nazwa from firma order by nazwa COLLATE NOCASE", "select nazwa from firma order by nazwa"},
      {"insert or replace into baza_modul(modul, wersja) values('kpir', 1.2)",
       "MERGE baza_modul WITH (HOLDLOCK) AS target USING (SELECT N'kpir' AS modul, 1.2 AS wersja) AS source ON "
       "target.modul=source.modul WHEN MATCHED THEN UPDATE SET wersja=source.wersja WHEN NOT MATCHED THEN INSERT "
       "(modul, wersja) VALUES (source.modul, source.wersja);"},
      {"CREATE TABLE IF NOT EXISTS artykul_jednostka (id_jednostki INTEGER PRIMARY KEY AUTOINCREMENT, nazwa TEXT "
       "NOT NULL, skrot VARCHAR(10), domyslna BOOLEAN DEFAULT 0, id_firmy INTEGER)",
       "IF OBJECT_ID(N'dbo.artykul_jednostka', N'U') IS NULL BEGIN CREATE TABLE artykul_jednostka (id_jednostki "
       "INT IDENTITY(1,1) PRIMARY KEY, nazwa NVARCHAR(255) NOT NULL, skrot NVARCHAR(10), domyslna BIT DEFAULT 0, "
       "id_firmy INT) END"},
      {"ALTER TABLE kontrahent ADD COLUMN uwagi TEXT", "ALTER TABLE kontrahent ADD uwagi NVARCHAR(MAX)"},
      {"ALTER TABLE firma RENAME TO firma_stara", "EXEC sp_rename N'dbo.firma', N'firma_stara';"},
      {"CREATE UNIQUE INDEX IF NOT EXISTS ix_firma_nip ON firma(nip)",
       "IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name=N'ix_firma_nip' AND object_id=OBJECT_ID(N'dbo.firma')) "
       "CREATE UNIQUE INDEX [ix_firma_nip] ON [firma] (nip)"},
      {"CREATE VIEW IF NOT EXISTS v_firma AS SELECT nazwa FROM firma WHERE aktywna = 'T'",
       "IF OBJECT_ID(N'dbo.v_firma', N'V') IS NULL EXEC(N'CREATE VIEW v_firma AS SELECT nazwa FROM firma WHERE "
       "aktywna = N''T''')"},
      {"PRAGMA table_info(firma)",
       "SELECT CAST(ORDINAL_POSITION AS INT)-1 AS cid,COLUMN_NAME AS name,DATA_TYPE AS type,CASE WHEN "
       "IS_NULLABLE=N'NO' THEN 1 ELSE 0 END AS notnull,COLUMN_DEFAULT AS dflt_value,0 AS pk FROM "
       "INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA=N'dbo' AND TABLE_NAME=N'firma' ORDER BY ORDINAL_POSITION"},
      {"select 1 from sqlite_master where type='table' and name='firma'",
       "SELECT 1 FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_SCHEMA=N'dbo' AND TABLE_NAME=N'firma'"},
      {"select nazwa || ' (' || nip || ')' from firma", "select nazwa + N' (' + nip + N')' from firma"},
      {"select xN'a'", "select xNN'a'"},
      {"select N 'a', n'b'", "select N 'a', n'b'"},
      {"select 'a||b'", "select N'a||b'"},
      {"CREATE INDEX ix_a ON a(b)", "CREATE INDEX ix_a ON a(b)"},
      {"CREATE TABLE t (a INTEGER, b REAL)", "CREATE TABLE t (a INT, b FLOAT)"},
      {"insert or replace into other(modul, wersja) values('x', 1)",
       "insert or replace into other(modul, wersja) values(N'x', 1)"},
      {"select a from t limit ?", "select a from t limit ?"},
  };
  for (const Case& c : cases) EXPECT_EQ(Mssql(c.input), wxString(c.expected)) << c.input;
}

TEST(SqlTranslate, OtherEnginesGetTheTextUnchanged) {
  const wxString sql = "select ifnull(a,0) || 'x' from t limit 1";
  EXPECT_EQ(TranslateSqlForEngine(sql, "PostgreSQL"), sql);
  EXPECT_EQ(TranslateSqlForEngine(sql, "MySQL"), sql);
  EXPECT_EQ(TranslateSqlForEngine(sql, "Oracle"), sql);
  EXPECT_EQ(TranslateSqlForEngine(sql, "SQLite"), sql);
  EXPECT_EQ(TranslateSqlForEngine(sql, "sql server"), "select TOP 1 ISNULL(a,0) + N'x' from t");
}

TEST(SqlTranslate, DateFunctionsAndIdentity) {
  EXPECT_EQ(Mssql("select last_insert_rowid ( )"), "select CAST(@@IDENTITY AS BIGINT)");
  EXPECT_EQ(Mssql("select datetime('now'), date('now','localtime'), date( 'NOW' )"),
            "select CURRENT_TIMESTAMP, CAST(CURRENT_TIMESTAMP AS DATE), CAST(CURRENT_TIMESTAMP AS DATE)");
  EXPECT_EQ(Mssql("select date(f.data_wystawienia) from f"), "select CAST(f.data_wystawienia AS DATE) from f");
  EXPECT_EQ(Mssql("select update_date(x), mydate(x)"), "select update_date(x), mydate(x)");
}

TEST(SqlTranslate, ValuesInsideLiteralsStayAsWritten) {
  // Parameter values arrive as literals; none of the keyword rewrites may touch them.
  EXPECT_EQ(Mssql("update t set uwagi = 'limit 5 ifnull(x) COLLATE NOCASE text' where id = 1"),
            "update t set uwagi = N'limit 5 ifnull(x) COLLATE NOCASE text' where id = 1");
  EXPECT_EQ(Mssql("select a from t where b = 'x limit 3' limit 2"), "select TOP 2 a from t where b = N'x limit 3'");
  EXPECT_EQ(Mssql("ALTER TABLE t ADD COLUMN opis TEXT DEFAULT 'TEXT'"),
            "ALTER TABLE t ADD opis NVARCHAR(MAX) DEFAULT N'TEXT'");
  EXPECT_EQ(Mssql("select 'it''s || ok' || x"), "select N'it''s || ok' + x");
}

TEST(SqlTranslate, QuotedNamesAndCommentsAreNoLiterals) {
  const Case cases[] = {
      {"select \"o'x\" from t where a = 'b'", "select \"o'x\" from t where a = N'b'"},
      {"select [o'x], `p'q` from t limit 1", "select TOP 1 [o'x], `p'q` from t"},
      {"select a -- company's\nfrom t limit 1", "select TOP 1 a -- company's\nfrom t"},
      {"select a /* it's || ifnull( */ || ifnull(b, 'c') from t limit 2",
       "select TOP 2 a /* it's || ifnull( */ + ISNULL(b, N'c') from t"},
      {"select substr(\"a)'\", 1, 2) from t", "select SUBSTRING(CONVERT(NVARCHAR(4000),\"a)'\"),1,2) from t"},
      {"select [a]]'b] || 'x'", "select [a]]'b] + N'x'"},
  };
  for (const Case& c : cases) EXPECT_EQ(Mssql(c.input), c.expected) << c.input;
}

TEST(SqlTranslate, LimitFindsTheSelectOfItsOwnDepth) {
  EXPECT_EQ(Mssql("select * from (select a from t limit 1) x, (select b from u limit 2) y limit 3"),
            "select TOP 3 * from (select TOP 1 a from t) x, (select TOP 2 b from u) y");
  EXPECT_EQ(Mssql("select a from t limit 5 offset 10"), "select TOP 5 a from t offset 10");
  EXPECT_EQ(Mssql("select a from t\nLIMIT\t007"), "select TOP 007 a from t");
  EXPECT_EQ(Mssql("select a from t limit 1 limit 2"), "select TOP 1 a from t");
  EXPECT_EQ(Mssql("select distinct a from t limit 1 limit 2"), "select distinct TOP 2 TOP 1 a from t");
  EXPECT_EQ(Mssql("select limit 5 from t"), "select TOP 5 from t");
  EXPECT_EQ(Mssql("select a from t limit 10abc"), "select a from t limit 10abc");
  // No owning SELECT: this and every later LIMIT stay; earlier ones are moved.
  EXPECT_EQ(Mssql("update t set a = (select b from u limit 1) limit 2; select c limit 3"),
            "update t set a = (select TOP 1 b from u) limit 2; select c limit 3");
  EXPECT_EQ(Mssql("delete from u limit 2"), "delete from u limit 2");
}

TEST(SqlTranslate, TypeMapWidensLongTextColumns) {
  EXPECT_EQ(Mssql("CREATE TABLE k (id INTEGER NOT NULL PRIMARY KEY ASC AUTOINCREMENT, opis VARCHAR(100), "
                  "wartosc TEXT, flag CHAR, kod CHAR(2), nazwa VARCHAR, id_firmy NUMERIC REFERENCES firma(id), "
                  "kwota NUMERIC, nip TEXT COLLATE NOCASE, x TEXT ON CONFLICT ABORT)"),
            "CREATE TABLE k (id INT IDENTITY(1,1) NOT NULL PRIMARY KEY, opis NVARCHAR(MAX), "
            "wartosc NVARCHAR(MAX), flag NCHAR(1), kod CHAR(2), nazwa NVARCHAR(255), id_firmy INT REFERENCES "
            "firma(id), kwota DECIMAL(18,4), nip NVARCHAR(255), x NVARCHAR(255))");
  EXPECT_EQ(Mssql("CREATE TABLE t (wartosc VARCHAR(100), ksef_token TEXT, \"text\" TEXT)"),
            "CREATE TABLE t (wartosc NVARCHAR(100), ksef_token NVARCHAR(MAX), \"text\" NVARCHAR(255))");
}

TEST(SqlTranslate, StatementRewritesNameTheirObjects) {
  EXPECT_EQ(Mssql("DROP INDEX IF EXISTS \"ix_a\";"),
            "DECLARE @dropIndexSql NVARCHAR(MAX); SELECT TOP 1 @dropIndexSql=N'DROP INDEX '+QUOTENAME(i.name)+N' ON "
            "'+QUOTENAME(OBJECT_SCHEMA_NAME(i.object_id))+N'.'+QUOTENAME(OBJECT_NAME(i.object_id)) FROM sys.indexes "
            "i WHERE i.name=N'ix_a'; IF @dropIndexSql IS NOT NULL EXEC sp_executesql @dropIndexSql;");
  EXPECT_EQ(Mssql("CREATE INDEX IF NOT EXISTS [ix b] ON sales.\"doc\"(a,\n   b);"),
            "CREATE INDEX IF NOT EXISTS [ix b] ON sales.\"doc\"(a,\n   b);");
  EXPECT_EQ(Mssql("CREATE INDEX IF NOT EXISTS ix_b ON sales.\"doc\"(a,\n   b);"),
            "IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name=N'ix_b' AND object_id=OBJECT_ID(N'sales.\"doc\"')) "
            "CREATE INDEX [ix_b] ON [sales].[doc] (a, b);");
  EXPECT_EQ(Mssql("ALTER TABLE [firma] RENAME TO `firma_stara`;"), "EXEC sp_rename N'dbo.firma', N'firma_stara';");
  EXPECT_EQ(Mssql("PRAGMA table_info(\"sales.doc\");"),
            "SELECT CAST(ORDINAL_POSITION AS INT)-1 AS cid,COLUMN_NAME AS name,DATA_TYPE AS type,CASE WHEN "
            "IS_NULLABLE=N'NO' THEN 1 ELSE 0 END AS notnull,COLUMN_DEFAULT AS dflt_value,0 AS pk FROM "
            "INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA=N'sales' AND TABLE_NAME=N'doc' ORDER BY ORDINAL_POSITION");
  EXPECT_EQ(Mssql("CREATE TABLE IF NOT EXISTS\n  dok (a TEXT)"),
            "IF OBJECT_ID(N'dbo.dok', N'U') IS NULL BEGIN CREATE TABLE dok (a NVARCHAR(255)) END");
  EXPECT_EQ(Mssql("CREATE VIEW v AS SELECT 'a' AS x"), "CREATE VIEW v AS SELECT N'a' AS x");
  EXPECT_EQ(Mssql("insert or replace into baza_modul (modul,wersja) values ('a,b', 2) ;"),
            "MERGE baza_modul WITH (HOLDLOCK) AS target USING (SELECT N'a,b' AS modul, 2 AS wersja) AS "
            "source ON target.modul=source.modul WHEN MATCHED THEN UPDATE SET wersja=source.wersja WHEN NOT MATCHED "
            "THEN INSERT (modul, wersja) VALUES (source.modul, source.wersja);");
}

TEST(SqlTranslate, FunctionCallExamplesComeOutExactly) {
  EXPECT_EQ(TranslateCastText("select cast(id_firmy as text) from firma"),
            "select CONVERT(NVARCHAR(4000),id_firmy) from firma");
  EXPECT_EQ(TranslateCastText("cast(kwota as integer)"), "cast(kwota as integer)");
  EXPECT_EQ(TranslateSubstr("substr(data_wystawienia,1,7)"), "SUBSTRING(CONVERT(NVARCHAR(30),data_wystawienia,23),1,7)");
  EXPECT_EQ(TranslateSubstr("substr(nip,3)"),
            "SUBSTRING(CONVERT(NVARCHAR(4000),nip),3,LEN(CONVERT(NVARCHAR(4000),nip)))");
  EXPECT_EQ(TranslatePrintf("printf('%.2f', kwota)"), "CONVERT(NVARCHAR(50), CAST(ROUND(kwota,2) AS DECIMAL(18,2)))");
  EXPECT_EQ(TranslatePrintf("printf('%05d', numer)"),
            "RIGHT(REPLICATE(N'0',5)+CONVERT(NVARCHAR(50), CAST(numer AS BIGINT)),5)");
  for (const char* unchanged : {"printf('%.18f', x)", "printf('%051d', x)", "printf('%d', x)"}) {
    EXPECT_EQ(TranslatePrintf(unchanged), unchanged);
  }
}

TEST(SqlTranslate, FunctionCallsRespectNamesLiteralsAndNesting) {
  EXPECT_EQ(TranslateSubstr("xsubstr(a,1) substr_x(a,1) SUBSTR  (a,2,3)"),
            "xsubstr(a,1) substr_x(a,1) SUBSTRING(CONVERT(NVARCHAR(4000),a),2,3)");
  EXPECT_EQ(TranslateSubstr("'substr(a,1)' || substr(a, ',)', 2)"),
            "'substr(a,1)' || SUBSTRING(CONVERT(NVARCHAR(4000),a),',)',2)");
  EXPECT_EQ(TranslateSubstr("substr(a) substr(created_at,1,4,9)"),
            "substr(a) SUBSTRING(CONVERT(NVARCHAR(30),created_at,23),1,4)");
  EXPECT_EQ(TranslateSubstr("substr(substr(a,1),2)"),
            "SUBSTRING(CONVERT(NVARCHAR(4000),substr(a,1)),2,LEN(CONVERT(NVARCHAR(4000),substr(a,1))))");
  EXPECT_EQ(TranslateSubstr("substr(a,1) substr((b,2"), "SUBSTRING(CONVERT(NVARCHAR(4000),a),1,LEN(CONVERT(NVARCHAR(4000),a))) substr((b,2");
  EXPECT_EQ(TranslateCastText("CAST ( (a as b) AS Text )"), "CONVERT(NVARCHAR(4000),(a as b))");
  EXPECT_EQ(TranslatePrintf("printf(N'%.02F', x, y) printf('%005d',n)"),
            "CONVERT(NVARCHAR(50), CAST(ROUND(x,2) AS DECIMAL(18,2))) "
            "RIGHT(REPLICATE(N'0',5)+CONVERT(NVARCHAR(50), CAST(n AS BIGINT)),5)");
  EXPECT_EQ(TranslatePrintf("printf('%.99999999999999f', x) printf('%00d', x)"),
            "printf('%.99999999999999f', x) printf('%00d', x)");
  // The zero-filled form already carries a national literal.
  EXPECT_EQ(Mssql("select printf('%03d', n)"),
            "select RIGHT(REPLICATE(N'0',3)+CONVERT(NVARCHAR(50), CAST(n AS BIGINT)),3)");
}

TEST(SqlTranslate, LexicalHelpers) {
  EXPECT_EQ(SkipStringLiteral("'a''b' x", 0), 6u);
  EXPECT_EQ(SkipStringLiteral("x 'open", 2), 7u);
  EXPECT_EQ(CollapseSqlWhitespace("\t select\r\n  a   from\tt  "), "select a from t");
  EXPECT_TRUE(StartsWithNoCase("INSERT into", "insert"));
  EXPECT_FALSE(StartsWithNoCase("ins", "insert"));
}

TEST(SqlTranslate, MegabyteStatementsTranslateWithoutDeepRecursion) {
  // A long INSERT of parameter values and a long run of blanks: both once broke
  // pattern-based rewriting with a stack overflow.
  std::wstring insert = L"insert into log(a, b) values ";
  for (int i = 0; i < 40000; ++i) {
    if (i) insert += L", ";
    insert += L"(" + std::to_wstring(i) + L", 'tekst || ifnull(x) " + std::to_wstring(i) + L"')";
  }
  insert += L" ;";
  const wxString translated = Mssql(insert);
  EXPECT_GT(insert.size(), 1000000u);
  EXPECT_EQ(translated.length(), insert.size() + 40000);  // one N per literal
  EXPECT_TRUE(translated.EndsWith("N'tekst || ifnull(x) 39999') ;"));

  std::wstring spaced = L"select a" + std::wstring(1 << 20, L' ') + L"from t" + std::wstring(1 << 20, L' ') +
                        L"limit 3";
  const wxString top = Mssql(spaced);
  EXPECT_TRUE(top.StartsWith("select TOP 3 a "));
  EXPECT_TRUE(top.EndsWith("from t"));
}
