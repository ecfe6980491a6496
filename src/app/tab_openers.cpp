// The main window's tabs: the permission test, the openers of the company,
// settings and module tabs, closing tabs by their rules, the deferred close
// (event 6001) and the window's close handler.
#include "app/application_state.h"
#include "app/aui_notebook_custom.h"
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/tab_closing.h"
#include "app/dashboard_panel.h"
#include "app/veldrix_frame.h"
#include "auth/auth_service.h"
#include "auth/user_permission.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "pluginmanager/plugin_manager.h"
#include "settings/ustawienia_panel.h"
#include "store/module_store_panel.h"

#include <wx/aui/aui.h>
#include <wx/dialog.h>
#include <wx/splitter.h>
#include <wx/wupdlock.h>

namespace {

struct ModulePageOpener {
  const char* permission;
  const char* denial;
  const char* module;
  const char* pageKey;
  const char* label;
  const char* caption;
  const char* missing;
  const char* missingCaption;
};

const ModulePageOpener kInvoiceList{"faktury.view", "Brak uprawnień do faktur i dokumentów handlowych.", "faktury",
                                    "faktury.lista", "dokhan", "Dok. handlowe",
                                    "Moduł Faktury wymaga aktualizacji lub jest niedostępny.", "Faktury"};
const ModulePageOpener kContractors{"kontrahenci.view", "Brak uprawnień do kontrahentów.", "kontrahenci",
                                    "kontrahenci.lista", "kontrahenci", "Kontrahenci",
                                    "Moduł Kontrahenci wymaga aktualizacji lub jest niedostępny.", "Kontrahenci"};
const ModulePageOpener kArticles{"artykuly.view", "Brak uprawnień do artykułów.", "artykuly", "artykuly.lista",
                                 "artykuly", "Artykuły", "Moduł Artykuły wymaga aktualizacji lub jest niedostępny.",
                                 "Artykuły"};
const ModulePageOpener kKpir{"kpir.view", "Brak uprawnień do KPiR.", "kpir", "kpir.lista", "kpir", "KPiR",
                             "Moduł KPiR wymaga aktualizacji lub jest niedostępny.", "KPiR"};
const ModulePageOpener kJpkVat{"jpk_vat.view", "Brak uprawnień do JPK_VAT.", "jpk_vat", "jpk_vat.lista", "jpk_vat",
                               "JPK_VAT", "Moduł JPK_VAT wymaga aktualizacji lub jest niedostępny.", "JPK_VAT"};

}  // namespace

bool VeldrixFrame::HasPermission(const wxString& key) const { return UserHasPermission(authService_, key); }

void VeldrixFrame::OpenCompanyDataPage() {
  if (!HasPermission("firma.manage")) {
    veldrix::ShowMessageBox(_("Brak uprawnieńia do danych firmy."), _("Brak uprawnień"), wxOK | wxICON_EXCLAMATION,
                            this);
    return;
  }
  // A second editor of the same company would write back its stale form over the
  // first one's save.
  if (SelectOpenPage("danefirmy")) return;
  notebook_->Freeze();
  DaneFirmyMainPanel* tab = DaneFirmyMainPanel::CreateWithEditor(notebook_, this);
  tab->GetSplitter()->Unsplit();
  notebook_->AddPage(tab, _("Dane firmy"), false);
  const int index = notebook_->GetPageIndex(tab);
  if (index != wxNOT_FOUND) notebook_->SetSelection(index);
  tab->SetFocus();
  notebook_->Thaw();
}

void VeldrixFrame::OpenSettingsPage() {
  if (!HasPermission("settings.view")) {
    veldrix::ShowMessageBox(_("Brak uprawnień do ustawień programu."), _("Brak uprawnień"),
                            wxOK | wxICON_EXCLAMATION, this);
    return;
  }
  // The dictionaries and custom fields, like a company, have one editor.
  if (SelectOpenPage(_("Ustawienia"))) return;
  notebook_->Freeze();
  auto* panel = new UstawieniaPanel(notebook_, this);
  notebook_->AddPage(panel, _("Ustawienia"), false);
  const int index = notebook_->GetPageIndex(panel);
  if (index != wxNOT_FOUND) notebook_->SetSelection(index);
  panel->SetFocus();
  notebook_->Thaw();
}

