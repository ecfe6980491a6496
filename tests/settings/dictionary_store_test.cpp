// The seven shared dictionaries on a real SQLite program database: entries added,
// changed and deleted, one default per company, names stored as typed, VAT rates
// only as whole numbers, and a failed save that leaves the database as it was.
#include "settings/dictionary_store.h"

#include "settings_fixture.h"
#include "sqldata/sql_data.h"

#include <gtest/gtest.h>

namespace {

using veldrix::test::SettingsDatabaseTest;

struct KindCase {
  DictionaryKind kind;
  const char* table;
  const char* idColumn;
  const char* value;  // what the value field holds for the kind
};

const KindCase kKinds[] = {
    {kDictionaryVatRate, "stawka_vat", "id_stawki_vat", "23"},
    {kDictionaryArticleCategory, "artykul_kategoria", "id_kategorii", ""},
    {kDictionaryUnit, "artykul_jednostka", "id_jednostki", "m'2"},
    {kDictionaryPriceKind, "artykul_cena_rodzaj", "id_cena_rodzaj", ""},
    {kDictionaryContractorClassification, "kontrahent_klasyfikacja", "id_klasyfikacji", ""},
    {kDictionaryPaymentForm, "platnosc", "id_platnosci", ""},
    {kDictionaryLedgerEvent, "kpir_opis_zdarzenia", "id_kpir_opis_zdarzenia", ""},
};

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

  // The names of the defaults of a company (all rows for the shared kinds).
  wxString Defaults(const KindCase& k, const wxString& company) {
    wxString where = "domyslna=1";
    if (IsCompanyDictionary(k.kind)) where += " and id_firmy=" + company;
    return wxJoin(db->FrameData(wxString("select nazwa from ") + k.table + " where " + where + " order by 1"), '|');
  }
};

TEST_F(DictionaryStoreTest, EachKindAddsChangesAndDeletesEntriesWithOneDefaultPerCompany) {
  const wxString awkward = wxString::FromUTF8("Zażółć \"gęślą\" O'Brien jaźń");
  for (const KindCase& k : kKinds) {
    SCOPED_TRACE(k.table);
    const wxString first = Save(k.kind, "1", "0", awkward, k.value, true);
    const wxString second = Save(k.kind, "1", "0", "Druga", k.value, true);
    ASSERT_NE(first, "0");
    ASSERT_NE(first, second);
    EXPECT_EQ(Defaults(k, "1"), "Druga");
    EXPECT_EQ(Cell(wxString("select nazwa from ") + k.table + " where " + k.idColumn + "=" + first), awkward);
    if (k.kind == kDictionaryUnit) {
      EXPECT_EQ(Cell("select skrot from artykul_jednostka where id_jednostki=" + first), k.value);
    }

    // Another company's default leaves this company's default alone.
    if (IsCompanyDictionary(k.kind)) {
      Save(k.kind, "2", "0", "Inna firma", k.value, true);
      EXPECT_EQ(Defaults(k, "1"), "Druga");
      EXPECT_EQ(Defaults(k, "2"), "Inna firma");
    }

    // The first entry becomes the default again, renamed.
    EXPECT_EQ(Save(k.kind, "1", first, awkward + " 2", k.value, true), first);
    EXPECT_EQ(Defaults(k, "1"), awkward + " 2");

    wxString error;
    ASSERT_TRUE(DeleteDictionaryEntry(*db, k.kind, "1", second, &error)) << error;
    EXPECT_EQ(Cell(wxString("select count(*) from ") + k.table + " where " + k.idColumn + "=" + second), "0");
  }
}

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
