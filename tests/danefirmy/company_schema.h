// The company tables of the program database, for tests that run the company code
// on a temporary SQLite file.
#pragma once

#include "sqldata/sql_data.h"

#include <wx/arrstr.h>
#include <wx/string.h>

namespace veldrix::test {

// Creates firma, firma_rachunek, firma_historia, dokument_numeracja and platnosc
// (with its three payment forms) as the program's database scripts create them.
inline bool CreateCompanyTables(SQLData& db) {
  static const char* const kStatements[] = {
      "CREATE TABLE IF NOT EXISTS firma (id_firmy INTEGER PRIMARY KEY AUTOINCREMENT, nazwa VARCHAR(200) NOT NULL "
      "DEFAULT '', nazwa_pelna VARCHAR(500) DEFAULT '', nip VARCHAR(50) DEFAULT '', regon VARCHAR(50) DEFAULT '', "
      "telefon VARCHAR(100) DEFAULT '', email VARCHAR(200) DEFAULT '', www VARCHAR(200) DEFAULT '', ulica "
      "VARCHAR(200) DEFAULT '', kod VARCHAR(20) DEFAULT '', miejscowosc VARCHAR(100) DEFAULT '', wojewodztwo "
      "VARCHAR(100) DEFAULT '', kraj VARCHAR(10) DEFAULT 'PL', naglowek_dokumentow TEXT, stopka_dokumentow TEXT, "
      "data_od VARCHAR(10), platnik_vat INTEGER NOT NULL DEFAULT 1, czynny_vat INTEGER NOT NULL DEFAULT 1, "
      "maly_podatnik INTEGER NOT NULL DEFAULT 0, vat_kwartalny INTEGER NOT NULL DEFAULT 0, metoda_kasowa INTEGER "
      "NOT NULL DEFAULT 0, aktywna INTEGER NOT NULL DEFAULT 1, domyslna INTEGER NOT NULL DEFAULT 0, uwagi TEXT, "
      "pokazuj_logo INTEGER NOT NULL DEFAULT 1, informacja_dodatkowa VARCHAR(2000) DEFAULT '', "
      "miejsce_wystawienia VARCHAR(100) DEFAULT '', domyslna_platnosc INTEGER NOT NULL DEFAULT 0, "
      "domyslny_termin INTEGER NOT NULL DEFAULT 7, domyslna_waluta VARCHAR(3) DEFAULT 'PLN', krs VARCHAR(50) "
      "DEFAULT '', bdo VARCHAR(50) DEFAULT '', eori VARCHAR(50) DEFAULT '', gln VARCHAR(50) DEFAULT '', ksef_id "
      "VARCHAR(100) DEFAULT '', logo_base64 TEXT DEFAULT '', logo_format VARCHAR(10) DEFAULT 'png', logo_size "
      "INTEGER NOT NULL DEFAULT 0, data_utworzenia DATETIME DEFAULT CURRENT_TIMESTAMP, data_modyfikacji DATETIME "
      "DEFAULT CURRENT_TIMESTAMP)",
      "CREATE TABLE IF NOT EXISTS firma_rachunek (id_rachunku INTEGER PRIMARY KEY AUTOINCREMENT, id_firmy INTEGER "
      "NOT NULL, nazwa VARCHAR(200) DEFAULT '', numer VARCHAR(100) DEFAULT '', nazwa_banku VARCHAR(200) DEFAULT '', "
      "waluta VARCHAR(3) DEFAULT 'PLN', swift VARCHAR(20) DEFAULT '', iban VARCHAR(50) DEFAULT '', aktywny INTEGER "
      "NOT NULL DEFAULT 1, opis TEXT, domyslny INTEGER NOT NULL DEFAULT 0)",
      "CREATE TABLE IF NOT EXISTS firma_historia (id_firma_historia INTEGER PRIMARY KEY AUTOINCREMENT, id_firmy "
      "INTEGER NOT NULL, nazwa VARCHAR(200) DEFAULT '', nazwa_pelna VARCHAR(500) DEFAULT '', nip VARCHAR(50) "
      "DEFAULT '', regon VARCHAR(50) DEFAULT '', ulica VARCHAR(200) DEFAULT '', kod VARCHAR(20) DEFAULT '', "
      "miejscowosc VARCHAR(100) DEFAULT '', wojewodztwo VARCHAR(100) DEFAULT '', kraj VARCHAR(10) DEFAULT 'PL', "
      "data_od VARCHAR(10), data_zapisu DATETIME DEFAULT CURRENT_TIMESTAMP)",
      "CREATE TABLE IF NOT EXISTS dokument_numeracja (id_numeracji INTEGER PRIMARY KEY AUTOINCREMENT, "
      "id_dok_rodzaj INTEGER NOT NULL, id_firmy INTEGER NOT NULL, num_auto INTEGER NOT NULL DEFAULT 1, num_format "
      "VARCHAR(100) DEFAULT '', num_ostatni INTEGER NOT NULL DEFAULT 0, num_rok INTEGER, okres VARCHAR(1) DEFAULT "
      "'R', rok INTEGER, miesiac INTEGER)",
      "CREATE TABLE IF NOT EXISTS platnosc (id_platnosci INTEGER PRIMARY KEY AUTOINCREMENT, nazwa VARCHAR(50) NOT "
      "NULL, domyslna INTEGER NOT NULL DEFAULT 0)",
      "insert into platnosc(nazwa,domyslna) values('Przelew',1)",
      "insert into platnosc(nazwa,domyslna) values('Gotówka',0)",
      "insert into platnosc(nazwa,domyslna) values('Karta płatnicza',0)",
  };
  for (const char* statement : kStatements) {
    if (db.DeleteData(wxString::FromUTF8(statement)) < 0) return false;
  }
  return true;
}

inline int CountRows(SQLData& db, const wxString& table, const wxString& where = wxString()) {
  const wxArrayString cells = db.FrameData("select count(*) from " + table + (where.empty() ? "" : " where " + where));
  long count = -1;
  return cells.empty() || !cells[0].ToLong(&count) ? -1 : static_cast<int>(count);
}

}  // namespace veldrix::test
