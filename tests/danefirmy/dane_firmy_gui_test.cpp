// The "Dane firmy" tab with its editor on a real SQLite file: opening, typing a
// company into the controls, validation, saving, searching, choosing the working
// company, the identity history, deleting and a save that fails in the database.
#include "company_tab_fixture.h"
#include "failure_box_check.h"
#include "modal_script.h"

#include <atomic>
#include <chrono>
#include <thread>

#include <wx/datectrl.h>
#include <wx/utils.h>
#include <wx/notebook.h>
#include <wx/stattext.h>

using veldrix::MessageBoxRecorder;
using veldrix::test::CaptureWindow;
using veldrix::test::CountRows;
using veldrix::test::MessageBoxesAsDialogs;
using veldrix::test::ModalScript;
using veldrix::test::PumpEvents;
using veldrix::test::SamePixels;
using veldrix::test::SaveScreenshot;

TEST_F(CompanyTabTest, FreshTabOnAnEmptyDatabaseShowsANewDefaultCompany) {
  ASSERT_GE(db->DeleteData(wxString::FromUTF8("insert into platnosc(nazwa,domyslna) values('Gotówka',0),"
                                              "('Przelew',1)")),
            0);
  OpenTab();
  SaveScreenshot(frame, "danefirmy_empty");
  EXPECT_EQ(editor->GetRecordId(), "0");
  EXPECT_FALSE(editor->IsModified());
  EXPECT_EQ(editor->GetTitleText(), "Nowa firma");
  EXPECT_EQ(editor->GetStatusText(),
            wxString::FromUTF8("PL | Czynny podatnik VAT | Domyślna | Brakuje danych wymaganych do faktury"));
  EXPECT_TRUE(Find<wxCheckBox>("domyslna")->GetValue());
  EXPECT_EQ(Find<wxTextCtrl>("domyslny_termin")->GetValue(), "7");
  EXPECT_EQ(Find<wxComboBox>("domyslna_platnosc")->GetCount(), 2u);
  EXPECT_EQ(Find<wxComboBox>("domyslna_platnosc")->GetStringSelection(), "Przelew");
  EXPECT_FALSE(Find<wxButton>("ID_COMPANY_SAVE")->IsEnabled());
  EXPECT_FALSE(Find<wxButton>("ID_COMPANY_CANCEL")->IsEnabled());
  EXPECT_FALSE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));

  // The selected payment form is stored by its id.
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select domyslna_platnosc from firma"), Cell("select id_platnosci from platnosc where nazwa='Przelew'"));
}

TEST_F(CompanyTabTest, OpensOnTheWorkingCompanyWithItsAccounts) {
  ASSERT_GE(db->DeleteData(wxString::FromUTF8("insert into firma(nazwa,nip,miejscowosc,domyslna,data_od) values"
                                              "('Alfa','5260250274','Warszawa',1,'2024-02-01'),('Beta',"
                                              "'7251801126','Kraków',0,'2024-03-01')")),
            0);
  ASSERT_GE(db->DeleteData(wxString::FromUTF8("insert into firma_rachunek(id_firmy,nazwa,numer,domyslny) values"
                                              "(2,'Główny','61109010140000071219812874',1),(2,'Drugi','',0),"
                                              "(1,'Alfy','',0)")),
            0);
  app->workingId = "2";
  OpenTab();
  EXPECT_EQ(editor->GetRecordId(), "2");
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Beta");
  EXPECT_EQ(Find<wxDatePickerCtrl>("datectrl")->GetValue().FormatISODate(), "2024-03-01");
  EXPECT_FALSE(Find<wxCheckBox>("domyslna")->GetValue());
  EXPECT_EQ(editor->GetAccountModel()->rowCount, 2);
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 2);
  EXPECT_FALSE(editor->IsModified());
  EXPECT_FALSE(Find<wxButton>("ID_COMPANY_SAVE")->IsEnabled());
  EXPECT_TRUE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));

  // Leaving the record unchanged and saving it writes no history row and keeps its accounts.
  MessageBoxRecorder boxes(wxID_OK);
  Type("nazwa_pelna", "Beta S.A.");
  Type("kod", "30-001");
  Type("ulica", "Rynek 1");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select nazwa_pelna from firma where id_firmy=2"), "Beta S.A.");
  EXPECT_EQ(CountRows(*db, "firma_historia"), 0);
  EXPECT_EQ(CountRows(*db, "firma_rachunek", "id_firmy=2"), 2);
  EXPECT_EQ(Cell("select domyslna from firma where id_firmy=1"), "1");
  SaveScreenshot(frame, "danefirmy_working_company");
  Find<wxNotebook>("notebook")->SetSelection(1);
  PumpEvents(200);
  SaveScreenshot(frame, "danefirmy_accounts");
}

