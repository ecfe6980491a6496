#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <string>
#include <vector>

namespace {

// Restores the process-wide engine flag that the history select reads.
class EngineFlagGuard {
 public:
  explicit EngineFlagGuard(bool value) : old_(SqlServerEngineFlag.load()) { SqlServerEngineFlag = value; }
  ~EngineFlagGuard() { SqlServerEngineFlag = old_; }

 private:
  bool old_;
};

}  // namespace

TEST(QuerysBuildWhere, JoinsCompanyAndCondition) {
  EXPECT_EQ(Querys::BuildWhere("5", ""), " where id_firmy=5 ");
  EXPECT_EQ(Querys::BuildWhere("", "aktywna=1"), " where aktywna=1 ");
  EXPECT_EQ(Querys::BuildWhere("5", "aktywna=1"), " where id_firmy=5 and aktywna=1 ");
  EXPECT_EQ(Querys::BuildWhere("", ""), "");
}

TEST(QuerysSelects, FirmaHistoriaSortsByDateWhateverTheEngineFlagSays) {
  for (bool sqlServer : {false, true}) {
    EngineFlagGuard flag(sqlServer);
    const wxString sql = Querys::SelectFirmaHistoria("7", "");
    EXPECT_TRUE(sql.EndsWith(" where id_firmy=7  order by date(data_od) desc")) << sql;
  }
}

TEST(QuerysSelects, CompanyListWithoutFilter) {
  const wxString sql = Querys::SelectFirma("", "");
  EXPECT_TRUE(sql.StartsWith("select nazwa,coalesce(nip,''),coalesce(miejscowosc,''),"));
  EXPECT_TRUE(sql.EndsWith("from firma  order by coalesce(domyslna,0) desc,nazwa")) << sql;
  EXPECT_TRUE(Querys::SelectFirmaRachunek("3", "aktywny=1")
                  .EndsWith("from firma_rachunek  where id_firmy=3 and aktywny=1  order by coalesce(domyslny,0) "
                            "desc,nazwa_banku,numer"));
}

TEST(QuerysSaves, VatRateInsertAndPartialUpdate) {
  EXPECT_EQ(Querys::SaveStawkaVat(true, "0", "VAT 8%", "8", "0"),
            "insert into stawka_vat(nazwa,wartosc,domyslna) values ('VAT 8%',8,0)");
  EXPECT_EQ(Querys::SaveStawkaVat(false, "3", "", "", "1"), "update stawka_vat set  domyslna=1 where id_stawki_vat=3");
  EXPECT_EQ(Querys::SaveStawkaVat(false, "3", "A", "23", "0"),
            "update stawka_vat set nazwa='A', wartosc=23, domyslna=0 where id_stawki_vat=3");
}

TEST(QuerysSaves, EveryNameHasItsApostrophesDoubled) {
  const wxString name = "Kat'A";
  const wxString saves[] = {
      Querys::SaveStawkaVat(true, "0", name, "8", "0"),
      Querys::SaveStawkaVat(false, "1", name, "8", "0"),
      Querys::SaveArtykulJednostka(true, "0", name, "s't", "0", "2"),
      Querys::SaveArtykulJednostka(false, "1", name, "s't", "0", "2"),
      Querys::SaveArtykulCenaRodzaj(true, "0", name, "0", "2"),
      Querys::SaveArtykulCenaRodzaj(false, "1", name, "0", "2"),
      Querys::SaveArtykulKategoria(true, "0", name, "0", "2"),
      Querys::SaveArtykulKategoria(false, "1", name, "0", "2"),
      Querys::SaveKontrahentKlasyfikacja(true, "0", name, "0", "2"),
      Querys::SaveKontrahentKlasyfikacja(false, "1", name, "0", "2"),
      Querys::SavePlatnosc(true, "0", name, "0"),
      Querys::SavePlatnosc(false, "1", name, "0"),
      Querys::SaveKpirOpisZdarzenia(true, "0", name, "0", "2"),
      Querys::SaveKpirOpisZdarzenia(false, "1", name, "0", "2"),
  };
  for (const wxString& sql : saves) {
    EXPECT_NE(sql.Find("'Kat''A'"), wxNOT_FOUND) << sql;
    EXPECT_EQ(sql.Find("Kat'A"), wxNOT_FOUND) << sql;
  }
  EXPECT_NE(saves[2].Find("'s''t'"), wxNOT_FOUND);
}

TEST(QuerysSaves, UpdatesKeepEachTablesSeparators) {
  EXPECT_EQ(Querys::SavePlatnosc(false, "9", "Przelew", "1"),
            "update platnosc set nazwa='Przelew', domyslna=1 where id_platnosci=9");
  EXPECT_EQ(Querys::SaveKpirOpisZdarzenia(false, "9", "Zakup", "0", "2"),
            "update kpir_opis_zdarzenia set nazwa='Zakup', domyslna=0, id_firmy=2 where "
            "id_kpir_opis_zdarzenia=9 and id_firmy=2");
  EXPECT_EQ(Querys::SaveArtykulKategoria(false, "9", L"Usługi", "0", "2"),
            wxString(L"update artykul_kategoria set nazwa='Usługi',domyslna=0,id_firmy=2 where id_kategorii=9 "
                     L"and id_firmy=2"));
  EXPECT_EQ(Querys::SaveArtykulJednostka(true, "0", "sztuka", "szt", "1", "2"),
            "insert into artykul_jednostka(nazwa,skrot,domyslna,id_firmy) values ('sztuka','szt',1,2)");
}

