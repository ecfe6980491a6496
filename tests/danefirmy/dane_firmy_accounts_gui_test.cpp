// The page "Rachunki" of the company editor on a real SQLite file: accounts typed,
// made default, changed and removed in memory, written with the company's save,
// and refused with their number wrong, whether applied or edited in place.
#include "company_tab_fixture.h"

#include <wx/notebook.h>

#include <dlfcn.h>

using veldrix::MessageBoxRecorder;
using veldrix::test::CountRows;
using veldrix::test::PumpEvents;
using veldrix::test::SaveScreenshot;

namespace {

const char kNrb[] = "61 1090 1014 0000 0712 1981 2874";

// How much of its title the header of a list column lacks, in pixels, as GTK lays the
// header out: its width against the least its title needs. GTK's own functions are
// looked up at run time (the tests do not build against GTK).
int HeaderShortfall(wxDataViewColumn* column) {
  using Button = void* (*)(void*);
  using Preferred = void (*)(void*, int*, int*);
  using Allocated = int (*)(void*);
  auto button = reinterpret_cast<Button>(dlsym(RTLD_DEFAULT, "gtk_tree_view_column_get_button"));
  auto preferred = reinterpret_cast<Preferred>(dlsym(RTLD_DEFAULT, "gtk_widget_get_preferred_width"));
  auto allocated = reinterpret_cast<Allocated>(dlsym(RTLD_DEFAULT, "gtk_widget_get_allocated_width"));
  if (!button || !preferred || !allocated) {
    ADD_FAILURE() << "GTK functions not found";
    return 0;
  }
  void* header = button(column->GetGtkHandle());
  int least = 0;
  int natural = 0;
  preferred(header, &least, &natural);
  return least - allocated(header);
}
const char kGermanIban[] = "DE89 3704 0044 0532 0130 00";

class AccountsPageTest : public CompanyTabTest {
 protected:
  // A company ready to be saved again, shown on the page "Rachunki".
  void OpenCompany() {
    ASSERT_GE(db->DeleteData("insert into firma(nazwa,nazwa_pelna,nip,kod,miejscowosc,ulica,domyslna,data_od) "
                             "values('Alfa','Alfa SA','5260250274','00-001','Gdynia','Morska 1',1,'2024-01-01')"),
              0);
    app->workingId = "1";
    OpenTab();
    ASSERT_EQ(editor->GetRecordId(), "1");
    ShowAccountsPage();
  }

  void ShowAccountsPage() {
    auto* notebook = Find<wxNotebook>("notebook");
    notebook->SetSelection(1);
    PumpEvents(100);
  }

  void ClickAccountRow(int row) {
    auto* list = Find<wxDataViewCtrl>("rachunki");
    const wxDataViewItem item = editor->GetAccountModel()->GetItem(row);
    list->Select(item);
    wxDataViewEvent selected(wxEVT_DATAVIEW_SELECTION_CHANGED, list, item);
    list->HandleWindowEvent(selected);
    PumpEvents(20);
  }

  void TypeAccount(const wxString& name, const wxString& numer, const wxString& iban) {
    Type("rachunek_nazwa", name);
    Type("rachunek_numer", numer);
    Type("rachunek_iban", iban);
  }

  wxButton* ApplyButton() { return Find<wxButton>("rachunek_dodaj"); }

  wxString Cell(const wxString& sql) {
    const wxArrayString cells = db->FrameData(sql);
    return cells.empty() ? wxString("<none>") : cells[0];
  }

  // Name, state and default flag of every row of the list.
  std::vector<wxString> Rows() {
    std::vector<wxString> rows;
    DVModel* model = editor->GetAccountModel();
    for (int row = 0; row < model->rowCount; ++row) {
      wxVariant name, state, flag;
      model->GetValueByRow(name, row, AccountColNazwa);
      model->GetValueByRow(state, row, AccountColRodzaj);
      model->GetValueByRow(flag, row, AccountColDomyslny);
      rows.push_back(name.GetString() + ":" + state.GetString() + ":" + (VariantToBool(flag) ? "1" : "0"));
    }
    return rows;
  }
};

}  // namespace

