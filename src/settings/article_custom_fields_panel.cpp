#include "settings/article_custom_fields_panel.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/page_header.h"
#include "app/common/scoped_flag.h"
#include "settings/settings_application.h"
#include "sqldata/sql_data.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/datetime.h>
#include <wx/listctrl.h>
#include <wx/propgrid/advprops.h>
#include <wx/propgrid/propgrid.h>
#include <wx/propgrid/props.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

namespace {

const char kDefaultGroup[] = wxTRANSLATE("Dodatkowe");

wxString Trimmed(const wxString& text) {
  wxString copy = text;
  return copy.Trim(true).Trim(false);
}

// The leading base-10 number of a text; 0 when it does not begin with one. A number
// beyond the column's 32 bits is held at the end of its range, as strtol holds its own.
int LeadingNumber(const wxString& text) {
  // utf8_str() points into the string it converts, so that string must be named.
  const wxString trimmed = Trimmed(text);
  const long value = std::strtol(trimmed.utf8_str().data(), nullptr, 10);
  return static_cast<int>(std::clamp<long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

// wxColourProperty names its colours in English, which no catalogue translates;
// the preview names them in Polish.
wxPGProperty* ColourProperty(const wxString& label, const wxString& name) {
  static const char* const kNames[][2] = {
      {"Black", wxTRANSLATE("Czarny")},         {"Maroon", wxTRANSLATE("Bordowy")},
      {"Navy", wxTRANSLATE("Granatowy")},       {"Purple", wxTRANSLATE("Fioletowy")},
      {"Teal", wxTRANSLATE("Morski")},          {"Gray", wxTRANSLATE("Szary")},
      {"Green", wxTRANSLATE("Zielony")},        {"Olive", wxTRANSLATE("Oliwkowy")},
      {"Brown", wxTRANSLATE("Brązowy")},        {"Blue", wxTRANSLATE("Niebieski")},
      {"Fuchsia", wxTRANSLATE("Fuksja")},       {"Red", wxTRANSLATE("Czerwony")},
      {"Orange", wxTRANSLATE("Pomarańczowy")},  {"Silver", wxTRANSLATE("Srebrny")},
      {"Lime", wxTRANSLATE("Limonkowy")},       {"Aqua", wxTRANSLATE("Błękitny")},
      {"Yellow", wxTRANSLATE("Żółty")},         {"White", wxTRANSLATE("Biały")},
      {"Custom", wxTRANSLATE("Własny...")},
  };
  auto* property = new wxColourProperty(label, name, *wxBLACK);
  const wxPGChoices& english = property->GetChoices();
  wxPGChoices polish;
  for (unsigned int i = 0; i < english.GetCount(); ++i) {
    wxString text = english.GetLabel(i);
    for (const auto& names : kNames) {
      if (text == names[0]) text = _(names[1]);
    }
    polish.Add(text, english.GetValue(i));
  }
  property->SetChoices(polish);
  property->SetValue(WXVARIANT(*wxBLACK));
  return property;
}

// The preview property of a definition, by its type.
wxPGProperty* PreviewProperty(const CustomFieldDefinition& d, const wxString& name) {
  const wxString& type = d.typ_pola;
  if (type == "int") return new wxIntProperty(d.nazwa, name, 0);
  if (type == "decimal") return new wxFloatProperty(d.nazwa, name, 0.0);
  if (type == "bool") return new wxBoolProperty(d.nazwa, name, false);
  if (type == "choice") {
    const wxArrayString options = FieldOptionsList(d.opcje);
    wxArrayInt values;
    for (size_t i = 0; i < options.size(); ++i) values.Add(static_cast<int>(i));
    return new wxEnumProperty(d.nazwa, name, options, values, 0);
  }
  if (type == "color") return ColourProperty(d.nazwa, name);
  if (type == "date") return new wxDateProperty(d.nazwa, name, wxDateTime::Today());
  return new wxStringProperty(d.nazwa, name, wxString());
}

// Widths for columns that need `needs` pixels, sharing `room` in proportion to their
// needs: wider than needed when there is room, all narrower alike when there is not.
std::vector<int> ShareColumnWidths(const std::vector<int>& needs, int room) {
  std::vector<int> widths(needs.size(), 0);
  long total = 0;
  for (int need : needs) total += std::max(need, 1);
  int given = 0;
  for (size_t i = 0; i + 1 < needs.size(); ++i) {
    widths[i] = static_cast<int>(static_cast<long>(room) * std::max(needs[i], 1) / total);
    given += widths[i];
  }
  if (!widths.empty()) widths.back() = std::max(room - given, 0);
  return widths;
}

}  // namespace

ArticleCustomFieldsPanel::ArticleCustomFieldsPanel(wxWindow* parent, const wxString& objectType,
                                                   const wxString& title, bool articleTable,
                                                   const wxString& valueTable, ISettingsApplication* app)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      objectType_(objectType),
      articleTable_(articleTable),
      valueTable_(valueTable),
      database_(std::make_unique<SQLData>(app ? app->GetActiveConnection() : wxString())),
      store_(std::make_unique<CustomFieldStore>(*database_, objectType, articleTable, valueTable)),
      readFailures_(this, _("Pola dodatkowe")) {
  BuildControls(title);
  EnableEditor(false);
}

ArticleCustomFieldsPanel::~ArticleCustomFieldsPanel() {
  if (database_) database_->ZamknijBazeDanych();
}

void ArticleCustomFieldsPanel::BuildControls(const wxString& title) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  veldrix::AddPageHeader(this, sizer, title);
  auto* columns = new wxBoxSizer(wxHORIZONTAL);

  list_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(300, 320), wxLC_REPORT | wxLC_SINGLE_SEL,
                         wxDefaultValidator, "definitions");
  list_->AppendColumn(_("Grupa"), wxLIST_FORMAT_LEFT, 90);
  list_->AppendColumn(_("Nazwa"), wxLIST_FORMAT_LEFT, 120);
  list_->AppendColumn(_("Typ"), wxLIST_FORMAT_LEFT, 90);
  columns->Add(list_, 1, wxEXPAND | wxALL, 5);

