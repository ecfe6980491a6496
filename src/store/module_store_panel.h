// The module store tab: the catalogue of the store service as a list of module
// cards with a filter and a search, and the install, update and removal of
// modules, all prepared in the modules folder for the next start. The main window
// builds it with its module host and the program's version text.
#pragma once

#include "store/store_catalogue.h"

#include <wx/panel.h>

#include <vector>

class wxBoxSizer;
class wxButton;
class wxChoice;
class wxCommandEvent;
class wxScrolledWindow;
class wxSearchCtrl;
class wxStaticText;

namespace veldrix {

class PluginManager;

class ModuleStorePanel : public wxPanel {
 public:
  // The host is not owned and may be null (then nothing counts as installed and
  // no change can be prepared).
  ModuleStorePanel(wxWindow* parent, PluginManager* plugins, const wxString& programVersion);
  ~ModuleStorePanel() override;

  // Fetches the catalogue and rebuilds the cards; a failure keeps the old cards
  // and, with showErrors, is also shown in a message box.
  void RefreshCatalogue(bool showErrors);
  // Rebuilds the cards from the entries, the search text and the filter.
  void ApplyFilter();
  void AddModuleCard(std::size_t index);
  // Downloads, checks and stages the entry's package (an install or an update).
  void InstallModule(std::size_t index);
  // Asks, then writes the removal marker of the entry's module.
  void UninstallModule(std::size_t index);
  // The installed module's version, "0" when it reported none; empty when the
  // module is not installed.
  wxString GetInstalledModuleVersion(const wxString& code) const;

  const std::vector<StoreModuleEntry>& GetEntries() const { return entries_; }
  const wxString& GetBaseUrl() const { return baseUrl_; }
  wxScrolledWindow* GetCardList() const { return cardList_; }
  wxSearchCtrl* GetSearchControl() const { return search_; }
  wxChoice* GetFilterChoice() const { return filter_; }
  wxStaticText* GetStatusText() const { return status_; }

 private:
  void OnRefresh(wxCommandEvent& event);
  void OnFilterChanged(wxCommandEvent& event);
  void OnPrimaryAction(std::size_t index);
  // The card's "Szczegóły" button, which only an allowed address gets.
  void OpenDetailsPage(std::size_t index);
  wxString ModulesFolder() const;
  void AddEmptyState();

  PluginManager* plugins_;
  wxString baseUrl_;
  wxString programVersion_;
  std::vector<StoreModuleEntry> entries_;
  wxSearchCtrl* search_ = nullptr;
  wxChoice* filter_ = nullptr;
  wxButton* refresh_ = nullptr;
  wxScrolledWindow* cardList_ = nullptr;
  wxBoxSizer* cardSizer_ = nullptr;
  wxStaticText* status_ = nullptr;
};

}  // namespace veldrix
