// The PluginManager members that show modules to the user: toolbar tools with the
// double-click rule, module tabs, and the module entries of the settings tree. They
// live beside the page classes they build (see plugin_manager.h).
#include "app/common/i18n.h"
#include "pluginmanager/plugin_manager.h"
#include "plugins/module_pages.h"
#include "plugins/plugin_lazy_settings_panel.h"
#include "plugins/plugin_modules_panel.h"

#include <wx/artprov.h>
#include <wx/aui/auibar.h>
#include <wx/aui/auibook.h>
#include <wx/bookctrl.h>
#include <wx/imaglist.h>
#include <wx/time.h>
#include <wx/treebook.h>

namespace veldrix {
namespace {

// Clicks on one module's tool at most this far apart open a second tab.
constexpr std::int64_t kRepeatedClickMilliseconds = 1000;

// The business areas whose tools and tabs the main window's openers serve.
const char* HostPageOf(const wxString& id) {
  if (id == "faktury") return "faktury.dokumenty";
  if (id == "artykuly") return "artykuly.lista";
  if (id == "kontrahenci") return "kontrahenci.lista";
  if (id == "kpir") return "kpir.lista";
  if (id == "jpk_vat") return "jpk_vat.lista";
  return nullptr;
}

wxString DisplayName(const PluginModule& module) {
  return module.Name().empty() ? _("Moduł") : module.Name();
}

// Adds a picture to the book's image list; the list's index, or -1.
int AddBookImage(wxBookCtrlBase* book, const wxBitmap& bitmap) {
  wxImageList* images = book->GetImageList();
  if (!images || !bitmap.IsOk()) return -1;
  return images->Add(bitmap);
}

// Clears the "page being opened" mark when the opening ends, however it ends.
class OpeningMark {
 public:
  OpeningMark(wxString& mark, const wxString& id) : mark_(mark) { mark_ = id; }
  ~OpeningMark() { mark_.clear(); }
  OpeningMark(const OpeningMark&) = delete;
  OpeningMark& operator=(const OpeningMark&) = delete;

