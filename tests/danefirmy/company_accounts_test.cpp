// The account rows of the company editor in its list model: the states a save
// reads ("b" kept, "n" inserted, "a" updated), one default account, removal into
// the list of removed ids, and which rows a save refuses for their number.
#include "danefirmy/company_accounts.h"

#include "sqldata/dv_model.h"

#include <gtest/gtest.h>

namespace {

class AccountRows : public ::testing::Test {
 protected:
  void SetUp() override {
    const int kinds[AccountColCount] = {DVColumnFlag, DVColumnText, DVColumnText, DVColumnText,
                                        DVColumnText, DVColumnText, DVColumnText, DVColumnFlag,
                                        DVColumnText, DVColumnText, DVColumnText};
    for (unsigned int i = 0; i < AccountColCount; ++i) model->AddColumn(kinds[i], static_cast<int>(i));
    model->InitStorage();
    for (long id : {7, 8, 9}) {
      CompanyAccountRow row;
      row.idRachunku = id;
      row.rodzaj = kAccountLoaded;
      row.nazwa = wxString::Format("%c", static_cast<char>('A' + id - 7));
      row.domyslny = id == 7;
      AppendAccountRow(*model, row);
    }
  }

  // "name:state:default" of every row, in list order.
  std::vector<std::string> States() {
    std::vector<std::string> states;
    for (const CompanyAccountRow& row : AccountRowsFromModel(*model)) {
      states.push_back((row.nazwa + ":" + row.rodzaj + ":" + (row.domyslny ? "1" : "0")).ToStdString());
    }
    return states;
  }

  wxObjectDataPtr<DVModel> model{new DVModel()};
};

}  // namespace

TEST_F(AccountRows, OneDefaultAccountAndOnlyChangedRowsAreMarkedForTheSave) {
  MakeOnlyDefaultAccount(*model, 2);
  EXPECT_EQ(States(), (std::vector<std::string>{"A:a:0", "B:b:0", "C:a:1"}));

  // The list's own check box: the model already holds the new flag.
  model->SetValueByRow(wxVariant(true), 1, AccountColDomyslny);
  AccountDefaultToggled(*model, 1);
  EXPECT_EQ(States(), (std::vector<std::string>{"A:a:0", "B:a:1", "C:a:0"}));
}

TEST_F(AccountRows, LiveEditingCopiesTheFieldsAndANewRowStaysNew) {
  CompanyAccountRow fields = ReadAccountRow(*model, 1);
  fields.nazwa = "B2";
  fields.iban = "zly numer";  // judged only when applied or saved
  fields.domyslny = true;
  CopyFieldsIntoAccountRow(*model, 1, fields);
  EXPECT_EQ(States(), (std::vector<std::string>{"A:a:0", "B2:a:1", "C:b:0"}));
  EXPECT_EQ(ReadAccountRow(*model, 1).iban, "zly numer");

  const int added = AppendAccountRow(*model, CompanyAccountRow());
  fields.domyslny = false;
  CopyFieldsIntoAccountRow(*model, added, fields);
  EXPECT_EQ(ReadAccountRow(*model, added).rodzaj, kAccountAdded);
  EXPECT_EQ(ReadAccountRow(*model, added).idRachunku, 0);
}

TEST_F(AccountRows, RemovedStoredRowsAreListedOnceAndNewRowsNever) {
  std::vector<long> removed = {8};
  EXPECT_EQ(RemoveAccountRow(*model, 1, &removed), 1);  // C now stands in B's place
  const int added = AppendAccountRow(*model, CompanyAccountRow());
  EXPECT_EQ(RemoveAccountRow(*model, added, &removed), 1);  // the last row: the new last is next
  EXPECT_EQ(RemoveAccountRow(*model, 1, &removed), 0);
  EXPECT_EQ(RemoveAccountRow(*model, 0, &removed), -1);
  EXPECT_EQ(RemoveAccountRow(*model, 0, &removed), -1);
  EXPECT_EQ(removed, (std::vector<long>{8, 9, 7}));
}

TEST(AccountNumber, SaveJudgesTheIbanOrTheNumberOfNewAndChangedRowsOnly) {
  CompanyAccountRow loaded;
  loaded.rodzaj = kAccountLoaded;
  loaded.numer = "123";
  CompanyAccountRow changed;
  changed.rodzaj = kAccountChanged;
  changed.numer = "123";
  changed.iban = "PL61 1090 1014 0000 0712 1981 2874";  // a given IBAN is the number that counts
  CompanyAccountRow added;
  EXPECT_EQ(AccountNumberSource(changed), AccountNumberField::Iban);
  EXPECT_EQ(FirstInvalidAccountToWrite({loaded, changed, added}), -1);
  added.iban = " ";
  added.numer = "62109010140000071219812874";
  EXPECT_EQ(AccountNumberSource(added), AccountNumberField::Numer);
  EXPECT_EQ(FirstInvalidAccountToWrite({loaded, changed, added}), 2);
}
