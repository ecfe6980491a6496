// Company records on a real SQLite file: the save transaction with its default,
// numbering, history and account statements, rollback of a failed save, loading,
// deleting and the search condition.
#include "danefirmy/company_record.h"

#include "company_schema.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>
#include <wx/variant.h>

#include <memory>

using veldrix::test::CountRows;
using veldrix::test::IsolatedFolders;

namespace {

CompanyRecord SampleCompany(const wxString& name) {
  CompanyRecord c;
  c.nazwa = name;
  c.nazwaPelna = name + " sp. z o.o.";
  c.nip = "5260250274";
  c.regon = "123456785";
  c.ulica = wxString::FromUTF8("Długa 1");
  c.kod = "00-950";
  c.miejscowosc = "Warszawa";
  c.wojewodztwo = "mazowieckie";
  c.dataOd = "2024-01-01";
  c.domyslnaPlatnosc = 2;
  c.domyslnyTermin = 14;
  c.domyslnaWaluta = "EUR";
  c.ksefId = "K-1";
  return c;
}

CompanyAccountRow Account(const wxString& name, const wxString& rodzaj, long id = 0, bool isDefault = false) {
  CompanyAccountRow a;
  a.nazwa = name;
  a.numer = "61109010140000071219812874";
  a.nazwaBanku = "Bank";
  a.rodzaj = rodzaj;
  a.idRachunku = id;
  a.domyslny = isDefault;
  return a;
}

class CompanyStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const wxString path = folders.root() + "/program.db";
    wxString message;
    ASSERT_TRUE(veldrix::test::CreateProgramDatabase(folders, path, &message)) << message;
    db = std::make_unique<SQLData>(path);
    ASSERT_TRUE(db->IniciujBazeDanych());
    store = std::make_unique<CompanyStore>(*db);
  }

  wxString SaveNew(const CompanyRecord& company, std::vector<CompanyAccountRow> accounts = {}) {
    CompanySaveRequest request;
    request.company = company;
    request.accounts = std::move(accounts);
    CompanySaveOutcome outcome;
    wxString error;
    EXPECT_TRUE(store->Save(request, &outcome, &error)) << error;
    EXPECT_TRUE(outcome.created);
    return outcome.companyId;
  }

  wxArrayString Cells(const wxString& sql) { return db->FrameData(sql); }

  IsolatedFolders folders;
  wxLogNull quiet;
  std::unique_ptr<SQLData> db;
  std::unique_ptr<CompanyStore> store;
};

}  // namespace

TEST_F(CompanyStoreTest, NewCompanyGetsItsRowAndOneNumberingRow) {
  CompanyRecord company = SampleCompany("Alfa");
  company.domyslna = true;
  const wxString id = SaveNew(company);
  ASSERT_EQ(id, "1");

  const wxArrayString row = Cells(
      "select nazwa,nazwa_pelna,nip,kraj,data_od,domyslna,platnik_vat,maly_podatnik,domyslna_platnosc,"
      "domyslny_termin,domyslna_waluta,ksef_id,telefon,data_utworzenia is not null from firma");
  ASSERT_EQ(row.size(), 14u);
  EXPECT_EQ(row[0], "Alfa");
  EXPECT_EQ(row[1], "Alfa sp. z o.o.");
  EXPECT_EQ(row[3], "PL");
  EXPECT_EQ(row[4], "2024-01-01");
  EXPECT_EQ(row[5], "1");
  EXPECT_EQ(row[6], "1");
  EXPECT_EQ(row[7], "0");
  EXPECT_EQ(row[8], "2");
  EXPECT_EQ(row[9], "14");
  EXPECT_EQ(row[10], "EUR");
  EXPECT_EQ(row[11], "K-1");
  EXPECT_EQ(row[12], "");  // an empty field is stored as an empty text, not NULL
  EXPECT_EQ(row[13], "1");

  const wxDateTime today = wxDateTime::Today();
  const wxArrayString numbering = Cells(
      "select id_dok_rodzaj,id_firmy,num_auto,num_format,num_ostatni,num_rok,okres,rok,miesiac from "
      "dokument_numeracja");
  ASSERT_EQ(numbering.size(), 9u);
  EXPECT_EQ(numbering[0], "1");
  EXPECT_EQ(numbering[1], id);
  EXPECT_EQ(numbering[2], "1");
  EXPECT_EQ(numbering[3], "F/#####/$$");
  EXPECT_EQ(numbering[4], "0");
  EXPECT_EQ(numbering[5], wxString::Format("%d", today.GetYear()));
  EXPECT_EQ(numbering[6], "R");
  EXPECT_EQ(numbering[7], wxString::Format("%d", today.GetYear()));
  // Months are stored 1 to 12.
  EXPECT_EQ(numbering[8], wxString::Format("%d", static_cast<int>(today.GetMonth()) + 1));
  bool hasDefault = false;
  EXPECT_TRUE(store->HasDefaultCompany(&hasDefault));
  EXPECT_TRUE(hasDefault);

  // An update adds no numbering row.
  CompanySaveRequest update;
  update.companyId = id;
  update.company = company;
  update.loadedValidFrom.ParseISODate("2024-01-01");
  ASSERT_TRUE(store->Save(update, nullptr));
  EXPECT_EQ(CountRows(*db, "dokument_numeracja"), 1);
}

