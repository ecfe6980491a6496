#include "pluginmanager/plugin_manager.h"

#include "app/common/config_access.h"
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "pluginmanager/host_application.h"
#include "pluginmanager/host_session.h"
#include "pluginmanager/module_calls.h"
#include "pluginmanager/module_files.h"
#include "pluginmanager/module_settings_store.h"
#include "pluginmanager/module_staging.h"
#include "pluginmanager/pending_module_changes.h"

#include <wx/artprov.h>
#include <wx/aui/auibar.h>
#include <wx/aui/auibook.h>
#include <wx/config.h>
#include <wx/dir.h>
#include <wx/dynlib.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>
#include <wx/window.h>

#include <algorithm>
#include <string>

namespace veldrix {
namespace {

// A module asking for more dependencies than this is broken; the host must not
// allocate whatever a module claims.
constexpr unsigned kMaxDependencies = 256;
// Upper bound on the entries read from one schema array the module owns.
constexpr unsigned kMaxSchemaEntries = 4096;

wxString DisplayName(const PluginModule& module) {
  const wxString name = module.Name();
  return name.empty() ? _("Moduł") : name;
}

// A call into the module of `module`; an exception leaves its text as the record's
// message and false.
template <typename Call>
bool Guarded(PluginModule& module, const char* entry, Call&& call) {
  wxString message;
  if (GuardModuleCall(module.LogName(), entry, &message, std::forward<Call>(call))) return true;
  module.message = message;
  return false;
}

template <typename Fn>
Fn ResolveOptional(wxDynamicLibrary& library, const char* name) {
  wxLogNull quiet;
  bool found = false;
  void* symbol = library.GetSymbol(name, &found);
  return found ? reinterpret_cast<Fn>(symbol) : nullptr;
}

PluginTextPairs CopyPairs(const PluginValuePair* pairs, unsigned count) {
  PluginTextPairs kept;
  if (!pairs) return kept;
  count = std::min(count, kMaxSchemaEntries);
  for (unsigned i = 0; i < count; ++i) {
    const wxString first = ModuleText(pairs[i].first);
    const wxString second = ModuleText(pairs[i].second);
    if (!first.empty() && !second.empty()) kept.emplace_back(first, second);
  }
  return kept;
}

wxBitmap ScaledBitmap(wxImage image, const wxSize& size) {
  if (!image.IsOk()) return wxNullBitmap;
  if (!image.HasAlpha() && !image.HasMask()) {
    image.SetMaskColour(image.GetRed(0, 0), image.GetGreen(0, 0), image.GetBlue(0, 0));
  }
  if (image.GetSize() != size) image.Rescale(size.GetWidth(), size.GetHeight(), wxIMAGE_QUALITY_HIGH);
  return wxBitmap(image);
}

wxBitmap BitmapFromData(const void* data, std::size_t size, const wxSize& target) {
  wxLogNull quiet;
  wxMemoryInputStream stream(data, size);
  wxImage image(stream, wxBITMAP_TYPE_ANY);
  if (!image.IsOk()) return wxNullBitmap;
  if (image.GetSize() != target) image.Rescale(target.GetWidth(), target.GetHeight(), wxIMAGE_QUALITY_HIGH);
  return wxBitmap(image);
}

}  // namespace

PluginManager::PluginManager(wxWindow* mainWindow, wxAuiNotebook* notebook, wxAuiToolBar* toolbar)
    : mainWindow_(mainWindow), notebook_(notebook), toolbar_(toolbar), host_(OpenHostSession(this)) {
  host_->mainWindow = mainWindow;
  host_->notebook = notebook;
}

PluginManager::~PluginManager() {
  // The tool handlers are bound with this object as their sink: wxWidgets drops
  // them when it is destroyed.
  if (toolbar_) {
    toolbar_->ClearTools();
    toolbar_->Realize();
  }
  // Pages first: their workers are joined and no page calls a module after it
  // shut down. Callbacks that arrive later find no host.
  DestroyPages();
  ShutdownModules();
  CloseHostSession(host_);
}

wxString PluginManager::GetModulesDirectory() { return JoinPath(ProgramFolder(), "Moduly"); }

void PluginManager::ShutdownModules() {
  for (PluginModule& module : modules_) {
    if (module.initialized && module.entry.shutdown) {
      Guarded(module, "VeldrixPluginShutdown", [&] { module.entry.shutdown(); });
    }
    module.initialized = false;
  }
  modules_.clear();
  PublishActiveModules();
}

void PluginManager::PublishActiveModules() {
  // As FindModule answers: the first record of an id decides.
  std::vector<wxString> seen;
  std::vector<wxString> active;
  for (const PluginModule& module : modules_) {
    const wxString id = module.Id().Lower();
    if (std::find(seen.begin(), seen.end(), id) != seen.end()) continue;
    seen.push_back(id);
    if (module.IsActive()) active.push_back(id);
  }
  veldrix::PublishActiveModules(host_, std::move(active));
}

bool PluginManager::IsToolUsable(int toolId) const {
  for (const PluginModule& module : modules_) {
    if (module.toolId != wxID_NONE && module.toolId == toolId) return module.IsActive();
  }
  return true;
}

void PluginManager::MarkFailed(PluginModule& module, const wxString& message) {
  module.failed = true;
  module.message = message;
  if (toolbar_ && module.toolId != wxID_NONE) {
    toolbar_->EnableTool(module.toolId, false);
    toolbar_->Refresh();
  }
  PublishActiveModules();
}

void PluginManager::MarkModuleFailed(const wxString& id, const wxString& message) {
  if (PluginModule* module = FindModule(id)) {
    if (module->initialized) MarkFailed(*module, message);
  }
}

void PluginManager::LoadModules() {
  // Modules of an earlier load are stopped before their records go.
  ShutdownModules();
  pages_.clear();

  const wxString root = GetModulesDirectory();
  wxString report;
  wxString postponed;
  if (!ApplyPendingModuleChanges(root, &report, &postponed) && !report.empty()) {
    const wxString message = wxString::Format(_("Aktualizacje modułów: %s"), report);
    wxLogWarning("%s", message);
    // The user asked for these changes in the store and would not learn otherwise.
    ShowMessageBox(message, wxString(), wxOK | wxICON_WARNING, mainWindow_);
  }
  // Only a logout and login since the update was staged: the store said a restart
  // is needed, so no box at every login.
  if (!postponed.empty()) wxLogMessage("%s", wxString::Format(_("Aktualizacje modułów: %s"), postponed));

  if (!wxDirExists(root)) return;
  for (const wxString& sub : SortedFolderEntries(root, wxDIR_DIRS, wxString())) {
    const wxString folder = JoinPath(root, sub);
    for (const wxString& file : SortedFolderEntries(folder, wxDIR_FILES, "*.so")) {
      LoadModule(folder, JoinPath(folder, file));
    }
  }

  InitializeModules();

  std::stable_sort(modules_.begin(), modules_.end(), [](const PluginModule& a, const PluginModule& b) {
    return ModuleSortRank(a.Id()) < ModuleSortRank(b.Id());
  });
}

void PluginManager::LoadModule(const wxString& folder, const wxString& libraryPath) {
  PluginModule module;
  module.folder = folder;
  module.libraryPath = libraryPath;
  module.library.reset(new wxDynamicLibrary());

  auto keep = [this, &module]() { modules_.push_back(std::move(module)); };

  if (!module.library->Load(libraryPath, wxDL_NOW | wxDL_VERBATIM)) {
    module.message = _("Nie udało się załadować biblioteki modułu.");
    return keep();
  }
  wxDynamicLibrary& library = *module.library;
  auto* getApiVersion = reinterpret_cast<VeldrixPluginGetApiVersionFn>(
      library.HasSymbol("VeldrixPluginGetApiVersion") ? library.GetSymbol("VeldrixPluginGetApiVersion") : nullptr);
  auto* getInfo = reinterpret_cast<VeldrixPluginGetInfoFn>(
      library.HasSymbol("VeldrixPluginGetInfo") ? library.GetSymbol("VeldrixPluginGetInfo") : nullptr);
  if (!getApiVersion || !getInfo) {
    if (!getApiVersion) wxLogError("Module library %s does not export VeldrixPluginGetApiVersion", libraryPath);
    if (!getInfo) wxLogError("Module library %s does not export VeldrixPluginGetInfo", libraryPath);
    module.message = _("Brak wymaganych funkcji eksportowanych.");
    return keep();
  }
  int version = 0;
  if (!Guarded(module, "VeldrixPluginGetApiVersion", [&] { version = getApiVersion(); })) return keep();
  if (version != VELDRIX_PLUGIN_API_VERSION) {
    module.message = _("Niezgodna wersja API modułu.");
    return keep();
  }
  module.info = PluginInfo{};
  int described = 0;
  if (!Guarded(module, "VeldrixPluginGetInfo", [&] { described = getInfo(&module.info); })) {
    module.info = PluginInfo{};
    return keep();
  }
  if (described == 0 || !module.info.id || !module.info.name) {
    module.message = _("Niepoprawne informacje modułu.");
    return keep();
  }
  // Every look-up by id finds the first record: a second copy of a module (a
  // copied folder) started beside it would share its settings while its tool
  // and pages reached the first one.
  for (const PluginModule& earlier : modules_) {
    if (earlier.loaded && earlier.Id().IsSameAs(module.Id(), false)) {
      module.message = wxString::Format(_("Moduł o tym identyfikatorze jest już załadowany z folderu %s."),
                                        earlier.folder);
      return keep();
    }
  }

  PluginEntryPoints& e = module.entry;
  e.initialize = ResolveOptional<VeldrixPluginInitializeFn>(library, "VeldrixPluginInitialize");
  e.getDependencies = ResolveOptional<VeldrixPluginGetDependenciesFn>(library, "VeldrixPluginGetDependencies");
  e.shutdown = ResolveOptional<VeldrixPluginShutdownFn>(library, "VeldrixPluginShutdown");
  e.getSettingsSchema = ResolveOptional<VeldrixPluginGetSettingsSchemaFn>(library, "VeldrixPluginGetSettingsSchema");
  e.getMainPageSchema = ResolveOptional<VeldrixPluginGetMainPageSchemaFn>(library, "VeldrixPluginGetMainPageSchema");
  e.getMainRows = ResolveOptional<VeldrixPluginGetMainRowsFn>(library, "VeldrixPluginGetMainRows");
  e.runAction = ResolveOptional<VeldrixPluginRunActionFn>(library, "VeldrixPluginRunAction");
  e.getImage = ResolveOptional<VeldrixPluginGetImageFn>(library, "VeldrixPluginGetImage");
  e.getSettingsXrcSchema =
      ResolveOptional<VeldrixPluginGetSettingsXrcSchemaFn>(library, "VeldrixPluginGetSettingsXrcSchema");
  e.getSettingsXrcValues =
      ResolveOptional<VeldrixPluginGetSettingsXrcValuesFn>(library, "VeldrixPluginGetSettingsXrcValues");
  e.getMainXrcPageSchema =
      ResolveOptional<VeldrixPluginGetMainXrcPageSchemaFn>(library, "VeldrixPluginGetMainXrcPageSchema");
  e.getMainXrcValues = ResolveOptional<VeldrixPluginGetMainXrcValuesFn>(library, "VeldrixPluginGetMainXrcValues");
  e.getRowsForControl = ResolveOptional<VeldrixPluginGetRowsForControlFn>(library, "VeldrixPluginGetRowsForControl");
  e.getColumnsForControl =
      ResolveOptional<VeldrixPluginGetColumnsForControlFn>(library, "VeldrixPluginGetColumnsForControl");
  e.onCompanyCreated = ResolveOptional<VeldrixPluginOnCompanyCreatedFn>(library, "VeldrixPluginOnCompanyCreated");
  e.createPage = ResolveOptional<VeldrixPluginCreatePageFn>(library, "VeldrixPluginCreatePage");
  e.canClosePage = ResolveOptional<VeldrixPluginCanClosePageFn>(library, "VeldrixPluginCanClosePage");
  module.loaded = true;

  const wxString id = module.Id();
  {
    veldrix::ConfigAccess config;
    if (config && !id.empty()) {
      config->SetPath("/Plugins/" + id);
      module.enabled = config->ReadBool("Enabled", true);
      config->SetPath("/");
    }
  }

  if (e.getDependencies) {
    const bool answered = Guarded(module, "VeldrixPluginGetDependencies", [&] {
      const unsigned wanted = std::min(e.getDependencies(nullptr, 0), kMaxDependencies);
      if (wanted == 0) return;
      std::vector<const wchar_t*> ids(wanted, nullptr);
      const unsigned filled = std::min(e.getDependencies(ids.data(), wanted), wanted);
      for (unsigned i = 0; i < filled; ++i) {
        if (ids[i] && ids[i][0] != L'\0') module.dependencyIds.push_back(wxString(ids[i]).Lower());
      }
    });
    if (!answered) {
      module.loaded = false;
      module.dependencyIds.clear();
    }
  }
  keep();
}

PluginModule* PluginManager::FindModule(const wxString& id) {
  for (PluginModule& module : modules_) {
    if (module.Id().IsSameAs(id, false)) return &module;
  }
  return nullptr;
}

const PluginModule* PluginManager::FindModule(const wxString& id) const {
  return const_cast<PluginManager*>(this)->FindModule(id);
}

bool PluginManager::ResolveDependencies(const PluginModule& module, wxString* message) const {
  for (const wxString& id : module.dependencyIds) {
    const PluginModule* dependency = FindModule(id);
    wxString text;
    if (!dependency || !dependency->loaded) {
      text = _("Brak wymaganego modułu: ") + id;
    } else if (!dependency->enabled) {
      text = _("Wymagany modul jest wyłączony: ") + DisplayName(*dependency);
    } else if (!dependency->initialized) {
      text = _("Wymagany modul jest nieaktywny: ") + DisplayName(*dependency);
    } else {
      continue;
    }
    if (message) *message = text;
    return false;
  }
  return true;
}

void PluginManager::InitializeModules() {
  auto waiting = [](const PluginModule& m) { return m.loaded && m.enabled && !m.initialized && m.message.empty(); };
  bool progress = true;
  while (progress) {
    progress = false;
    for (std::size_t i = 0; i < modules_.size(); ++i) {
      PluginModule& module = modules_[i];
      if (!waiting(module)) continue;
      wxString message;
      if (!ResolveDependencies(module, &message)) {
        bool dependencyPending = false;
        for (const wxString& id : module.dependencyIds) {
          const PluginModule* dependency = FindModule(id);
          if (dependency && waiting(*dependency)) dependencyPending = true;
        }
        if (!dependencyPending) {
          module.message = message;
          progress = true;
        }
        continue;
      }
      // A module that fails is progress too: its dependents, waiting on it in
      // this pass, then say which module failed whatever the load order.
      int started = 1;
      if (module.entry.initialize &&
          !Guarded(module, "VeldrixPluginInitialize", [&] { started = module.entry.initialize(host_); })) {
        progress = true;
        continue;
      }
      if (started == 0) {
        module.message = _("Inicjalizacja modułu nie powiodła się.");
        progress = true;
        continue;
      }
      module.initialized = true;
      // A module started later in this pass may ask whether this one is active.
      PublishActiveModules();
      ReadModuleSchemas(module);
      progress = true;
    }
  }
  for (PluginModule& module : modules_) {
    if (waiting(module)) module.message = _("Nie można rozwiązać zależności modułu.");
  }
  PublishActiveModules();
}

void PluginManager::ReadModuleSchemas(PluginModule& module) {
  module.hasSettingsForm = module.hasXrcSettings = module.hasMainPage = module.hasXrcPage = false;
  module.settingsFields.clear();
  module.xrcSettingsBindings.clear();
  module.xrcSettingsActions.clear();
  module.mainPageItems.clear();
  module.xrcPageBindings.clear();
  module.xrcPageColumns.clear();
  const wxString id = module.Id();
  const wxString displayName = module.Name();
  const PluginEntryPoints& e = module.entry;

  // A schema call that throws fails the module; what it described is not used.
  auto ask = [&module](const char* entry, auto&& call) {
    int answer = 0;
    wxString message;
    if (GuardModuleCall(module.LogName(), entry, &message, [&] { answer = call(); })) return answer != 0;
    if (!module.failed) {
      module.failed = true;
      module.message = message;
    }
    return false;
  };

  PluginSettingsSchema settings{};
  if (e.getSettingsSchema && ask("VeldrixPluginGetSettingsSchema", [&] { return e.getSettingsSchema(&settings); })) {
    module.settingsPath = MakeModuleSettingsPath(ModuleText(settings.path), id);
    module.settingsTitle = ModuleText(settings.title);
    if (module.settingsTitle.empty()) module.settingsTitle = ModuleText(module.info.settingsTitle);
    if (module.settingsTitle.empty()) module.settingsTitle = displayName;
    module.settingsText = ModuleText(settings.text);
    if (settings.fields) {
      const unsigned count = std::min(settings.count, kMaxSchemaEntries);
      for (unsigned i = 0; i < count; ++i) {
        const PluginSettingsField& in = settings.fields[i];
        PluginSettingsFieldInfo field;
        field.key = ModuleText(in.key);
        if (field.key.empty()) continue;
        field.label = ModuleText(in.label);
        if (field.label.empty()) field.label = field.key;
        field.defaultValue = ModuleText(in.defaultValue);
        field.kind = (in.kind >= 0 && in.kind <= 2) ? in.kind : 0;
        field.lines = in.lines < 1 ? 1 : in.lines;
        for (const auto& choice : SplitLines(ModuleText(in.choices))) {
          field.choices.push_back({choice.first, choice.second});
        }
        module.settingsFields.push_back(std::move(field));
      }
    }
    module.hasSettingsForm = !module.settingsFields.empty();
  }

  PluginXrcSchema xrcSettings{};
  if (e.getSettingsXrcSchema &&
      ask("VeldrixPluginGetSettingsXrcSchema", [&] { return e.getSettingsXrcSchema(&xrcSettings); })) {
    wxString fallbackTitle = module.settingsTitle;
    if (fallbackTitle.empty()) fallbackTitle = ModuleText(module.info.settingsTitle);
    if (fallbackTitle.empty()) fallbackTitle = displayName;
    wxString path = ModuleText(xrcSettings.path);
    if (path.empty()) path = module.settingsPath;
    module.settingsPath = MakeModuleSettingsPath(path, id);
    module.settingsTitle = ModuleText(xrcSettings.title);
    if (module.settingsTitle.empty()) module.settingsTitle = fallbackTitle;
    module.xrcSettingsFile = ResolveModuleFile(module.folder, ModuleText(xrcSettings.xrcFile));
    module.xrcSettingsObject = ModuleText(xrcSettings.objectName);
    module.xrcSettingsSaveButton = ModuleText(xrcSettings.control);
    module.xrcSettingsBindings = CopyPairs(xrcSettings.bindings, xrcSettings.bindingCount);
    module.xrcSettingsActions = CopyPairs(xrcSettings.extra.actions, xrcSettings.extraCount);
    module.hasXrcSettings = !module.xrcSettingsFile.empty() && !module.xrcSettingsObject.empty() &&
                            !module.xrcSettingsBindings.empty();
  }

  PluginMainPageSchema mainPage{};
  if (e.getMainPageSchema && ask("VeldrixPluginGetMainPageSchema", [&] { return e.getMainPageSchema(&mainPage); })) {
    module.mainPageTitle = ModuleText(mainPage.title);
    if (module.mainPageTitle.empty()) module.mainPageTitle = displayName;
    module.mainPageText = ModuleText(mainPage.text);
    if (mainPage.items) {
      const unsigned count = std::min(mainPage.count, kMaxSchemaEntries);
      for (unsigned i = 0; i < count; ++i) {
        const wxString label = ModuleText(mainPage.items[i].first);
        if (label.empty()) continue;
        wxString value = ModuleText(mainPage.items[i].second);
        if (value.empty()) value = label;
        module.mainPageItems.emplace_back(label, value);
      }
    }
    module.hasMainPage = e.getMainRows != nullptr;
  }

  PluginXrcSchema xrcPage{};
  if (e.getMainXrcPageSchema &&
      ask("VeldrixPluginGetMainXrcPageSchema", [&] { return e.getMainXrcPageSchema(&xrcPage); })) {
    module.xrcPageKey = ModuleText(xrcPage.path);
    if (module.xrcPageKey.empty()) module.xrcPageKey = id;
    module.mainPageTitle = ModuleText(xrcPage.title);
    if (module.mainPageTitle.empty()) module.mainPageTitle = displayName;
    module.xrcPageFile = ResolveModuleFile(module.folder, ModuleText(xrcPage.xrcFile));
    module.xrcPageObject = ModuleText(xrcPage.objectName);
    module.xrcPageMainControl = ModuleText(xrcPage.control);
    module.xrcPageBindings = CopyPairs(xrcPage.bindings, xrcPage.bindingCount);
    if (xrcPage.extra.columns) {
      const unsigned count = std::min(xrcPage.extraCount, kMaxSchemaEntries);
      for (unsigned i = 0; i < count; ++i) {
        const PluginColumn& column = xrcPage.extra.columns[i];
        const wxString title = ModuleText(column.title);
        if (title.empty()) continue;
        module.xrcPageColumns.push_back({title, column.width, column.alignment});
      }
    }
    module.hasXrcPage = !module.xrcPageFile.empty() && !module.xrcPageObject.empty();
    if (module.hasXrcPage) module.hasMainPage = true;
  }
}

bool PluginManager::SetModuleEnabled(std::size_t index, bool enabled, wxString* error) {
  if (index >= modules_.size()) {
    if (error) *error = _("Nie ma takiego modułu.");
    return false;
  }
  PluginModule& module = modules_[index];
  // Switched on, its dependencies come on with it; switched off, the modules that
  // need it go off. All flags reach the file, or none changes.
  std::vector<PluginModule*> changed{&module};
  if (enabled) {
    for (const wxString& id : module.dependencyIds) {
      PluginModule* dependency = FindModule(id);
      if (dependency && !dependency->enabled) changed.push_back(dependency);
    }
  } else {
    const wxString ownId = module.Id().Lower();
    for (PluginModule& other : modules_) {
      if (&other != &module &&
          std::find(other.dependencyIds.begin(), other.dependencyIds.end(), ownId) != other.dependencyIds.end()) {
        changed.push_back(&other);
      }
    }
  }
  {
    veldrix::ConfigAccess config;
    for (const PluginModule* target : changed) {
      if (config && !target->Id().empty()) config->Write("/Plugins/" + target->Id() + "/Enabled", enabled);
    }
    if (!veldrix::FlushConfig(config.get(), error)) return false;
  }
  const IModuleHostWindow* window = HostWindow();
  const bool toolsOn = !window || window->AreToolsEnabled();
  for (PluginModule* target : changed) {
    target->enabled = enabled;
    // A dependency switched on keeps its tool as it is until the modules start.
    if (toolbar_ && target->toolId != wxID_NONE && (target == &module || !enabled)) {
      toolbar_->EnableTool(target->toolId, enabled && toolsOn);
      toolbar_->Refresh();
    }
  }
  if (enabled) InitializeModules();
  PublishActiveModules();
  return true;
}

bool PluginManager::NotifyCompanyCreated(int companyId, wxString* error) {
  if (error) error->clear();
  if (companyId <= 0) {
    if (error) *error = _("Nieprawidłowy identyfikator firmy.");
    return false;
  }
  bool ok = true;
  wxString lines;
  std::vector<wchar_t> buffer(VELDRIX_COMPANY_ERROR_TEXT);
  for (PluginModule& module : modules_) {
    if (!module.IsActive() || !module.entry.onCompanyCreated) continue;
    std::fill(buffer.begin(), buffer.end(), L'\0');
    int done = 0;
    wxString text;
    wxString thrown;
    if (GuardModuleCall(module.LogName(), "VeldrixPluginOnCompanyCreated", &thrown, [&] {
          done = module.entry.onCompanyCreated(companyId, buffer.data(), VELDRIX_COMPANY_ERROR_TEXT);
        })) {
      if (done != 0) continue;
      text = BufferText(buffer.data(), buffer.size());
    } else {
      MarkFailed(module, thrown);
      text = thrown;
    }
    text.Trim(true).Trim(false);
    if (text.empty()) text = _("Inicjalizacja danych firmowych modułu nie powiodła się.");
    if (!lines.empty()) lines += "\n";
    lines += DisplayName(module) + ": " + text;
    ok = false;
  }
  if (error) *error = lines;
  return ok;
}

wxString PluginManager::GetModuleStateText(std::size_t index) const {
  if (index >= modules_.size()) return wxString();
  const PluginModule& module = modules_[index];
  if (!module.loaded) return module.message.empty() ? _("błąd") : module.message;
  if (!module.enabled) return _("wyłączony");
  if (module.failed) return module.message;
  if (module.initialized) return _("aktywny");
  return module.message.empty() ? _("nieaktywny") : module.message;
}

wxString PluginManager::GetModuleId(std::size_t index) const {
  return index < modules_.size() ? modules_[index].Id() : wxString();
}

wxBitmap PluginManager::GetModuleBitmap(std::size_t index, const wxSize& size) const {
  if (index >= modules_.size()) return wxNullBitmap;
  const PluginModule& module = modules_[index];
  if (module.info.imageData && module.info.imageDataSize > 0) {
    const wxBitmap bitmap = BitmapFromData(module.info.imageData, module.info.imageDataSize, size);
    if (bitmap.IsOk()) return bitmap;
    return wxArtProvider::GetBitmap(wxART_EXECUTABLE_FILE, wxART_TOOLBAR, size);
  }
  wxString imageName = ModuleText(module.info.imageName);
  if (module.entry.getImage && !module.failed) {
    const void* data = nullptr;
    unsigned dataSize = 0;
    const wxString asked = imageName.empty() ? wxString("icon.png") : imageName;
    if (ModuleCalls(module).GetImage(asked, &data, &dataSize)) {
      const wxBitmap bitmap = BitmapFromData(data, dataSize, size);
      if (bitmap.IsOk()) return bitmap;
      return wxArtProvider::GetBitmap(wxART_EXECUTABLE_FILE, wxART_TOOLBAR, size);
    }
  }
  if (!imageName.empty()) {
    const wxString file = JoinPath(module.folder, imageName);
    if (wxFileExists(file)) {
      wxLogNull quiet;
      const wxBitmap bitmap = ScaledBitmap(wxImage(file, wxBITMAP_TYPE_ANY), size);
      if (bitmap.IsOk()) return bitmap;
    }
  }
  return wxArtProvider::GetBitmap(wxART_EXECUTABLE_FILE, wxART_TOOLBAR, size);
}

bool PluginManager::IsModuleActive(const wxString& id) const {
  const PluginModule* module = FindModule(id);
  return module && module->IsActive();
}

int PluginManager::ModuleSortRank(const wxString& id) {
  const wxString lower = id.Lower();
  if (lower == "artykuly") return 10;
  if (lower == "kontrahenci") return 20;
  if (lower == "faktury") return 30;
  if (lower == "ksef") return 40;
  if (lower == "kpir") return 50;
  if (lower == "jpk_vat") return 60;
  return 1000;
}

}  // namespace veldrix