bool VeldrixFrame::SelectOpenPage(const wxString& label) {
  for (size_t i = 0; i < notebook_->GetPageCount(); ++i) {
    wxWindow* page = notebook_->GetPage(i);
    if (page && page->GetLabel() == label) {
      notebook_->SetSelection(i);
      page->SetFocus();
      return true;
    }
  }
  return false;
}

// One opener of a module's list or editor page.
bool VeldrixFrame::OpenModulePage(const wxString& permission, const wxString& denial, const wxString& module,
                                  const wxString& pageKey, const wxString& argument, const wxString& label,
                                  const wxString& caption, const wxString& missing, const wxString& missingCaption) {
  if (!HasPermission(permission)) {
    veldrix::ShowMessageBox(denial, _("Brak uprawnień"), wxOK | wxICON_EXCLAMATION, this);
    return false;
  }
  wxWindow* page = CreateModulePage(module, pageKey, argument);
  if (!page) {
    veldrix::ShowMessageBox(missing, missingCaption, wxOK | wxICON_INFORMATION, this);
    return false;
  }
  const bool froze = !notebook_->IsFrozen();
  if (froze) notebook_->Freeze();
  page->SetLabel(label);
  notebook_->AddPage(page, caption, false);
  const int index = notebook_->GetPageIndex(page);
  if (index != wxNOT_FOUND) notebook_->SetSelection(index);
  page->SetFocus();
  if (froze) notebook_->Thaw();
  return true;
}

wxWindow* VeldrixFrame::CreateModulePage(const wxString& module, const wxString& pageKey, const wxString& argument) {
  return pluginManager_ ? pluginManager_->CreateModulePage(module, notebook_, pageKey, argument, nullptr) : nullptr;
}

namespace {

template <typename Frame>
bool Open(Frame* frame, const ModulePageOpener& o, const wxString& argument = wxString()) {
  return frame->OpenModulePage(o.permission, _(o.denial), o.module, o.pageKey, argument, o.label, _(o.caption),
                               _(o.missing), _(o.missingCaption));
}

}  // namespace

void VeldrixFrame::OpenInvoiceListPage() { Open(this, kInvoiceList); }
void VeldrixFrame::OpenContractorsPage() { Open(this, kContractors); }
void VeldrixFrame::OpenArticlesPage() { Open(this, kArticles); }
void VeldrixFrame::OpenKpirPage() { Open(this, kKpir); }
void VeldrixFrame::OpenJpkVatPage() { Open(this, kJpkVat); }

void VeldrixFrame::OnModuleStoreTool(wxCommandEvent&) { OpenModuleStorePage(); }

void VeldrixFrame::OpenModuleStorePage() {
  if (!notebook_ || !pluginManager_) return;
  if (moduleStorePage_ && notebook_->GetPageIndex(moduleStorePage_) == wxNOT_FOUND) moduleStorePage_ = nullptr;
  if (!moduleStorePage_) {
    for (size_t i = 0; i < notebook_->GetPageCount() && !moduleStorePage_; ++i) {
      if (dynamic_cast<veldrix::ModuleStorePanel*>(notebook_->GetPage(i))) moduleStorePage_ = notebook_->GetPage(i);
    }
  }
  if (moduleStorePage_) {
    notebook_->SetSelection(notebook_->GetPageIndex(moduleStorePage_));
  } else {
    auto* store = new veldrix::ModuleStorePanel(notebook_, pluginManager_, versionText_);
    moduleStorePage_ = store;
    notebook_->AddPage(store, _("Sklep modułów"), true);
  }
  auto* store = dynamic_cast<veldrix::ModuleStorePanel*>(moduleStorePage_.get());
  if (store && store->GetEntries().empty()) store->RefreshCatalogue(true);
}