TEST_F(CompanyTabTest, CompanyIsTypedValidatedSavedFoundAndChosen) {
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("O'Brien", "5260250275");
  EXPECT_TRUE(editor->IsModified());
  EXPECT_EQ(editor->GetTitleText(), "O'Brien");
  EXPECT_TRUE(Find<wxButton>("ID_COMPANY_SAVE")->IsEnabled());
  SaveScreenshot(frame, "danefirmy_typed");

  // A wrong NIP stops the save with the validation message.
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Wprowadzono nieprawidłowy numer NIP."));
  EXPECT_EQ(boxes.shown()[0].caption, "Walidacja");
  EXPECT_EQ(CountRows(*db, "firma"), 0);
  EXPECT_TRUE(editor->IsModified());
  boxes.Clear();

  Type("nip", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  ASSERT_EQ(CountRows(*db, "firma"), 1);
  const wxString obrien = Cell("select id_firmy from firma");
  EXPECT_EQ(editor->GetRecordId(), obrien);
  EXPECT_EQ(Cell("select domyslna from firma"), "1");
  EXPECT_EQ(CountRows(*db, "dokument_numeracja", "id_firmy=" + obrien), 1);
  EXPECT_EQ(app->workingId, obrien);
  EXPECT_EQ(app->toolbarCalls, std::vector<wxString>{"10"});
  EXPECT_EQ(app->events.created, std::vector<int>{1});
  EXPECT_FALSE(editor->IsModified());
  EXPECT_FALSE(Find<wxButton>("ID_COMPANY_SAVE")->IsEnabled());
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 1);
  EXPECT_TRUE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));

  // A second company through "Nowy"; it does not take the default.
  PressTool(DaneFirmyMainPanel::kNewToolId);
  EXPECT_EQ(editor->GetRecordId(), "0");
  EXPECT_FALSE(Find<wxCheckBox>("domyslna")->GetValue());
  TypeCompany("Beta", "7251801126");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  ASSERT_EQ(CountRows(*db, "firma"), 2);
  EXPECT_EQ(Cell("select domyslna from firma where nazwa='Beta'"), "0");
  EXPECT_EQ(app->workingId, obrien);

  // The list finds the company; the form keeps the record it showed until a row is chosen.
  Search("O'Br");
  ASSERT_EQ(editor->GetCompanyModel()->rowCount, 1);
  EXPECT_EQ(editor->GetRecordId(), Cell("select id_firmy from firma where nazwa='Beta'"));
  EXPECT_FALSE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));  // no row selected
  ClickRow(0);
  EXPECT_TRUE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));
  EXPECT_EQ(editor->GetRecordId(), obrien);
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "O'Brien");
  EXPECT_TRUE(Find<wxCheckBox>("domyslna")->GetValue());
  PumpEvents(400);
  SaveScreenshot(frame, "danefirmy_found");

  Search("   ");
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 2);

  Search("nikt taki");
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 0);
  EXPECT_EQ(editor->GetRecordId(), "0");
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "");
  EXPECT_FALSE(Find<wxButton>("ID_COMPANY_SAVE")->IsEnabled());  // the emptied form is no edit
  EXPECT_FALSE(Find<wxButton>("ID_COMPANY_CANCEL")->IsEnabled());
  EXPECT_FALSE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));

  // "Wybierz" on the unsaved new record changes nothing.
  PressTool(DaneFirmyMainPanel::kChooseToolId);
  EXPECT_EQ(app->workingId, obrien);
  EXPECT_EQ(app->closeRequests, 0);

  // Another company is the application's switch to make, not the tab's.
  Search("Bet");
  ASSERT_EQ(editor->GetCompanyModel()->rowCount, 1);
  ClickRow(0);
  const wxString beta = editor->GetRecordId();
  EXPECT_EQ(beta, Cell("select id_firmy from firma where nazwa='Beta'"));
  PressTool(DaneFirmyMainPanel::kChooseToolId);
  EXPECT_EQ(app->switches, std::vector<wxString>{beta});
  EXPECT_EQ(app->workingId, obrien);
  EXPECT_EQ(app->closeRequests, 0);

  // The working company chosen again is remembered, and the tab closes.
  Search("O'Br");
  ClickRow(0);
  PressTool(DaneFirmyMainPanel::kChooseToolId);
  EXPECT_EQ(app->switches.size(), 1u);
  EXPECT_EQ(app->closeRequests, 1);
  wxFileConfig written(wxString(), wxString(), folders.root() + "/veldrix.ini", wxString(), wxCONFIG_USE_LOCAL_FILE);
  EXPECT_EQ(written.Read(kWorkingCompanyKey, wxString()), obrien);
  EXPECT_EQ(written.Read(kWorkingCompanyLegacyKey, wxString()), obrien);
  SaveScreenshot(frame, "danefirmy_chosen");
}

TEST_F(CompanyTabTest, NewValidityDateKeepsTheOldIdentityInTheHistoryList) {
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(CountRows(*db, "firma"), 1);

  Type("nazwa", "Alfa Nowa");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_EQ(CountRows(*db, "firma_historia"), 0);

  auto* picker = Find<wxDatePickerCtrl>("datectrl");
  picker->SetValue(wxDateTime::Today().Subtract(wxDateSpan::Days(3)));
  Type("nazwa", "Alfa Najnowsza");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  ASSERT_EQ(CountRows(*db, "firma_historia"), 1);
  EXPECT_EQ(Cell("select nazwa from firma_historia"), "Alfa Nowa");
  EXPECT_EQ(Cell("select data_od from firma_historia"), wxDateTime::Today().FormatISODate());
  EXPECT_EQ(editor->GetHistoryModel()->rowCount, 1);
  Find<wxNotebook>("notebook")->SetSelection(3);
  PumpEvents(200);
  SaveScreenshot(frame, "danefirmy_history");
  PressTool(DaneFirmyMainPanel::kNewToolId);
  EXPECT_EQ(editor->GetHistoryModel()->rowCount, 0);  // a new company has no history
}

