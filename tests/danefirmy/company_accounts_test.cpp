// The account rows of the company editor in its list model: the states a save
// reads ("b" kept, "n" inserted, "a" updated), one default account, removal into
// the list of removed ids, and which rows a save refuses for their number.
#include "danefirmy/company_accounts.h"

#include "sqldata/dv_model.h"

#include <gtest/gtest.h>

namespace {

const char kValidNumber[] = "61109010140000071219812874";

wxObjectDataPtr<DVModel> AccountModel() {
  wxObjectDataPtr<DVModel> model(new DVModel());
  const int kinds[AccountColCount] = {DVColumnFlag, DVColumnText, DVColumnText, DVColumnText,
                                      DVColumnText, DVColumnText, DVColumnText, DVColumnFlag,
                                      DVColumnText, DVColumnText, DVColumnText};
  for (unsigned int i = 0; i < AccountColCount; ++i) model->AddColumn(kinds[i], static_cast<int>(i));
  model->InitStorage();
  return model;
}

CompanyAccountRow Stored(long id, const wxString& name, bool isDefault = false) {
  CompanyAccountRow row;
  row.idRachunku = id;
  row.rodzaj = kAccountLoaded;
  row.nazwa = name;
  row.domyslny = isDefault;
  return row;
}

// "name:state:default" of every row, in list order.
std::vector<std::string> States(const DVModel& model) {
  std::vector<std::string> states;
  for (const CompanyAccountRow& row : AccountRowsFromModel(model)) {
    states.push_back((row.nazwa + ":" + row.rodzaj + ":" + (row.domyslny ? "1" : "0")).ToStdString());
  }
  return states;
}

class AccountRows : public ::testing::Test {
 protected:
  void SetUp() override {
    AppendAccountRow(*model, Stored(7, "A", true));
    AppendAccountRow(*model, Stored(8, "B"));
    AppendAccountRow(*model, Stored(9, "C"));
  }
  wxObjectDataPtr<DVModel> model = AccountModel();
};

}  // namespace

TEST_F(AccountRows, RowsReadBackAsWrittenWithTheirStateAndId) {
  CompanyAccountRow added;
  added.nazwa = "Nowy";
  added.numer = kValidNumber;
  added.waluta = "EUR";
  added.aktywny = false;
  added.opis = "opis";
  const int row = AppendAccountRow(*model, added);
  EXPECT_EQ(row, 3);
  EXPECT_EQ(model->rowCount, 4);
  const CompanyAccountRow back = ReadAccountRow(*model, row);
  EXPECT_EQ(back.numer, added.numer);
  EXPECT_EQ(back.waluta, "EUR");
  EXPECT_FALSE(back.aktywny);
  EXPECT_EQ(back.rodzaj, kAccountAdded);
  EXPECT_EQ(back.idRachunku, 0);
  EXPECT_EQ(ReadAccountRow(*model, 0).idRachunku, 7);
}

TEST_F(AccountRows, OneDefaultAccountAndEveryChangedRowIsMarkedForTheSave) {
  MakeOnlyDefaultAccount(*model, 2);
  EXPECT_EQ(States(*model), (std::vector<std::string>{"A:a:0", "B:b:0", "C:a:1"}));
  // Untouched by the rule, B stays as loaded and is not rewritten.
  MakeOnlyDefaultAccount(*model, -1);
  EXPECT_EQ(States(*model), (std::vector<std::string>{"A:a:0", "B:b:0", "C:a:1"}));
}

TEST_F(AccountRows, TogglingTheListFlagKeepsOneDefault) {
  model->SetValueByRow(wxVariant(true), 1, AccountColDomyslny);
  AccountDefaultToggled(*model, 1);
  EXPECT_EQ(States(*model), (std::vector<std::string>{"A:a:0", "B:a:1", "C:b:0"}));
  model->SetValueByRow(wxVariant(false), 1, AccountColDomyslny);
  AccountDefaultToggled(*model, 1);
  EXPECT_EQ(States(*model), (std::vector<std::string>{"A:a:0", "B:a:0", "C:b:0"}));
}

TEST_F(AccountRows, LiveEditingCopiesTheFieldsAndTheDefaultRule) {
  CompanyAccountRow fields = ReadAccountRow(*model, 1);
  fields.nazwa = "B2";
  fields.iban = "zly numer";  // checked only when the user applies or saves
  fields.domyslny = true;
  CopyFieldsIntoAccountRow(*model, 1, fields);
  EXPECT_EQ(States(*model), (std::vector<std::string>{"A:a:0", "B2:a:1", "C:b:0"}));
  EXPECT_EQ(ReadAccountRow(*model, 1).iban, "zly numer");
  fields.domyslny = false;
  CopyFieldsIntoAccountRow(*model, 1, fields);
  EXPECT_FALSE(ReadAccountRow(*model, 1).domyslny);

  // A new row stays new whatever is typed into it.
  CompanyAccountRow added;
  const int row = AppendAccountRow(*model, added);
  added.nazwa = "D";
  CopyFieldsIntoAccountRow(*model, row, added);
  EXPECT_EQ(ReadAccountRow(*model, row).rodzaj, kAccountAdded);
}

TEST_F(AccountRows, RemovedStoredRowsAreListedOnceAndNewRowsNever) {
  std::vector<long> removed = {8};
  EXPECT_EQ(RemoveAccountRow(*model, 1, &removed), 1);  // C moved up to the same place
  EXPECT_EQ(removed, std::vector<long>{8});
  const int added = AppendAccountRow(*model, CompanyAccountRow());
  EXPECT_EQ(RemoveAccountRow(*model, added, &removed), 1);  // the last row: the new last is shown
  EXPECT_EQ(removed, std::vector<long>{8});
  EXPECT_EQ(RemoveAccountRow(*model, 1, &removed), 0);
  EXPECT_EQ(RemoveAccountRow(*model, 0, &removed), -1);
  EXPECT_EQ(removed, (std::vector<long>{8, 9, 7}));
  EXPECT_EQ(model->rowCount, 0);
  EXPECT_EQ(RemoveAccountRow(*model, 0, &removed), -1);
}

TEST(AccountNumber, IbanIsCheckedWhenGivenElseTheNumber) {
  CompanyAccountRow account;
  account.numer = "123";
  account.iban = " ";
  EXPECT_EQ(AccountNumberSource(account), AccountNumberField::Numer);
  EXPECT_FALSE(HasValidAccountNumber(account));
  account.iban = wxString("PL") + kValidNumber;
  EXPECT_EQ(AccountNumberSource(account), AccountNumberField::Iban);
  EXPECT_TRUE(HasValidAccountNumber(account));
  EXPECT_TRUE(HasValidAccountNumber(CompanyAccountRow()));
}

TEST(AccountNumber, SaveJudgesNewAndChangedRowsButNotTheLoadedOnes) {
  CompanyAccountRow loaded = Stored(1, "stare");
  loaded.numer = "123";
  CompanyAccountRow changed = Stored(2, "zmienione");
  changed.rodzaj = kAccountChanged;
  changed.numer = kValidNumber;
  CompanyAccountRow added;
  added.iban = "DE89370400440532013001";
  EXPECT_EQ(FirstInvalidAccountToWrite({loaded, changed}), -1);
  EXPECT_EQ(FirstInvalidAccountToWrite({loaded, changed, added}), 2);
  changed.numer = "62109010140000071219812874";
  EXPECT_EQ(FirstInvalidAccountToWrite({loaded, changed, added}), 1);
}
