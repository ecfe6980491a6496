// Saving dictionary entries on a real SQLite program database: VAT rates only as
// whole numbers, and refused saves that leave the database as it was.
#include "settings/dictionary_store.h"

#include "settings_fixture.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

namespace {

TEST(VatRateValue, OnlyWholeNumbersAreAccepted) {
  const struct {
    const char* typed;
    const char* normalized;  // null: refused
  } cases[] = {{"8", "8"},       {" 5 ", "5"},      {"-1", "-1"},    {"007", "7"},        {"5.5", nullptr},
               {"8,5", nullptr}, {"7a", nullptr},   {"1e3", nullptr}, {"", nullptr},       {"-", nullptr},
               {"0x10", nullptr}, {"99999999999", nullptr}, {"1); delete from stawka_vat; --", nullptr}};
  for (const auto& c : cases) {
    wxString normalized;
    EXPECT_EQ(ParseVatRateValue(c.typed, &normalized), c.normalized != nullptr) << c.typed;
    if (c.normalized) {
      EXPECT_EQ(normalized, c.normalized);
    }
  }
}

class DictionaryStoreTest : public veldrix::test::SettingsDatabaseTest {
 protected:
  bool Save(DictionaryKind kind, const wxString& id, const wxString& name, const wxString& value, wxString* savedId,
            wxString* error) {
    DictionaryEntry entry;
    entry.id = id;
    entry.name = name;
    entry.value = value;
    entry.isDefault = true;
    return SaveDictionaryEntry(*db, kind, "1", entry, savedId, error);
  }
};

TEST_F(DictionaryStoreTest, RefusedSavesChangeNothing) {
  wxString rate;
  wxString error;
  ASSERT_TRUE(Save(kDictionaryVatRate, "0", "23%", "23", &rate, &error)) << error;
  wxString unused;
  EXPECT_FALSE(Save(kDictionaryVatRate, "0", "8%", "8.5", &unused, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Cell("select count(*)||':'||sum(domyslna) from stawka_vat"), "1:1");
  // An update may leave the rate empty: the stored one stays.
  ASSERT_TRUE(Save(kDictionaryVatRate, rate, "", "", &unused, &error)) << error;
  EXPECT_EQ(Cell("select nazwa||':'||wartosc from stawka_vat"), "23%:23");

  // An entry another window deleted meanwhile is not "saved", nor is the default moved.
  wxString transfer;
  ASSERT_TRUE(Save(kDictionaryPaymentForm, "0", "Przelew", "", &transfer, &error)) << error;
  wxString cash;
  ASSERT_TRUE(Save(kDictionaryPaymentForm, "0", wxString::FromUTF8("Gotówka"), "", &cash, &error)) << error;
  db->DeleteData("delete from platnosc where id_platnosci=" + transfer);
  EXPECT_FALSE(Save(kDictionaryPaymentForm, transfer, "Przelew", "", &unused, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Cell("select domyslna from platnosc where id_platnosci=" + cash), "1");
}

TEST_F(DictionaryStoreTest, APaymentFormACompanyHoldsIsNotDeleted) {
  wxString transfer;
  wxString error;
  ASSERT_TRUE(Save(kDictionaryPaymentForm, "0", "Przelew", "", &transfer, &error)) << error;
  db->InsertData("insert into firma(nazwa,domyslna_platnosc) values('Alfa'," + transfer + ")");
  EXPECT_FALSE(DeleteDictionaryEntry(*db, kDictionaryPaymentForm, "1", transfer, &error));
  EXPECT_NE(error.Find("Alfa"), wxNOT_FOUND) << error;
  EXPECT_EQ(Cell("select count(*) from platnosc"), "1");

  db->InsertData("update firma set domyslna_platnosc=0");
  EXPECT_TRUE(DeleteDictionaryEntry(*db, kDictionaryPaymentForm, "1", transfer, &error)) << error;
}

}  // namespace