TEST_F(CompanyTabTest, FailedSaveShowsTheDatabaseErrorAndKeepsTheForm) {
  OpenTab();
  ASSERT_GE(db->DeleteData("create trigger reject_company before insert on dokument_numeracja "
                           "begin select raise(abort,'numbering rejected'); end"),
            0);
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  ExpectPolishLeadThenDetail(boxes.shown()[0].message, "numbering rejected");
  EXPECT_EQ(boxes.shown()[0].caption, "Dane firmy");
  EXPECT_EQ(CountRows(*db, "firma"), 0);
  EXPECT_EQ(editor->GetRecordId(), "0");
  EXPECT_TRUE(editor->IsModified());
  EXPECT_EQ(app->workingId, "0");
  EXPECT_TRUE(app->events.created.empty());

  ASSERT_GE(db->DeleteData("drop trigger reject_company"), 0);
  boxes.Clear();
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(CountRows(*db, "dokument_numeracja"), 1);
}

// Another program holds the database file in a write transaction (the sqlite3
// shell's BEGIN EXCLUSIVE, another copy of the program): "Zapisz" gives up at the
// screens' lock bound with the lock-wait text, stores nothing and keeps the typing;
// a lock let go within the bound lets the save through.
TEST_F(CompanyTabTest, ASaveWhileAnotherProgramHoldsTheFileGivesUpAtTheLockBound) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "1";
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  const double bound = SQLData::ScreenWaits().rowLockMs / 1000.0;
  for (const double heldFor : {bound + 5, 1.0}) {
    boxes.Clear();
    const wxString phone = wxString::Format("%.0f", heldFor);
    Type("telefon", phone);
    SQLData other(dbPath);
    ASSERT_TRUE(other.IniciujBazeDanych() && other.DeleteData("BEGIN EXCLUSIVE") >= 0) << other.lastError;
    std::atomic<bool> release{false};
    const auto start = std::chrono::steady_clock::now();
    std::thread holder([&] {
      while (!release && std::chrono::steady_clock::now() < start + std::chrono::duration<double>(heldFor)) {
        wxMilliSleep(20);
      }
      other.DeleteData("ROLLBACK");
    });
    Click(Find<wxButton>("ID_COMPANY_SAVE"));
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    release = true;
    holder.join();
    if (heldFor < bound) {
      EXPECT_TRUE(boxes.shown().empty()) << boxes.shown()[0].message;
      EXPECT_EQ(Cell("select telefon from firma where id_firmy=1"), phone);
      continue;
    }
    ASSERT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(boxes.shown()[0].message.StartsWith(wxString::FromUTF8(
        "Ten rekord jest właśnie zapisywany na innym stanowisku. Spróbuj ponownie za chwilę.")))
        << boxes.shown()[0].message;
    EXPECT_LT(took, bound + 3);
    EXPECT_EQ(Cell("select coalesce(telefon,'') from firma where id_firmy=1"), "");
    EXPECT_EQ(Find<wxTextCtrl>("telefon")->GetValue(), phone);
    EXPECT_TRUE(editor->IsModified());
    SaveScreenshot(frame, "danefirmy_file_locked_elsewhere");
  }
}

// Another workstation stores a change to the company shown: a change to another
// field is merged in and shown; one to the field typed here stops the save with a
// warning, and the form keeps what was typed, ready to save, until "Odśwież".
TEST_F(CompanyTabTest, ASaveOverAnotherWorkstationsChangeMergesItOrKeepsTheTypedForm) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "1";
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  wxTextCtrl* phone = Find<wxTextCtrl>("telefon");
  wxButton* save = Find<wxButton>("ID_COMPANY_SAVE");

  Type("telefon", "111");
  ASSERT_GE(db->DeleteData("update firma set email='biuro@alfa.pl' where id_firmy=1"), 0);
  Click(save);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select telefon||' '||email from firma where id_firmy=1"), "111 biuro@alfa.pl");
  EXPECT_EQ(Find<wxTextCtrl>("email")->GetValue(), "biuro@alfa.pl");

  Type("telefon", "222");
  Type("uwagi", wxString::FromUTF8("Dzwonić rano"));
  ASSERT_GE(db->DeleteData("update firma set telefon='333' where id_firmy=1"), 0);
  PumpEvents(100);
  const wxImage typed = CaptureWindow(phone);
  Click(save);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.shown()[0].style & wxICON_WARNING);
  EXPECT_NE(boxes.shown()[0].message.Find("Telefon"), wxNOT_FOUND);
  EXPECT_EQ(Cell("select telefon||'|'||coalesce(uwagi,'') from firma where id_firmy=1"), "333|");
  EXPECT_TRUE(veldrix::test::SamePixels(CaptureWindow(phone), typed));
  EXPECT_TRUE(save->IsEnabled());
  EXPECT_EQ(Find<wxTextCtrl>("uwagi")->GetValue(), wxString::FromUTF8("Dzwonić rano"));
  EXPECT_TRUE(editor->IsModified());
  SaveScreenshot(frame, "danefirmy_changed_elsewhere");

  boxes.Clear();
  boxes.AnswerNext(wxID_NO);
  PressTool(DaneFirmyMainPanel::kRefreshToolId);
  EXPECT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(phone->GetValue(), "333");
  EXPECT_FALSE(editor->IsModified());
}

