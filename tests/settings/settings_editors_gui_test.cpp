// The dictionary and custom-field editors as real windows on a real SQLite program
// database, driven through their controls as a user drives them.
#include "settings/article_custom_fields_panel.h"
#include "settings/module_dictionaries_panel.h"

#include "app/common/message_box.h"
#include "danefirmy/company_application.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "gui_support.h"
#include "settings_fixture.h"
#include "sqldata/dv_model.h"
#include "sqldata/sql_literals.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/listctrl.h>
#include <wx/propgrid/propgrid.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <functional>
#include <vector>

namespace {

using veldrix::MessageBoxRecorder;
using veldrix::test::CaptureWindow;
using veldrix::test::PumpEvents;
using veldrix::test::SamePixels;
using veldrix::test::SaveSettledScreenshot;
using veldrix::test::WaitFor;

wxString U8(const char* text) { return wxString::FromUTF8(text); }

class EditorTest : public veldrix::test::SettingsDatabaseTest {
 protected:
  void SetUp() override {
    SettingsDatabaseTest::SetUp();
    frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(1100, 620));
  }

  void TearDown() override {
    frame->Destroy();
    PumpEvents(50);
  }

  void Show(wxWindow* page) {
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(page, 1, wxEXPAND);
    frame->SetSizer(sizer);
    frame->Show();
    frame->Layout();
    PumpEvents(100);
  }

  template <typename T>
  T* Find(const wxString& name) {
    T* window = dynamic_cast<T*>(wxWindow::FindWindowByName(name, frame));
    EXPECT_NE(window, nullptr) << name;
    return window;
  }

  static void Click(wxWindow* control, wxEventType type = wxEVT_BUTTON) {
    wxCommandEvent click(type, control->GetId());
    click.SetEventObject(control);
    if (auto* box = dynamic_cast<wxCheckBox*>(control)) click.SetInt(box->GetValue());
    control->HandleWindowEvent(click);
    PumpEvents(20);
  }

  static void Tick(wxCheckBox* box, bool value) {
    box->SetValue(value);
    Click(box, wxEVT_CHECKBOX);
  }

  // A move away from the record `show` puts in the editors asks nothing without an
  // edit; after `edit` it asks, "Anuluj" leaves the page drawn as it was, and
  // `answer` settles the edit and moves. The focus is in `list`, where no caret blinks.
  static void ExpectMoveSettlesEdit(wxWindow* page, wxWindow* list, const std::function<void()>& show,
                                    const std::function<void()>& edit, const std::function<void()>& move,
                                    const std::function<bool()>& moved, int answer) {
    MessageBoxRecorder boxes(wxID_CANCEL);
    show();
    move();
    EXPECT_TRUE(boxes.shown().empty() && moved());
    show();
    edit();
    list->SetFocus();
    // Drawn once GTK has animated the change (a button lit, a box ticked).
    const auto drawn = [page] {
      wxImage last = CaptureWindow(page);
      for (int tries = 0; tries < 20; ++tries) {
        PumpEvents(100);
        const wxImage now = CaptureWindow(page);
        if (SamePixels(now, last)) break;
        last = now;
      }
      return last;
    };
    const wxImage before = drawn();
    move();
    EXPECT_EQ(boxes.shown().size(), 1u);
    EXPECT_TRUE(SamePixels(drawn(), before));
    boxes.AnswerNext(answer);
    move();
    EXPECT_TRUE(boxes.shown().size() == 2u && moved());
  }

  wxFrame* frame = nullptr;
};

// ---- shared dictionaries ----

class DictionaryPageTest : public EditorTest {
 protected:
  ModuleDictionariesPanel* Open(std::vector<DictionaryKind> kinds) {
    page = new ModuleDictionariesPanel(frame, U8("Słowniki"), std::move(kinds), &app);
    page->EnsureLoaded();
    Show(page);
    return page;
  }

  void ChooseKind(int row) {
    page->GetKindList()->SetSelection(row);
    Click(page->GetKindList(), wxEVT_LISTBOX);
  }

  // Adds an entry through "Nowa wartość", the editors and "Zapisz".
  void AddEntry(const wxString& name, const wxString& value, bool isDefault) {
    Click(page->GetNewButton());
    page->GetNameField()->SetValue(name);
    if (page->GetValueField()->IsShown()) page->GetValueField()->SetValue(value);
    Tick(page->GetDefaultBox(), isDefault);
    ASSERT_TRUE(page->GetSaveButton()->IsEnabled());
    Click(page->GetSaveButton());
  }

  wxString ListText(unsigned int column) {
    wxArrayString cells;
    for (int row = 0; row < page->GetModel()->rowCount; ++row) {
      wxVariant value;
      page->GetModel()->GetValueByRow(value, static_cast<unsigned int>(row), column);
      cells.Add(value.MakeString());
    }
    return wxJoin(cells, '|');
  }