void VeldrixFrame::OpenNewInvoicePage(wxString documentId, wxString extra) {
  wxString argument = documentId.empty() ? wxString("0") : documentId;
  if (!extra.empty()) argument += "|" + extra;
  const bool existing = !documentId.empty() && documentId != "0";
  OpenModulePage("faktury.view", _("Brak uprawnieńia do faktur."), "faktury", "faktury.nowa-faktura", argument,
                 "dokhanedycja", existing ? _("Faktura") : _("Nowa faktura"),
                 _("Moduł Faktury wymaga aktualizacji lub jest niedostępny."), _("Faktury"));
}

bool VeldrixFrame::ClosePage(int index) {
  if (!notebook_) return false;
  if (index < 0) index = notebook_->GetSelection();
  if (index < 0 || index >= static_cast<int>(notebook_->GetPageCount())) return false;
  wxWeakRef<wxWindow> page = notebook_->GetPage(index);
  const wxWeakRef<wxWindow> shown = notebook_->GetCurrentPage();
  if (!page || !PagesAgreeToClose({page})) return false;
  // The questions ran an event loop: the page is looked up again, or is gone.
  if (!page) return false;
  // The page was selected for its question; closing another tab than the one
  // shown leaves that one shown.
  if (shown && shown != page && notebook_->GetPageIndex(shown) != wxNOT_FOUND) {
    notebook_->SetSelection(notebook_->GetPageIndex(shown));
  }
  return RemoveTab(page);
}

bool VeldrixFrame::PagesAgreeToClose(const std::vector<wxWindow*>& pages) {
  for (wxWindow* page : pages) {
    if (closingPages_.count(page)) return false;
  }
  closingPages_.insert(pages.begin(), pages.end());
  const std::vector<wxWeakRef<wxWindow>> asked(pages.begin(), pages.end());
  bool agreed = true;
  for (const wxWeakRef<wxWindow>& page : asked) {
    // A page closed meanwhile by other means asks nothing.
    if (page && !PageAgreesToClose(page)) {
      agreed = false;
      break;
    }
  }
  for (wxWindow* page : pages) closingPages_.erase(page);
  return agreed;
}

// Whatever a page asks (unsaved changes, a running operation, a module's own
// question) is asked before the notebook is frozen: a frozen tab is drawn blank
// behind the question. It is asked over that page, selected first, as the
// program's close asks one tab after another.
bool VeldrixFrame::PageAgreesToClose(wxWindow* page) {
  if (page == moduleStorePage_) return true;
  const wxString label = page->GetLabel();
  if (label == "dashboard") return false;
  const int index = notebook_->GetPageIndex(page);
  if (index != wxNOT_FOUND && index != notebook_->GetSelection()) notebook_->SetSelection(index);
  const wxString title = index != wxNOT_FOUND ? notebook_->GetPageText(index) : wxString();
  if (label == "danefirmy") {
    auto* companies = dynamic_cast<DaneFirmyMainPanel*>(page);
    return !companies || companies->ConfirmClose(title);
  }
  if (label == _("Ustawienia")) {
    auto* settings = dynamic_cast<UstawieniaPanel*>(page);
    return !settings || settings->ConfirmClose(title);
  }
  if (label == "dokhanpodglad" || label == "kpirpodglad") return true;
  bool isModulePage = false;
  return CanCloseModulePage(page, &isModulePage) && isModulePage;
}

bool VeldrixFrame::RemoveTab(wxWindow* page) {
  const int index = notebook_->GetPageIndex(page);
  if (index == wxNOT_FOUND) return false;
  if (page == moduleStorePage_) moduleStorePage_ = nullptr;
  const wxString label = page->GetLabel();
  wxWindowUpdateLocker frozen(notebook_);
  const bool deleted = notebook_->DeletePage(index);
  if (deleted && label == "dokhanedycja") {
    for (size_t i = 0; i < notebook_->GetPageCount(); ++i) {
      if (notebook_->GetPage(i)->GetLabel() == "dokhan") {
        notebook_->SetSelection(i);
        notebook_->GetPage(i)->SetFocus();
        break;
      }
    }
  }
  return deleted;
}

bool VeldrixFrame::CanCloseModulePage(wxWindow* page, bool* isModulePage) const {
  *isModulePage = false;
  return pluginManager_ && pluginManager_->CanClosePage(page, isModulePage);
}

wxThreadError VeldrixFrame::StartTabClosing() { return veldrix::StartTabClosingThread(this, PageOf(FindFocus())); }