  auto* editor = new wxBoxSizer(wxVERTICAL);
  auto* form = new wxFlexGridSizer(2, 5, 5);
  form->AddGrowableCol(1);
  const auto addRow = [&](const wxString& label, wxWindow* control) {
    form->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    form->Add(control, 0, wxEXPAND);
  };
  const auto text = [&](const wxString& name, long style = 0, const wxSize& size = wxDefaultSize) {
    return new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, size, style, wxDefaultValidator, name);
  };
  group_ = text("grupa");
  name_ = text("nazwa");
  key_ = text("klucz");
  column_ = new wxStaticText(this, wxID_ANY, FieldColumnName("pole"), wxDefaultPosition, wxDefaultSize, 0,
                             "kolumna");
  type_ = new wxChoice(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, 0, wxDefaultValidator, "rodzaj");
  for (const CustomFieldType& type : CustomFieldTypes()) type_->Append(_(type.label));
  type_->SetSelection(0);
  order_ = text("kolejnosc");
  order_->ChangeValue("0");
  options_ = text("opcje", wxTE_MULTILINE, wxSize(230, 70));
  options_->SetMinSize(wxSize(-1, 70));
  addRow(_("Grupa:"), group_);
  addRow(_("Nazwa pola:"), name_);
  addRow(_("Klucz techniczny:"), key_);
  addRow(_("Kolumna:"), column_);
  addRow(_("Rodzaj:"), type_);
  addRow(_("Kolejność:"), order_);
  addRow(_("Opcje listy:"), options_);
  editor->Add(form, 0, wxEXPAND | wxALL, 5);

  const auto check = [&](const wxString& label, const wxString& name) {
    auto* box = new wxCheckBox(this, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
    editor->Add(box, 0, wxLEFT | wxRIGHT | wxTOP, 5);
    return box;
  };
  required_ = check(_("Wymagane"), "wymagane");
  visible_ = check(_("Widoczne na listach"), "widoczne");
  active_ = check(_("Aktywne"), "aktywne");
  active_->SetValue(true);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  const auto button = [&](const wxString& label, const wxString& name) {
    auto* b = new wxButton(this, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
    buttons->Add(b, 0, wxRIGHT, 5);
    return b;
  };
  newButton_ = button(_("Nowe pole"), "nowe");
  saveButton_ = button(_("Zapisz"), "zapisz");
  deleteButton_ = button(_("Usuń"), "usun");
  editor->Add(buttons, 0, wxALL, 5);
  status_ = new wxStaticText(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, "status");
  editor->Add(status_, 0, wxEXPAND | wxALL, 5);
  columns->Add(editor, 1, wxEXPAND | wxALL, 5);

  auto* previewColumn = new wxBoxSizer(wxVERTICAL);
  previewColumn->Add(new wxStaticText(this, wxID_ANY, _("Podgląd")), 0, wxBOTTOM, 5);
  preview_ = new wxPropertyGrid(this, wxID_ANY, wxDefaultPosition, wxDefaultSize,
                                wxPG_SPLITTER_AUTO_CENTER | wxPG_DEFAULT_STYLE, "preview");
  // In the smallest main window the list and the options field give way, so that
  // the editor's buttons keep their width and the preview, with its labels, stays
  // within the page; the three columns share any room beyond that.
  list_->SetMinSize(wxSize(200, 320));
  preview_->SetMinSize(wxSize(240, 320));
  previewColumn->Add(preview_, 1, wxEXPAND);
  columns->Add(previewColumn, 1, wxEXPAND | wxALL, 5);

  sizer->Add(columns, 1, wxEXPAND | wxALL, 5);
  SetSizer(sizer);

  list_->Bind(wxEVT_LIST_ITEM_SELECTED, &ArticleCustomFieldsPanel::OnDefinitionSelected, this);
  list_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    FitListColumns();
  });
  group_->Bind(wxEVT_TEXT, &ArticleCustomFieldsPanel::OnNameOrGroupChanged, this);
  name_->Bind(wxEVT_TEXT, &ArticleCustomFieldsPanel::OnNameOrGroupChanged, this);
  key_->Bind(wxEVT_TEXT, &ArticleCustomFieldsPanel::OnKeyChanged, this);
  type_->Bind(wxEVT_CHOICE, &ArticleCustomFieldsPanel::OnTypeChanged, this);
  order_->Bind(wxEVT_TEXT, &ArticleCustomFieldsPanel::OnPreviewInputChanged, this);
  options_->Bind(wxEVT_TEXT, &ArticleCustomFieldsPanel::OnPreviewInputChanged, this);
  for (wxCheckBox* box : {required_, visible_, active_}) {
    box->Bind(wxEVT_CHECKBOX, &ArticleCustomFieldsPanel::OnPreviewInputChanged, this);
  }
  newButton_->Bind(wxEVT_BUTTON, &ArticleCustomFieldsPanel::OnNewField, this);
  saveButton_->Bind(wxEVT_BUTTON, &ArticleCustomFieldsPanel::OnSave, this);
  deleteButton_->Bind(wxEVT_BUTTON, &ArticleCustomFieldsPanel::OnDeactivate, this);
}