  wxString DefaultNames() {
    const wxArrayString flags = wxSplit(ListText(0), '|');
    const wxArrayString names = wxSplit(ListText(1), '|');
    wxArrayString defaults;
    for (size_t row = 0; row < flags.size() && row < names.size(); ++row) {
      if (flags[row] == "1") defaults.Add(names[row]);
    }
    return wxJoin(defaults, '|');
  }

  // Selects the entry in the list as a click does.
  void SelectEntry(const wxString& name) {
    const int row = wxSplit(ListText(1), '|').Index(name);
    ASSERT_NE(row, wxNOT_FOUND) << name;
    const wxDataViewItem item = page->GetModel()->GetItem(static_cast<unsigned int>(row));
    page->GetEntryList()->Select(item);
    wxDataViewEvent event(wxEVT_DATAVIEW_SELECTION_CHANGED, page->GetEntryList(), item);
    page->GetEntryList()->HandleWindowEvent(event);
    PumpEvents(20);
  }

  wxString VisibleColumns() {
    wxArrayString titles;
    for (unsigned int i = 0; i < page->GetEntryList()->GetColumnCount(); ++i) {
      wxDataViewColumn* column = page->GetEntryList()->GetColumn(i);
      if (!column->IsHidden()) titles.Add(column->GetTitle());
    }
    return wxJoin(titles, '|');
  }

  ModuleDictionariesPanel* page = nullptr;
};

TEST_F(DictionaryPageTest, EveryKindAddsChangesAndDeletesEntriesWithOneDefaultPerCompany) {
  // Table, value field text, and whether its rows belong to one company.
  const struct {
    const char* table;
    const char* value;
    bool company;
  } kinds[] = {{"stawka_vat", "23", false},          {"artykul_kategoria", "", true},
               {"artykul_jednostka", "m'2", true},   {"artykul_cena_rodzaj", "", true},
               {"kontrahent_klasyfikacja", "", true}, {"platnosc", "", false},
               {"kpir_opis_zdarzenia", "", true}};
  for (const auto& k : kinds) {
    if (k.company) db->InsertData(wxString("insert into ") + k.table + "(nazwa,domyslna,id_firmy) values ('Obca',1,2)");
  }
  Open({0, 1, 2, 3, 4, 5, 6});
  ASSERT_EQ(page->GetKindList()->GetCount(), 7u);
  const wxString awkward = U8("Zażółć \"gęślą\" O'Brien");
  for (int kind = 0; kind < 7; ++kind) {
    const auto& k = kinds[kind];
    SCOPED_TRACE(k.table);
    ChooseKind(kind);
    // Only the company's own rows are listed; the rate and the unit show a third column.
    EXPECT_EQ(page->GetModel()->rowCount, 0);
    EXPECT_EQ(VisibleColumns().Freq('|'), *k.value ? 2 : 1);

    AddEntry(awkward, U8(k.value), true);
    AddEntry("Druga", U8(k.value), true);
    EXPECT_EQ(DefaultNames(), "Druga");
    SelectEntry(awkward);
    EXPECT_EQ(page->GetNameField()->GetValue(), awkward);
    EXPECT_EQ(page->GetValueField()->GetValue(), U8(k.value));
    page->GetNameField()->SetValue(awkward + " 2");
    Tick(page->GetDefaultBox(), true);
    Click(page->GetSaveButton());
    EXPECT_EQ(DefaultNames(), awkward + " 2");
    EXPECT_EQ(Cell(wxString("select count(*) from ") + k.table + " where domyslna=1"), k.company ? "2" : "1");

    SelectEntry("Druga");
    Click(page->GetDeleteButton());
    EXPECT_EQ(ListText(1), awkward + " 2");
    EXPECT_EQ(page->GetNameField()->GetValue(), awkward + " 2");
    if (kind == kDictionaryUnit) SaveSettledScreenshot(frame, "settings_dictionary_units");
    // With the last entry gone the editors hold a new, empty entry.
    Click(page->GetDeleteButton());
    EXPECT_EQ(page->GetModel()->rowCount, 0);
    EXPECT_EQ(page->GetCurrentId(), "0");
    EXPECT_TRUE(page->GetNameField()->GetValue().empty());
    EXPECT_FALSE(page->GetDeleteButton()->IsEnabled());
    EXPECT_TRUE(page->GetDefaultBox()->IsEnabled());
    EXPECT_EQ(Cell(wxString("select count(*) from ") + k.table), k.company ? "1" : "0");
  }
}

