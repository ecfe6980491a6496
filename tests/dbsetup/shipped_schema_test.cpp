// The database the shipped scripts create takes the statements the rest of the
// program runs against it: company, dictionary, account, custom-field and module
// setting tables.
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>

using veldrix::JoinPath;

// Literals with Polish letters are UTF-8 source text.
wxString U(const char* text) { return wxString::FromUTF8(text); }

namespace {

class ShippedSchemaTest : public ::testing::Test {
 protected:
  void SetUp() override {
    veldrix::test::CopyShippedScripts(folders_.programFolder());
    const wxString file = JoinPath(folders_.programFolder(), "veldrix.db");
    const auto events = veldrix::test::RunWorker(false, file, workers_);
    ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
    db_ = std::make_unique<SQLData>(file);
    ASSERT_TRUE(db_->IniciujBazeDanych());
  }

  void Run(const wxString& sql) {
    wxString error;
    EXPECT_EQ(db_->InsertData(error, sql), 0) << error << "\n" << sql;
  }
  wxArrayString Read(const wxString& sql) {
    const wxArrayString cells = db_->FrameData(sql);
    EXPECT_FALSE(db_->errorFlag) << db_->lastError << "\n" << sql;
    return cells;
  }

  veldrix::test::IsolatedFolders folders_;
  veldrix::test::ScopedWorkerRegistry workers_;
  std::unique_ptr<SQLData> db_;
};

}  // namespace

TEST_F(ShippedSchemaTest, CompanyTablesTakeTheEditorsStatements) {
  Run("insert into firma(nazwa,nazwa_pelna,nip,regon,telefon,email,www,ulica,kod,miejscowosc,wojewodztwo,kraj,"
      "naglowek_dokumentow,stopka_dokumentow,data_od,platnik_vat,czynny_vat,maly_podatnik,vat_kwartalny,metoda_kasowa,"
      "aktywna,domyslna,uwagi,pokazuj_logo,informacja_dodatkowa,miejsce_wystawienia,domyslna_platnosc,domyslny_termin,"
      "domyslna_waluta,krs,bdo,eori,gln,ksef_id,data_utworzenia,data_modyfikacji) values('Firma','Firma Sp. z o.o.',"
      "'5260001246','012345678','','','','Prosta 1','00-001','Warszawa','mazowieckie','PL','','','2024-01-01',1,1,0,0,"
      "0,1,1,'',1,'','Warszawa',1,7,'PLN','','','','','',datetime('now'),datetime('now'))");
  Run("insert into dokument_numeracja(id_dok_rodzaj,id_firmy,num_auto,num_format,num_ostatni,num_rok,okres,rok,miesiac)"
      " values(1,1,1,'F/#####/$$',0,2024,'R',2024,0)");
  Run("insert into firma_historia(id_firmy,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,kraj,data_od)"
      " select id_firmy,nazwa,nazwa_pelna,nip,regon,ulica,kod,miejscowosc,wojewodztwo,kraj,data_od from firma"
      " where id_firmy=1");
  Run(U("insert into firma_rachunek(id_firmy,nazwa,numer,nazwa_banku,waluta,swift,iban,aktywny,opis,domyslny)"
        " values(1,'Główny','12 3456','Bank','PLN','','',1,'',1)"));
  Run("update firma set logo_base64='iVBORw0KGgo=',logo_format='png',logo_size=8 where id_firmy=1");
  EXPECT_EQ(Read(Querys::SelectFirma("", "")).size(), 6u);
  EXPECT_EQ(Read(Querys::SelectFirmaRachunek("1", "")).size(), 11u);
  EXPECT_EQ(Read(Querys::SelectFirmaHistoria("1", "")).size(), 10u);
  EXPECT_EQ(Read("SELECT ifnull(logo_base64,''),ifnull(logo_format,'png') FROM firma WHERE id_firmy=1 LIMIT 1")[1],
            "png");
}

TEST_F(ShippedSchemaTest, DictionariesTakeTheirSavesAndDeletes) {
  EXPECT_TRUE(Read(Querys::SelectPlatnosc()).empty()) << "the dictionaries start empty";
  Run(Querys::SaveStawkaVat(true, "0", "VAT 8%", "8", "0"));
  Run(Querys::SaveStawkaVat(false, "1", "", "", "1"));
  Run(Querys::DeleteStawkaVat("2"));
  Run(Querys::SavePlatnosc(true, "0", "Kompensata", "0"));
  EXPECT_EQ(Read(Querys::SelectPlatnosc()).size(), 3u);
  Run(Querys::SaveArtykulJednostka(true, "0", "sztuka", "szt.", "1", "1"));
  Run(Querys::SaveArtykulCenaRodzaj(true, "0", "Detaliczna", "1", "1"));
  Run(Querys::SaveArtykulKategoria(true, "0", "Towary", "1", "1"));
  Run(Querys::SaveKontrahentKlasyfikacja(true, "0", U("Stały"), "1", "1"));
  Run(Querys::SaveKpirOpisZdarzenia(true, "0", U("Zakup towarów"), "1", "1"));
  Run(Querys::SaveKpirOpisZdarzenia(false, "1", U("Sprzedaż"), "0", "1"));
  EXPECT_EQ(Read(Querys::SelectArtykulJednostka("1")).size(), 4u);
  EXPECT_EQ(Read(Querys::SelectKpirOpisZdarzenia("1"))[1], U("Sprzedaż"));
  for (const wxString& sql : {Querys::SelectArtykulCenaRodzaj("1"), Querys::SelectArtykulKategoria("1"),
                              Querys::SelectKontrahentKlasyfikacja("1")}) {
    EXPECT_EQ(Read(sql).size(), 3u) << sql;
  }
  Run(Querys::DeleteArtykulJednostka("1", "1"));
  EXPECT_TRUE(Read(Querys::SelectArtykulJednostka("1")).empty());
}