void ArticleCustomFieldsPanel::EnableEditor(bool enable) {
  for (wxWindow* w : std::initializer_list<wxWindow*>{list_, group_, name_, key_, type_, order_, options_, required_,
                                                      visible_, active_, newButton_, saveButton_, deleteButton_,
                                                      preview_}) {
    w->Enable(enable);
  }
}

void ArticleCustomFieldsPanel::SetStatus(const wxString& text) {
  status_->SetLabelText(text);
  status_->Wrap(300);
  Layout();
}

void ArticleCustomFieldsPanel::EnsureLoaded() {
  if (loaded_) return;
  if (database_->IniciujBazeDanych() && store_->CheckTables()) {
    EnableEditor(true);
    PrepareNewField();
    LoadDefinitions();
  } else {
    SetStatus(_("Nie można wczytać tabel pól dodatkowych. Uruchom aktualizację bazy."));
  }
  loaded_ = true;
}

void ArticleCustomFieldsPanel::LoadDefinitions() {
  definitions_.clear();
  list_->DeleteAllItems();
  database_->ClearError();
  definitions_ = store_->LoadDefinitions();
  if (database_->errorFlag) {
    readFailures_.Note(_("Nie udało się odczytać definicji pól dodatkowych. Spróbuj ponownie za chwilę; jeśli błąd "
                         "się powtarza, przekaż poniższy opis administratorowi."),
                       database_->ErrorReason());
  }
  for (size_t i = 0; i < definitions_.size(); ++i) {
    const CustomFieldDefinition& d = definitions_[i];
    const long row = list_->InsertItem(static_cast<long>(i), d.grupa);
    list_->SetItem(row, 1, d.nazwa);
    list_->SetItem(row, 2, CustomFieldTypeLabel(d.typ_pola));
    list_->SetItemData(row, d.id);
  }
  FitListColumns();
  RebuildPreview();
}

