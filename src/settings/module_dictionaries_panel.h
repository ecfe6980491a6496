// One settings page that edits the shared dictionaries of a list of kinds: the
// kinds on the left, the entries of the chosen kind, an editor strip and the
// buttons "Nowa wartość", "Zapisz" and "Usuń". It opens its own SQLData on the
// active connection when first loaded.
#pragma once

#include "app/common/failure_notice.h"
#include "app/common/unsaved_changes.h"
#include "settings/dictionary_store.h"

#include <wx/dataview.h>
#include <wx/panel.h>

#include <map>
#include <memory>
#include <vector>

class DVModel;
class ISettingsApplication;
class SQLData;
class wxButton;
class wxCheckBox;
class wxListBox;
class wxStaticText;
class wxTextCtrl;

class ModuleDictionariesPanel : public wxPanel, public veldrix::IUnsavedChangesPage {
 public:
  // Builds the page without touching the database.
  ModuleDictionariesPanel(wxWindow* parent, const wxString& title, std::vector<DictionaryKind> kinds,
                          ISettingsApplication* app);
  ~ModuleDictionariesPanel() override;

  // Opens the database and shows the first kind, once.
  void EnsureLoaded();
  // The kind of the selected row of the kind list; the first kind without a
  // selection; 5 (payment forms) for a page without kinds.
  DictionaryKind CurrentKind() const;

  bool IsLoaded() const { return loaded_; }
  const wxString& GetCurrentId() const { return currentId_; }
  DVModel* GetModel() const { return model_.get(); }
  wxListBox* GetKindList() const { return kindList_; }
  wxDataViewCtrl* GetEntryList() const { return entryList_; }
  wxCheckBox* GetDefaultBox() const { return defaultBox_; }
  wxTextCtrl* GetNameField() const { return nameField_; }
  wxTextCtrl* GetValueField() const { return valueField_; }
  wxButton* GetNewButton() const { return newButton_; }
  wxButton* GetSaveButton() const { return saveButton_; }
  wxButton* GetDeleteButton() const { return deleteButton_; }

  // An edit in the editors, or a default ticked in the list, that "Zapisz" has not
  // stored yet.
  bool HasUnsavedChanges() const override;
  bool SaveChanges() override;

 private:
  void ShowKind(DictionaryKind kind);
  void LoadRows(DictionaryKind kind);
  void ShowRow(int row);
  void FillEditorsFromSelection();
  // Asks about an edit in progress before the editors take another entry: saved,
  // dropped (the list read again), or kept (false).
  bool SettleEdit();
  // The editors move to the entry of that id once the edit in progress is settled;
  // `tick` makes it the list's default too, for "Zapisz" to store.
  void MoveEditorsLater(const wxString& id, bool tick);
  void MoveEditorsTo(const wxString& id, bool tick);
  // Shows the kind of that row of the kind list once the edit in progress is settled.
  void ChooseKindLater(int row);
  int RowOfId(const wxString& id) const;
  wxString IdOfRow(int row) const;
  // The default entry of storedEntries_ as DefaultRowsValue.
  wxString StoredDefault() const;
  // Sets a flag of the list as the program's change, not the user's.
  void SetDefaultFlag(int row, bool value);
  // The editors hold a new, empty entry, and the list highlights none.
  void ClearEditors();
  // After a save that another workstation's change stopped: the list shows what is
  // stored, the editors keep what the user typed.
  void ShowStoredKeepTyped(DictionaryKind kind, const DictionaryEntry& typed);
  wxString CompanyId() const;
  // The database's failure to open or to read the entries, shown once per event.
  void NoteReadFailure();

  void OnKindSelected(wxCommandEvent& event);
  void OnSelectionChanged(wxDataViewEvent& event);
  void OnDefaultToggled(wxDataViewEvent& event);
  void OnFieldChanged(wxCommandEvent& event);
  void OnValueChar(wxKeyEvent& event);
  void OnNew(wxCommandEvent& event);
  void OnSave(wxCommandEvent& event);
  void OnDelete(wxCommandEvent& event);

  std::vector<DictionaryKind> kinds_;
  ISettingsApplication* app_;
  std::unique_ptr<SQLData> database_;
  // An entry list that cannot be read is reported, not shown as an empty dictionary.
  veldrix::FailureNotice readFailures_;
  wxListBox* kindList_ = nullptr;
  wxDataViewCtrl* entryList_ = nullptr;
  wxCheckBox* defaultBox_ = nullptr;
  wxTextCtrl* nameField_ = nullptr;
  wxStaticText* valueLabel_ = nullptr;
  wxTextCtrl* valueField_ = nullptr;
  wxButton* newButton_ = nullptr;
  wxButton* saveButton_ = nullptr;
  wxButton* deleteButton_ = nullptr;
  wxObjectDataPtr<DVModel> model_;
  wxDataViewItem currentItem_;
  // Set while the program fills the editors and the list or ticks a row: those
  // events are not the user's.
  bool filling_ = false;
  bool toggling_ = false;
  bool loaded_ = false;
  // The company whose entries the page lists, and so changes: the working company
  // when the page was first loaded. Choosing another one on the company tab leaves
  // this tab open, and its writes must not go to rows it does not show.
  wxString companyId_ = "0";
  wxString currentId_ = "0";
  // The entries as read by the last load, by id: the list's flags are only a
  // display until "Zapisz".
  std::map<wxString, DictionaryEntry> storedEntries_;
  // The entry in the editors as it was loaded; a save compares it with what is
  // stored by then.
  DictionaryEntry shownEntry_;
  // The kind's default entry as the entries were loaded, taken with shownEntry_:
  // the save compares it with the default stored by then.
  wxString shownDefault_;
  // The entry the editors move to once the list's events are over; empty for none.
  wxString moveId_;
  bool moveTick_ = false;
  // The row of the kind list whose entries are shown, and the row chosen to be shown
  // once the edit in progress is settled (wxNOT_FOUND for none).
  int kindRow_ = wxNOT_FOUND;
  int kindMove_ = wxNOT_FOUND;
};