TEST(NumberingMonth, CountsJanuaryAsOneAndDecemberAsTwelve) {
  EXPECT_EQ(NumberingMonth(wxDateTime(1, wxDateTime::Jan, 2025)), 1);
  EXPECT_EQ(NumberingMonth(wxDateTime(31, wxDateTime::Dec, 2025)), 12);
}

TEST_F(CompanyStoreTest, DefaultCompanyClearsTheOthersInTheSameSave) {
  CompanyRecord first = SampleCompany("Alfa");
  first.domyslna = true;
  const wxString alfa = SaveNew(first);
  CompanyRecord second = SampleCompany("Beta");
  second.domyslna = true;
  const wxString beta = SaveNew(second);
  EXPECT_EQ(Cells("select id_firmy from firma where domyslna=1"), wxArrayString(1, &beta));

  // Clearing the default box of the default company leaves none.
  CompanySaveRequest request;
  request.companyId = beta;
  request.company = second;
  request.company.domyslna = false;
  request.loadedValidFrom.ParseISODate(second.dataOd);
  ASSERT_TRUE(store->Save(request, nullptr));
  bool hasDefault = true;
  EXPECT_TRUE(store->HasDefaultCompany(&hasDefault));
  EXPECT_FALSE(hasDefault);
  EXPECT_EQ(CountRows(*db, "firma"), 2);
  EXPECT_EQ(alfa, "1");
}

TEST_F(CompanyStoreTest, ChangedValidityDateWritesOneHistoryRowWithTheOldIdentity) {
  const wxString id = SaveNew(SampleCompany("Alfa"));

  // A correction without a new date overwrites the row without history.
  CompanySaveRequest request;
  request.companyId = id;
  request.company = SampleCompany("Alfa Poprawiona");
  request.loadedValidFrom.ParseISODate("2024-01-01");
  CompanySaveOutcome outcome;
  ASSERT_TRUE(store->Save(request, &outcome));
  EXPECT_FALSE(outcome.historyWritten);
  EXPECT_EQ(CountRows(*db, "firma_historia"), 0);

  request.company = SampleCompany("Alfa Nowa");
  request.company.dataOd = "2025-03-01";
  ASSERT_TRUE(store->Save(request, &outcome));
  EXPECT_TRUE(outcome.historyWritten);
  const wxArrayString history = Cells("select id_firmy,nazwa,data_od,kraj from firma_historia");
  ASSERT_EQ(history.size(), 4u);
  EXPECT_EQ(history[0], id);
  EXPECT_EQ(history[1], "Alfa Poprawiona");
  EXPECT_EQ(history[2], "2024-01-01");
  EXPECT_EQ(history[3], "PL");
  EXPECT_EQ(Cells("select nazwa,data_od from firma")[0], "Alfa Nowa");
  EXPECT_EQ(Cells("select data_od from firma")[0], "2025-03-01");
}

