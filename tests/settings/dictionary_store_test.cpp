// Saving dictionary entries on a real SQLite program database: VAT rates only as
// whole numbers, and a failed save that leaves the database as it was.
#include "settings/dictionary_store.h"

#include "settings_fixture.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

namespace {

using veldrix::test::SettingsDatabaseTest;

class DictionaryStoreTest : public SettingsDatabaseTest {
 protected:
  wxString Save(DictionaryKind kind, const wxString& company, const wxString& id, const wxString& name,
                const wxString& value, bool isDefault) {
    DictionaryEntry entry;
    entry.id = id;
    entry.name = name;
    entry.value = value;
    entry.isDefault = isDefault;
    wxString savedId;
    wxString error;
    EXPECT_TRUE(SaveDictionaryEntry(*db, kind, company, entry, &savedId, &error)) << error;
    return savedId;
  }
};

TEST_F(DictionaryStoreTest, VatRateValueIsAWholeNumberOrNothingRuns) {
  const wxString standard = Save(kDictionaryVatRate, "1", "0", "23%", "23", true);
  struct ValueCase {
    const char* typed;
    bool accepted;
    const char* stored;
  };
  const ValueCase cases[] = {
      {"8", true, "8"},        {" 5 ", true, "5"},   {"-1", true, "-1"},      {"007", true, "7"},
      {"5.5", false, ""},      {"7a", false, ""},    {"1e3", false, ""},      {"", false, ""},
      {"-", false, ""},        {"0x10", false, ""},  {"99999999999", false, ""},
      {"1,1); delete from stawka_vat; --", false, ""},
  };
  for (const ValueCase& c : cases) {
    SCOPED_TRACE(c.typed);
    DictionaryEntry entry;
    entry.name = "nowa";
    entry.value = wxString::FromUTF8(c.typed);
    entry.isDefault = true;
    wxString savedId;
    wxString error;
    const bool saved = SaveDictionaryEntry(*db, kDictionaryVatRate, "1", entry, &savedId, &error);
    EXPECT_EQ(saved, c.accepted) << error;
    if (saved) {
      EXPECT_EQ(Cell("select wartosc from stawka_vat where id_stawki_vat=" + savedId), c.stored);
      db->DeleteData("delete from stawka_vat where id_stawki_vat=" + savedId);
      db->DeleteData("update stawka_vat set domyslna=1 where id_stawki_vat=" + standard);
    } else {
      EXPECT_FALSE(error.empty());
      // Nothing ran: no new row and the old default is still the default.
      EXPECT_EQ(Cell("select count(*) from stawka_vat"), "1");
      EXPECT_EQ(Cell("select domyslna from stawka_vat where id_stawki_vat=" + standard), "1");
    }
  }

  // An update may leave the value empty: the stored rate stays.
  EXPECT_EQ(Save(kDictionaryVatRate, "1", standard, "", "", true), standard);
  EXPECT_EQ(Cell("select nazwa||':'||wartosc from stawka_vat"), "23%:23");
}

TEST_F(DictionaryStoreTest, AFailedSaveKeepsTheOldDefault) {
  const wxString cash = Save(kDictionaryPaymentForm, "1", "0", wxString::FromUTF8("Gotówka"), "", true);
  ASSERT_GE(db->DeleteData("create trigger refuse before insert on platnosc when new.nazwa='Weksel' "
                           "begin select raise(abort, 'payment form refused'); end"),
            0);
  DictionaryEntry refused;
  refused.name = "Weksel";
  refused.isDefault = true;
  wxString savedId;
  wxString error;
  EXPECT_FALSE(SaveDictionaryEntry(*db, kDictionaryPaymentForm, "1", refused, &savedId, &error));
  EXPECT_NE(error.Find("payment form refused"), wxNOT_FOUND) << error;
  EXPECT_EQ(Cell("select domyslna from platnosc where id_platnosci=" + cash), "1");

  // An entry removed meanwhile is not silently "saved": the default stays too.
  const wxString transfer = Save(kDictionaryPaymentForm, "1", "0", "Przelew", "", false);
  db->DeleteData("delete from platnosc where id_platnosci=" + transfer);
  DictionaryEntry gone;
  gone.id = transfer;
  gone.name = "Przelew";
  gone.isDefault = true;
  EXPECT_FALSE(SaveDictionaryEntry(*db, kDictionaryPaymentForm, "1", gone, &savedId, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(Cell("select domyslna from platnosc where id_platnosci=" + cash), "1");
}

}  // namespace