TEST_F(DictionaryPageTest, TickingADefaultInTheListIsStoredOnlyBySave) {
  for (const char* name : {"Detaliczna", "Hurtowa", "Specjalna"}) {
    db->InsertData(wxString("insert into artykul_cena_rodzaj(nazwa,domyslna,id_firmy) values ('") + name + "',0,1)");
  }
  Open({kDictionaryPriceKind});
  // A click on "Dom." of the row shown first, and of a row not selected.
  for (const wxString name : {"Detaliczna", "Specjalna"}) {
    SCOPED_TRACE(name);
    db->InsertData("update artykul_cena_rodzaj set domyslna=(nazwa='Hurtowa')");
    ChooseKind(0);
    const wxDataViewItem item = page->GetModel()->GetItem(wxSplit(ListText(1), '|').Index(name));
    const wxRect cell = page->GetEntryList()->GetItemRect(item, page->GetEntryList()->GetColumn(0));
    veldrix::test::ClickOnScreen(page->GetEntryList(), cell.GetPosition() + cell.GetSize() / 2);
    ASSERT_TRUE(WaitFor([&] { return DefaultNames() == name; }));
    SaveSettledScreenshot(frame, "settings_dictionary_default_ticked");
    // The editors hold the ticked row; the database learns of it through "Zapisz".
    EXPECT_EQ(page->GetNameField()->GetValue(), name);
    EXPECT_EQ(page->GetCurrentId(), Cell("select id_cena_rodzaj from artykul_cena_rodzaj where nazwa='" + name + "'"));
    EXPECT_EQ(Cell("select nazwa from artykul_cena_rodzaj where domyslna=1"), "Hurtowa");
    ASSERT_TRUE(page->GetSaveButton()->IsEnabled());
    Click(page->GetSaveButton());
    EXPECT_EQ(Cell("select group_concat(nazwa) from artykul_cena_rodzaj where domyslna=1"), name);
  }
}

// The list's ticks and "Zapisz" agree: the default is never unticked, and a tick
// on another row first settles a rename in progress ("Anuluj", then "Tak"), as
// "Nowa wartość" and another kind do.
TEST_F(DictionaryPageTest, AMoveSettlesTheEditInProgressAndATickNeverLeavesNoDefault) {
  for (const char* row : {"'Detaliczna',1", "'Hurtowa',0", "'Specjalna',0"}) {
    db->InsertData(wxString("insert into artykul_cena_rodzaj(nazwa,domyslna,id_firmy) values (") + row + ",1)");
  }
  Open({kDictionaryPriceKind, kDictionaryUnit});
  wxDataViewCtrl* list = page->GetEntryList();
  const auto clickTick = [&](int row) {
    const wxRect cell = list->GetItemRect(page->GetModel()->GetItem(row), list->GetColumn(0));
    veldrix::test::ClickOnScreen(list, cell.GetPosition() + cell.GetSize() / 2);
  };
  clickTick(0);
  EXPECT_EQ(DefaultNames(), "Detaliczna");
  MessageBoxRecorder boxes(wxID_CANCEL);
  SelectEntry("Hurtowa");
  page->GetNameField()->SetValue("Hurtowa 2");
  clickTick(2);
  EXPECT_EQ(page->GetNameField()->GetValue() + "|" + DefaultNames(), "Hurtowa 2|Detaliczna");
  boxes.AnswerNext(wxID_YES);
  clickTick(2);
  clickTick(2);  // taken off again, the tick stays
  EXPECT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(DefaultNames(), "Specjalna");
  Click(page->GetSaveButton());
  EXPECT_EQ(Cell("select group_concat(nazwa) from artykul_cena_rodzaj where domyslna=0"), "Detaliczna,Hurtowa 2");

  const auto show = [&] {
    ChooseKind(0);
    SelectEntry("Specjalna");
  };
  const auto rename = [&] { page->GetNameField()->SetValue("Specjalna 2"); };
  const auto moved = [&] { return page->GetNameField()->IsEmpty(); };
  ExpectMoveSettlesEdit(page, list, show, rename, [&] { Click(page->GetNewButton()); }, moved, wxID_NO);
  ExpectMoveSettlesEdit(page, list, show, rename, [&] { ChooseKind(1); }, moved, wxID_YES);
  EXPECT_EQ(Cell("select nazwa from artykul_cena_rodzaj where domyslna=1"), "Specjalna 2");
}

// "Nowa wartość" leaves no entry highlighted: the list is drawn as with nothing chosen.
TEST_F(DictionaryPageTest, ANewEntryLeavesNoRowHighlighted) {
  for (const char* name : {"Detaliczna", "Hurtowa"}) {
    db->InsertData(wxString("insert into artykul_cena_rodzaj(nazwa,domyslna,id_firmy) values ('") + name + "',0,1)");
  }
  Open({kDictionaryPriceKind});
  wxDataViewCtrl* list = page->GetEntryList();
  list->UnselectAll();
  page->GetNameField()->SetFocus();
  PumpEvents(100);
  const wxImage nothingChosen = CaptureWindow(list);
  SelectEntry("Hurtowa");
  Click(page->GetNewButton());
  PumpEvents(100);
  EXPECT_EQ(list->GetSelectedItemsCount(), 0);
  EXPECT_TRUE(SamePixels(CaptureWindow(list), nothingChosen));
  SaveSettledScreenshot(frame, "settings_dictionary_new_entry");
}

