#include "settings/module_dictionaries_panel.h"

#include "app/common/failure_notice.h"
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/page_header.h"
#include "app/common/scoped_flag.h"
#include "settings/settings_application.h"
#include "sqldata/dv_model.h"
#include "sqldata/row_merge.h"
#include "sqldata/sql_data.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/listbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <utility>

namespace {

constexpr int kNameLength = 50;
constexpr int kValueLength = 5;

// Model columns of a kind: flag, name, [value,] id; the id is always last.
std::vector<int> ModelColumns(DictionaryKind kind) {
  if (kind == kDictionaryVatRate) return {DVColumnFlag, DVColumnText, DVColumnInteger, DVColumnText};
  if (kind == kDictionaryUnit) return {DVColumnFlag, DVColumnText, DVColumnText, DVColumnText};
  return {DVColumnFlag, DVColumnText, DVColumnText};
}

wxString CellText(DVModel& model, unsigned int row, unsigned int column) {
  wxVariant value;
  model.GetValueByRow(value, row, column);
  return value.IsNull() ? wxString() : value.MakeString();
}

}  // namespace

ModuleDictionariesPanel::ModuleDictionariesPanel(wxWindow* parent, const wxString& title,
                                                 std::vector<DictionaryKind> kinds, ISettingsApplication* app)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL | wxNO_BORDER),
      kinds_(std::move(kinds)),
      app_(app),
      database_(std::make_unique<SQLData>(app ? app->GetActiveConnection() : wxString())),
      readFailures_(this, _("Słowniki")) {
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  veldrix::AddPageHeader(this, sizer, title);

  auto* row = new wxBoxSizer(wxHORIZONTAL);
  kindList_ = new wxListBox(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxLB_SINGLE,
                            wxDefaultValidator, "kinds");
  for (DictionaryKind kind : kinds_) kindList_->Append(DictionaryKindTitle(kind));
  row->Add(kindList_, 0, wxEXPAND | wxALL, 5);

  auto* column = new wxBoxSizer(wxVERTICAL);
  entryList_ = new wxDataViewCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(500, 150), wxNO_BORDER | wxDV_SINGLE,
                                  wxDefaultValidator, "entries");
  column->Add(entryList_, 1, wxEXPAND);

  auto* editors = new wxBoxSizer(wxHORIZONTAL);
  defaultBox_ = new wxCheckBox(this, wxID_ANY, _("Domyślna"), wxDefaultPosition, wxDefaultSize, 0,
                               wxDefaultValidator, "domyslna");
  editors->Add(defaultBox_, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
  editors->Add(new wxStaticText(this, wxID_ANY, _("Nazwa:")), 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
  nameField_ = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                              "nazwa");
  nameField_->SetMaxLength(kNameLength);
  editors->Add(nameField_, 1, wxALIGN_CENTER_VERTICAL | wxALL, 5);
  valueLabel_ = new wxStaticText(this, wxID_ANY, _("Wartość:"));
  editors->Add(valueLabel_, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
  valueField_ = new wxTextCtrl(this, wxID_ANY, wxString(), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                               "wartosc");
  valueField_->SetMaxLength(kValueLength);
  valueField_->SetMaxSize(wxSize(100, -1));
  editors->Add(valueField_, 0, wxALIGN_CENTER_VERTICAL | wxALL, 5);
  column->Add(editors, 0, wxEXPAND);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  newButton_ = new wxButton(this, wxID_ANY, _("Nowa wartość"), wxDefaultPosition, wxDefaultSize, 0,
                            wxDefaultValidator, "nowa");
  saveButton_ = new wxButton(this, wxID_ANY, _("Zapisz"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                             "zapisz");
  deleteButton_ = new wxButton(this, wxID_ANY, _("Usuń"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                               "usun");
  for (wxButton* button : {newButton_, saveButton_, deleteButton_}) buttons->Add(button, 0, wxALL, 5);
  saveButton_->Disable();
  deleteButton_->Disable();
  column->Add(buttons, 0, wxALL, 5);

  row->Add(column, 1, wxEXPAND | wxALL, 5);
  sizer->Add(row, 1, wxEXPAND | wxALL, 5);
  SetSizer(sizer);

  kindList_->Bind(wxEVT_LISTBOX, &ModuleDictionariesPanel::OnKindSelected, this);
  entryList_->Bind(wxEVT_DATAVIEW_SELECTION_CHANGED, &ModuleDictionariesPanel::OnSelectionChanged, this);
  entryList_->Bind(wxEVT_DATAVIEW_ITEM_VALUE_CHANGED, &ModuleDictionariesPanel::OnDefaultToggled, this);
  nameField_->Bind(wxEVT_TEXT, &ModuleDictionariesPanel::OnFieldChanged, this);
  valueField_->Bind(wxEVT_TEXT, &ModuleDictionariesPanel::OnFieldChanged, this);
  valueField_->Bind(wxEVT_CHAR, &ModuleDictionariesPanel::OnValueChar, this);
  defaultBox_->Bind(wxEVT_CHECKBOX, &ModuleDictionariesPanel::OnFieldChanged, this);
  newButton_->Bind(wxEVT_BUTTON, &ModuleDictionariesPanel::OnNew, this);
  saveButton_->Bind(wxEVT_BUTTON, &ModuleDictionariesPanel::OnSave, this);
  deleteButton_->Bind(wxEVT_BUTTON, &ModuleDictionariesPanel::OnDelete, this);
}

ModuleDictionariesPanel::~ModuleDictionariesPanel() {
  // The list must not ask a model that is going away.
  if (entryList_) entryList_->AssociateModel(nullptr);
  if (database_) database_->ZamknijBazeDanych();
}

void ModuleDictionariesPanel::EnsureLoaded() {
  if (loaded_) return;
  companyId_ = app_ ? app_->GetWorkingCompanyId() : wxString("0");
  if (!database_->IniciujBazeDanych()) NoteReadFailure();
  if (!kinds_.empty()) {
    if (kindList_->GetSelection() == wxNOT_FOUND) kindList_->SetSelection(0);
    ShowKind(CurrentKind());
  }
  loaded_ = true;
}

DictionaryKind ModuleDictionariesPanel::CurrentKind() const {
  if (kinds_.empty()) return kDictionaryPaymentForm;
  const int selection = kindList_->GetSelection();
  if (selection < 0 || selection >= static_cast<int>(kinds_.size())) return kinds_.front();
  return kinds_[static_cast<size_t>(selection)];
}

wxString ModuleDictionariesPanel::CompanyId() const { return companyId_; }

void ModuleDictionariesPanel::ShowKind(DictionaryKind kind) {
  const veldrix::ScopedFlag filling(filling_);
  kindRow_ = kindList_->GetSelection();
  currentItem_ = wxDataViewItem();
  currentId_ = "0";
  nameField_->ChangeValue(wxString());
  valueField_->ChangeValue(wxString());
  defaultBox_->SetValue(false);
  saveButton_->Disable();
  deleteButton_->Disable();
  const bool hasValue = HasDictionaryValue(kind);
  valueLabel_->Show(hasValue);
  valueField_->Show(hasValue);
  valueLabel_->SetLabel(kind == kDictionaryUnit ? _("Skrót:") : _("Wartość:"));
  Layout();
  LoadRows(kind);
}

void ModuleDictionariesPanel::LoadRows(DictionaryKind kind) {
  if (model_) {
    entryList_->ClearColumns();
    model_->Clear(true);
  }
  wxObjectDataPtr<DVModel> model(new DVModel());
  const std::vector<int> columns = ModelColumns(kind);
  for (size_t i = 0; i < columns.size(); ++i) model->AddColumn(columns[i], static_cast<int>(i));
  model->InitStorage();
  model_ = model;
  entryList_->AssociateModel(model_.get());

  entryList_->AppendToggleColumn(_("Dom."), 0, wxDATAVIEW_CELL_ACTIVATABLE, 43, wxALIGN_CENTER,
                                 wxDATAVIEW_COL_RESIZABLE);
  const int nameWidth = HasDictionaryValue(kind) ? 182 : std::max(120, entryList_->GetSize().GetWidth() - 61);
  entryList_->AppendTextColumn(_("Nazwa"), 1, wxDATAVIEW_CELL_INERT, nameWidth, wxALIGN_NOT, 0);

  database_->ClearError();
  const int found = database_->InsertRowsDataView(model_, false, DictionarySelect(kind, CompanyId()), currentId_);
  if (database_->errorFlag) NoteReadFailure();
  storedEntries_.clear();
  for (unsigned int r = 0; r < static_cast<unsigned int>(model_->rowCount); ++r) {
    DictionaryEntry entry;
    entry.id = CellText(*model_, r, static_cast<unsigned int>(columns.size() - 1));
    entry.name = CellText(*model_, r, 1);
    if (columns.size() > 3) entry.value = CellText(*model_, r, 2);
    wxVariant flag;
    model_->GetValueByRow(flag, r, 0);
    entry.isDefault = !flag.IsNull() && flag.GetBool();
    storedEntries_[entry.id] = entry;
  }
  shownDefault_ = StoredDefault();

  if (HasDictionaryValue(kind)) {
    // The rate is a whole-number cell; a text renderer of that type shows it.
    auto* renderer = new wxDataViewTextRenderer(kind == kDictionaryVatRate ? "long" : "string");
    entryList_->AppendColumn(new wxDataViewColumn(kind == kDictionaryVatRate ? _("Wartość") : _("Skrót"), renderer, 2,
                                                  120, wxALIGN_NOT, 0));
  }
  wxDataViewColumn* id = entryList_->AppendTextColumn("id", static_cast<unsigned int>(columns.size() - 1),
                                                      wxDATAVIEW_CELL_INERT, 43);
  id->SetHidden(true);

  if (model_->rowCount > 0) ShowRow(found >= 0 && found < model_->rowCount ? found : 0);
}

void ModuleDictionariesPanel::NoteReadFailure() {
  readFailures_.Note(_("Nie udało się odczytać wpisów słownika. Spróbuj ponownie za chwilę; jeśli błąd się "
                       "powtarza, przekaż poniższy opis administratorowi."),
                     database_->ErrorReason());
}

void ModuleDictionariesPanel::ShowRow(int row) {
  if (!model_ || model_->rowCount <= 0) return;
  if (row < 0 || row >= model_->rowCount) row = 0;
  const unsigned int r = static_cast<unsigned int>(row);
  currentItem_ = model_->GetItem(r);
  entryList_->Select(currentItem_);
  const unsigned int columns = model_->GetColumnCount();
  currentId_ = CellText(*model_, r, columns - 1);
  shownEntry_ = storedEntries_[currentId_];
  shownDefault_ = StoredDefault();
  nameField_->ChangeValue(CellText(*model_, r, 1));
  valueField_->ChangeValue(columns > 3 ? CellText(*model_, r, 2) : wxString());
  wxVariant flag;
  model_->GetValueByRow(flag, r, 0);
  const bool isDefault = !flag.IsNull() && flag.GetBool();
  defaultBox_->SetValue(isDefault);
  // The default entry cannot be unticked here: another entry takes the flag from it.
  defaultBox_->Enable(!isDefault);
  deleteButton_->Enable();
  saveButton_->Disable();
}

void ModuleDictionariesPanel::FillEditorsFromSelection() {
  if (!model_) return;
  const wxDataViewItem item = entryList_->GetSelection();
  if (!item.IsOk()) return;
  ShowRow(static_cast<int>(model_->GetRow(item)));
}

void ModuleDictionariesPanel::ClearEditors() {
  {
    // The list highlights no entry the editors do not hold.
    const veldrix::ScopedFlag filling(filling_);
    entryList_->UnselectAll();
  }
  currentItem_ = wxDataViewItem();
  currentId_ = "0";
  shownEntry_ = DictionaryEntry();
  shownDefault_ = StoredDefault();
  nameField_->ChangeValue(wxString());
  valueField_->ChangeValue(wxString());
  defaultBox_->SetValue(false);
  defaultBox_->Enable();
  deleteButton_->Disable();
  saveButton_->Disable();
}

void ModuleDictionariesPanel::OnKindSelected(wxCommandEvent&) {
  if (!loaded_) {
    EnsureLoaded();
  } else if (!HasUnsavedChanges()) {
    ShowKind(CurrentKind());
  } else {
    ChooseKindLater(kindList_->GetSelection());
  }
}

void ModuleDictionariesPanel::ChooseKindLater(int row) {
  const bool scheduled = kindMove_ != wxNOT_FOUND;
  kindMove_ = row;
  if (scheduled) return;
  CallAfter([this] {
    // The edit belongs to the kind shown: it is settled with that kind chosen, and
    // stays there on "Anuluj".
    const int chosen = std::exchange(kindMove_, wxNOT_FOUND);
    kindList_->SetSelection(kindRow_);
    if (!SettleEdit()) return;
    kindList_->SetSelection(chosen);
    ShowKind(CurrentKind());
  });
}

void ModuleDictionariesPanel::OnSelectionChanged(wxDataViewEvent&) {
  if (filling_ || !model_) return;
  const wxDataViewItem item = entryList_->GetSelection();
  if (!item.IsOk() || item == currentItem_) return;
  if (!HasUnsavedChanges()) {
    FillEditorsFromSelection();
    return;
  }
  MoveEditorsLater(IdOfRow(static_cast<int>(model_->GetRow(item))), false);
}

void ModuleDictionariesPanel::OnFieldChanged(wxCommandEvent&) {
  if (!filling_) saveButton_->Enable();
}

void ModuleDictionariesPanel::OnValueChar(wxKeyEvent& event) {
  // A VAT rate is a whole number: other printable characters are not typed in.
  // Pasted text is checked when saving.
  const int key = event.GetUnicodeKey();
  const bool printable = key != WXK_NONE && key >= WXK_SPACE && key != WXK_DELETE;
  if (CurrentKind() == kDictionaryVatRate && printable && !(key >= '0' && key <= '9') && key != '-') return;
  event.Skip();
}

void ModuleDictionariesPanel::OnDefaultToggled(wxDataViewEvent& event) {
  if (filling_ || toggling_ || !model_) return;
  const wxDataViewColumn* column = event.GetDataViewColumn();
  const int modelColumn = column ? static_cast<int>(column->GetModelColumn()) : event.GetColumn();
  if (modelColumn != 0) return;
  const int changed = static_cast<int>(model_->GetRow(event.GetItem()));
  if (changed < 0 || changed >= model_->rowCount) return;
  wxVariant flag;
  model_->GetValueByRow(flag, static_cast<unsigned int>(changed), 0);
  if (flag.IsNull() || !flag.GetBool()) {
    // The list shows the default "Zapisz" stores: another entry takes the flag, as
    // in the editors, and none is unticked.
    SetDefaultFlag(changed, true);
    return;
  }
  if (model_->GetItem(static_cast<unsigned int>(changed)) != currentItem_ && HasUnsavedChanges()) {
    SetDefaultFlag(changed, false);
    MoveEditorsLater(IdOfRow(changed), true);
    return;
  }
  // Only a display: the database learns of the new default through "Zapisz".
  for (int row = 0; row < model_->rowCount; ++row) SetDefaultFlag(row, row == changed);
  if (model_->GetItem(static_cast<unsigned int>(changed)) == currentItem_) {
    // The entry in the editors keeps what was typed into it.
    defaultBox_->SetValue(true);
    defaultBox_->Disable();
  } else {
    // The ticked row, selected or not, is the one "Zapisz" stores.
    ShowRow(changed);
  }
  saveButton_->Enable();
}

void ModuleDictionariesPanel::SetDefaultFlag(int row, bool value) {
  const veldrix::ScopedFlag toggling(toggling_);
  model_->SetValueByRow(value, static_cast<unsigned int>(row), 0);
  model_->RowValueChanged(static_cast<unsigned int>(row), 0);
}

bool ModuleDictionariesPanel::HasUnsavedChanges() const { return saveButton_->IsThisEnabled(); }

bool ModuleDictionariesPanel::SaveChanges() {
  wxCommandEvent save(wxEVT_BUTTON, saveButton_->GetId());
  OnSave(save);
  // A save that stored nothing leaves "Zapisz" lit.
  return !HasUnsavedChanges();
}

bool ModuleDictionariesPanel::SettleEdit() {
  return veldrix::SettleUnsavedChanges(*this, this, [this] {
    // Dropped: the list shows what is stored again, a default ticked in it included.
    LoadRows(CurrentKind());
    saveButton_->Disable();
  });
}

void ModuleDictionariesPanel::MoveEditorsLater(const wxString& id, bool tick) {
  // A click on another row's tick selects the row too: one move, asked once.
  const bool scheduled = !moveId_.empty();
  moveTick_ = tick || (scheduled && moveId_ == id && moveTick_);
  moveId_ = id;
  if (scheduled) return;
  // Settled once the list is done with its events: a save or a drop reads it anew.
  CallAfter([this] { MoveEditorsTo(std::exchange(moveId_, wxString()), moveTick_); });
}

void ModuleDictionariesPanel::MoveEditorsTo(const wxString& id, bool tick) {
  if (!model_) return;
  if (!SettleEdit()) {
    // The editors keep their entry, and the list shows it selected again.
    const veldrix::ScopedFlag filling(filling_);
    if (currentItem_.IsOk()) {
      entryList_->Select(currentItem_);
    } else {
      entryList_->UnselectAll();
    }
    return;
  }
  const int row = RowOfId(id);
  if (row < 0) return;
  if (tick) {
    for (int r = 0; r < model_->rowCount; ++r) SetDefaultFlag(r, r == row);
  }
  ShowRow(row);
  if (tick) saveButton_->Enable();
}

wxString ModuleDictionariesPanel::StoredDefault() const {
  wxArrayString ids;
  for (const auto& [id, entry] : storedEntries_) {
    if (entry.isDefault) ids.Add(id);
  }
  return DefaultRowsValue(ids);
}

wxString ModuleDictionariesPanel::IdOfRow(int row) const {
  if (!model_ || row < 0 || row >= model_->rowCount) return wxString();
  return CellText(*model_, static_cast<unsigned int>(row), model_->GetColumnCount() - 1);
}

int ModuleDictionariesPanel::RowOfId(const wxString& id) const {
  for (int row = 0; model_ && row < model_->rowCount; ++row) {
    if (IdOfRow(row) == id) return row;
  }
  return -1;
}

void ModuleDictionariesPanel::OnNew(wxCommandEvent&) {
  if (!SettleEdit()) return;
  ClearEditors();
  nameField_->SetFocus();
}

void ModuleDictionariesPanel::OnSave(wxCommandEvent&) {
  EnsureLoaded();
  const DictionaryKind kind = CurrentKind();
  DictionaryEntry entry;
  entry.id = currentId_;
  entry.name = nameField_->GetValue();
  entry.value = valueField_->GetValue();
  entry.isDefault = defaultBox_->GetValue();
  wxString savedId;
  wxString error;
  bool conflict = false;
  if (!SaveDictionaryEntry(*database_, kind, CompanyId(), entry, &savedId, &error,
                           entry.id == "0" ? nullptr : &shownEntry_, &conflict, &shownDefault_)) {
    // Nothing was stored: the editors keep what the user typed, so it can be
    // corrected and saved again.
    if (conflict) {
      ShowStoredKeepTyped(kind, entry);
      error += " " + _("Wybierz go ponownie na odświeżonej liście i spróbuj jeszcze raz.");
    }
    veldrix::ShowMessageBox(veldrix::FailureText(_("Nie udało się zapisać wpisu słownika. Popraw wpis lub spróbuj "
                                                   "ponownie; jeśli błąd się powtarza, przekaż poniższy opis "
                                                   "administratorowi."),
                                                 error),
                            _("Słowniki"),
                            wxOK | (conflict ? wxICON_WARNING : wxICON_ERROR), this);
    return;
  }
  currentId_ = savedId;
  LoadRows(kind);
  saveButton_->Disable();
}

void ModuleDictionariesPanel::ShowStoredKeepTyped(DictionaryKind kind, const DictionaryEntry& typed) {
  // The next save still compares with the entry as it was loaded before: only
  // choosing the entry in the list takes what is stored now into the editors.
  const DictionaryEntry loaded = shownEntry_;
  const wxString loadedDefault = shownDefault_;
  const bool defaultEditable = defaultBox_->IsEnabled();
  LoadRows(kind);
  nameField_->ChangeValue(typed.name);
  valueField_->ChangeValue(typed.value);
  defaultBox_->SetValue(typed.isDefault);
  defaultBox_->Enable(defaultEditable);
  shownEntry_ = loaded;
  shownDefault_ = loadedDefault;
  saveButton_->Enable();
  // Unselected, so that choosing the entry again is a change of the selection.
  entryList_->UnselectAll();
}

void ModuleDictionariesPanel::OnDelete(wxCommandEvent&) {
  EnsureLoaded();
  if (!currentItem_.IsOk()) return;
  const DictionaryKind kind = CurrentKind();
  wxString error;
  if (!DeleteDictionaryEntry(*database_, kind, CompanyId(), currentId_, &error)) {
    veldrix::ShowMessageBox(veldrix::FailureText(_("Nie udało się usunąć wpisu słownika. Odśwież listę i spróbuj "
                                                   "ponownie; jeśli błąd się powtarza, przekaż poniższy opis "
                                                   "administratorowi."),
                                                 error),
                            _("Słowniki"),
                            wxOK | wxICON_ERROR, this);
    return;
  }
  currentId_ = "0";
  LoadRows(kind);
  // With nothing left to show, the editors start a new entry instead of keeping
  // the deleted one's texts.
  if (model_->rowCount == 0) ClearEditors();
}