// Another workstation makes "Gamma" the default company while Beta is shown; ticking
// "Domyślna" on Beta and saving stops with a warning box that names the default
// company, and the form keeps the tick, ready to save.
TEST_F(CompanyTabTest, ADefaultCompanyChosenOnAnotherWorkstationIsNotUndone) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "2";
  OpenTab();
  ASSERT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Beta");
  ASSERT_GE(db->DeleteData("update firma set domyslna=0"), 0);
  ASSERT_GE(db->DeleteData("insert into firma(nazwa,nazwa_pelna,domyslna) values('Gamma','Gamma SA',1)"), 0);
  Check("domyslna", true);

  MessageBoxesAsDialogs boxes;
  ModalScript answers;
  wxString drawn;
  answers.Then("dialog", [&](wxDialog* dialog) {
    std::vector<wxWindow*> windows = {dialog};
    for (size_t i = 0; i < windows.size(); ++i) {
      if (auto* label = dynamic_cast<wxStaticText*>(windows[i])) drawn += label->GetLabel() + "\n";
      for (wxWindow* child : windows[i]->GetChildren()) windows.push_back(child);
    }
    EXPECT_EQ(veldrix::test::LayoutFaults(dialog), "");
    SaveScreenshot(dialog, "danefirmy_default_chosen_elsewhere");
    ModalScript::Click(dialog, wxID_OK);
  });
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(drawn.Find(wxString::FromUTF8("domyślna firma")), wxNOT_FOUND) << drawn;
  EXPECT_EQ(Cell("select group_concat(nazwa) from firma where domyslna=1"), "Gamma");
  EXPECT_TRUE(Find<wxCheckBox>("domyslna")->GetValue());
  EXPECT_TRUE(Find<wxButton>("ID_COMPANY_SAVE")->IsEnabled());
  EXPECT_TRUE(editor->IsModified());
  SaveScreenshot(frame, "danefirmy_after_default_chosen_elsewhere");
}

// Beta, not the default, is saved while the question whether any company is the
// default cannot be read: the save stops with a box and leaves "Domyślna" as the
// user left it, and the next save, once the table reads again, moves no default.
TEST_F(CompanyTabTest, ASaveWhoseDefaultQuestionFailedMovesNoDefault) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "2";
  OpenTab();
  ASSERT_GE(db->DeleteData("update firma set domyslna=0"), 0);
  ASSERT_GE(db->DeleteData("insert into firma(nazwa,nazwa_pelna,domyslna) values('Gamma','Gamma SA',1)"), 0);
  Type("telefon", "555");
  auto* box = Find<wxCheckBox>("domyslna");
  PumpEvents(100);
  const wxImage unticked = CaptureWindow(box);

  MessageBoxRecorder boxes(wxID_OK);
  ASSERT_GE(db->DeleteData("alter table firma rename to firma_poprzednia"), 0);
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_GE(db->DeleteData("alter table firma_poprzednia rename to firma"), 0);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.shown()[0].style & wxICON_ERROR);
  ExpectPolishLeadThenDetail(boxes.shown()[0].message, "no such table: firma");
  EXPECT_FALSE(box->GetValue());
  PumpEvents(100);
  EXPECT_TRUE(veldrix::test::SamePixels(CaptureWindow(box), unticked));
  EXPECT_TRUE(editor->IsModified());
  SaveScreenshot(frame, "danefirmy_default_question_unread");

  boxes.Clear();
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select telefon from firma where id_firmy=2"), "555");
  EXPECT_EQ(Cell("select group_concat(nazwa) from firma where domyslna=1"), "Gamma");
  EXPECT_FALSE(box->GetValue());
}

// The first company stored becomes the default one, whatever its box says.
TEST_F(CompanyTabTest, TheFirstCompanySavedBecomesTheDefault) {
  OpenTab();
  Check("domyslna", false);
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select group_concat(nazwa) from firma where domyslna=1"), "Alfa");
  EXPECT_TRUE(Find<wxCheckBox>("domyslna")->GetValue());
}

TEST_F(CompanyTabTest, DeleteAsksAndRemovesTheListRowAfterTheDatabase) {
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  PressTool(DaneFirmyMainPanel::kNewToolId);
  TypeCompany("Beta", "7251801126");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(editor->GetCompanyModel()->rowCount, 2);
  boxes.Clear();

  boxes.AnswerNext(wxID_NO);
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Czy usunąć zaznaczoną firmę?"));
  EXPECT_EQ(CountRows(*db, "firma"), 2);

  boxes.AnswerNext(wxID_YES);
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 1);
  EXPECT_EQ(CountRows(*db, "dokument_numeracja"), 2);

  boxes.AnswerNext(wxID_YES);
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  EXPECT_EQ(CountRows(*db, "firma"), 0);
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 0);
  EXPECT_EQ(editor->GetRecordId(), "0");
  EXPECT_EQ(app->workingId, "0");
  EXPECT_EQ(app->toolbarCalls.back(), "00");
}