TEST_F(DictionaryPageTest, ThePageKeepsWorkingOnTheCompanyWhoseEntriesItShows) {
  db->InsertData("insert into artykul_kategoria(nazwa,domyslna,id_firmy) values ('Towary',1,1)");
  db->InsertData("insert into artykul_kategoria(nazwa,domyslna,id_firmy) values ('Obca',1,2)");
  Open({kDictionaryArticleCategory});
  EXPECT_EQ(ListText(1), "Towary");
  // "Wybierz" on the company tab changes the working company; this tab stays open.
  app.companyId = "2";

  MessageBoxRecorder boxes(wxID_OK);
  SelectEntry("Towary");
  page->GetNameField()->SetValue("Towary handlowe");
  Click(page->GetSaveButton());
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(ListText(1), "Towary handlowe");
  EXPECT_EQ(Cell("select nazwa from artykul_kategoria where id_firmy=1"), "Towary handlowe");

  Click(page->GetDeleteButton());
  EXPECT_EQ(page->GetModel()->rowCount, 0);
  EXPECT_EQ(Cell("select count(*) from artykul_kategoria where id_firmy=1"), "0");
  EXPECT_EQ(Cell("select nazwa from artykul_kategoria where id_firmy=2"), "Obca");
}

TEST_F(DictionaryPageTest, VatRateValueMustBeAWholeNumber) {
  Open({kDictionaryVatRate});
  AddEntry("23%", "23", true);

  // Letters are not typed in; digits and the minus sign are.
  for (const auto& [key, typed] : {std::make_pair(int('a'), false), std::make_pair(int(','), false),
                                   std::make_pair(int('7'), true), std::make_pair(int('-'), true)}) {
    wxKeyEvent press(wxEVT_CHAR);
    press.m_uniChar = static_cast<wxChar>(key);
    press.m_keyCode = key;
    press.SetEventObject(page->GetValueField());
    const bool swallowed = page->GetValueField()->HandleWindowEvent(press);
    EXPECT_EQ(swallowed, !typed) << char(key);
  }

  // Pasted text that is not a whole number runs nothing and keeps what was typed.
  MessageBoxRecorder boxes;
  Click(page->GetNewButton());
  page->GetNameField()->SetValue(U8("Obniżona"));
  page->GetValueField()->SetValue("8,5");
  Tick(page->GetDefaultBox(), true);
  Click(page->GetSaveButton());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(page->GetNameField()->GetValue(), U8("Obniżona"));
  EXPECT_EQ(page->GetValueField()->GetValue(), "8,5");
  EXPECT_TRUE(page->GetSaveButton()->IsEnabled());
  EXPECT_EQ(Cell("select count(*)||':'||sum(domyslna) from stawka_vat"), "1:1");

  page->GetValueField()->SetValue("8");
  Click(page->GetSaveButton());
  EXPECT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(ListText(2), "23|8");
  EXPECT_EQ(ListText(0), "0|1");
  SaveSettledScreenshot(frame, "settings_dictionary_vat");
}

class CompanyApplication : public ICompanyApplication {
 public:
  explicit CompanyApplication(const wxString& connection) : connection_(connection) {}
  wxString GetActiveConnection() override { return connection_; }
  wxString GetWorkingCompanyId() override { return "0"; }
  void SetWorkingCompanyId(const wxString&) override {}
  void SwitchWorkingCompany(const wxString&) override {}
  wxConfigBase* GetConfig() override { return nullptr; }
  void EnableToolbar(bool, bool) override {}
  void RequestTabClose() override {}
  ICompanyEvents* GetCompanyEvents() override { return nullptr; }

 private:
  wxString connection_;
};

