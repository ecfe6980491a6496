// DaneFirmyMainPanel: the "Dane firmy" tab of the main notebook. Its tool bars
// choose the working company, start a new company, delete and search; it hosts
// one company editor and forwards every record action to it, adding the save
// prompts and the search state.
#pragma once

#include "app/common/unsaved_changes.h"

#include <wx/panel.h>
#include <wx/recguard.h>

class CustomNotebookPanel;
class ICompanyApplication;
class wxAuiToolBar;
class wxAuiToolBarItem;
class wxMenu;
class wxScrolledWindow;
class wxSearchCtrl;
class wxSizeEvent;
class wxSplitterWindow;

class DaneFirmyMainPanel : public wxPanel, public veldrix::IUnsavedChangesPage {
 public:
  // parent: the main notebook; app: the application the tab works for.
  DaneFirmyMainPanel(wxWindow* parent, ICompanyApplication* app);
  ~DaneFirmyMainPanel() override;

  // Builds the tab with its company editor in the splitter, as the main window's
  // opener does before it adds the tab to the notebook.
  static DaneFirmyMainPanel* CreateWithEditor(wxWindow* parent, ICompanyApplication* app);

  wxSplitterWindow* GetSplitter() const { return splitter_; }
  void SetEditor(CustomNotebookPanel* editor) { editor_ = editor; }
  CustomNotebookPanel* GetEditor() const { return editor_; }
  ICompanyApplication* Application() const { return app_; }
  wxSearchCtrl* GetSearchCtrl() const { return search_; }
  wxAuiToolBar* GetLeftToolBar() const { return leftToolBar_; }
  int GetSearchColumn() const { return searchColumn_; }

  // Tool ids, for the main window and for tests that press the tools.
  static const wxWindowID kRefreshToolId;
  static const wxWindowID kCloseToolId;
  static const wxWindowID kChooseToolId;
  static const wxWindowID kNewToolId;
  static const wxWindowID kDeleteToolId;
  static const wxWindowID kSearchByNameId;
  static const wxWindowID kSearchByNipId;
  static const wxWindowID kSearchByCityId;

  // Asks "Czy zapisać zmiany?" when the editor holds changes; false keeps the
  // caller from going on (Cancel, a save that failed, or the question already
  // showing). "Nie" drops the changes: the form shows the stored record again.
  bool ConfirmSaveChanges();
  // Asked before the tab closes, under `caption`: the same question, but "Nie"
  // leaves the form as typed, since the close may still be called off (the
  // program's close asks the other tabs next).
  bool ConfirmClose(const wxString& caption);
  bool HasUnsavedChanges() const override;
  // Saves the editor's record and searches again, as "Zapisz" does.
  bool SaveChanges() override;
  void EnableSaveButton(bool enable);
  void EnableCancelButton(bool enable);
  void EnableDeleteTool(bool enable);
  // "Wybierz" works on a stored company only.
  void EnableChooseTool(bool enable);
  void OnSave();
  void OnCancel();

 private:
  wxMenu* CreateSearchColumnMenu();
  bool Settle(bool dropOnNo, const wxString& caption);
  void SearchAgain();
  void EnableNamedButton(const wxString& name, bool enable);

  void OnRefresh(wxCommandEvent& event);
  void OnClose(wxCommandEvent& event);
  void OnChooseCompany(wxCommandEvent& event);
  void OnNew(wxCommandEvent& event);
  void OnDelete(wxCommandEvent& event);
  void OnSearch(wxCommandEvent& event);
  void OnSearchCancel(wxCommandEvent& event);
  void OnSearchColumn(int column);
  void OnScrolledWindowSize(wxSizeEvent& event);

  wxSplitterWindow* splitter_ = nullptr;
  wxScrolledWindow* scrolled_ = nullptr;
  CustomNotebookPanel* editor_ = nullptr;
  ICompanyApplication* app_;
  int searchColumn_ = 0;
  wxAuiToolBar* rightToolBar_ = nullptr;
  wxAuiToolBarItem* refreshItem_ = nullptr;
  wxAuiToolBarItem* closeItem_ = nullptr;
  wxAuiToolBar* leftToolBar_ = nullptr;
  wxAuiToolBarItem* chooseItem_ = nullptr;
  wxAuiToolBarItem* newItem_ = nullptr;
  wxAuiToolBarItem* deleteItem_ = nullptr;
  wxSearchCtrl* search_ = nullptr;
  wxMenu* columnMenu_ = nullptr;
  // The text the list was last searched with.
  wxString searchedText_;
  wxRecursionGuardFlag asking_ = 0;
};
