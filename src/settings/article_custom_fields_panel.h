// The settings page "Pola dodatkowe" of one object type (invoices, articles or
// contractors): the list of active definitions, an editor of one definition, and a
// live preview of all fields in a property grid. Definitions are switched off,
// never deleted; an article field also gets a typed column in the article value
// table. The page opens its own SQLData on the active connection when loaded.
#pragma once

#include "app/common/failure_notice.h"
#include "app/common/unsaved_changes.h"
#include "settings/custom_field.h"

#include <wx/panel.h>

#include <memory>
#include <vector>

class ISettingsApplication;
class SQLData;
class wxButton;
class wxCheckBox;
class wxChoice;
class wxListCtrl;
class wxListEvent;
class wxPropertyGrid;
class wxStaticText;
class wxTextCtrl;

class ArticleCustomFieldsPanel : public wxPanel, public veldrix::IUnsavedChangesPage {
 public:
  // Builds the controls with the editor disabled; does not touch the database.
  ArticleCustomFieldsPanel(wxWindow* parent, const wxString& objectType, const wxString& title, bool articleTable,
                           const wxString& valueTable, ISettingsApplication* app);
  ~ArticleCustomFieldsPanel() override;

  // Opens the database, checks the tables and loads the definitions, once.
  void EnsureLoaded();

  bool IsLoaded() const { return loaded_; }
  int GetEditedId() const { return editedId_; }
  const std::vector<CustomFieldDefinition>& GetDefinitions() const { return definitions_; }
  wxListCtrl* GetList() const { return list_; }
  wxPropertyGrid* GetPreview() const { return preview_; }
  wxStaticText* GetStatusLine() const { return status_; }

  // A saved definition edited, or a new one with a name, that "Zapisz" has not stored.
  bool HasUnsavedChanges() const override;
  bool SaveChanges() override;

 private:
  void BuildControls(const wxString& title);
  void EnableEditor(bool enable);
  void LoadDefinitions();
  void ShowDefinition(const CustomFieldDefinition& definition);
  void ShowDefinitionOf(int id);
  // Selects the row of that definition in the list; none for another id.
  void SelectRowOf(int id);
  // Selects and shows the definition just saved; a new one is found by its key.
  void ShowSaved(const CustomFieldDefinition& definition);
  void SuggestKey();
  CustomFieldDefinition ReadForm() const;
  wxString SelectedTypeCode() const;
  void SelectType(const wxString& code);
  void UpdateOptionsField();
  void RebuildPreview();
  void SetStatus(const wxString& text);
  // The list's columns share its width by what their texts need.
  void FitListColumns();

  void OnDefinitionSelected(wxListEvent& event);
  void OnNameOrGroupChanged(wxCommandEvent& event);
  void OnKeyChanged(wxCommandEvent& event);
  void OnTypeChanged(wxCommandEvent& event);
  void OnPreviewInputChanged(wxCommandEvent& event);
  // A user's edit: "Zapisz" is lit and the preview rebuilt.
  void FormChanged();
  void OnNewField(wxCommandEvent& event);
  void OnSave(wxCommandEvent& event);
  void OnDeactivate(wxCommandEvent& event);
  void PrepareNewField();

  wxString objectType_;
  bool articleTable_;
  wxString valueTable_;
  std::unique_ptr<SQLData> database_;
  std::unique_ptr<CustomFieldStore> store_;
  // A definition list that cannot be read is reported, not shown as no fields.
  veldrix::FailureNotice readFailures_;

  wxListCtrl* list_ = nullptr;
  wxTextCtrl* group_ = nullptr;
  wxTextCtrl* name_ = nullptr;
  wxTextCtrl* key_ = nullptr;
  wxStaticText* column_ = nullptr;
  wxChoice* type_ = nullptr;
  wxTextCtrl* order_ = nullptr;
  wxTextCtrl* options_ = nullptr;
  wxCheckBox* required_ = nullptr;
  wxCheckBox* visible_ = nullptr;
  wxCheckBox* active_ = nullptr;
  wxButton* newButton_ = nullptr;
  wxButton* saveButton_ = nullptr;
  wxButton* deleteButton_ = nullptr;
  wxStaticText* status_ = nullptr;
  wxPropertyGrid* preview_ = nullptr;

  std::vector<CustomFieldDefinition> definitions_;
  // The saved definition in the editor as loaded, and as the editor showed it then:
  // the save writes what the user changed since over what is stored by then.
  CustomFieldDefinition loadedDefinition_;
  CustomFieldDefinition shownDefinition_;
  int editedId_ = 0;
  // The definition chosen in the list, to be shown once the edit in progress is
  // settled; 0 for none.
  int moveId_ = 0;
  // Set while the program fills the editor or moves the list's selection: those
  // events are not the user's.
  bool muted_ = false;
  bool selecting_ = false;
  bool loaded_ = false;
};