TEST_F(AccountsPageTest, TwoAccountsOneDefaultAreSavedReloadedAndRemovedOnce) {
  OpenCompany();
  // Deletions of accounts are counted as the database sees them.
  ASSERT_GE(db->DeleteData("create table usuniete(id integer)"), 0);
  ASSERT_GE(db->DeleteData("create trigger licz_usuniete after delete on firma_rachunek "
                           "begin insert into usuniete values(old.id_rachunku); end"),
            0);
  MessageBoxRecorder boxes(wxID_OK);

  TypeAccount(wxString::FromUTF8("Główny"), kNrb, "");
  Check("rachunek_domyslny", true);
  Click(ApplyButton());
  EXPECT_EQ(ApplyButton()->GetLabel(), wxString::FromUTF8("Zmień"));
  // Applying the same account again changes it rather than adding it twice.
  Type("rachunek_bank", "Bank A");
  Click(ApplyButton());
  EXPECT_EQ(Rows(), std::vector<wxString>{wxString::FromUTF8("Główny:n:1")});

  Click(Find<wxButton>("rachunek_nowy"));
  EXPECT_EQ(ApplyButton()->GetLabel(), "Dodaj");
  EXPECT_EQ(Find<wxTextCtrl>("rachunek_nazwa")->GetValue(), "");
  TypeAccount("Walutowy", "", kGermanIban);
  Find<wxComboBox>("rachunek_waluta")->SetStringSelection("EUR");
  Check("rachunek_domyslny", true);
  Click(ApplyButton());
  EXPECT_EQ(Rows(), (std::vector<wxString>{wxString::FromUTF8("Główny:n:0"), "Walutowy:n:1"}));
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 0);

  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  ASSERT_EQ(CountRows(*db, "firma_rachunek", "id_firmy=1"), 2);
  EXPECT_EQ(Cell("select nazwa from firma_rachunek where domyslny=1"), "Walutowy");
  EXPECT_EQ(Cell("select nazwa_banku from firma_rachunek where domyslny=0"), "Bank A");
  // Reloaded from the database: the default account first, every row as stored.
  EXPECT_EQ(Rows(), (std::vector<wxString>{"Walutowy:b:1", wxString::FromUTF8("Główny:b:0")}));
  PumpEvents(200);
  SaveScreenshot(frame, "danefirmy_accounts_saved");

  ClickAccountRow(1);
  EXPECT_EQ(Find<wxTextCtrl>("rachunek_nazwa")->GetValue(), wxString::FromUTF8("Główny"));
  Click(Find<wxButton>("rachunek_usun"));
  EXPECT_EQ(Find<wxTextCtrl>("rachunek_nazwa")->GetValue(), "Walutowy");
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 2);
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 1);

  // The next save deletes nothing more.
  Type("uwagi", "druga zmiana");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(CountRows(*db, "usuniete"), 1);
  EXPECT_EQ(CountRows(*db, "firma_rachunek"), 1);

  // Removing the last row leaves the editor ready for a new account.
  Click(Find<wxButton>("rachunek_usun"));
  EXPECT_TRUE(Rows().empty());
  EXPECT_EQ(ApplyButton()->GetLabel(), "Dodaj");
  EXPECT_TRUE(editor->IsModified());
}

// "Zapisz" stores the account the editor shows, applied or not, and the list's
// lost selection keeps the editor on its row; a wrong number stops the save.
TEST_F(AccountsPageTest, TheSaveTakesTheAccountInTheEditorAppliedOrNot) {
  OpenCompany();
  MessageBoxRecorder boxes(wxID_OK);
  auto* list = Find<wxDataViewCtrl>("rachunki");
  for (const wxString name : {"Dodany", "Wpisany", "Poprawiony", "Zły"}) {
    if (name == "Poprawiony") {
      ClickAccountRow(0);
      wxDataViewEvent cleared(wxEVT_DATAVIEW_SELECTION_CHANGED, list, wxDataViewItem());
      list->HandleWindowEvent(cleared);
      Type("rachunek_nazwa", name);
    } else {
      Click(Find<wxButton>("rachunek_nowy"));
      TypeAccount(name, name == "Zły" ? "123" : kNrb, "");
      if (name == "Dodany") Click(ApplyButton());
    }
    Click(Find<wxButton>("ID_COMPANY_SAVE"));
    EXPECT_EQ(CountRows(*db, "firma_rachunek", "nazwa='" + name + "'"), name == "Zły" ? 0 : 1) << name;
  }
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.shown()[0].style & wxICON_WARNING);
  EXPECT_EQ(wxWindow::FindFocus(), Find<wxTextCtrl>("rachunek_numer"));
}