TEST_F(DictionaryPageTest, PaymentFormsSavedHereAreOfferedByTheCompanyEditor) {
  Open({kDictionaryPaymentForm});
  AddEntry(U8("Gotówka"), wxString(), false);
  AddEntry(U8("Przelew 14 dni"), wxString(), true);

  // A save the database refuses shows why and keeps the typed name and the old default.
  db->DeleteData("create trigger refuse before insert on platnosc when new.nazwa='Weksel' "
                 "begin select raise(abort, 'bill of exchange refused'); end");
  MessageBoxRecorder boxes;
  AddEntry("Weksel", wxString(), true);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_NE(boxes.shown()[0].message.Find("bill of exchange refused"), wxNOT_FOUND);
  EXPECT_EQ(page->GetNameField()->GetValue(), "Weksel");
  EXPECT_EQ(Cell("select nazwa from platnosc where domyslna=1"), U8("Przelew 14 dni"));
  SaveSettledScreenshot(frame, "settings_dictionary_payment_forms");

  // So does a delete the database refuses; the entry stays listed.
  db->DeleteData("create trigger keep before delete on platnosc "
                 "begin select raise(abort, 'payment form in use'); end");
  boxes.AnswerNext(wxID_NO);  // the refused entry is given up
  SelectEntry(U8("Gotówka"));
  Click(page->GetDeleteButton());
  ASSERT_EQ(boxes.shown().size(), 3u);
  EXPECT_NE(boxes.shown()[2].message.Find("payment form in use"), wxNOT_FOUND);
  EXPECT_EQ(ListText(1), U8("Gotówka|Przelew 14 dni"));

  CompanyApplication company(app.connection);
  page->Hide();
  DaneFirmyMainPanel* tab = DaneFirmyMainPanel::CreateWithEditor(frame, &company);
  frame->GetSizer()->Add(tab, 1, wxEXPAND);
  frame->Layout();
  PumpEvents(50);
  auto* forms = dynamic_cast<wxComboBox*>(wxWindow::FindWindowByName("domyslna_platnosc", tab));
  ASSERT_NE(forms, nullptr);
  ASSERT_EQ(forms->GetCount(), 2u);
  EXPECT_EQ(forms->GetString(0), U8("Gotówka"));
  EXPECT_EQ(forms->GetString(1), U8("Przelew 14 dni"));
  EXPECT_EQ(forms->GetSelection(), 1);
}

// ---- custom-field definitions ----

class CustomFieldsPageTest : public EditorTest {
 protected:
  ArticleCustomFieldsPanel* Open() {
    page = new ArticleCustomFieldsPanel(frame, "artykuly", U8("Pola dodatkowe artykułów"), true, wxString(), &app);
    page->EnsureLoaded();
    Show(page);
    return page;
  }

  wxString PreviewLabels() {
    wxArrayString labels;
    for (wxPropertyGridIterator it = page->GetPreview()->GetIterator(wxPG_ITERATE_ALL); !it.AtEnd(); ++it) {
      labels.Add(((*it)->IsCategory() ? "#" : "") + (*it)->GetLabel());
    }
    return wxJoin(labels, '|');
  }

  // Selects the row as a click does, also when it is selected already.
  void SelectRow(long row) {
    page->GetList()->SetItemState(row, 0, wxLIST_STATE_SELECTED);
    page->GetList()->SetItemState(row, wxLIST_STATE_SELECTED, wxLIST_STATE_SELECTED);
    PumpEvents(20);
  }

  void ChooseType(int index) {
    auto* type = Find<wxChoice>("rodzaj");
    type->SetSelection(index);
    Click(type, wxEVT_CHOICE);
  }

  ArticleCustomFieldsPanel* page = nullptr;
};

TEST_F(CustomFieldsPageTest, TheButtonsAndThePreviewFitTheSmallestMainWindow) {
  for (const char* field : {"'Kolor wkładu','color'", "'Ilość paczek','bool'"}) {
    db->InsertData(U8("insert into pole_dodatkowe_definicja(typ_obiektu,grupa,klucz_pola,nazwa,typ_pola,kolumna) "
                      "values ('artykuly','Druk',random(),") + U8(field) + ",'x')");
  }
  db->InsertData(U8("insert into pole_dodatkowe_definicja(typ_obiektu,grupa,klucz_pola,nazwa,typ_pola,kolumna) "
                    "values ('artykuly','Dodatkowe','nr','Nr zamówienia','int','x')"));
  Open();
  // The list's columns share its room, beside what a 1600-pixel main window leaves
  // (every text whole) and in the smallest (each cut alike, none out of sight).
  wxListCtrl* list = page->GetList();
  for (const int width : {1380, 820}) {
    frame->SetClientSize(width, 620);
    frame->Layout();
    PumpEvents(100);
    int columns = 0;
    for (int c = 0; c < list->GetColumnCount(); ++c) {
      columns += list->GetColumnWidth(c);
      for (int row = 0; row < list->GetItemCount() && width > 1000; ++row) {
        EXPECT_GE(list->GetColumnWidth(c), list->GetTextExtent(list->GetItemText(row, c)).x + 8) << c << " " << row;
      }
    }
    EXPECT_EQ(columns, list->GetClientSize().x) << width;
    SaveSettledScreenshot(frame, wxString::Format("settings_custom_fields_list_%d", width));
  }
  // What the settings tree leaves of a main window at its smallest, 1024 pixels.
  frame->SetClientSize(820, 620);
  frame->Layout();
  PumpEvents(100);
  for (const char* name : {"nowe", "zapisz", "usun"}) {
    auto* button = Find<wxButton>(name);
    EXPECT_GE(button->GetSize().x, button->GetBestSize().x) << name;
    EXPECT_LE(button->GetRect().GetRight(), page->GetClientSize().x) << name;
  }
  // The preview shows its labels whole and its values in Polish.
  wxPropertyGrid* preview = page->GetPreview();
  wxArrayString values;
  for (wxPropertyGridIterator it = preview->GetIterator(); !it.AtEnd(); ++it) {
    const int label = preview->GetMarginWidth() + wxPG_XBEFORETEXT + preview->GetTextExtent((*it)->GetLabel()).x;
    EXPECT_LE(label, preview->GetSplitterPosition());
    values.Add((*it)->GetDisplayedString());
  }
  EXPECT_EQ(wxJoin(values, '|'), U8("0|Nie|Czarny"));
  SaveSettledScreenshot(frame, "settings_custom_fields_narrow");
}