// The pointer clicks the row to delete, so the list moves its own cursor and
// selection to the next row as the row goes. Unsaved changes are settled before the
// delete question, nothing is asked in the middle of the delete, and the next
// company's multi-line field is drawn as when its row is chosen.
TEST_F(CompanyTabTest, ADeleteSettlesChangesFirstAndDrawsTheNextCompanyAsItsRowDoes) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  ASSERT_GE(db->DeleteData("insert into firma(nazwa,nazwa_pelna,domyslna) values('Gamma','Gamma SA',0)"), 0);
  app->workingId = "1";
  OpenTab();
  wxTextCtrl* fullName = Find<wxTextCtrl>("nazwa_pelna");
  std::vector<wxImage> chosen;  // Beta and Gamma shown by choosing their rows
  for (int row : {1, 2, 0}) {
    ClickRow(row);
    if (row > 0) chosen.push_back(CaptureWindow(fullName));
  }
  MessageBoxesAsDialogs boxes;
  ModalScript answers;
  const wxString deleteQuestion = wxString::FromUTF8("Czy usunąć zaznaczoną firmę?");
  // Alfa as stored, then Beta with a change that "Nie" leaves unsaved.
  const std::vector<std::vector<wxString>> asked = {{deleteQuestion},
                                                    {wxString::FromUTF8("Czy zapisać zmiany?"), deleteQuestion}};
  for (size_t i = 0; i < asked.size(); ++i) {
    ClickRowOnScreen(0);
    if (i == 1) {
      Type("nazwa", "Beta Zmieniona");
      answers.Then("dialog", MessageBoxesAsDialogs::Press(wxID_NO));
    }
    answers.Then("dialog", MessageBoxesAsDialogs::Press(wxID_YES));
    boxes.shown.clear();
    PressTool(DaneFirmyMainPanel::kDeleteToolId);
    EXPECT_EQ(boxes.shown, asked[i]) << i;
    EXPECT_TRUE(veldrix::test::SamePixels(CaptureWindow(fullName), chosen[i])) << i;
  }
  EXPECT_EQ(Cell("select group_concat(nazwa) from firma"), "Gamma");
  SaveScreenshot(frame, "danefirmy_after_deletes");
}

// "Nie zapisuj" before the delete question gives the edit up for the delete only:
// after "Nie usuwaj" the form shows what was typed (the test above has the delete
// go ahead).
TEST_F(CompanyTabTest, ADeleteCalledOffKeepsTheEditTheSaveQuestionWasToldToDrop) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "1";
  OpenTab();
  wxTextCtrl* name = Find<wxTextCtrl>("nazwa");
  ASSERT_EQ(name->GetValue(), "Alfa");
  Type("nazwa", "Alfa Zmieniona");
  const wxImage typed = CaptureWindow(name);
  MessageBoxRecorder boxes(wxID_OK);
  boxes.AnswerNext(wxID_NO);  // "Nie zapisuj"
  boxes.AnswerNext(wxID_NO);  // "Nie usuwaj"
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(boxes.shown()[1].message, wxString::FromUTF8("Czy usunąć zaznaczoną firmę?"));
  EXPECT_TRUE(veldrix::test::SamePixels(CaptureWindow(name), typed));
  EXPECT_EQ(name->GetValue(), "Alfa Zmieniona");
  EXPECT_TRUE(Find<wxButton>("ID_COMPANY_SAVE")->IsEnabled());
  EXPECT_EQ(Cell("select group_concat(nazwa) from firma"), "Alfa,Beta");
}

// "Usuń" deletes the stored company the form shows: none after "Nowy", none when
// the save it asks for leaves no row, else the one shown.
TEST_F(CompanyTabTest, UsunDeletesOnlyTheStoredCompanyTheFormShows) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "1";
  OpenTab();
  MessageBoxRecorder boxes(wxID_NO);
  PressTool(DaneFirmyMainPanel::kNewToolId);
  TypeCompany("Gamma", "1234563218");
  EXPECT_FALSE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  Search("a");
  ClickRow(1);
  Type("nazwa", "Zeto");
  boxes.Clear();
  boxes.AnswerNext(wxID_YES);
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  EXPECT_EQ(boxes.shown().size(), 1u);  // the save's question only
  ClickRow(0);
  boxes.AnswerNext(wxID_YES);
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  EXPECT_EQ(Cell("select group_concat(nazwa) from firma"), "Zeto");
}