TEST_F(CompanyStoreTest, FailureInTheMiddleRollsEverythingBackAndASecondSaveWritesOnce) {
  CompanyRecord company = SampleCompany("Alfa");
  company.domyslna = true;
  ASSERT_GE(db->DeleteData("create trigger reject_account before insert on firma_rachunek when new.nazwa='zle' "
                           "begin select raise(abort,'account rejected'); end"),
            0);
  CompanySaveRequest request;
  request.company = company;
  request.accounts = {Account("dobre", kAccountAdded), Account("zle", kAccountAdded)};
  wxString error;
  EXPECT_FALSE(store->Save(request, nullptr, &error));
  EXPECT_NE(error.Find("account rejected"), wxNOT_FOUND) << error;
  for (const char* table : {"firma", "firma_rachunek", "dokument_numeracja", "firma_historia"}) {
    EXPECT_EQ(CountRows(*db, table), 0) << table;
  }

  ASSERT_GE(db->DeleteData("drop trigger reject_account"), 0);
  CompanySaveOutcome outcome;
  ASSERT_TRUE(store->Save(request, &outcome, &error)) << error;
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(CountRows(*db, "dokument_numeracja"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek", "id_firmy=" + outcome.companyId), 2);
}

TEST_F(CompanyStoreTest, FailedUpdateKeepsTheStoredRowAndWritesNoHistory) {
  const wxString id = SaveNew(SampleCompany("Alfa"));
  ASSERT_GE(db->DeleteData("create trigger reject_account before insert on firma_rachunek "
                           "begin select raise(abort,'account rejected'); end"),
            0);
  CompanySaveRequest request;
  request.companyId = id;
  request.company = SampleCompany("Zmieniona");
  request.company.dataOd = "2025-05-05";
  request.loadedValidFrom.ParseISODate("2024-01-01");
  request.accounts = {Account("konto", kAccountAdded)};
  EXPECT_FALSE(store->Save(request, nullptr));
  EXPECT_EQ(Cells("select nazwa from firma")[0], "Alfa");
  EXPECT_EQ(CountRows(*db, "firma_historia"), 0);
}

TEST_F(CompanyStoreTest, SavingACompanyDeletedMeanwhileFailsAndWritesNothing) {
  CompanyRecord beta = SampleCompany("Beta");
  beta.domyslna = true;
  const wxString betaId = SaveNew(beta);
  const wxString alfaId = SaveNew(SampleCompany("Alfa"));
  // Another workstation deletes Alfa while its form is still open here.
  ASSERT_EQ(db->DeleteData("delete from firma where id_firmy=" + alfaId), 1);

  CompanySaveRequest request;
  request.companyId = alfaId;
  request.company = SampleCompany("Alfa zmieniona");
  request.company.domyslna = true;
  request.company.dataOd = "2025-05-05";
  request.loadedValidFrom.ParseISODate("2024-01-01");
  request.accounts = {Account("konto", kAccountAdded)};
  wxString error;
  EXPECT_FALSE(store->Save(request, nullptr, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 0);
  EXPECT_EQ(CountRows(*db, "firma_historia"), 0);
  EXPECT_EQ(Cells("select domyslna from firma where id_firmy=" + betaId)[0], "1");
}

TEST_F(CompanyStoreTest, AccountRowsAreWrittenByTheirState) {
  const wxString id = SaveNew(SampleCompany("Alfa"), {Account("A", kAccountAdded, 0, true), Account("B", kAccountAdded),
                                                      Account("C", kAccountAdded)});
  ASSERT_EQ(CountRows(*db, "firma_rachunek"), 3);
  const wxArrayString ids = Cells("select id_rachunku from firma_rachunek order by id_rachunku");
  long a = 0, b = 0, c = 0;
  ids[0].ToLong(&a);
  ids[1].ToLong(&b);
  ids[2].ToLong(&c);
  // Changed outside the editor: a row kept as loaded must not overwrite it.
  ASSERT_EQ(db->DeleteData(wxString::Format("update firma_rachunek set opis='z zewnatrz' where id_rachunku=%ld", a)), 1);

  CompanySaveRequest request;
  request.companyId = id;
  request.company = SampleCompany("Alfa");
  request.loadedValidFrom.ParseISODate("2024-01-01");
  CompanyAccountRow changed = Account("B2", kAccountChanged, b, true);
  request.accounts = {Account("A", kAccountLoaded, a, true), changed, Account("D", kAccountAdded),
                      Account("X", "x")};
  request.removedAccountIds = {c};
  ASSERT_TRUE(store->Save(request, nullptr));

  EXPECT_EQ(Cells(wxString::Format("select opis from firma_rachunek where id_rachunku=%ld", a))[0], "z zewnatrz");
  const wxArrayString changedRow = Cells(wxString::Format("select nazwa,domyslny from firma_rachunek where id_rachunku=%ld", b));
  ASSERT_EQ(changedRow.size(), 2u);
  EXPECT_EQ(changedRow[0], "B2");
  EXPECT_EQ(changedRow[1], "1");
  // The new default account took the default from the stored ones.
  EXPECT_EQ(Cells(wxString::Format("select domyslny from firma_rachunek where id_rachunku=%ld", a))[0], "0");
  EXPECT_EQ(CountRows(*db, "firma_rachunek", wxString::Format("id_rachunku=%ld", c)), 0);
  EXPECT_EQ(CountRows(*db, "firma_rachunek", "nazwa='D'"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek", "nazwa='X'"), 0);
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 3);
}

TEST_F(CompanyStoreTest, LoadReadsTheRowWithDefaultsForNulls) {
  CompanyRecord company = SampleCompany("Alfa");
  company.malyPodatnik = true;
  company.aktywna = false;
  const wxString id = SaveNew(company);
  CompanyRecord loaded;
  ASSERT_TRUE(store->Load(id, &loaded));
  EXPECT_EQ(loaded.nazwa, "Alfa");
  EXPECT_EQ(loaded.ulica, wxString::FromUTF8("Długa 1"));
  EXPECT_EQ(loaded.dataOd, "2024-01-01");
  EXPECT_TRUE(loaded.malyPodatnik);
  EXPECT_FALSE(loaded.aktywna);
  EXPECT_EQ(loaded.domyslnaPlatnosc, 2);
  EXPECT_EQ(loaded.domyslnyTermin, 14);
  EXPECT_EQ(loaded.domyslnaWaluta, "EUR");

  ASSERT_GE(db->DeleteData("insert into firma(nazwa,telefon,uwagi,domyslna_waluta,data_od,platnik_vat) "
                           "values('Bez',NULL,NULL,NULL,NULL,2)"),
            0);
  ASSERT_TRUE(store->Load("2", &loaded));
  EXPECT_EQ(loaded.nazwa, "Bez");
  EXPECT_EQ(loaded.telefon, "");
  EXPECT_EQ(loaded.domyslnaWaluta, "PLN");
  // Only the text "1" ticks a flag.
  EXPECT_FALSE(loaded.platnikVat);

  EXPECT_FALSE(store->Load("99", &loaded));
  EXPECT_FALSE(store->Load("1 or 1=1", &loaded));
}

TEST_F(CompanyStoreTest, DeleteRemovesTheCompanyAndItsAccountsButKeepsHistoryAndNumbering) {
  const wxString alfa = SaveNew(SampleCompany("Alfa"), {Account("A", kAccountAdded)});
  const wxString beta = SaveNew(SampleCompany("Beta"), {Account("B", kAccountAdded)});
  CompanySaveRequest request;
  request.companyId = alfa;
  request.company = SampleCompany("Alfa");
  request.company.dataOd = "2025-01-01";
  request.loadedValidFrom.ParseISODate("2024-01-01");
  ASSERT_TRUE(store->Save(request, nullptr));

  wxString error;
  ASSERT_TRUE(store->Delete(alfa, &error)) << error;
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek", "id_firmy=" + beta), 1);
  EXPECT_EQ(CountRows(*db, "firma_historia"), 1);
  EXPECT_EQ(CountRows(*db, "dokument_numeracja"), 2);
  EXPECT_FALSE(store->Delete("abc", &error));
  EXPECT_FALSE(error.empty());
}

TEST_F(CompanyStoreTest, FailedDeleteKeepsEverything) {
  const wxString alfa = SaveNew(SampleCompany("Alfa"), {Account("A", kAccountAdded)});
  ASSERT_GE(db->DeleteData("create trigger keep_accounts before delete on firma_rachunek "
                           "begin select raise(abort,'accounts locked'); end"),
            0);
  wxString error;
  EXPECT_FALSE(store->Delete(alfa, &error));
  EXPECT_NE(error.Find("accounts locked"), wxNOT_FOUND) << error;
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 1);
}

TEST_F(CompanyStoreTest, SearchConditionMatchesQuotesWildcardsAndColumns) {
  SaveNew(SampleCompany("O'Brien"));
  CompanyRecord other = SampleCompany("Kowalski_Nowak");
  other.nip = "7251801126";
  other.miejscowosc = wxString::FromUTF8("Łódź");
  SaveNew(other);
  auto names = [&](int column, const wxString& text) {
    const wxArrayString cells = db->FrameData(Querys::SelectFirma("", CompanySearchCondition(column, text)));
    wxArrayString result;
    for (size_t i = 0; i + 5 < cells.size(); i += 6) result.Add(cells[i]);
    return result;
  };
  ASSERT_EQ(names(0, "O'Br").size(), 1u);
  EXPECT_EQ(names(0, "O'Br")[0], "O'Brien");
  EXPECT_EQ(names(0, "o'br").size(), 1u);
  EXPECT_EQ(names(0, "   ").size(), 2u);
  EXPECT_EQ(CompanySearchCondition(5, "  "), "");
  EXPECT_EQ(names(0, "%").size(), 2u);
  EXPECT_EQ(names(0, "ki_N").size(), 1u);
  EXPECT_EQ(names(1, "725180").size(), 1u);
  EXPECT_EQ(names(2, "Warsz").size(), 1u);
  EXPECT_EQ(names(7, "Warsz").size(), 0u);
  EXPECT_EQ(names(0, "nic takiego").size(), 0u);
}

TEST(VariantToBool, BoolsAndTheTextsOfTruth) {
  EXPECT_TRUE(VariantToBool(wxVariant(true)));
  EXPECT_FALSE(VariantToBool(wxVariant(false)));
  for (const char* yes : {"1", "true", "T", "Yes", "y"}) EXPECT_TRUE(VariantToBool(wxVariant(wxString(yes)))) << yes;
  for (const char* no : {"0", "", "no", "2"}) EXPECT_FALSE(VariantToBool(wxVariant(wxString(no)))) << no;
}
