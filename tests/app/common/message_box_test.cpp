// The message box's choice of icon, caption and labels, and the test hook.
#include "app/common/message_box.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

#include "test_locales.h"

using veldrix::DescribeMessageBox;
using veldrix::MessageBoxLook;
using veldrix::test::ForEachTestLocale;

namespace {

constexpr long kIconBits = 0xF00;

long Icon(const MessageBoxLook& look) { return look.style & kIconBits; }

}  // namespace

TEST(MessageBoxChoice, PlainMessageGetsOkInformationAndCaption) {
  ForEachTestLocale([] {
    const MessageBoxLook look = DescribeMessageBox(L"Operacja zakończona.", "", 0);
    EXPECT_EQ(look.style, wxOK | wxCENTRE | wxICON_INFORMATION);
    EXPECT_EQ(look.caption, L"Informacja");
    EXPECT_TRUE(look.yesLabel.empty());
    EXPECT_TRUE(look.noLabel.empty());
  });
}

TEST(MessageBoxChoice, DeleteQuestionGetsExclamationConfirmationAndDeleteLabels) {
  ForEachTestLocale([] {
    const MessageBoxLook look =
        DescribeMessageBox(L"Czy usunąć zaznaczoną firmę?", "Komunikat", wxYES_NO | wxICON_QUESTION);
    EXPECT_EQ(Icon(look), wxICON_EXCLAMATION);
    EXPECT_EQ(look.style & (wxYES | wxNO | wxOK), wxYES | wxNO);
    EXPECT_EQ(look.caption, L"Potwierdzenie");
    EXPECT_EQ(look.yesLabel, L"Usuń");
    EXPECT_EQ(look.noLabel, L"Nie usuwaj");
    // Saved data the question mentions does not make it one about unsaved changes.
    EXPECT_EQ(DescribeMessageBox(L"Usunąć zapisany raport?", "", wxYES_NO).caption, L"Potwierdzenie");
  });
}

TEST(MessageBoxChoice, SaveQuestionWithCancelKeepsCancelAndNamesUnsavedChanges) {
  ForEachTestLocale([] {
    for (long icon : {static_cast<long>(wxICON_QUESTION), 0L}) {
      const MessageBoxLook look = DescribeMessageBox(L"Czy zapisać zmiany?", "Pytanie", wxYES_NO | wxCANCEL | icon);
      EXPECT_EQ(Icon(look), wxICON_EXCLAMATION);
      EXPECT_TRUE(look.style & wxCANCEL);
      EXPECT_EQ(look.caption, L"Niezapisane zmiany");
      EXPECT_EQ(look.yesLabel, L"Zapisz");
      EXPECT_EQ(look.noLabel, L"Nie zapisuj");
    }
  });
}

TEST(MessageBoxChoice, FailureGetsErrorIconAndKeepsASpecificCaption) {
  ForEachTestLocale([] {
    const MessageBoxLook generic = DescribeMessageBox(L"Nie udało się zapisać logo firmy.", "Komunikat", wxOK);
    EXPECT_EQ(Icon(generic), wxICON_ERROR);
    EXPECT_EQ(generic.caption, L"Błąd");
    const MessageBoxLook specific = DescribeMessageBox(L"Nie udało się zapisać logo firmy.", "Baza programu", wxOK);
    EXPECT_EQ(Icon(specific), wxICON_ERROR);
    EXPECT_EQ(specific.caption, "Baza programu");
  });
}

TEST(MessageBoxChoice, WarningWordMatchesAtACapitalisedStart) {
  ForEachTestLocale([] {
    const MessageBoxLook look = DescribeMessageBox(L"Podaj nazwę nowej bazy programu.", "", wxOK);
    EXPECT_EQ(Icon(look), wxICON_EXCLAMATION);
    EXPECT_EQ(look.caption, L"Sprawdź dane");
  });
}

TEST(MessageBoxChoice, PolishCapitalsMatchKeywordsInAnyLocale) {
  ForEachTestLocale([] {
    EXPECT_EQ(Icon(DescribeMessageBox(L"BŁĄD ZAPISU DANYCH", "", wxOK)), wxICON_ERROR);
    EXPECT_EQ(Icon(DescribeMessageBox(L"WYSTĄPIŁ PROBLEM Z BAZĄ", "", wxOK)), wxICON_ERROR);
    EXPECT_EQ(Icon(DescribeMessageBox(L"UZUPEŁNIJ NIP", "", wxOK)), wxICON_EXCLAMATION);
    const MessageBoxLook off = DescribeMessageBox(L"CZY WYŁĄCZYĆ MODUŁ?", "", wxYES_NO);
    EXPECT_EQ(Icon(off), wxICON_EXCLAMATION);
    EXPECT_EQ(off.yesLabel, L"Wyłącz");
    // A generic caption written in capitals is still generic.
    EXPECT_EQ(DescribeMessageBox(L"Nie można otworzyć pliku.", L"BŁĄD", wxOK).caption, L"Błąd");
    EXPECT_EQ(veldrix::NormalizeMessageText(L"  ŻÓŁW ĄĘ ĆŚŃŹ \n"), L"żółw ąę ćśńź");
  });
}