namespace {

// An in-memory database with the tables the texts name, run through SQLite itself
// so a text that is not valid SQL, or names a wrong column, fails here.
class Database {
 public:
  Database() {
    sqlite3_open(":memory:", &db_);
    Run("create table platnosc(id_platnosci integer primary key, nazwa text, domyslna integer);"
        "create table stawka_vat(id_stawki_vat integer primary key, nazwa text, wartosc real, domyslna integer);"
        "create table artykul_jednostka(id_jednostki integer primary key, nazwa text, skrot text,"
        " domyslna integer, id_firmy integer);"
        "create table firma_historia(id_firma_historia integer primary key, id_firmy integer, data_od text,"
        " nazwa text, nazwa_pelna text, nip text, regon text, ulica text, kod text, miejscowosc text,"
        " wojewodztwo text);");
  }
  ~Database() { sqlite3_close(db_); }

  void Run(const wxString& sql) {
    char* message = nullptr;
    const int rc = sqlite3_exec(db_, sql.utf8_str(), nullptr, nullptr, &message);
    EXPECT_EQ(rc, SQLITE_OK) << (message ? message : "") << "\n" << sql;
    sqlite3_free(message);
  }

  // Every cell of the result, row by row, NULL as "".
  std::vector<std::string> Cells(const wxString& sql) {
    std::vector<std::string> cells;
    sqlite3_stmt* statement = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db_, sql.utf8_str(), -1, &statement, nullptr), SQLITE_OK) << sql;
    while (statement && sqlite3_step(statement) == SQLITE_ROW) {
      for (int c = 0; c < sqlite3_column_count(statement); ++c) {
        const unsigned char* text = sqlite3_column_text(statement, c);
        cells.emplace_back(text ? reinterpret_cast<const char*>(text) : "");
      }
    }
    sqlite3_finalize(statement);
    return cells;
  }

 private:
  sqlite3* db_ = nullptr;
};

}  // namespace

TEST(QuerysOnSqlite, DictionaryRowsGoThroughInsertUpdateAndDelete) {
  Database db;
  db.Run(Querys::SavePlatnosc(true, "0", wxString::FromUTF8("Got'ówka"), "1"));
  db.Run(Querys::SavePlatnosc(true, "0", "Przelew", "0"));
  db.Run(Querys::SavePlatnosc(false, "2", "Przelew 14", "0"));
  EXPECT_EQ(db.Cells(Querys::SelectPlatnosc()),
            (std::vector<std::string>{"1", "Got'ówka", "1", "0", "Przelew 14", "2"}));
  db.Run(Querys::DeletePlatnosc("1"));
  EXPECT_EQ(db.Cells(Querys::SelectPlatnosc()), (std::vector<std::string>{"0", "Przelew 14", "2"}));

  db.Run(Querys::SaveArtykulJednostka(true, "0", "sztuka", "szt", "1", "4"));
  db.Run(Querys::SaveArtykulJednostka(true, "0", "kilogram", "kg", "0", "5"));
  db.Run(Querys::SaveArtykulJednostka(false, "1", "sztuka", "szt.", "1", "4"));
  // The other company's row is not touched by an update or delete aimed at company 4.
  db.Run(Querys::SaveArtykulJednostka(false, "2", "x", "x", "1", "4"));
  db.Run(Querys::DeleteArtykulJednostka("4", "2"));
  EXPECT_EQ(db.Cells(Querys::SelectArtykulJednostka("4")), (std::vector<std::string>{"1", "sztuka", "szt.", "1"}));
  EXPECT_EQ(db.Cells(Querys::SelectArtykulJednostka("5")), (std::vector<std::string>{"0", "kilogram", "kg", "2"}));

  db.Run(Querys::SaveStawkaVat(true, "0", "VAT 23%", "23", "1"));
  db.Run(Querys::SaveStawkaVat(false, "1", "", "", "0"));
  EXPECT_EQ(db.Cells("select nazwa,wartosc,domyslna from stawka_vat"),
            (std::vector<std::string>{"VAT 23%", "23.0", "0"}));
}

TEST(QuerysOnSqlite, CompanyHistoryComesNewestFirst) {
  EngineFlagGuard sqlite(false);
  Database db;
  db.Run("insert into firma_historia(id_firmy,data_od,nazwa) values (7,'2021-03-01','B'),(7,'2023-01-15','C'),"
         "(7,'2019-12-31','A'),(8,'2030-01-01','other')");
  const std::vector<std::string> cells = db.Cells(Querys::SelectFirmaHistoria("7", "nazwa<>'A'"));
  ASSERT_EQ(cells.size(), 20u);
  EXPECT_EQ(cells[0], "2023-01-15");
  EXPECT_EQ(cells[10], "2021-03-01");
}
