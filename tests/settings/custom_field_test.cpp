// Custom-field definitions: technical keys and options texts, and the definition
// store on a real SQLite program database (keys unique per object type, switched-off
// definitions keeping theirs, the article value columns).
#include "settings/custom_field.h"

#include "settings_fixture.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

using veldrix::test::SettingsDatabaseTest;

TEST(CustomFieldKey, FoldsPolishLettersAndJoinsSeparators) {
  const struct {
    const char* text;
    const char* key;
  } cases[] = {
      {"Kolor wkładu", "kolor_wkladu"},
      {"Żółć!", "zolc"},
      {"  __ Ąą", "aa"},
      {"2024 rok", "p_2024_rok"},
      {"?!.,", "pole"},
      {"", "pole"},
      {"Dodatkowe Kolor", "dodatkowe_kolor"},
      {"ŚĆŹŃĘÓŁ śćźńęół", "sczneol_sczneol"},
      {"Größe", "gr_e"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MakeFieldKey(wxString::FromUTF8(c.text)), c.key) << c.text;
  }
  const wxString sixty(wxUniChar('X'), 60);
  EXPECT_EQ(MakeFieldKey(sixty), wxString(wxUniChar('x'), 48));
  // A cut that ends on a separator keeps it.
  EXPECT_EQ(MakeFieldKey(wxString(wxUniChar('a'), 47) + " b"), wxString(wxUniChar('a'), 47) + "_");
}

TEST(CustomFieldOptions, SplitsTrimsAndFallsBackToTwoOptions) {
  EXPECT_EQ(NormalizeFieldOptions("a; b;;\n\tc \r\n"), "a\nb\nc");
  const wxArrayString options = FieldOptionsList(" ;\n ");
  ASSERT_EQ(options.size(), 2u);
  EXPECT_EQ(options[0], "Opcja 1");
  EXPECT_EQ(FieldOptionsList("x;y").size(), 2u);
  EXPECT_EQ(FieldOptionsList("x;y")[1], "y");
}

class CustomFieldStoreTest : public SettingsDatabaseTest {
 protected:
  static CustomFieldDefinition Field(const wxString& name, const wxString& type) {
    CustomFieldDefinition d;
    d.grupa = "Dodatkowe";
    d.nazwa = name;
    d.klucz_pola = MakeFieldKey(d.grupa + " " + name);
    d.typ_pola = type;
    d.kolumna = FieldColumnName(d.klucz_pola);
    return d;
  }

  bool Add(CustomFieldStore& store, const CustomFieldDefinition& d, wxString* error) {
    return !store.KeyInUse(d.klucz_pola, d.id) && store.EnsureValueColumn(d, error) && store.SaveDefinition(d, error);
  }

  // The declared type of an article value column; empty when it is missing.
  wxString ArticleColumnType(const wxString& column) {
    const wxArrayString cells = db->FrameData("select type from pragma_table_info('artykul_pola_dodatkowe') where name='" +
                                              column + "'");
    return cells.empty() ? wxString() : cells[0];
  }
};

TEST_F(CustomFieldStoreTest, ArticleFieldsGetATypedColumnOnce) {
  CustomFieldStore articles(*db, "artykuly", true, wxString());
  ASSERT_TRUE(articles.CheckTables());
  wxString error;
  for (const auto& [name, type, sqlType] : {std::make_tuple("Cena hurtowa", "decimal", "REAL"),
                                            std::make_tuple("Na stanie", "bool", "INTEGER"),
                                            std::make_tuple("Kolor", "color", "TEXT")}) {
    const CustomFieldDefinition d = Field(name, type);
    ASSERT_TRUE(Add(articles, d, &error)) << error;
    EXPECT_EQ(ArticleColumnType(d.kolumna), sqlType);
  }
  EXPECT_EQ(articles.LoadDefinitions().size(), 3u);

  // Another program added the same column after this one looked for it: the
  // column is there once and the definition is saved.
  CustomFieldDefinition late = Field("Waga", "decimal");
  SQLData other(path);
  ASSERT_TRUE(other.IniciujBazeDanych());
  CustomFieldStore otherStore(other, "artykuly", true, wxString());
  ASSERT_TRUE(otherStore.EnsureValueColumn(late, &error)) << error;
  ASSERT_TRUE(articles.AddValueColumn(late, &error)) << error;
  ASSERT_TRUE(articles.SaveDefinition(late, &error)) << error;
  EXPECT_EQ(Cell("select count(*) from pragma_table_info('artykul_pola_dodatkowe') where name='cf_dodatkowe_waga'"),
            "1");
  // The second program's own save of the same key is refused by the database.
  EXPECT_FALSE(otherStore.SaveDefinition(late, &error));
  EXPECT_EQ(Cell("select count(*) from pole_dodatkowe_definicja where klucz_pola='dodatkowe_waga'"), "1");

  // Invoices and contractors keep values in rows: no column is added for them.
  CustomFieldStore invoices(*db, "faktury", false, "dokument_handlowy_pole_dodatkowe_wartosc");
  ASSERT_TRUE(invoices.CheckTables());
  const CustomFieldDefinition invoiceField = Field("Projekt", "int");
  ASSERT_TRUE(Add(invoices, invoiceField, &error)) << error;
  EXPECT_TRUE(ArticleColumnType("cf_dodatkowe_projekt").empty());
}

TEST_F(CustomFieldStoreTest, AColumnThatCannotBeAddedLeavesTheDefinitionUnsaved) {
  CustomFieldStore articles(*db, "artykuly", true, wxString());
  ASSERT_TRUE(articles.CheckTables());
  ASSERT_GE(db->DeleteData("drop table artykul_pola_dodatkowe"), 0);
  wxString error;
  EXPECT_FALSE(Add(articles, Field("Kolor", "text"), &error));
  EXPECT_NE(error.Find("artykul_pola_dodatkowe"), wxNOT_FOUND) << error;
  EXPECT_EQ(Cell("select count(*) from pole_dodatkowe_definicja"), "0");
}

TEST_F(CustomFieldStoreTest, KeysAreUniquePerObjectTypeAndKeptByUpdates) {
  CustomFieldStore contractors(*db, "kontrahenci", false, "kontrahent_pole_dodatkowe_wartosc");
  CustomFieldStore invoices(*db, "faktury", false, "dokument_handlowy_pole_dodatkowe_wartosc");
  wxString error;
  const CustomFieldDefinition d = Field("Opiekun", "text");
  ASSERT_TRUE(Add(contractors, d, &error)) << error;
  EXPECT_TRUE(Add(invoices, d, &error)) << error;

  CustomFieldDefinition changed = contractors.LoadDefinitions().at(0);
  changed.nazwa = "Opiekun 'handlowy'";
  changed.klucz_pola = "inny";
  changed.kolumna = "cf_inny";
  ASSERT_TRUE(contractors.SaveDefinition(changed, &error)) << error;
  EXPECT_EQ(Cell(wxString::Format("select nazwa||'|'||klucz_pola||'|'||kolumna from pole_dodatkowe_definicja "
                                  "where id_pola_dodatkowego=%d",
                                  changed.id)),
            "Opiekun 'handlowy'|dodatkowe_opiekun|cf_dodatkowe_opiekun");
}

}  // namespace