TEST(MessageBoxChoice, BlanksAroundMessageAndCaptionAreIgnoredButTheMessageIsShownAsGiven) {
  ForEachTestLocale([] {
    const wxString message = L"   Wybierz firmę.  \n";
    const MessageBoxLook look = DescribeMessageBox(message, "  Komunikat  ", wxOK);
    EXPECT_EQ(Icon(look), wxICON_EXCLAMATION);
    EXPECT_EQ(look.caption, L"Sprawdź dane");
    EXPECT_EQ(look.message, message);
  });
}

TEST(MessageBoxChoice, QuestionIconWithoutYesNoStaysAndCaptionFollowsTheWords) {
  ForEachTestLocale([] {
    const MessageBoxLook warned = DescribeMessageBox(L"Wybierz plik.", "", wxOK | wxICON_QUESTION);
    EXPECT_EQ(Icon(warned), wxICON_QUESTION);
    EXPECT_EQ(warned.caption, L"Informacja");
    const MessageBoxLook failed = DescribeMessageBox(L"Nie można utworzyć kopii.", "", wxOK | wxICON_QUESTION);
    EXPECT_EQ(failed.caption, L"Informacja");
    const MessageBoxLook plain = DescribeMessageBox(L"Czy kontynuować?", "", wxOK | wxICON_QUESTION);
    EXPECT_EQ(Icon(plain), wxICON_QUESTION);
    EXPECT_EQ(plain.caption, "Veldrix");
  });
}

TEST(MessageBoxChoice, ExplicitIconsOfAYesNoBoxStay) {
  ForEachTestLocale([] {
    EXPECT_EQ(Icon(DescribeMessageBox(L"Czy kontynuować?", "", wxYES_NO | wxICON_ERROR)), wxICON_ERROR);
    EXPECT_EQ(Icon(DescribeMessageBox(L"Czy kontynuować?", "", wxYES_NO | wxICON_EXCLAMATION)), wxICON_EXCLAMATION);
    EXPECT_EQ(Icon(DescribeMessageBox(L"Czy kontynuować?", "", wxYES_NO | wxICON_QUESTION)), wxICON_INFORMATION);
    EXPECT_EQ(Icon(DescribeMessageBox(L"Czy kontynuować?", "", wxYES_NO)), wxICON_INFORMATION);
  });
}

TEST(MessageBoxChoice, ErrorWordsWinOverWarningWordsWithoutYesNo) {
  ForEachTestLocale([] {
    // "nie można otworzyć" (error) and "wybierz" (warning) together: the error icon.
    EXPECT_EQ(Icon(DescribeMessageBox(L"Nie można otworzyć pliku. Wybierz inny.", "", wxOK)), wxICON_ERROR);
    EXPECT_EQ(DescribeMessageBox(L"Nie można otworzyć pliku.", "", wxOK).caption, L"Błąd");
  });
}

TEST(MessageBoxChoice, YesNoLabelsFollowTheFirstMatchingRule) {
  ForEachTestLocale([] {
    struct Case {
      const wchar_t* message;
      const wchar_t* yes;
      const wchar_t* no;
    };
    const Case cases[] = {
        {L"Czy zapisać i usunąć?", L"Zapisz", L"Nie zapisuj"},
        // A question that opens by asking to delete wins over a later "zapisa".
        {L"Usunąć definicję pola z ustawień? Kolumna i zapisane dane pozostaną w bazie.", L"Usuń", L"Nie usuwaj"},
        {L"Czy na pewno usunąć zapisany szablon?", L"Usuń", L"Nie usuwaj"},
        {L"Usunięto wpis. Zapisać zmiany?", L"Zapisz", L"Nie zapisuj"},
        {L"Usunac wpis?", L"Usuń", L"Nie usuwaj"},
        {L"Czy wylaczyc automatyczne logowanie?", L"Wyłącz", L"Nie wyłączaj"},
        {L"Czy zaktualizować program teraz?", L"Aktualizuj", L"Później"},
        {L"Czy anulować zmiany?", L"Anuluj zmiany", L"Wróć"},
        {L"Czy przenumerować dokumenty?", L"Przenumeruj", L"Anuluj"},
        {L"Czy kontynuować?", L"Tak", L"Nie"},
    };
    for (const Case& c : cases) {
      const MessageBoxLook look = DescribeMessageBox(c.message, "", wxYES_NO);
      EXPECT_EQ(look.yesLabel, c.yes) << wxString(c.message);
      EXPECT_EQ(look.noLabel, c.no) << wxString(c.message);
    }
    wxString yes = "unchanged";
    EXPECT_FALSE(veldrix::ChooseMessageButtonLabels(L"Czy usunąć?", wxOK, &yes, nullptr));
    EXPECT_EQ(yes, "unchanged");
  });
}

