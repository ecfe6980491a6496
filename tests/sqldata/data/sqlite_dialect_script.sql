-- Statements in the SQLite dialect as the program's scripts and screens write them,
-- one statement per block; a line holding only "--" ends a block.
CREATE TABLE IF NOT EXISTS baza (id_bazy INTEGER PRIMARY KEY AUTOINCREMENT, wersja REAL NOT NULL DEFAULT 0, data_utworzenia DATETIME DEFAULT CURRENT_TIMESTAMP)
--
CREATE TABLE IF NOT EXISTS baza_modul (modul VARCHAR(100) PRIMARY KEY, wersja REAL NOT NULL DEFAULT 0)
--
CREATE TABLE IF NOT EXISTS veldrix_users (id_uzytkownika INTEGER PRIMARY KEY AUTOINCREMENT, username VARCHAR(100) NOT NULL UNIQUE COLLATE NOCASE, display_name VARCHAR(200) NOT NULL DEFAULT '', password_hash VARCHAR(200) NOT NULL DEFAULT '', is_admin INTEGER NOT NULL DEFAULT 0, is_active BOOLEAN NOT NULL DEFAULT 1, wersja_rekordu INTEGER NOT NULL DEFAULT 1, created_at DATETIME DEFAULT CURRENT_TIMESTAMP)
--
CREATE TABLE IF NOT EXISTS firma (
  id_firmy INTEGER PRIMARY KEY AUTOINCREMENT,
  nazwa TEXT NOT NULL,
  nazwa_skrocona VARCHAR(100),
  nip VARCHAR(20) COLLATE NOCASE,
  regon VARCHAR(14),
  ulica TEXT, kod_pocztowy CHAR(6), miejscowosc TEXT,
  aktywna CHAR DEFAULT 'T',
  uwagi TEXT,
  logo_base64 TEXT,
  naglowek_dokumentow VARCHAR(255),
  stopka_dokumentow TEXT
)
--
CREATE TABLE IF NOT EXISTS firma_konto (id_konta INTEGER PRIMARY KEY AUTOINCREMENT, id_firmy NUMERIC REFERENCES firma(id_firmy), numer VARCHAR(40) NOT NULL, bank TEXT, domyslne BOOLEAN DEFAULT 0 ON CONFLICT ABORT)
--
CREATE TABLE IF NOT EXISTS firma_historia (id_historii INTEGER PRIMARY KEY AUTOINCREMENT, id_firmy INTEGER NOT NULL, data_od DATE NOT NULL, nazwa TEXT, nip VARCHAR(20), opis TEXT)
--
CREATE TABLE IF NOT EXISTS slownik_vat (id_stawki INTEGER PRIMARY KEY AUTOINCREMENT, symbol VARCHAR(10) NOT NULL, stawka NUMERIC NOT NULL DEFAULT 0, aktywna BOOLEAN DEFAULT 1)
--
CREATE TABLE IF NOT EXISTS ustawienia (klucz VARCHAR(100) PRIMARY KEY, wartosc TEXT)
--
CREATE TABLE IF NOT EXISTS ksef_sesja (id INTEGER NOT NULL PRIMARY KEY AUTOINCREMENT, token TEXT, access_token VARCHAR(255), refresh_token TEXT, raw_xml TEXT, upo TEXT, last_error TEXT, created_at DATETIME DEFAULT CURRENT_TIMESTAMP)
--
CREATE UNIQUE INDEX IF NOT EXISTS ix_firma_nip ON firma(nip)
--
CREATE INDEX IF NOT EXISTS ix_firma_konto_firma ON firma_konto (id_firmy, numer)
--
DROP INDEX IF EXISTS ix_firma_stary
--
CREATE VIEW IF NOT EXISTS v_firma_aktywna AS SELECT id_firmy, nazwa || ' (' || ifnull(nip, '') || ')' AS opis FROM firma WHERE aktywna = 'T'
--
ALTER TABLE firma ADD COLUMN email VARCHAR(100)
--
ALTER TABLE firma ADD COLUMN uwagi_wewnetrzne TEXT DEFAULT ''
--
ALTER TABLE firma_historia RENAME TO firma_historia_stara
--
INSERT INTO baza (wersja) VALUES (1.0)
--
INSERT OR REPLACE INTO baza_modul (modul, wersja) VALUES ('kpir', 1.2)
--
INSERT INTO slownik_vat (symbol, stawka, aktywna) VALUES ('23', 23, 1), ('8', 8, 1), ('5', 5, 1), ('zw', 0, 1), ('np', 0, 1)
--
INSERT INTO ustawienia (klucz, wartosc) VALUES ('stopka', 'Dziękujemy za zakupy || do zobaczenia, limit 5 szt.')
--
INSERT INTO veldrix_users (username, display_name, is_admin, created_at) VALUES ('admin', 'Administrator', 1, datetime('now'))
--
UPDATE veldrix_users SET wersja_rekordu = wersja_rekordu + 1, created_at = datetime('now') WHERE id_uzytkownika = 1
--
SELECT id_firmy, nazwa FROM firma WHERE aktywna = 'T' ORDER BY nazwa COLLATE NOCASE
--
SELECT nazwa FROM firma ORDER BY id_firmy DESC LIMIT 1
--
SELECT * FROM (SELECT id_firmy, nazwa FROM firma ORDER BY id_firmy DESC LIMIT 10) t ORDER BY nazwa
--
SELECT DISTINCT miejscowosc FROM firma WHERE miejscowosc IS NOT NULL LIMIT 50
--
SELECT last_insert_rowid()
--
SELECT ifnull(sum(stawka), 0) FROM slownik_vat WHERE aktywna = 1
--
SELECT id_historii FROM firma_historia WHERE date(data_od) <= date('now') ORDER BY data_od DESC LIMIT 1
--
SELECT printf('%.2f', stawka) AS stawka_tekst, printf('%05d', id_stawki) AS numer FROM slownik_vat
--
SELECT substr(nip, 1, 3) AS prefiks, substr(data_od, 1, 7) AS miesiac, cast(id_firmy as text) AS id_tekst FROM firma_historia
--
SELECT COUNT(*) FROM firma_historia WHERE data_od > datetime('now', '-1 day')
--
SELECT CAST(id_firmy AS TEXT) || ' - ' || nazwa FROM firma WHERE date('now', 'localtime') >= '2024-01-01'
--
PRAGMA table_info(firma)
--
SELECT 1 FROM sqlite_master WHERE type='table' AND name='firma_konto'
--
DELETE FROM firma_konto WHERE id_firmy = 3 AND numer = 'PL 12 ''34'''