 private:
  wxString& mark_;
};

}  // namespace

void PluginManager::AddModuleTools() {
  if (!toolbar_) return;
  bool invoiceSeparator = false;
  bool ledgerSeparator = false;
  for (std::size_t i = 0; i < modules_.size(); ++i) {
    PluginModule& module = modules_[i];
    const wxString id = module.Id();
    if (!module.IsActive() || !module.info.toolMarker || !module.info.toolMarker2 || !IsModuleAllowed(i)) continue;
    if (!module.hasMainPage && !HostPageOf(id)) continue;
    module.toolId = wxWindow::NewControlId();
    wxString label = ModuleText(module.info.toolLabel);
    if (label.empty()) label = module.Name();
    if (id == "faktury" && !invoiceSeparator) {
      toolbar_->AddSeparator();
      invoiceSeparator = true;
    }
    if (id == "kpir" && !ledgerSeparator) {
      toolbar_->AddSeparator();
      ledgerSeparator = true;
    }
    toolbar_->AddTool(module.toolId, label, GetModuleBitmap(i, wxSize(52, 52)), wxNullBitmap, wxITEM_NORMAL, label,
                      label, nullptr);
    toolbar_->Bind(wxEVT_MENU, &PluginManager::OnModuleTool, this, module.toolId);
  }
  toolbar_->Realize();
}

void PluginManager::OnModuleTool(wxCommandEvent& event) {
  std::size_t index = 0;
  while (index < modules_.size() && (modules_[index].toolId == wxID_NONE || modules_[index].toolId != event.GetId())) {
    ++index;
  }
  if (index == modules_.size()) return;
  const wxString id = modules_[index].Id();
  const std::int64_t now = wxGetUTCTimeMillis().GetValue();
  bool alwaysNew = false;
  if (lastToolModule_.IsSameAs(id, false) && lastToolClick_ > 0 && now >= lastToolClick_ &&
      now - lastToolClick_ <= kRepeatedClickMilliseconds) {
    // The pair is used up: a third click only selects again.
    lastToolModule_.clear();
    lastToolClick_ = 0;
    alwaysNew = true;
  } else {
    lastToolModule_ = id;
    lastToolClick_ = now;
  }
  OpenModulePage(index, alwaysNew);
}

void PluginManager::OpenModulePage(std::size_t index, bool alwaysNew) {
  if (index >= modules_.size() || !notebook_ || !modules_[index].IsActive()) return;
  if (!alwaysNew && SelectModulePage(index)) return;
  const PluginModule& module = modules_[index];
  const wxString id = module.Id();
  // A request that arrives while this module's page is being built is dropped.
  if (openingModule_.IsSameAs(id, false)) return;
  OpeningMark opening(openingModule_, id);

  if (!module.entry.createPage) {
    if (const char* hostPage = HostPageOf(id)) {
      OpenHostPage(hostPage, wxString());
      return;
    }
    if (!module.hasMainPage) return;
  }
  const bool froze = !notebook_->IsFrozen();
  if (froze) notebook_->Freeze();
  wxWindow* page = nullptr;
  if (module.entry.createPage) {
    page = CreateModulePage(id, notebook_, id + ".lista", wxString(), nullptr);
    if (page) page->SetLabel(ModulePageLabel(id));
  } else {
    page = BuildModuleMainPage(notebook_, module);
    if (page) {
      page->SetLabel("plugin:" + id);
      TrackModulePage(page, index);
    }
  }
  if (page) {
    page->Hide();
    notebook_->AddPage(page, DisplayName(module), false);
    const int tab = notebook_->GetPageIndex(page);
    if (tab != wxNOT_FOUND) notebook_->SetSelection(static_cast<size_t>(tab));
    page->SetFocus();
    notebook_->Layout();
  }
  if (froze) notebook_->Thaw();
}

bool PluginManager::SelectModulePage(std::size_t index) {
  if (index >= modules_.size() || !notebook_) return false;
  const wxString label = ModulePageLabel(modules_[index].Id());
  for (size_t i = 0; i < notebook_->GetPageCount(); ++i) {
    wxWindow* page = notebook_->GetPage(i);
    if (!page || !page->GetLabel().IsSameAs(label, false)) continue;
    if (notebook_->GetSelection() != static_cast<int>(i)) notebook_->SetSelection(i);
    page->SetFocus();
    return true;
  }
  return false;
}

bool PluginManager::OpenModulePageById(const wxString& id) {
  const wxString key = ModulePermissionKey(id.Lower());
  if (!key.empty() && !HasPermission(key)) return false;
  for (std::size_t i = 0; i < modules_.size(); ++i) {
    if (!modules_[i].Id().IsSameAs(id, false)) continue;
    if (!modules_[i].IsActive()) return false;
    OpenModulePage(i, false);
    return true;
  }
  return false;
}

void PluginManager::AddSettingsPages(wxBookCtrlBase* tree, wxWindow* ledgerDictionaries, int imageIndex) {
  if (!tree) return;
  if (HasPermission("permissions.manage")) {
    auto* modules = new PluginModulesPanel(tree, this);
    TrackModulePage(modules, kNoModule);
    tree->AddPage(modules, _("Moduły"), false);
    const int image = AddBookImage(tree, wxArtProvider::GetBitmap(wxART_LIST_VIEW, wxART_OTHER, wxSize(16, 16)));
    if (image >= 0) tree->SetPageImage(static_cast<size_t>(tree->FindPage(modules)), image);
  }
  bool ledgerPlaced = false;
  for (std::size_t i = 0; i < modules_.size(); ++i) {
    const PluginModule& module = modules_[i];
    if (!module.IsActive() || !IsModuleAllowed(i) || !module.info.settingsMarker) continue;
    if (!module.hasSettingsForm && !module.hasXrcSettings) continue;
    wxString label = ModuleText(module.info.settingsTitle);
    if (label.empty()) label = module.Name();
    auto* page = new PluginLazySettingsPanel(tree, label, MakeModuleSettingsPage(module));
    TrackModulePage(page, i);
    tree->AddPage(page, label, false);
    const int image = AddBookImage(tree, GetModuleBitmap(i, wxSize(16, 16)));
    if (image >= 0) tree->SetPageImage(static_cast<size_t>(tree->FindPage(page)), image);

    if (ledgerDictionaries && !ledgerPlaced && module.Id().IsSameAs("kpir", false)) {
      ledgerPlaced = true;
      if (auto* treebook = dynamic_cast<wxTreebook*>(tree)) {
        treebook->AddSubPage(ledgerDictionaries, _("Słowniki"), false, imageIndex);
      } else {
        tree->AddPage(ledgerDictionaries, _("Słowniki"), false);
        if (imageIndex >= 0) {
          tree->SetPageImage(static_cast<size_t>(tree->FindPage(ledgerDictionaries)), imageIndex);
        }
      }
    }
  }
}

}  // namespace veldrix
