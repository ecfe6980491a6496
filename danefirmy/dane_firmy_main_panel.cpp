#include "danefirmy/dane_firmy_main_panel.h"

#include "app/common/i18n.h"
#include "app/common/images.h"
#include "app/common/message_box.h"
#include "danefirmy/company_application.h"
#include "danefirmy/dane_firmy.h"

#include <wx/aui/auibar.h>
#include <wx/button.h>
#include <wx/menu.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/srchctrl.h>
#include <wx/wupdlock.h>

#include <algorithm>

const wxWindowID DaneFirmyMainPanel::kRefreshToolId = wxWindow::NewControlId();
const wxWindowID DaneFirmyMainPanel::kCloseToolId = wxWindow::NewControlId();
const wxWindowID DaneFirmyMainPanel::kChooseToolId = wxWindow::NewControlId();
const wxWindowID DaneFirmyMainPanel::kNewToolId = wxWindow::NewControlId();
const wxWindowID DaneFirmyMainPanel::kDeleteToolId = wxWindow::NewControlId();
const wxWindowID DaneFirmyMainPanel::kSearchByNameId = wxWindow::NewControlId();
const wxWindowID DaneFirmyMainPanel::kSearchByNipId = wxWindow::NewControlId();
const wxWindowID DaneFirmyMainPanel::kSearchByCityId = wxWindow::NewControlId();

namespace {

const wxSize kToolSize(36, 36);

}  // namespace

DaneFirmyMainPanel::DaneFirmyMainPanel(wxWindow* parent, ICompanyApplication* app)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(765, 1000), wxTAB_TRAVERSAL, "wxID_ANY"), app_(app) {
  SetLabel("danefirmy");
  auto* mainSizer = new wxBoxSizer(wxVERTICAL);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  auto* leftSizer = new wxBoxSizer(wxHORIZONTAL);
  auto* rightSizer = new wxBoxSizer(wxHORIZONTAL);

  rightToolBar_ = new wxAuiToolBar(this, wxID_ANY, wxPoint(0, 0), wxSize(900, 50), wxAUI_TB_HORZ_LAYOUT);
  rightToolBar_->SetToolBitmapSize(kToolSize);
  refreshItem_ = rightToolBar_->AddTool(kRefreshToolId, _("Odśwież"),
                                        veldrix::LoadToolbarBitmap("odswiez.png", wxART_REDO, kToolSize));
  closeItem_ = rightToolBar_->AddTool(kCloseToolId, _("Zamknij"),
                                      veldrix::LoadToolbarBitmap("zamknij.png", wxART_CLOSE, kToolSize));

  leftToolBar_ = new wxAuiToolBar(this, wxID_ANY, wxDefaultPosition, wxSize(900, 50),
                                  wxAUI_TB_TEXT | wxAUI_TB_HORZ_LAYOUT);
  leftToolBar_->SetToolBitmapSize(kToolSize);
  chooseItem_ = leftToolBar_->AddTool(kChooseToolId, "Wybierz",
                                      veldrix::LoadToolbarBitmap("wybierz.png", wxART_TICK_MARK, kToolSize));
  newItem_ = leftToolBar_->AddTool(kNewToolId, "Nowy", veldrix::LoadToolbarBitmap("dodaj.png", wxART_NEW, kToolSize));
  deleteItem_ = leftToolBar_->AddTool(kDeleteToolId, wxString::FromUTF8("Usuń"),
                                      veldrix::LoadToolbarBitmap("usun.png", wxART_DELETE, kToolSize));
  leftToolBar_->AddSeparator();
  search_ = new wxSearchCtrl(leftToolBar_, wxWindow::NewControlId(), wxString(), wxDefaultPosition, wxSize(220, -1),
                             wxTE_PROCESS_ENTER, wxDefaultValidator, "ID_FIND");
  search_->ShowCancelButton(true);
  search_->SetDescriptiveText(_("Szukaj firmy"));
  columnMenu_ = CreateSearchColumnMenu();
  search_->SetMenu(columnMenu_);
  leftToolBar_->AddControl(search_, _("Wyszukaj"));

  leftSizer->Add(leftToolBar_, 1, wxEXPAND);
  rightSizer->Add(rightToolBar_, 1, wxEXPAND);
  row->Add(leftSizer, 1, wxALIGN_CENTER_VERTICAL);
  row->Add(rightSizer, 0, wxALIGN_CENTER_VERTICAL);
  mainSizer->Add(row, 0, wxEXPAND);

  scrolled_ = new wxScrolledWindow(this, wxWindow::NewControlId(), wxDefaultPosition, wxDefaultSize,
                                   wxHSCROLL | wxVSCROLL, "ID_SCROLLEDWINDOW1");
  splitter_ = new wxSplitterWindow(scrolled_, wxWindow::NewControlId(), wxDefaultPosition, wxDefaultSize, wxSP_3D,
                                   "ID_SPLITTERWINDOW1");
  splitter_->SetMinSize(wxSize(200, 200));
  splitter_->SetMinimumPaneSize(200);
  splitter_->SetSashGravity(0.0);
  splitter_->SetMinSize(wxSize(890, 600));
  mainSizer->Add(scrolled_, 1, wxEXPAND);
  SetSizer(mainSizer);
  Layout();

  Bind(wxEVT_MENU, &DaneFirmyMainPanel::OnRefresh, this, kRefreshToolId);
  Bind(wxEVT_MENU, &DaneFirmyMainPanel::OnClose, this, kCloseToolId);
  Bind(wxEVT_MENU, &DaneFirmyMainPanel::OnChooseCompany, this, kChooseToolId);
  Bind(wxEVT_MENU, &DaneFirmyMainPanel::OnNew, this, kNewToolId);
  Bind(wxEVT_MENU, &DaneFirmyMainPanel::OnDelete, this, kDeleteToolId);
  search_->Bind(wxEVT_TEXT_ENTER, &DaneFirmyMainPanel::OnSearch, this);
  search_->Bind(wxEVT_SEARCH, &DaneFirmyMainPanel::OnSearch, this);
  search_->Bind(wxEVT_SEARCH_CANCEL, &DaneFirmyMainPanel::OnSearchCancel, this);
  // The column menu's commands go to the search control, not through the tab.
  search_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnSearchColumn(SearchByName); }, kSearchByNameId);
  search_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnSearchColumn(SearchByNip); }, kSearchByNipId);
  search_->Bind(wxEVT_MENU, [this](wxCommandEvent&) { OnSearchColumn(SearchByCity); }, kSearchByCityId);
  scrolled_->Bind(wxEVT_SIZE, &DaneFirmyMainPanel::OnScrolledWindowSize, this);

  leftToolBar_->Realize();
  rightToolBar_->Realize();
  searchColumn_ = SearchByName;
  EnableSaveButton(false);
  EnableCancelButton(false);
  EnableDeleteTool(false);
}