TEST_F(CustomFieldsPageTest, DefinesAFieldWithItsColumnAndPreview) {
  Open();
  auto* key = Find<wxTextCtrl>("klucz");
  auto* name = Find<wxTextCtrl>("nazwa");
  EXPECT_TRUE(Find<wxChoice>("rodzaj")->IsEnabled());
  EXPECT_EQ(key->GetValue(), "dodatkowe");
  name->SetValue("Kolor");
  EXPECT_EQ(key->GetValue(), "dodatkowe_kolor");
  EXPECT_EQ(Find<wxStaticText>("kolumna")->GetLabel(), "cf_dodatkowe_kolor");
  // A key typed by hand gives way to the next change of the name.
  key->SetValue("moj_klucz");
  EXPECT_EQ(Find<wxStaticText>("kolumna")->GetLabel(), "cf_moj_klucz");
  name->SetValue(U8("Cena zakupu"));
  EXPECT_EQ(key->GetValue(), "dodatkowe_cena_zakupu");
  ChooseType(3);  // a decimal number
  // The unsaved field is previewed at once.
  EXPECT_EQ(PreviewLabels(), U8("#Dodatkowe|Cena zakupu"));

  Click(Find<wxButton>("zapisz"));
  EXPECT_EQ(page->GetDefinitions().size(), 1u);
  EXPECT_EQ(page->GetList()->GetItemCount(), 1);
  EXPECT_EQ(Cell("select type from pragma_table_info('artykul_pola_dodatkowe') where name='cf_dodatkowe_cena_zakupu'"),
            "REAL");
  // The saved field stays in the editor, its key now fixed.
  EXPECT_EQ(wxString::Format("%d", page->GetEditedId()),
            Cell("select id_pola_dodatkowego from pole_dodatkowe_definicja"));
  EXPECT_FALSE(key->IsEnabled());

  Click(Find<wxButton>("nowe"));
  Find<wxTextCtrl>("grupa")->SetValue("Logistyka");
  name->SetValue("Strefa");
  ChooseType(5);  // a list
  Find<wxTextCtrl>("opcje")->SetValue("A;B\nC");
  Click(Find<wxButton>("zapisz"));
  Click(Find<wxButton>("nowe"));
  Find<wxTextCtrl>("grupa")->SetValue("");
  name->SetValue("Uwagi magazynu");
  EXPECT_EQ(PreviewLabels(), U8("#Dodatkowe|Uwagi magazynu|Cena zakupu|#Logistyka|Strefa"));
  SaveSettledScreenshot(frame, "settings_custom_fields_articles");
}

TEST_F(CustomFieldsPageTest, ANewFieldCorrectedAfterSavingIsChangedNotCopied) {
  Open();
  Find<wxTextCtrl>("nazwa")->SetValue("Kolor");
  Click(Find<wxButton>("zapisz"));
  ASSERT_EQ(page->GetList()->GetItemCount(), 1);

  // A typo noticed after saving: the field itself takes the corrected name.
  MessageBoxRecorder boxes;
  Find<wxTextCtrl>("nazwa")->SetValue("Kolory");
  Click(Find<wxButton>("zapisz"));
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Cell("select count(*) from pole_dodatkowe_definicja"), "1");
  EXPECT_EQ(Cell("select nazwa || '|' || klucz_pola from pole_dodatkowe_definicja"), "Kolory|dodatkowe_kolor");
  EXPECT_EQ(Cell("select count(*) from pragma_table_info('artykul_pola_dodatkowe') where name like 'cf_%'"), "1");
  EXPECT_EQ(page->GetList()->GetItemCount(), 1);
}