TEST_F(ShippedSchemaTest, AccountsRolesAndPermissions) {
  Run("INSERT INTO veldrix_users (username, display_name, password_hash, password_salt, password_iterations, is_admin,"
      " is_active) VALUES ('anna', 'Anna', 'h', 's', 200000, 0, 1)");
  Run("INSERT INTO veldrix_user_roles (username, role_key) VALUES ('anna', 'uzytkownik')");
  Run("INSERT INTO veldrix_role_permissions (role_key, permission_key) VALUES ('uzytkownik', 'firma.manage')");
  Run("UPDATE veldrix_users SET display_name='Anna K.', is_admin=0, is_active=1,"
      " wersja_rekordu=coalesce(wersja_rekordu,1)+1, updated_at=CURRENT_TIMESTAMP WHERE username='anna'"
      " AND coalesce(wersja_rekordu,1)=1");
  EXPECT_TRUE(db_->IsExistsData(
      "SELECT rp.permission_key FROM veldrix_user_roles ur JOIN veldrix_role_permissions rp ON"
      " rp.role_key=ur.role_key WHERE ur.username='anna' AND rp.permission_key='firma.manage'"));
  EXPECT_EQ(Read("SELECT role_key, role_name, is_system, coalesce(wersja_rekordu,1) FROM veldrix_roles ORDER BY"
                 " role_name")
                .size(),
            8u);
  // An account has one role, and a role must exist to be given.
  wxString error;
  EXPECT_LT(db_->InsertData(error, "INSERT INTO veldrix_user_roles (username, role_key) VALUES ('anna', 'administrator')"),
            0);
  EXPECT_LT(db_->InsertData(error, "INSERT INTO veldrix_role_permissions (role_key, permission_key) VALUES "
                                   "('brak', 'firma.manage')"),
            0);
}

TEST_F(ShippedSchemaTest, CustomFieldsAndModuleSettings) {
  Run("INSERT INTO pole_dodatkowe_definicja (typ_obiektu, grupa, nazwa, klucz_pola, typ_pola, opcje, wymagane,"
      " widoczne_na_liscie, kolejnosc, aktywne, kolumna) VALUES ('artykuly', 'Dodatkowe', 'Kolor', 'dodatkowe_kolor',"
      " 'choice', 'czerwony\nzielony', 0, 1, 10, 1, 'cf_dodatkowe_kolor')");
  Run("ALTER TABLE artykul_pola_dodatkowe ADD COLUMN cf_dodatkowe_kolor TEXT");
  Run("insert into artykul_pola_dodatkowe(id_artykulu, cf_dodatkowe_kolor) values(5, 'zielony')");
  Run("insert into kontrahent_pole_dodatkowe_wartosc(id_kontrahenta, id_pola_dodatkowego, wartosc) values(1, 1, 'x')");
  Run("insert into dokument_handlowy_pole_dodatkowe_wartosc(id_dokumentu, id_pola_dodatkowego, wartosc)"
      " values(1, 1, 'y')");
  EXPECT_EQ(Read("SELECT id_pola_dodatkowego, grupa, nazwa, klucz_pola, typ_pola, coalesce(opcje,''), wymagane,"
                 " widoczne_na_liscie, kolejnosc, aktywne, kolumna FROM pole_dodatkowe_definicja WHERE"
                 " typ_obiektu='artykuly' AND aktywne=1 ORDER BY grupa, kolejnosc, nazwa")
                .size(),
            11u);
  Run("INSERT INTO ksef_ustawienia(id_firmy, sciezka, klucz, wartosc, updated_at) VALUES(1,'/KSeF','token','t',"
      "CURRENT_TIMESTAMP)");
  EXPECT_EQ(Read("SELECT coalesce(wartosc,'') FROM ksef_ustawienia WHERE id_firmy=1 AND sciezka='/KSeF' AND"
                 " klucz='token' LIMIT 1")[0],
            "t");
}