TEST_F(AccountsPageTest, InvalidNumberIsRefusedWithTheFocusOnTheField) {
  OpenCompany();
  MessageBoxRecorder boxes(wxID_OK);
  // "Numer" is wrong too, but a given IBAN is the number that counts.
  TypeAccount("Zły", "123", "PL62 1090 1014 0000 0712 1981 2874");
  Click(ApplyButton());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Numer rachunku bankowego lub IBAN jest nieprawidłowy."));
  EXPECT_EQ(boxes.shown()[0].caption, "Walidacja");
  EXPECT_EQ(wxWindow::FindFocus(), Find<wxTextCtrl>("rachunek_iban"));
  EXPECT_EQ(editor->GetAccountModel()->rowCount, 0);

  // Both fields empty: an account without a number is taken.
  boxes.Clear();
  TypeAccount("Bez numeru", "", "");
  Click(ApplyButton());
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(editor->GetAccountModel()->rowCount, 1);
}

TEST_F(AccountsPageTest, AccountEditedInPlaceIsCheckedAtTheSave) {
  ASSERT_GE(db->DeleteData("insert into firma_rachunek(id_firmy,nazwa,numer,domyslny) "
                           "values(1,'Stary','61109010140000071219812874',1)"),
            0);
  OpenCompany();
  ASSERT_EQ(Rows(), std::vector<wxString>{"Stary:b:1"});
  MessageBoxRecorder boxes(wxID_OK);
  // Typing goes straight into the shown row, without a message.
  Type("rachunek_numer", "61109010140000071219812875");
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Rows(), std::vector<wxString>{"Stary:a:1"});
  Find<wxNotebook>("notebook")->SetSelection(0);

  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Numer rachunku bankowego lub IBAN jest nieprawidłowy."));
  EXPECT_EQ(Find<wxNotebook>("notebook")->GetSelection(), 1);
  EXPECT_EQ(wxWindow::FindFocus(), Find<wxTextCtrl>("rachunek_numer"));
  EXPECT_EQ(Cell("select numer from firma_rachunek"), "61109010140000071219812874");
  EXPECT_TRUE(editor->IsModified());

  boxes.Clear();
  Type("rachunek_numer", kNrb);
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select numer from firma_rachunek"), kNrb);
}

TEST_F(AccountsPageTest, TickInTheListMakesTheOnlyDefaultAndBothRowsAreWritten) {
  ASSERT_GE(db->DeleteData("insert into firma_rachunek(id_firmy,nazwa,domyslny) values(1,'A',1),(1,'B',0)"), 0);
  OpenCompany();
  ASSERT_EQ(Rows(), (std::vector<wxString>{"A:b:1", "B:b:0"}));
  DVModel* model = editor->GetAccountModel();
  // What the list's check box does when clicked.
  model->ChangeValue(wxVariant(true), model->GetItem(1), AccountColDomyslny);
  PumpEvents(20);
  EXPECT_EQ(Rows(), (std::vector<wxString>{"A:a:0", "B:a:1"}));
  // The editor shows A, which is no longer the default.
  EXPECT_FALSE(Find<wxCheckBox>("rachunek_domyslny")->GetValue());
  EXPECT_TRUE(editor->IsModified());

  MessageBoxRecorder boxes(wxID_OK);
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select nazwa from firma_rachunek where domyslny=1"), "B");
  EXPECT_EQ(CountRows(*db, "firma_rachunek", "domyslny=1"), 1);
}

TEST_F(AccountsPageTest, TheAccountListShowsEveryColumnTitleWhole) {
  ASSERT_GE(db->DeleteData("insert into firma_rachunek(id_firmy,nazwa,domyslny) values(1,'A',1)"), 0);
  OpenCompany();
  auto* list = Find<wxDataViewCtrl>("rachunki");
  ASSERT_EQ(list->GetColumnCount(), 9u);
  for (unsigned i = 0; i < list->GetColumnCount(); ++i) {
    EXPECT_LE(HeaderShortfall(list->GetColumn(i)), 0) << list->GetColumn(i)->GetTitle();
  }
  SaveScreenshot(frame, "danefirmy_account_columns");
}
