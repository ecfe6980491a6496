// The shared dictionaries and the custom-field definitions on the real PostgreSQL
// and MariaDB servers, in a program database the worker built from the scripts.
#include "../dbsetup/server_program_database.h"
#include "settings/custom_field.h"
#include "settings/dictionary_store.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

namespace {

using SettingsStoreOnServer = veldrix::test::ProgramDatabaseOnServer;

wxString Cell(SQLData& db, const wxString& sql) {
  const wxArrayString cells = db.FrameData(sql);
  return cells.empty() ? wxString("<none>") : cells[0];
}

TEST_P(SettingsStoreOnServer, DictionariesKeepOneDefaultPerCompanyAndNamesAsTyped) {
  DbConnectionInfo info;
  SQLData db(CreateProgramDatabase(&info));
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  const wxString awkward = veldrix::test::AwkwardCompanyName().Left(50);

  for (DictionaryKind kind = kDictionaryVatRate; kind <= kDictionaryLedgerEvent; ++kind) {
    SCOPED_TRACE(kind);
    DictionaryEntry entry;
    entry.name = awkward;
    entry.value = kind == kDictionaryVatRate ? "23" : "m'2";
    entry.isDefault = true;
    wxString first;
    wxString second;
    wxString error;
    ASSERT_TRUE(SaveDictionaryEntry(db, kind, "1", entry, &first, &error)) << error;
    entry.name = "Druga";
    ASSERT_TRUE(SaveDictionaryEntry(db, kind, "1", entry, &second, &error)) << error;
    ASSERT_NE(first, second);
    if (IsCompanyDictionary(kind)) {
      wxString other;
      entry.name = "Inna firma";
      ASSERT_TRUE(SaveDictionaryEntry(db, kind, "2", entry, &other, &error)) << error;
    }

    // The kind's own select lists the company's rows: default flag, name, ..., id.
    const wxArrayString rows = db.FrameData(DictionarySelect(kind, "1"));
    const size_t columns = HasDictionaryValue(kind) ? 4 : 3;
    ASSERT_EQ(rows.size(), 2 * columns);
    wxString defaults;
    for (size_t row = 0; row < 2; ++row) {
      if (rows[row * columns] == "1") defaults += rows[row * columns + 1];
      if (rows[row * columns + columns - 1] == first) EXPECT_EQ(rows[row * columns + 1], awkward);
    }
    EXPECT_EQ(defaults, "Druga");

    // The first one becomes the default again; then the second one goes.
    entry.id = first;
    entry.name = awkward;
    ASSERT_TRUE(SaveDictionaryEntry(db, kind, "1", entry, &first, &error)) << error;
    ASSERT_TRUE(DeleteDictionaryEntry(db, kind, "1", second, &error)) << error;
    const wxArrayString left = db.FrameData(DictionarySelect(kind, "1"));
    ASSERT_EQ(left.size(), columns);
    EXPECT_EQ(left[0], "1");
    EXPECT_EQ(left[1], awkward);
  }
  EXPECT_EQ(Cell(db, "select skrot from artykul_jednostka where id_firmy=1"), "m'2");
}

TEST_P(SettingsStoreOnServer, ArticleFieldAddsItsTypedColumnOnce) {
  DbConnectionInfo info;
  const wxString connection = CreateProgramDatabase(&info);
  SQLData db(connection);
  SQLData otherProgram(connection);
  ASSERT_TRUE(db.IniciujBazeDanych()) << db.lastError;
  ASSERT_TRUE(otherProgram.IniciujBazeDanych()) << otherProgram.lastError;
  CustomFieldStore store(db, "artykuly", true, wxString());
  CustomFieldStore otherStore(otherProgram, "artykuly", true, wxString());
  ASSERT_TRUE(store.CheckTables());

  CustomFieldDefinition price;
  price.grupa = "Dodatkowe";
  price.nazwa = "Cena hurtowa";
  price.klucz_pola = MakeFieldKey(price.grupa + " " + price.nazwa);
  price.typ_pola = "decimal";
  price.kolumna = FieldColumnName(price.klucz_pola);
  wxString error;
  // Both programs add the column for the same new field: it is there once and
  // both go on to save; the database keeps one definition of the key.
  ASSERT_TRUE(otherStore.EnsureValueColumn(price, &error)) << error;
  ASSERT_TRUE(store.AddValueColumn(price, &error)) << error;
  ASSERT_TRUE(store.SaveDefinition(price, &error)) << error;
  EXPECT_FALSE(otherStore.SaveDefinition(price, &error));
  EXPECT_EQ(Cell(db, "select count(*) from pole_dodatkowe_definicja"), "1");

  // A decimal value keeps its digits on every engine.
  ASSERT_GE(db.InsertData("insert into artykul_pola_dodatkowe(id_artykulu, cf_dodatkowe_cena_hurtowa) "
                          "values (1, 12345678.25)"),
            0)
      << db.lastError;
  EXPECT_EQ(Cell(db, "select cf_dodatkowe_cena_hurtowa * 100 from artykul_pola_dodatkowe"), "1234567825");

  CustomFieldDefinition flag = price;
  flag.nazwa = "Na stanie";
  flag.klucz_pola = MakeFieldKey(flag.grupa + " " + flag.nazwa);
  flag.typ_pola = "bool";
  flag.kolumna = FieldColumnName(flag.klucz_pola);
  ASSERT_TRUE(store.EnsureValueColumn(flag, &error) && store.SaveDefinition(flag, &error)) << error;
  ASSERT_GE(db.InsertData("update artykul_pola_dodatkowe set cf_dodatkowe_na_stanie=1"), 0) << db.lastError;
  EXPECT_EQ(store.LoadDefinitions().size(), 2u);
  EXPECT_TRUE(store.KeyInUse(flag.klucz_pola, 0));
}

INSTANTIATE_TEST_SUITE_P(Servers, SettingsStoreOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
