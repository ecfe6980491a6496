// The module host: finds the module libraries in the "Moduly" folder, checks and
// starts them in dependency order with the host service table, keeps their state
// and enable flags, puts their tools, tabs and settings pages in front of the user
// behind the area permissions, tells them about new companies and shuts them down.
// The main window creates one after every login and deletes it at logout.
//
// The members that build module pages (tools, tabs, settings entries) are defined
// with the page classes in src/plugins (veldrix_plugins), which links this library;
// whoever calls them links that one.
#pragma once

#include "pluginmanager/plugin_module.h"
#include "pluginmanager/veldrix_plugin_api.h"

#include <wx/bitmap.h>
#include <wx/event.h>
#include <wx/string.h>

#include <cstdint>
#include <limits>
#include <vector>

class wxAuiNotebook;
class wxAuiToolBar;
class wxBookCtrlBase;
class wxWindow;

namespace veldrix {

class IModuleHostWindow;

// A window the host created for a module, or that a module created through it.
struct PluginPageEntry {
  wxWindow* page = nullptr;
  std::size_t moduleIndex = 0;  // kNoModule for host pages of no module ("Moduły")
};

constexpr std::size_t kNoModule = std::numeric_limits<std::size_t>::max();

// A page that runs background module actions; the host refuses to close its tab
// while one runs (unless the module decides through VeldrixPluginCanClosePage).
class IModuleActionPage {
 public:
  virtual ~IModuleActionPage() = default;
  virtual bool IsActionRunning() const = 0;
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

  // Stores the module's flag (and those it drags along) in the configuration and
  // applies it; false, with the reason for the user, when there is no such module or
  // the file did not take it. Switched on, its tool lights only while the main
  // window's tools are on.
  bool SetModuleEnabled(std::size_t index, bool enabled, wxString* error = nullptr);

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
  // False for the toolbar tool of a module that is not active (switched off,
  // failed): it stays greyed when the main window turns its tools on.
  bool IsToolUsable(int toolId) const;

  // Windows a module created through this host; each is removed from its book and
  // destroyed before the modules shut down, and drops out of the list when
  // destroyed elsewhere.
  void TrackModulePage(wxWindow* page, std::size_t moduleIndex);
  const std::vector<PluginPageEntry>& GetPages() const { return pages_; }

  // The module's area permission (an empty key allows). The id is looked up in
  // lower case, so "Faktury" needs "faktury.view" like "faktury" does.
  bool IsModuleAllowed(std::size_t index) const;
  // The main window's permission test; false without a main window that has one.
  bool HasPermission(const wxString& key) const;

  // The tab window a module page of `moduleId` gets: "faktury" -> "dokhan", the other
  // business areas their id, any other module "plugin:" + id.
  static wxString ModulePageLabel(const wxString& moduleId);
  // The permission key of an area (lower-case id); empty for modules of no area.
  static wxString ModulePermissionKey(const wxString& lowerCaseId);

  // The page the module builds for `pageKey`, remembered as that module's; null
  // when the module is not active, has no page function, its area is not allowed,
  // it gives none or throws. Where the page goes is the caller's business.
  wxWindow* CreateModulePage(const wxString& moduleId, wxWindow* parent, const wxString& pageKey,
                             const wxString& argument, const PluginPageContext* context);
  // The main window's openers by host page key; false for an unknown key or
  // without a main window that has them.
  bool OpenHostPage(const wxString& pageKey, const wxString& argument);
  // Whether the tab may close now; *isModulePage tells whether a module's.
  bool CanClosePage(wxWindow* window, bool* isModulePage);
  // Closes (deferred, by the main window's closing rules) the tab that holds
  // `page`. The pointer is only compared with live windows: it may be stale.
  void RequestPageClose(wxWindow* page);

  // Tools, tabs and settings entries (defined in src/plugins).
  void AddModuleTools();
  void OnModuleTool(wxCommandEvent& event);
  void OpenModulePage(std::size_t index, bool alwaysNew);
  bool SelectModulePage(std::size_t index);
  bool OpenModulePageById(const wxString& id);
  // Adds the "Moduły" page (with "permissions.manage") and one deferred settings
  // page per allowed active module that has settings; the ledger dictionaries page,
  // when given, goes below the "kpir" entry. Nothing when the tree is null.
  void AddSettingsPages(wxBookCtrlBase* tree, wxWindow* ledgerDictionaries, int imageIndex);

  // A module that let an exception out: no longer active, with `message` as state.
  void MarkModuleFailed(const wxString& id, const wxString& message);

  // The table every module of this host receives; it outlives the host.
  const HostApi& GetHostApi() const { return *host_; }
  wxWindow* GetMainWindow() const { return mainWindow_; }
  wxAuiNotebook* GetNotebook() const { return notebook_; }
  wxAuiToolBar* GetToolbar() const { return toolbar_; }

  // Display rank of a module id (lower case compared): 10 artykuly .. 60 jpk_vat, 1000 others.
  static int ModuleSortRank(const wxString& id);

 private:
  IModuleHostWindow* HostWindow() const;
  void ShutdownModules();
  void DestroyPages();
  void OnPageDestroyed(wxWindowDestroyEvent& event);
  void PublishActiveModules();
  void MarkFailed(PluginModule& module, const wxString& message);
  wxWindow* FindTabHolding(const wxWindow* page) const;
  wxWindow* BuildMainPage(std::size_t index);

  wxWindow* mainWindow_;
  wxAuiNotebook* notebook_;
  wxAuiToolBar* toolbar_;
  HostApi* host_;  // never freed: see host_session.h
  std::vector<PluginModule> modules_;
  std::vector<PluginPageEntry> pages_;
  wxString openingModule_;
  wxString lastToolModule_;
  std::int64_t lastToolClick_ = 0;
};

}  // namespace veldrix