TEST_F(CompanyTabTest, DeletingTheWorkingCompanyHandsTheWorkOnToARemainingOne) {
  OpenTab();
  MessageBoxRecorder boxes(wxID_YES);
  TypeCompany("Alfa", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  const wxString alfa = app->workingId;
  PressTool(DaneFirmyMainPanel::kNewToolId);
  TypeCompany("Beta", "7251801126");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  const wxString beta = Cell("select id_firmy from firma where nazwa='Beta'");
  ASSERT_NE(alfa, beta);

  // The search shows Alfa alone: its row is the last of the list, not of the database.
  Search("Alfa");
  ClickRow(0);
  const size_t toolbarCalls = app->toolbarCalls.size();
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  ASSERT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(app->workingId, beta);
  EXPECT_EQ(app->toolbarCalls.size(), toolbarCalls);  // the toolbar stays enabled
}

// The companies left cannot be read after Alfa (1) is deleted: another working
// company stays, the deleted one gives way to none, with the tools off.
struct UnreadAfterDelete {
  const char* working;
  const char* workingAfter;
  std::vector<wxString> toolbarCallsAfter;
};

class RemainingCompaniesUnread : public CompanyTabTest, public ::testing::WithParamInterface<UnreadAfterDelete> {};

TEST_P(RemainingCompaniesUnread, AfterADeleteTheWorkingCompanyIsNeverTheDeletedOne) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = GetParam().working;
  MessageBoxRecorder boxes(wxID_YES);
  OpenTab();
  ClickRow(0);
  // The table goes away once the form shows the company after the deleted one,
  // before the companies left are read.
  wxTextCtrl* name = Find<wxTextCtrl>("nazwa");
  auto renamed = std::make_shared<bool>(false);
  name->Bind(wxEVT_TEXT, [this, name, renamed](wxCommandEvent& event) {
    if (!*renamed && name->GetValue() == "Beta") {
      *renamed = db->DeleteData("alter table firma rename to firma_poprzednia") >= 0;
    }
    event.Skip();
  });
  const size_t toolbarCalls = app->toolbarCalls.size();
  PressTool(DaneFirmyMainPanel::kDeleteToolId);
  PumpEvents(50);
  ASSERT_TRUE(*renamed);
  EXPECT_EQ(CountRows(*db, "firma_poprzednia"), 1);
  EXPECT_EQ(app->workingId, wxString(GetParam().workingAfter));
  EXPECT_EQ(std::vector<wxString>(app->toolbarCalls.begin() + toolbarCalls, app->toolbarCalls.end()),
            GetParam().toolbarCallsAfter);
  // The question, then the read failure.
  ASSERT_EQ(boxes.shown().size(), 2u);
  EXPECT_NE(boxes.shown()[1].message.Find("no such table: firma"), wxNOT_FOUND);
}

INSTANTIATE_TEST_SUITE_P(WorkingCompany, RemainingCompaniesUnread,
                         ::testing::Values(UnreadAfterDelete{"2", "2", {}}, UnreadAfterDelete{"1", "0", {"00"}}));

TEST_F(CompanyTabTest, UnsavedChangesAreOfferedBeforeANewRecord) {
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  boxes.AnswerNext(wxID_CANCEL);
  PressTool(DaneFirmyMainPanel::kNewToolId);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Czy zapisać zmiany?"));
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa");

  boxes.AnswerNext(wxID_YES);
  PressTool(DaneFirmyMainPanel::kNewToolId);
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(editor->GetRecordId(), "0");
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "");
}

TEST_F(CompanyTabTest, TitleAndStatusLineFollowTheForm) {
  OpenTab();
  Type("nazwa", "   ");
  EXPECT_EQ(editor->GetTitleText(), "Nowa firma");
  Type("nazwa", " Alfa ");
  EXPECT_EQ(editor->GetTitleText(), "Alfa");
  Type("nip", "526 ");
  Type("miejscowosc", "Gdynia");
  Check("aktywna", false);
  Check("czynny_vat", false);
  EXPECT_EQ(editor->GetStatusText(), wxString::FromUTF8("NIP: 526  | Gdynia | PL | Nieczynny podatnik VAT | Domyślna | "
                                                        "Nieaktywna | Brakuje danych wymaganych do faktury"));
  // "Pełna nazwa", "Ulica i numer" and "Kod pocztowy" mark the record but wait for the next refresh.
  Type("nazwa_pelna", "Alfa SA");
  Type("ulica", "Morska 1");
  Type("kod", "81-001");
  EXPECT_NE(editor->GetStatusText().Find(wxString::FromUTF8("Brakuje")), wxNOT_FOUND);
  Check("domyslna", false);
  EXPECT_EQ(editor->GetStatusText(), "NIP: 526  | Gdynia | PL | Nieczynny podatnik VAT | Nieaktywna");
  EXPECT_TRUE(editor->IsModified());

  // A long status line shows whole: it goes on below the title, beside the logo.
  frame->SetSize(1600, 900);
  Type("nip", "5260250274");
  Type("miejscowosc", wxString::FromUTF8("Grodzisk Mazowiecki"));
  Type("kod", "");
  Check("domyslna", true);
  PumpEvents(100);
  auto* status = Find<wxStaticText>("company_status");
  ASSERT_NE(status, nullptr);
  const wxArrayString lines = wxSplit(status->GetLabelText(), '\n', '\0');
  EXPECT_EQ(wxJoin(lines, ' ', '\0'), editor->GetStatusText());
  for (const wxString& line : lines) EXPECT_LE(status->GetTextExtent(line).x, status->GetSize().x) << line;
  EXPECT_EQ(veldrix::test::LayoutFaults(status->GetParent()).utf8_string(), "");
  SaveScreenshot(frame, "danefirmy_status_line");
}