DaneFirmyMainPanel::~DaneFirmyMainPanel() = default;

DaneFirmyMainPanel* DaneFirmyMainPanel::CreateWithEditor(wxWindow* parent, ICompanyApplication* app) {
  auto* tab = new DaneFirmyMainPanel(parent, app);
  auto* editor = new DaneFirmy(tab->GetSplitter(), wxID_ANY, wxDefaultPosition, wxDefaultSize, tab);
  tab->GetSplitter()->Initialize(editor);
  tab->GetSplitter()->SetSashGravity(1.0);
  tab->SetEditor(editor);
  return tab;
}

wxMenu* DaneFirmyMainPanel::CreateSearchColumnMenu() {
  auto* menu = new wxMenu();
  menu->Append(kSearchByNameId, _("Nazwa"));
  menu->Append(kSearchByNipId, _("NIP"));
  menu->Append(kSearchByCityId, _("Miejscowość"));
  return menu;
}

bool DaneFirmyMainPanel::ConfirmSaveChanges() { return Settle(true, wxString()); }

bool DaneFirmyMainPanel::ConfirmClose(const wxString& caption) { return Settle(false, caption); }

bool DaneFirmyMainPanel::Settle(bool dropOnNo, const wxString& caption) {
  if (!HasUnsavedChanges()) return true;
  // The question's event loop may deliver a move that asks again (a second close
  // of the tab): that move waits for the first answer's outcome by not going on.
  wxRecursionGuard asking(asking_);
  if (asking.IsInside()) return false;
  // Dropped once, whatever the move then shows: a search may keep the record.
  const auto drop = [this] { editor_->LoadRecord(editor_->GetRecordId()); };
  return veldrix::SettleUnsavedChanges(*this, nullptr, dropOnNo ? std::function<void()>(drop) : nullptr, caption);
}

bool DaneFirmyMainPanel::HasUnsavedChanges() const { return editor_ && editor_->IsModified(); }

bool DaneFirmyMainPanel::SaveChanges() {
  const bool saved = editor_->SaveRecord();
  if (saved) SearchAgain();
  return saved;
}

void DaneFirmyMainPanel::EnableNamedButton(const wxString& name, bool enable) {
  if (auto* button = dynamic_cast<wxButton*>(wxWindow::FindWindowByName(name, this))) button->Enable(enable);
}