wxWindow* VeldrixFrame::PageOf(wxWindow* window) const {
  for (wxWindow* w = window; w; w = w->GetParent()) {
    if (w->GetParent() == notebook_ && notebook_->GetPageIndex(w) != wxNOT_FOUND) return w;
  }
  return nullptr;
}

void VeldrixFrame::OnTabClosingEvent(wxThreadEvent& event) {
  if (!notebook_) return;
  wxWindow* page = veldrix::TabClosingPage(event);
  if (!page) {
    ClosePage(-1);
    return;
  }
  // The page that asked may already be gone; then there is nothing to close.
  const int index = notebook_->GetPageIndex(page);
  if (index != wxNOT_FOUND) ClosePage(index);
}

void VeldrixFrame::UpdateCloseButton() {
  if (!notebook_ || !startPage_) return;
  const long style = notebook_->GetWindowStyleFlag();
  const bool onStart = notebook_->GetCurrentPage() == startPage_;
  const long wanted = onStart ? (style & ~wxAUI_NB_CLOSE_ON_ACTIVE_TAB) : (style | wxAUI_NB_CLOSE_ON_ACTIVE_TAB);
  if (wanted != style) {
    notebook_->SetWindowStyleFlag(wanted);
    notebook_->Refresh();
  }
}

void VeldrixFrame::OnNotebookPageClose(wxAuiNotebookEvent& event) {
  event.Veto();
  ClosePage(event.GetSelection());
}

void VeldrixFrame::OnNotebookPageChanged(wxAuiNotebookEvent& event) {
  UpdateCloseButton();
  if (startPage_ && notebook_->GetCurrentPage() == startPage_) startPage_->RefreshDashboard();
  event.Skip();
}

bool VeldrixFrame::EndModalDialogs() {
  bool any = false;
  for (wxWindow* window : wxTopLevelWindows) {
    auto* dialog = dynamic_cast<wxDialog*>(window);
    if (dialog && dialog->IsModal()) {
      dialog->EndModal(wxID_CANCEL);
      any = true;
    }
  }
  return any;
}

void VeldrixFrame::CloseAfterModalDialogs() {
  // A dialog shown since (the login after a logout) is ended by this close in turn.
  if (!closeAfterModal_) return;
  closeAfterModal_ = false;
  // A close the user could have called off asks the tabs again.
  const bool force = forceAfterModal_;
  forceAfterModal_ = false;
  Close(force);
}

void VeldrixFrame::OnClose(wxCloseEvent& event) {
  // A close that comes while a tab's closing question waits (a second click on the
  // window's close button) would end the question unanswered: it is ignored, and
  // the close that asked goes on with the user's answer. One that cannot be refused
  // (the session ending) ends the question below, as it ends any dialog.
  if (!closingPages_.empty() && event.CanVeto()) {
    event.Veto();
    return;
  }
  if (loginRunning_) {
    // The database is being prepared in a nested loop: the user's close waits.
    if (event.CanVeto() && preparingDatabase_) {
      event.Veto();
      return;
    }
    // The login sequence is on the stack: its dialogs end, and it closes the window
    // when it returns (RunLoginFlow).
    closeAfterLogin_ = true;
    EndModalDialogs();
    return;
  }
  // A modal dialog's loop is on the stack together with the dialog, often a local
  // of the code that showed it: the window must not be deleted under them. The
  // dialogs end (a native message box waits for its answer) and the close comes
  // again once the last has returned.
  if (OpenModalDialogs() > 0) {
    forceAfterModal_ = forceAfterModal_ || !event.CanVeto();
    closeAfterModal_ = true;
    EndModalDialogs();
    if (event.CanVeto()) event.Veto();
    return;
  }
  // The company tab asks about unsaved changes; a refusal keeps the window open.
  if (event.CanVeto() && !CloseAllPagesButDashboard()) {
    event.Veto();
    return;
  }
  veldrix::SetTabClosingTarget(nullptr);
  if (auiManager_) {
    auiManager_->UnInit();
    delete auiManager_;
    auiManager_ = nullptr;
  }
  Destroy();
}