TEST_F(CompanyTabTest, CancelReloadsTheStoredRecordAfterAsking) {
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(CountRows(*db, "firma"), 1);
  boxes.Clear();

  Type("nazwa", "Zmieniona");
  boxes.AnswerNext(wxID_NO);
  Click(Find<wxButton>("ID_COMPANY_CANCEL"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Anulować zmiany?"));
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Zmieniona");

  boxes.AnswerNext(wxID_YES);
  Click(Find<wxButton>("ID_COMPANY_CANCEL"));
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa");
  EXPECT_FALSE(editor->IsModified());
  EXPECT_FALSE(Find<wxButton>("ID_COMPANY_SAVE")->IsEnabled());
  EXPECT_FALSE(Find<wxButton>("ID_COMPANY_CANCEL")->IsEnabled());
}

TEST_F(CompanyTabTest, SearchColumnMenuSearchesOnlyWithText) {
  ASSERT_GE(db->DeleteData("insert into firma(nazwa,nip,miejscowosc) values('Alfa','5260250274','Gdynia'),"
                           "('Beta','7251801126','Sopot')"),
            0);
  OpenTab();
  ASSERT_EQ(editor->GetCompanyModel()->rowCount, 2);
  ChooseSearchColumn(DaneFirmyMainPanel::kSearchByNipId);
  EXPECT_EQ(tab->GetSearchColumn(), 1);
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 2);

  tab->GetSearchCtrl()->ChangeValue("7251");
  ChooseSearchColumn(DaneFirmyMainPanel::kSearchByCityId);
  EXPECT_EQ(tab->GetSearchColumn(), 2);
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 0);
  ChooseSearchColumn(DaneFirmyMainPanel::kSearchByNipId);
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 1);

  wxCommandEvent cancel(wxEVT_SEARCH_CANCEL, tab->GetSearchCtrl()->GetId());
  cancel.SetEventObject(tab->GetSearchCtrl());
  tab->GetSearchCtrl()->HandleWindowEvent(cancel);
  EXPECT_EQ(tab->GetSearchCtrl()->GetValue(), "");
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 2);
}

TEST_F(CompanyTabTest, ChangingTheSelectionOffersToSaveAndCancelKeepsTheRecord) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "1";
  OpenTab();
  ASSERT_EQ(editor->GetRecordId(), "1");
  MessageBoxRecorder boxes(wxID_OK);
  Type("nazwa", "Alfa Zmieniona");

  boxes.AnswerNext(wxID_CANCEL);
  ClickRow(1);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Czy zapisać zmiany?"));
  EXPECT_EQ(editor->GetRecordId(), "1");
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa Zmieniona");
  EXPECT_TRUE(editor->GetCompanyList()->IsSelected(editor->GetCompanyModel()->GetItem(0)));

  // "Tak" stores the record under its own id before the other company is shown.
  boxes.AnswerNext(wxID_YES);
  ClickRow(1);
  EXPECT_EQ(Cell("select nazwa from firma where id_firmy=1"), "Alfa Zmieniona");
  EXPECT_EQ(editor->GetRecordId(), "2");
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Beta");
  EXPECT_FALSE(editor->IsModified());
}

TEST_F(CompanyTabTest, ModuleFailureIsReportedButTheCompanyStaysSaved) {
  app->events.fail = true;
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  TypeCompany("Alfa", "5260250274");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message,
            wxString::FromUTF8("Firma została zapisana, ale nie udało się uzupełnić danych firmowych dodatków:\n"
                               "Moduł: brak danych"));
  EXPECT_EQ(boxes.shown()[0].caption, "Dane firmy");
  EXPECT_EQ(CountRows(*db, "firma"), 1);
  EXPECT_EQ(editor->GetRecordId(), "1");
  EXPECT_FALSE(editor->IsModified());
}

TEST_F(CompanyTabTest, SearchingOffersToSaveUnsavedChangesFirst) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "1";
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  Type("nazwa", "Alfa Zmieniona");

  boxes.AnswerNext(wxID_CANCEL);
  Search("Alfa");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, wxString::FromUTF8("Czy zapisać zmiany?"));
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa Zmieniona");
  EXPECT_TRUE(editor->IsModified());

  // Clearing the search and choosing another column ask as well.
  boxes.AnswerNext(wxID_CANCEL);
  wxCommandEvent cancel(wxEVT_SEARCH_CANCEL, tab->GetSearchCtrl()->GetId());
  cancel.SetEventObject(tab->GetSearchCtrl());
  tab->GetSearchCtrl()->HandleWindowEvent(cancel);
  boxes.AnswerNext(wxID_CANCEL);
  tab->GetSearchCtrl()->ChangeValue("Gdy");
  ChooseSearchColumn(DaneFirmyMainPanel::kSearchByCityId);
  EXPECT_EQ(boxes.shown().size(), 3u);
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa Zmieniona");

  boxes.AnswerNext(wxID_YES);
  Search("Gdy");
  EXPECT_EQ(Cell("select nazwa from firma where id_firmy=1"), "Alfa Zmieniona");
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa Zmieniona");
  EXPECT_FALSE(editor->IsModified());
}