TEST_F(CustomFieldsPageTest, TheOrderTypedIsStoredAndOrdersTheFields) {
  Open();
  auto* name = Find<wxTextCtrl>("nazwa");
  auto* order = Find<wxTextCtrl>("kolejnosc");
  auto* save = Find<wxButton>("zapisz");
  name->SetValue("Waga");
  order->SetValue("25");
  Click(save);
  EXPECT_EQ(page->GetStatusLine()->GetLabel(), U8("Zapisano definicję pola."));
  Click(Find<wxButton>("nowe"));
  EXPECT_EQ(page->GetStatusLine()->GetLabel(), "");
  name->SetValue("Producent");
  order->SetValue(" 12 sztuk");
  Click(save);
  EXPECT_EQ(Cell("select group_concat(nazwa || '=' || kolejnosc, '|') from "
                 "(select nazwa, kolejnosc from pole_dodatkowe_definicja order by nazwa)"),
            "Producent=12|Waga=25");
  EXPECT_EQ(PreviewLabels(), "#Dodatkowe|Producent|Waga");

  // Another field chosen: the line no longer speaks of a save, and "Zapisz" waits
  // for an edit, which moves the field in front of the other.
  SelectRow(1);
  ASSERT_EQ(name->GetValue(), "Waga");
  EXPECT_EQ(order->GetValue(), "25");
  EXPECT_EQ(page->GetStatusLine()->GetLabel(), "");
  EXPECT_FALSE(save->IsEnabled());
  order->SetValue("5");
  EXPECT_TRUE(save->IsEnabled());
  Click(save);
  EXPECT_EQ(Cell("select kolejnosc from pole_dodatkowe_definicja where nazwa='Waga'"), "5");
  EXPECT_EQ(PreviewLabels(), "#Dodatkowe|Waga|Producent");
}

// The status line and the list's highlight say only what holds for the editor:
// "Nowe pole" leaves no row highlighted, and the next edit clears what the line
// said of a save or a switch-off.
TEST_F(CustomFieldsPageTest, TheStatusLineAndTheHighlightFollowTheEditor) {
  for (const char* field : {"'Producent',10", "'Waga',20"}) {
    db->InsertData(wxString("insert into pole_dodatkowe_definicja(typ_obiektu,grupa,klucz_pola,nazwa,kolejnosc,"
                            "typ_pola,kolumna,aktywne) values ('artykuly','Dodatkowe',random(),") + field +
                   ",'text','x',1)");
  }
  Open();
  wxListCtrl* list = page->GetList();
  wxStaticText* status = page->GetStatusLine();
  auto* order = Find<wxTextCtrl>("kolejnosc");
  auto* save = Find<wxButton>("zapisz");
  PumpEvents(100);
  const wxImage nothingChosen = CaptureWindow(list);
  const wxImage nothingSaid = CaptureWindow(status);
  SelectRow(0);
  Click(Find<wxButton>("nowe"));
  PumpEvents(100);
  EXPECT_EQ(list->GetSelectedItemCount(), 0);
  EXPECT_TRUE(SamePixels(CaptureWindow(list), nothingChosen));

  MessageBoxRecorder boxes(wxID_YES);
  SelectRow(1);
  Click(Find<wxButton>("usun"));
  EXPECT_NE(status->GetLabel().Find(U8("wyłączona")), wxNOT_FOUND);
  auto* name = Find<wxTextCtrl>("nazwa");
  name->SetValue("Kolor");
  EXPECT_EQ(status->GetLabel(), "");
  name->SetValue("");

  SelectRow(0);
  order->SetValue("15");
  Click(save);
  EXPECT_NE(status->GetLabel().Find(U8("Zapisano")), wxNOT_FOUND);
  order->SetValue("16");
  PumpEvents(100);
  EXPECT_EQ(status->GetLabel(), "");
  EXPECT_TRUE(SamePixels(CaptureWindow(status), nothingSaid));
  // Another workstation changed the order meanwhile: the box says so, the line nothing.
  db->InsertData("update pole_dodatkowe_definicja set kolejnosc=17 where nazwa='Producent'");
  Click(save);
  EXPECT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(status->GetLabel(), "");
}

TEST_F(CustomFieldsPageTest, AnOrderBeyondThirtyTwoBitsIsHeldAtTheEndOfTheRange) {
  struct Row {
    const char* typed;
    const char* stored;
  };
  const Row rows[] = {
      {"3000000000", "2147483647"},   {"-3000000000", "-2147483648"}, {"2147483647", "2147483647"},
      {"-2147483648", "-2147483648"}, {"99999999999999999999", "2147483647"}, {"  -17", "-17"},
  };
  Open();
  auto* name = Find<wxTextCtrl>("nazwa");
  auto* order = Find<wxTextCtrl>("kolejnosc");
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.typed);
    const wxString field = wxString::Format("Pole %d", ++n);
    Click(Find<wxButton>("nowe"));
    name->SetValue(field);
    order->SetValue(row.typed);
    Click(Find<wxButton>("zapisz"));
    EXPECT_EQ(Cell("select kolejnosc from pole_dodatkowe_definicja where nazwa='" + field + "'"),
              wxString(row.stored));
    EXPECT_EQ(order->GetValue(), wxString(row.stored));
  }
}