TEST(MessageBoxChoice, GenericCaptionsAreReplacedOthersKept) {
  for (const wxString& caption : {wxString(""), wxString("Message"), wxString("KOMUNIKAT"),
                                  wxString(L"Komunikat błędu"), wxString("blad"), wxString("Welcome to...")}) {
    EXPECT_EQ(veldrix::ChooseMessageCaption(caption, wxOK | wxICON_INFORMATION, "x"), L"Informacja") << caption;
  }
  EXPECT_EQ(veldrix::ChooseMessageCaption("Welcome", wxOK | wxICON_INFORMATION, "x"), "Welcome");
}

TEST(MessageBoxChoice, KeywordSearchUsesOnlyTheFirstCountWords) {
  EXPECT_TRUE(veldrix::ContainsAnyKeyword(L"  Zapisać?  ", veldrix::kMessageDangerWords, 12));
  EXPECT_FALSE(veldrix::ContainsAnyKeyword(L"Zapisać?", veldrix::kMessageDangerWords, 9));
  EXPECT_TRUE(veldrix::ContainsAnyKeyword(L"Brak uprawnień do modułu", veldrix::kMessageWarningWords, 9));
  EXPECT_FALSE(veldrix::ContainsAnyKeyword(L"", veldrix::kMessageWarningWords, 9));
}

TEST(MessageBoxHook, RecorderAnswersAndShowMessageBoxMapsTheResult) {
  veldrix::MessageBoxRecorder boxes(wxID_OK);
  boxes.AnswerNext(wxID_YES);
  boxes.AnswerNext(wxID_NO);
  boxes.AnswerNext(wxID_CANCEL);
  boxes.AnswerNext(wxID_APPLY);
  EXPECT_EQ(veldrix::ShowMessageBox(L"Czy usunąć firmę?", "", wxYES_NO), wxYES);
  EXPECT_EQ(veldrix::ShowMessageBox(L"Czy usunąć firmę?", "", wxYES_NO), wxNO);
  EXPECT_EQ(veldrix::ShowMessageBox(L"Czy zapisać?", "", wxYES_NO | wxCANCEL), wxCANCEL);
  EXPECT_EQ(veldrix::ShowMessageBox("Apply?", "", wxOK | wxAPPLY), wxID_APPLY);
  EXPECT_EQ(veldrix::ShowMessageBox(L"Gotowe."), wxOK);
  EXPECT_EQ(wxYES, 2);
  EXPECT_EQ(wxNO, 8);
  EXPECT_EQ(wxOK, 4);
  EXPECT_EQ(wxCANCEL, 16);

  ASSERT_EQ(boxes.shown().size(), 5u);
  EXPECT_EQ(boxes.shown()[0].yesLabel, L"Usuń");
  EXPECT_EQ(boxes.shown()[0].caption, L"Potwierdzenie");
  EXPECT_EQ(boxes.shown()[4].message, L"Gotowe.");
  EXPECT_EQ(boxes.shown()[4].style, wxOK | wxCENTRE | wxICON_INFORMATION);
}

TEST(MessageBoxHook, NestedRecordersRestoreThePreviousHandler) {
  veldrix::MessageBoxRecorder outer(wxID_NO);
  {
    veldrix::MessageBoxRecorder inner(wxID_YES);
    EXPECT_EQ(veldrix::ShowMessageBox("Czy?", "", wxYES_NO), wxYES);
    EXPECT_EQ(inner.shown().size(), 1u);
  }
  EXPECT_EQ(veldrix::ShowMessageBox("Czy?", "", wxYES_NO), wxNO);
  EXPECT_EQ(outer.shown().size(), 1u);
}