// The box's x answered "Anuluj" keeps the box and the list; "Nie" drops the edit
// though the search keeps the record shown; "Wybierz" is off for a new record.
TEST_F(CompanyTabTest, TheSearchsQuestionsLeaveTheFormTheBoxAndTheListAsAnswered) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  ASSERT_GE(db->DeleteData("insert into firma(nazwa,domyslna) values('Gamma',0)"), 0);
  app->workingId = "1";
  OpenTab();
  MessageBoxRecorder boxes(wxID_CANCEL);
  Search("a");
  Type("nazwa", "Alfa Zmieniona");
  wxSearchCtrl* box = tab->GetSearchCtrl();
  veldrix::test::ClickOnScreen(box, wxPoint(box->GetSize().x - 12, box->GetSize().y / 2));
  EXPECT_EQ(box->GetValue() + wxString::Format(" %d", editor->GetCompanyModel()->rowCount), "a 3");
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa Zmieniona");
  boxes.AnswerNext(wxID_NO);
  Search("Gamma");
  EXPECT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa");
  ClickRow(0);
  EXPECT_EQ(boxes.shown().size(), 2u);
  EXPECT_TRUE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kChooseToolId));
  PressTool(DaneFirmyMainPanel::kNewToolId);
  EXPECT_FALSE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kChooseToolId));
}

TEST_F(CompanyTabTest, CompaniesThatCannotBeReadAreReportedOnceInsteadOfAnEmptyList) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "1";
  MessageBoxRecorder boxes(wxID_OK);
  OpenTab();
  EXPECT_TRUE(boxes.shown().empty());

  // The table goes away under the open tab: a refresh cannot read the list and
  // tells the user once why it is empty. The form stays on the company it showed,
  // drawn as before, never a new company offered as the default one.
  auto* title = Find<wxStaticText>("company_title");
  auto* status = Find<wxStaticText>("company_status");
  PumpEvents(100);
  const wxImage titleShown = CaptureWindow(title);
  const wxImage statusShown = CaptureWindow(status);
  ASSERT_GE(db->DeleteData("alter table firma rename to firma_poprzednia"), 0);
  PressTool(DaneFirmyMainPanel::kRefreshToolId);
  PumpEvents(50);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, "Dane firmy");
  EXPECT_TRUE(boxes.shown()[0].style & wxICON_ERROR);
  ExpectPolishLeadThenDetail(boxes.shown()[0].message, "no such table: firma");
  EXPECT_EQ(editor->GetRecordId(), "1");
  PumpEvents(100);
  EXPECT_TRUE(SamePixels(CaptureWindow(title), titleShown));
  EXPECT_TRUE(SamePixels(CaptureWindow(status), statusShown));
  // The list keeps the companies it showed, greyed, and nothing acts on it.
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 2);
  EXPECT_FALSE(editor->GetCompanyList()->IsEnabled());
  EXPECT_FALSE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));
  EXPECT_FALSE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kChooseToolId));
  const wxImage listUnread = CaptureWindow(editor->GetCompanyList());
  SaveScreenshot(frame, "danefirmy_refresh_unread");

  // Readable again, the refresh lists the companies and shows the one in the form.
  ASSERT_GE(db->DeleteData("alter table firma_poprzednia rename to firma"), 0);
  boxes.Clear();
  PressTool(DaneFirmyMainPanel::kRefreshToolId);
  PumpEvents(50);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(editor->GetCompanyModel()->rowCount, 2);
  EXPECT_EQ(editor->GetRecordId(), "1");
  EXPECT_TRUE(editor->GetCompanyList()->IsEnabled());
  EXPECT_TRUE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kDeleteToolId));
  EXPECT_TRUE(tab->GetLeftToolBar()->GetToolEnabled(DaneFirmyMainPanel::kChooseToolId));
  ASSERT_GE(db->DeleteData("alter table firma rename to firma_poprzednia"), 0);

  // A tab opened on that database says so once as well.
  boxes.Clear();
  frame->Destroy();
  frame = nullptr;
  OpenTab();
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_NE(boxes.shown()[0].message.Find("no such table: firma"), wxNOT_FOUND);
  // An empty list draws otherwise than the companies kept after the failed refresh.
  EXPECT_FALSE(SamePixels(CaptureWindow(editor->GetCompanyList()), listUnread));
  // Not known to hold no default company, the database gets no new default offered.
  EXPECT_FALSE(Find<wxCheckBox>("domyslna")->GetValue());
  SaveScreenshot(frame, "danefirmy_unreadable");
}

// A save whose read of the stored company fails tells in Polish that nothing was
// saved, with the database's text below; the form keeps what was typed.
TEST_F(CompanyTabTest, ASaveWhoseReadFailsLeadsWithPolishAndTheDatabaseTextFollows) {
  ASSERT_NO_FATAL_FAILURE(InsertAlfaAndBeta());
  app->workingId = "1";
  OpenTab();
  MessageBoxRecorder boxes(wxID_OK);
  ASSERT_GE(db->DeleteData("alter table firma rename to firma_poprzednia"), 0);
  Type("telefon", "600100200");
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, "Dane firmy");
  ExpectPolishLeadThenDetail(boxes.shown()[0].message, "no such table: firma");
  EXPECT_TRUE(editor->IsModified());
  EXPECT_EQ(Find<wxTextCtrl>("telefon")->GetValue(), "600100200");
}