TEST_F(CustomFieldsPageTest, SwitchedOffFieldsLeaveTheListButKeepTheirKey) {
  Open();
  Find<wxTextCtrl>("nazwa")->SetValue("Producent");
  Click(Find<wxButton>("zapisz"));
  ASSERT_EQ(page->GetList()->GetItemCount(), 1);
  SelectRow(0);
  ASSERT_GT(page->GetEditedId(), 0);
  EXPECT_FALSE(Find<wxTextCtrl>("klucz")->IsEnabled());

  MessageBoxRecorder boxes(wxID_YES);
  Click(Find<wxButton>("usun"));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(page->GetList()->GetItemCount(), 0);
  EXPECT_EQ(page->GetEditedId(), 0);
  EXPECT_EQ(Cell("select aktywne from pole_dodatkowe_definicja"), "0");
  EXPECT_EQ(Cell("select count(*) from pragma_table_info('artykul_pola_dodatkowe') where name='cf_dodatkowe_producent'"),
            "1");

  // The same key again is refused: the switched-off definition still holds it.
  Find<wxTextCtrl>("nazwa")->SetValue("Producent");
  Click(Find<wxButton>("zapisz"));
  EXPECT_EQ(boxes.shown().size(), 2u);
  EXPECT_EQ(Cell("select count(*) from pole_dodatkowe_definicja"), "1");

  // Saved with "Aktywne" cleared, a field leaves the editor as well as the list.
  Find<wxTextCtrl>("nazwa")->SetValue("Dostawca");
  Click(Find<wxButton>("zapisz"));
  Tick(Find<wxCheckBox>("aktywne"), false);
  Click(Find<wxButton>("zapisz"));
  EXPECT_EQ(page->GetList()->GetItemCount() + page->GetEditedId(), 0);
  EXPECT_FALSE(Find<wxButton>("usun")->IsEnabled());
}

// Another field chosen, or "Nowe pole", settles an edit as the dictionaries do.
TEST_F(CustomFieldsPageTest, AMoveSettlesTheEditInProgress) {
  for (const char* field : {"'Producent',10", "'Waga',20"}) {
    db->InsertData(wxString("insert into pole_dodatkowe_definicja(typ_obiektu,grupa,klucz_pola,nazwa,kolejnosc,"
                            "typ_pola,kolumna) values ('artykuly','Dodatkowe',random(),") + field + ",'text','x')");
  }
  Open();
  const int first = wxAtoi(Cell("select id_pola_dodatkowego from pole_dodatkowe_definicja where kolejnosc=10"));
  auto* name = Find<wxTextCtrl>("nazwa");
  const auto show = [&] { SelectRow(0); };
  const auto rename = [&] { name->SetValue(name->GetValue() + " 2"); };
  const auto moved = [&] { return page->GetEditedId() != first; };
  ExpectMoveSettlesEdit(page, page->GetList(), show, rename, [&] { SelectRow(1); }, moved, wxID_YES);
  ExpectMoveSettlesEdit(page, page->GetList(), show, rename, [&] { Click(Find<wxButton>("nowe")); }, moved, wxID_NO);
  EXPECT_EQ(Cell("select group_concat(nazwa) from pole_dodatkowe_definicja"), "Producent 2,Waga");
}

TEST_F(CustomFieldsPageTest, MissingTablesLeaveTheEditorDisabled) {
  db->DeleteData("drop table pole_dodatkowe_definicja");
  Open();
  EXPECT_FALSE(page->GetStatusLine()->GetLabel().empty());
  EXPECT_FALSE(page->GetList()->IsEnabled());
  EXPECT_FALSE(Find<wxButton>("zapisz")->IsEnabled());
  SaveSettledScreenshot(frame, "settings_custom_fields_missing_tables");
}

// ---- lists that cannot be read ----

// Each page reads its list from a table the database can no longer read: the page
// tells the user once, instead of showing the list empty as if nothing were stored.
TEST_F(EditorTest, AListThatCannotBeReadIsReportedOnce) {
  ASSERT_GE(db->DeleteData("alter table artykul_jednostka rename to jednostki"), 0) << db->lastError;
  ASSERT_GE(db->DeleteData("alter table pole_dodatkowe_definicja drop column opcje"), 0) << db->lastError;
  struct Case {
    std::function<void()> open;
    const char* caption;
    const char* reason;
  };
  const std::vector<Case> cases = {
      {[this] { (new ModuleDictionariesPanel(frame, U8("Słowniki"), {kDictionaryUnit}, &app))->EnsureLoaded(); },
       "Słowniki", "no such table: artykul_jednostka"},
      {[this] {
         (new ArticleCustomFieldsPanel(frame, "artykuly", U8("Pola dodatkowe artykułów"), true, wxString(), &app))
             ->EnsureLoaded();
       },
       "Pola dodatkowe", "no such column: opcje"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    MessageBoxRecorder boxes(wxID_OK);
    c.open();
    PumpEvents(50);
    EXPECT_EQ(boxes.shown().size(), 1u);
    if (boxes.shown().empty()) continue;
    EXPECT_EQ(boxes.shown()[0].caption, U8(c.caption));
    EXPECT_TRUE(boxes.shown()[0].style & wxICON_ERROR);
    EXPECT_NE(boxes.shown()[0].message.Find(c.reason), wxNOT_FOUND) << boxes.shown()[0].message.utf8_str().data();
  }
}

}  // namespace