void ArticleCustomFieldsPanel::FitListColumns() {
  // The room the list draws a text with on either side.
  constexpr int kPadding = 8;
  std::vector<int> needs;
  for (int column = 0; column < list_->GetColumnCount(); ++column) {
    wxListItem header;
    header.SetMask(wxLIST_MASK_TEXT);
    list_->GetColumn(column, header);
    int need = list_->GetTextExtent(header.GetText()).x;
    for (int row = 0; row < list_->GetItemCount(); ++row) {
      need = std::max(need, list_->GetTextExtent(list_->GetItemText(row, column)).x);
    }
    needs.push_back(need + 2 * kPadding);
  }
  const std::vector<int> widths = ShareColumnWidths(needs, list_->GetClientSize().x);
  for (size_t column = 0; column < widths.size(); ++column) {
    if (list_->GetColumnWidth(static_cast<int>(column)) != widths[column]) {
      list_->SetColumnWidth(static_cast<int>(column), widths[column]);
    }
  }
}

wxString ArticleCustomFieldsPanel::SelectedTypeCode() const {
  const int selection = type_->GetSelection();
  const auto& types = CustomFieldTypes();
  if (selection < 0 || selection >= static_cast<int>(types.size())) return "text";
  return types[static_cast<size_t>(selection)].code;
}

void ArticleCustomFieldsPanel::SelectType(const wxString& code) {
  const int index = FindCustomFieldType(code);
  type_->SetSelection(index < 0 ? 0 : index);
}

void ArticleCustomFieldsPanel::UpdateOptionsField() { options_->Enable(SelectedTypeCode() == "choice"); }

void ArticleCustomFieldsPanel::OnDefinitionSelected(wxListEvent& event) {
  if (selecting_) return;
  const int id = static_cast<int>(list_->GetItemData(event.GetIndex()));
  if (!HasUnsavedChanges()) {
    ShowDefinitionOf(id);
    return;
  }
  const bool scheduled = moveId_ != 0;
  moveId_ = id;
  if (scheduled) return;
  // Settled once the list is done with its events: a save reads the list anew.
  CallAfter([this] {
    const int chosen = std::exchange(moveId_, 0);
    if (!veldrix::SettleUnsavedChanges(*this, this)) {
      // The editor keeps its definition, and the list shows it selected again.
      SelectRowOf(editedId_);
      return;
    }
    SelectRowOf(chosen);
    ShowDefinitionOf(chosen);
  });
}

void ArticleCustomFieldsPanel::ShowDefinitionOf(int id) {
  SetStatus(wxString());
  for (const CustomFieldDefinition& d : definitions_) {
    if (d.id == id) {
      ShowDefinition(d);
      return;
    }
  }
}

