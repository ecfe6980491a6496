// The module host: finds the module libraries in the "Moduly" folder, checks and
// starts them in dependency order with the host service table, keeps their state
// and enable flags, tells them about new companies and shuts them down. The main
// window creates one after every login and deletes it at logout.
#pragma once

#include "pluginmanager/plugin_module.h"
#include "pluginmanager/veldrix_plugin_api.h"

#include <wx/bitmap.h>
#include <wx/event.h>
#include <wx/string.h>

#include <cstdint>
#include <vector>

class wxAuiNotebook;
class wxAuiToolBar;
class wxWindow;

namespace veldrix {

struct PluginPageEntry {
  wxWindow* page = nullptr;
  std::size_t moduleIndex = 0;
};

class PluginManager : public wxEvtHandler {
 public:
  // None of the windows is owned; the toolbar may be null.
  PluginManager(wxWindow* mainWindow, wxAuiNotebook* notebook, wxAuiToolBar* toolbar);
  ~PluginManager() override;
  PluginManager(const PluginManager&) = delete;
  PluginManager& operator=(const PluginManager&) = delete;

  // ProgramFolder()/Moduly, without a trailing separator; neither created nor checked.
  static wxString GetModulesDirectory();

  // Applies the staged store changes, loads every "*.so" of every subfolder of the
  // modules folder (both sorted by name), starts the modules and orders them by
  // ModuleSortRank.
  void LoadModules();
  // One library into a new record appended to the list, failed or not.
  void LoadModule(const wxString& folder, const wxString& libraryPath);
  // The first record whose id equals `id` ignoring case; null when none.
  PluginModule* FindModule(const wxString& id);
  const PluginModule* FindModule(const wxString& id) const;
  bool ResolveDependencies(const PluginModule& module, wxString* message) const;
  // Start passes until no module starts; may be called again after enabling.
  void InitializeModules();
  void ReadModuleSchemas(PluginModule& module);

  void SetModuleEnabled(std::size_t index, bool enabled);
  static void WriteModuleEnabledFlag(const wxString& id, bool enabled);

  // Tells every active module about a new company; false when the id is not above
  // 0 or any module refused, with one line per refusing module in `error`.
  bool NotifyCompanyCreated(int companyId, wxString* error);

  std::size_t GetModuleCount() const { return modules_.size(); }
  // Records in display order (after LoadModules: by sort rank).
  const PluginModule& GetModule(std::size_t index) const { return modules_.at(index); }
  wxString GetModuleStateText(std::size_t index) const;
  wxString GetModuleId(std::size_t index) const;
  // The module image at `size` (module data, its GetImage export, a file in its
  // folder, else the stock picture); wxNullBitmap when the index is out of range.
  wxBitmap GetModuleBitmap(std::size_t index, const wxSize& size) const;
  bool IsModuleActive(const wxString& id) const;

  // Windows a module created through this host; each is destroyed before the
  // modules shut down and drops out of the list when destroyed elsewhere.
  void TrackModulePage(wxWindow* page, std::size_t moduleIndex);
  const std::vector<PluginPageEntry>& GetPages() const { return pages_; }

  const HostApi& GetHostApi() const { return host_; }
  wxWindow* GetMainWindow() const { return mainWindow_; }
  wxAuiNotebook* GetNotebook() const { return notebook_; }

  // Display rank of a module id (lower case compared): 10 artykuly .. 60 jpk_vat, 1000 others.
  static int ModuleSortRank(const wxString& id);

 private:
  void ShutdownModules();
  void DestroyPages();
  void OnPageDestroyed(wxWindowDestroyEvent& event);

  wxWindow* mainWindow_;
  wxAuiNotebook* notebook_;
  wxAuiToolBar* toolbar_;
  HostApi host_{};
  std::vector<PluginModule> modules_;
  std::vector<PluginPageEntry> pages_;
  wxString openingModule_;
  wxString lastToolModule_;
  std::int64_t lastToolClick_ = 0;
};

// Fills the table handed to every module: version 11, the manager as context, its
// windows and the fourteen host callbacks.
void FillHostApi(HostApi& host, PluginManager* manager);

}  // namespace veldrix
