// The windows of the module host: the pages it tracks and takes down before the
// modules shut down, the area permissions, the pages modules create, the main
// window's openers by page key and the closing of a module's tab.
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/tab_closing.h"
#include "pluginmanager/host_application.h"
#include "pluginmanager/module_calls.h"
#include "pluginmanager/plugin_manager.h"

#include <wx/aui/auibook.h>
#include <wx/bookctrl.h>
#include <wx/treebook.h>
#include <wx/window.h>

#include <algorithm>
#include <string>

namespace veldrix {
namespace {

// Whether `target` is `root` or lies below it. Only compares pointers: `target` may
// be a window that no longer exists.
bool HoldsWindow(const wxWindow* root, const wxWindow* target) {
  if (root == target) return true;
  for (const wxWindow* child : root->GetChildren()) {
    if (HoldsWindow(child, target)) return true;
  }
  return false;
}

// Takes a page out of the book it is a page of, so the book keeps no pointer to it.
// A tree book would delete the entry's sub-pages with it; those are not the host's
// (the ledger dictionaries below "kpir"), so they are taken out first and kept.
void DetachFromBook(wxWindow* page) {
  auto* book = dynamic_cast<wxBookCtrlBase*>(page->GetParent());
  if (!book) return;
  const int index = book->FindPage(page);
  if (index == wxNOT_FOUND) return;
  if (auto* tree = dynamic_cast<wxTreebook*>(book)) {
    auto below = [tree, index](int pos) {
      for (int up = tree->GetPageParent(pos); up != wxNOT_FOUND; up = tree->GetPageParent(up)) {
        if (up == index) return true;
      }
      return false;
    };
    for (;;) {
      int last = wxNOT_FOUND;
      for (int pos = index + 1; pos < static_cast<int>(tree->GetPageCount()) && below(pos); ++pos) last = pos;
      if (last == wxNOT_FOUND) break;
      wxWindow* sub = tree->GetPage(static_cast<size_t>(last));
      tree->RemovePage(static_cast<size_t>(last));
      if (sub) sub->Hide();
    }
  }
  book->RemovePage(static_cast<size_t>(index));
}

}  // namespace

IModuleHostWindow* PluginManager::HostWindow() const { return dynamic_cast<IModuleHostWindow*>(mainWindow_); }

bool PluginManager::HasPermission(const wxString& key) const {
  IModuleHostWindow* window = HostWindow();
  return window && window->HasPermission(key);
}

void PluginManager::DestroyPages() {
  while (!pages_.empty()) {
    wxWindow* page = pages_.back().page;
    pages_.pop_back();
    if (!page) continue;
    page->Unbind(wxEVT_DESTROY, &PluginManager::OnPageDestroyed, this);
    DetachFromBook(page);
    delete page;
  }
}

void PluginManager::TrackModulePage(wxWindow* page, std::size_t moduleIndex) {
  if (!page) return;
  pages_.push_back({page, moduleIndex});
  page->Bind(wxEVT_DESTROY, &PluginManager::OnPageDestroyed, this);
}

void PluginManager::OnPageDestroyed(wxWindowDestroyEvent& event) {
  event.Skip();
  // Children of a page send their own destroy events up to it; only the page counts.
  if (event.GetEventObject() != event.GetWindow() || event.GetWindow() == nullptr) return;
  wxWindow* page = event.GetWindow();
  pages_.erase(std::remove_if(pages_.begin(), pages_.end(),
                              [page](const PluginPageEntry& entry) { return entry.page == page; }),
               pages_.end());
}

wxString PluginManager::ModulePermissionKey(const wxString& lowerCaseId) {
  static const char* const kAreas[] = {"artykuly", "kontrahenci", "faktury", "ksef", "kpir", "jpk_vat"};
  for (const char* area : kAreas) {
    if (lowerCaseId == area) return lowerCaseId + ".view";
  }
  return wxString();
}

wxString PluginManager::ModulePageLabel(const wxString& moduleId) {
  if (moduleId == "faktury") return "dokhan";
  if (moduleId == "artykuly" || moduleId == "kontrahenci" || moduleId == "kpir" || moduleId == "jpk_vat") {
    return moduleId;
  }
  return "plugin:" + moduleId;
}

bool PluginManager::IsModuleAllowed(std::size_t index) const {
  if (index >= modules_.size()) return false;
  const wxString key = ModulePermissionKey(modules_[index].Id().Lower());
  return key.empty() || HasPermission(key);
}

wxWindow* PluginManager::CreateModulePage(const wxString& moduleId, wxWindow* parent, const wxString& pageKey,
                                          const wxString& argument, const PluginPageContext* context) {
  if (!parent) return nullptr;
  std::size_t index = 0;
  while (index < modules_.size() && !modules_[index].Id().IsSameAs(moduleId, false)) ++index;
  if (index == modules_.size()) return nullptr;
  PluginModule& module = modules_[index];
  if (!module.IsActive() || !module.entry.createPage || !IsModuleAllowed(index)) return nullptr;

  const std::wstring key = pageKey.ToStdWstring();
  const std::wstring text = argument.ToStdWstring();
  wxWindow* page = nullptr;
  wxString message;
  if (!GuardModuleCall(module.LogName(), "VeldrixPluginCreatePage", &message, [&] {
        page = module.entry.createPage(parent, key.c_str(), text.c_str(), const_cast<PluginPageContext*>(context));
      })) {
    MarkFailed(module, message);
    return nullptr;
  }
  if (page) TrackModulePage(page, index);
  return page;
}

bool PluginManager::OpenHostPage(const wxString& pageKey, const wxString& argument) {
  IModuleHostWindow* window = HostWindow();
  if (!window) return false;
  if (pageKey == "faktury.dokumenty") {
    window->OpenInvoiceListPage();
  } else if (pageKey == "faktury.nowa-faktura") {
    const wxString whole = argument.empty() ? wxString("0") : argument;
    wxString first = whole;
    wxString second = "0";
    const int bar = whole.Find('|');
    if (bar != wxNOT_FOUND) {
      first = whole.Left(static_cast<size_t>(bar));
      second = whole.Mid(static_cast<size_t>(bar) + 1);
    }
    if (first.empty()) first = "0";
    if (second.empty()) second = "0";
    window->OpenNewInvoicePage(first, second);
  } else if (pageKey == "artykuly.lista") {
    window->OpenArticlesPage();
  } else if (pageKey == "kontrahenci.lista") {
    window->OpenContractorsPage();
  } else if (pageKey == "kpir.lista") {
    window->OpenKpirPage();
  } else if (pageKey == "jpk_vat.lista") {
    window->OpenJpkVatPage();
  } else {
    return false;
  }
  return true;
}

bool PluginManager::CanClosePage(wxWindow* window, bool* isModulePage) {
  if (isModulePage) *isModulePage = false;
  auto entry = std::find_if(pages_.begin(), pages_.end(),
                            [window](const PluginPageEntry& page) { return page.page == window; });
  if (!window || entry == pages_.end()) return true;
  if (isModulePage) *isModulePage = true;
  if (entry->moduleIndex < modules_.size()) {
    PluginModule& module = modules_[entry->moduleIndex];
    if (module.entry.canClosePage && !module.failed) {
      int answer = 1;
      wxString message;
      // A module that throws here cannot keep its tab open.
      if (!GuardModuleCall(module.LogName(), "VeldrixPluginCanClosePage", &message,
                           [&] { answer = module.entry.canClosePage(window); })) {
        MarkFailed(module, message);
        return true;
      }
      return answer != 0;
    }
  }
  auto* working = dynamic_cast<IModuleActionPage*>(window);
  if (working && working->IsActionRunning()) {
    ShowMessageBox(_("Najpierw zatrzymaj lub poczekaj na zakończenie bieżącej operacji."), _("Operacja w toku"),
                   wxOK | wxICON_INFORMATION, window);
    return false;
  }
  return true;
}

wxWindow* PluginManager::FindTabHolding(const wxWindow* page) const {
  if (!notebook_ || !page) return nullptr;
  for (size_t i = 0; i < notebook_->GetPageCount(); ++i) {
    wxWindow* tab = notebook_->GetPage(i);
    if (tab && HoldsWindow(tab, page)) return tab;
  }
  return nullptr;
}

void PluginManager::RequestPageClose(wxWindow* page) {
  // The page asked for itself: the tab that holds it goes, never another one
  // that happens to be selected; a page no tab holds (gone already) closes nothing.
  if (wxWindow* tab = FindTabHolding(page)) RequestTabClose(tab);
}

}  // namespace veldrix