void ArticleCustomFieldsPanel::SelectRowOf(int id) {
  // The program's choice, not the user's: nothing is asked or shown anew.
  const veldrix::ScopedFlag selecting(selecting_);
  const long row = id > 0 ? list_->FindItem(-1, static_cast<wxUIntPtr>(id)) : wxNOT_FOUND;
  if (row == wxNOT_FOUND) {
    // Neither highlighted nor outlined as the list's current row.
    for (long item = 0; item < list_->GetItemCount(); ++item) {
      list_->SetItemState(item, 0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    }
  } else {
    list_->SetItemState(row, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                        wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
    list_->EnsureVisible(row);
  }
}

void ArticleCustomFieldsPanel::ShowDefinition(const CustomFieldDefinition& d) {
  {
    const veldrix::ScopedFlag muted(muted_);
    editedId_ = d.id;
    group_->ChangeValue(d.grupa);
    name_->ChangeValue(d.nazwa);
    key_->ChangeValue(d.klucz_pola);
    // A saved definition keeps its key: its column and stored values depend on it.
    key_->Disable();
    column_->SetLabel(d.kolumna);
    SelectType(d.typ_pola);
    options_->ChangeValue(d.opcje);
    required_->SetValue(d.wymagane);
    visible_->SetValue(d.widoczne_na_liscie);
    active_->SetValue(d.aktywne);
    order_->ChangeValue(wxString::Format("%d", d.kolejnosc));
    deleteButton_->Enable();
    // Lit by the first edit: an unchanged definition has nothing to save.
    saveButton_->Disable();
  }
  loadedDefinition_ = d;
  shownDefinition_ = ReadForm();
  UpdateOptionsField();
  RebuildPreview();
}

void ArticleCustomFieldsPanel::PrepareNewField() {
  {
    const veldrix::ScopedFlag muted(muted_);
    editedId_ = 0;
    group_->ChangeValue(_(kDefaultGroup));
    name_->ChangeValue(wxString());
    key_->ChangeValue(wxString());
    key_->Enable();
    SelectType("text");
    options_->ChangeValue(wxString());
    required_->SetValue(false);
    visible_->SetValue(false);
    active_->SetValue(true);
    order_->ChangeValue(wxString::Format("%d", 10 * (static_cast<int>(definitions_.size()) + 1)));
    deleteButton_->Disable();
    saveButton_->Enable();
  }
  UpdateOptionsField();
  SuggestKey();
  RebuildPreview();
  name_->SetFocus();
}

void ArticleCustomFieldsPanel::OnNewField(wxCommandEvent&) {
  if (!veldrix::SettleUnsavedChanges(*this, this)) return;
  SetStatus(wxString());
  PrepareNewField();
  // The list highlights no definition the editor does not hold.
  SelectRowOf(0);
}

void ArticleCustomFieldsPanel::SuggestKey() {
  const wxString key = MakeFieldKey(Trimmed(group_->GetValue()) + " " + Trimmed(name_->GetValue()));
  key_->ChangeValue(key);
  column_->SetLabel(FieldColumnName(key));
  Layout();
}

void ArticleCustomFieldsPanel::OnNameOrGroupChanged(wxCommandEvent&) {
  if (muted_) return;
  if (editedId_ == 0) SuggestKey();
  FormChanged();
}

void ArticleCustomFieldsPanel::OnKeyChanged(wxCommandEvent&) {
  if (muted_) return;
  column_->SetLabel(FieldColumnName(MakeFieldKey(key_->GetValue())));
  FormChanged();
}

void ArticleCustomFieldsPanel::OnTypeChanged(wxCommandEvent&) {
  if (muted_) return;
  UpdateOptionsField();
  FormChanged();
}

void ArticleCustomFieldsPanel::OnPreviewInputChanged(wxCommandEvent&) {
  if (!muted_) FormChanged();
}

void ArticleCustomFieldsPanel::FormChanged() {
  // What the line said of the last save or switch-off no longer holds for the form.
  if (!status_->GetLabel().empty()) SetStatus(wxString());
  saveButton_->Enable();
  RebuildPreview();
}

CustomFieldDefinition ArticleCustomFieldsPanel::ReadForm() const {
  CustomFieldDefinition d;
  d.id = editedId_;
  d.grupa = Trimmed(group_->GetValue());
  d.nazwa = Trimmed(name_->GetValue());
  const wxString typedKey = Trimmed(key_->GetValue());
  d.klucz_pola = MakeFieldKey(typedKey.empty() ? d.grupa + " " + d.nazwa : typedKey);
  d.typ_pola = SelectedTypeCode();
  d.opcje = NormalizeFieldOptions(options_->GetValue());
  d.wymagane = required_->GetValue();
  d.widoczne_na_liscie = visible_->GetValue();
  d.aktywne = active_->GetValue();
  d.kolejnosc = LeadingNumber(order_->GetValue());
  d.kolumna = FieldColumnName(d.klucz_pola);
  return d;
}

void ArticleCustomFieldsPanel::OnSave(wxCommandEvent&) {
  const CustomFieldDefinition d = ReadForm();
  const wxString caption = _("Pola dodatkowe");
  if (d.nazwa.empty()) {
    veldrix::ShowMessageBox(_("Podaj nazwę pola."), caption, wxOK | wxICON_WARNING, this);
    return;
  }
  wxString keyError;
  if (store_->KeyInUse(d.klucz_pola, d.id, &keyError)) {
    veldrix::ShowMessageBox(keyError.empty() ? _("Pole o takim kluczu technicznym już istnieje.") : keyError, caption,
                            wxOK | wxICON_WARNING, this);
    return;
  }
  wxString error;
  const bool stored = d.id > 0;
  const CustomFieldDefinition edited = stored ? DefinitionEditsOver(loadedDefinition_, shownDefinition_, d) : d;
  bool conflict = false;
  if (!store_->EnsureValueColumn(d, &error) ||
      !store_->SaveDefinition(edited, &error, stored ? &loadedDefinition_ : nullptr, &conflict)) {
    if (!conflict) {
      SetStatus(error);
      return;
    }
    // The list shows what is stored; the editor keeps what the user typed and
    // compares with the old load until the definition is chosen again.
    LoadDefinitions();
    veldrix::ShowMessageBox(error + " " + _("Wybierz ją ponownie na odświeżonej liście i spróbuj jeszcze raz."),
                            caption, wxOK | wxICON_WARNING, this);
    return;
  }
  if (!d.aktywne) {
    // Saved switched off, it leaves the list and the editor, as "Usuń" has it.
    SetStatus(_("Definicja pola została wyłączona."));
    PrepareNewField();
    LoadDefinitions();
    return;
  }
  LoadDefinitions();
  ShowSaved(d);
  // Set last: selecting the saved row clears the line, as any choice does.
  SetStatus(_("Zapisano definicję pola."));
}

bool ArticleCustomFieldsPanel::HasUnsavedChanges() const {
  return saveButton_->IsThisEnabled() && (editedId_ > 0 || !Trimmed(name_->GetValue()).empty());
}

bool ArticleCustomFieldsPanel::SaveChanges() {
  wxCommandEvent save(wxEVT_BUTTON, saveButton_->GetId());
  OnSave(save);
  // A save that stored nothing leaves the edit as it was.
  return !HasUnsavedChanges();
}

void ArticleCustomFieldsPanel::ShowSaved(const CustomFieldDefinition& d) {
  // A new field is found by its key, which no other definition holds, and edited
  // from now on: saving it again after a correction must not add a second field.
  int savedId = d.id;
  for (const CustomFieldDefinition& loaded : definitions_) {
    if (savedId <= 0 && loaded.klucz_pola == d.klucz_pola) savedId = loaded.id;
  }
  if (savedId <= 0 || list_->FindItem(-1, static_cast<wxUIntPtr>(savedId)) == wxNOT_FOUND) return;
  SelectRowOf(savedId);
  ShowDefinitionOf(savedId);
}

void ArticleCustomFieldsPanel::OnDeactivate(wxCommandEvent&) {
  if (editedId_ <= 0) return;
  const int answer = veldrix::ShowMessageBox(
      _("Usunąć definicję pola z ustawień? Kolumna i zapisane dane pozostaną w bazie."), _("Pola dodatkowe"),
      wxYES_NO | wxNO_DEFAULT | wxICON_QUESTION, this);
  if (answer != wxYES) return;
  wxString error;
  if (!store_->Deactivate(editedId_, &error)) {
    SetStatus(error);
    return;
  }
  SetStatus(_("Definicja pola została wyłączona."));
  PrepareNewField();
  LoadDefinitions();
}

void ArticleCustomFieldsPanel::RebuildPreview() {
  if (!preview_) return;
  preview_->Clear();
  std::vector<CustomFieldDefinition> shown = definitions_;
  const CustomFieldDefinition form = ReadForm();
  if (!form.nazwa.empty() && form.aktywne) {
    // Unsaved edits show at once: the form replaces its saved definition.
    auto same = std::find_if(shown.begin(), shown.end(),
                             [&](const CustomFieldDefinition& d) { return form.id > 0 && d.id == form.id; });
    if (same != shown.end()) {
      *same = form;
    } else {
      shown.push_back(form);
    }
  }
  std::stable_sort(shown.begin(), shown.end(), [](const CustomFieldDefinition& a, const CustomFieldDefinition& b) {
    const int group = a.grupa.CmpNoCase(b.grupa);
    if (group != 0) return group < 0;
    if (a.kolejnosc != b.kolejnosc) return a.kolejnosc < b.kolejnosc;
    return a.nazwa.CmpNoCase(b.nazwa) < 0;
  });
  wxArrayString categories;
  for (size_t i = 0; i < shown.size(); ++i) {
    const wxString category = shown[i].grupa.empty() ? _(kDefaultGroup) : shown[i].grupa;
    if (categories.Index(category) == wxNOT_FOUND) {
      categories.Add(category);
      preview_->Append(new wxPropertyCategory(category, wxString::Format("category%zu", i)));
    }
    preview_->Append(PreviewProperty(shown[i], wxString::Format("field%zu", i)));
  }
}