void DaneFirmyMainPanel::EnableSaveButton(bool enable) { EnableNamedButton("ID_COMPANY_SAVE", enable); }

void DaneFirmyMainPanel::EnableCancelButton(bool enable) { EnableNamedButton("ID_COMPANY_CANCEL", enable); }

void DaneFirmyMainPanel::EnableDeleteTool(bool enable) {
  leftToolBar_->EnableTool(kDeleteToolId, enable);
  leftToolBar_->Refresh();
}

void DaneFirmyMainPanel::EnableChooseTool(bool enable) {
  leftToolBar_->EnableTool(kChooseToolId, enable);
  leftToolBar_->Refresh();
}

void DaneFirmyMainPanel::SearchAgain() {
  searchedText_ = search_->GetValue();
  if (editor_) editor_->SearchRecords(searchColumn_, searchedText_);
}

void DaneFirmyMainPanel::OnSave() {
  if (!editor_) return;
  if (!editor_->SaveRecord()) return;
  editor_->RecordSaved(editor_->GetRecordId());
  SearchAgain();
}

void DaneFirmyMainPanel::OnCancel() {
  if (!editor_ || !editor_->IsModified()) return;
  if (veldrix::ShowMessageBox(_("Anulować zmiany?"), _("Pytanie"), wxYES_NO | wxICON_QUESTION, nullptr) != wxYES) {
    return;
  }
  editor_->LoadRecord(editor_->GetRecordId());
}

void DaneFirmyMainPanel::OnRefresh(wxCommandEvent&) {
  if (ConfirmSaveChanges()) SearchAgain();
}

void DaneFirmyMainPanel::OnClose(wxCommandEvent& event) {
  if (app_) app_->RequestTabClose();
  event.Skip();
}

void DaneFirmyMainPanel::OnChooseCompany(wxCommandEvent& event) {
  event.Skip();
  if (!editor_ || !app_) return;
  const wxString id = editor_->GetRecordId();
  // A new, unsaved company has no id to work with.
  if (id == "0") return;
  // Another company is switched to as the application menu does, after the
  // questions of every tab that closes for it: nothing changes on "Anuluj".
  if (id != app_->GetWorkingCompanyId()) {
    app_->SwitchWorkingCompany(id);
    return;
  }
  app_->SetWorkingCompanyId(id);
  wxString error;
  // The company is worked with all the same; the user learns it is not remembered.
  if (!StoreWorkingCompany(app_->GetConfig(), id, &error)) {
    veldrix::ShowMessageBox(error, _("Dane firmy"), wxOK | wxICON_ERROR, this);
  }
  app_->RequestTabClose();
}

void DaneFirmyMainPanel::OnNew(wxCommandEvent&) {
  if (editor_ && ConfirmSaveChanges()) editor_->NewRecord();
}

// Unsaved changes are settled before the delete question, as before every move,
// but "Nie zapisuj" drops nothing yet: a delete called off keeps the edit, and one
// that goes ahead shows the next company in its place.
void DaneFirmyMainPanel::OnDelete(wxCommandEvent&) {
  if (editor_ && Settle(false, wxString())) editor_->DeleteRecord();
}

// A search shows the found company again from the database, so unsaved changes
// are settled first, as before a refresh.
void DaneFirmyMainPanel::OnSearch(wxCommandEvent&) {
  if (ConfirmSaveChanges()) SearchAgain();
}

void DaneFirmyMainPanel::OnSearchCancel(wxCommandEvent&) {
  if (!ConfirmSaveChanges()) {
    // The box shows what the list is searched with again, once the control has
    // emptied itself after this event.
    CallAfter([this] { search_->ChangeValue(searchedText_); });
    return;
  }
  search_->ChangeValue(wxString());
  SearchAgain();
}

void DaneFirmyMainPanel::OnSearchColumn(int column) {
  searchColumn_ = column;
  if (!search_->GetValue().empty() && ConfirmSaveChanges()) SearchAgain();
}

void DaneFirmyMainPanel::OnScrolledWindowSize(wxSizeEvent&) {
  wxWindowUpdateLocker selfLock(this);
  wxWindowUpdateLocker splitterLock(splitter_);
  const wxSize best = scrolled_->GetBestVirtualSize();
  const wxSize minimal = splitter_->GetEffectiveMinSize();
  const int width = std::max(best.x, minimal.x);
  const int height = std::max(best.y, minimal.y);
  splitter_->SetSize(0, 0, width, height);
  scrolled_->SetScrollbars(10, 10, width / 10, height / 10, 0, 0, true);
}
