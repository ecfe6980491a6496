// One module library as the host holds it: where it was found, its description,
// its resolved entry points, what its schemas describe and its state. Owned by
// PluginManager; the page and settings code reads the schema fields.
#pragma once

#include "pluginmanager/veldrix_plugin_api.h"

#include <wx/defs.h>
#include <wx/string.h>

#include <memory>
#include <utility>
#include <vector>

class wxDynamicLibrary;

namespace veldrix {

// The optional exports; null = not exported.
struct PluginEntryPoints {
  VeldrixPluginGetDependenciesFn getDependencies = nullptr;
  VeldrixPluginInitializeFn initialize = nullptr;
  VeldrixPluginShutdownFn shutdown = nullptr;
  VeldrixPluginGetSettingsSchemaFn getSettingsSchema = nullptr;
  VeldrixPluginGetMainPageSchemaFn getMainPageSchema = nullptr;
  VeldrixPluginGetMainRowsFn getMainRows = nullptr;
  VeldrixPluginRunActionFn runAction = nullptr;
  VeldrixPluginGetImageFn getImage = nullptr;
  VeldrixPluginGetSettingsXrcSchemaFn getSettingsXrcSchema = nullptr;
  VeldrixPluginGetSettingsXrcValuesFn getSettingsXrcValues = nullptr;
  VeldrixPluginGetMainXrcPageSchemaFn getMainXrcPageSchema = nullptr;
  VeldrixPluginGetMainXrcValuesFn getMainXrcValues = nullptr;
  VeldrixPluginGetRowsForControlFn getRowsForControl = nullptr;
  VeldrixPluginGetColumnsForControlFn getColumnsForControl = nullptr;
  VeldrixPluginOnCompanyCreatedFn onCompanyCreated = nullptr;
  VeldrixPluginCreatePageFn createPage = nullptr;
  VeldrixPluginCanClosePageFn canClosePage = nullptr;
};

struct PluginChoice {
  wxString label;
  wxString value;
};

struct PluginSettingsFieldInfo {
  wxString key;
  wxString label;
  wxString defaultValue;
  int kind = 0;
  int lines = 1;
  std::vector<PluginChoice> choices;
};

struct PluginColumnInfo {
  wxString title;
  int width = 0;
  int alignment = 0;
};

using PluginTextPairs = std::vector<std::pair<wxString, wxString>>;

// Releases its library handle without unloading it: module code may still be
// referenced (threads, callbacks, static destructors) and the next login reuses it.
struct DetachLibrary {
  void operator()(wxDynamicLibrary* library) const;
};

struct PluginModule {
  wxString folder;
  wxString libraryPath;
  wxString message;
  PluginInfo info{};
  std::unique_ptr<wxDynamicLibrary, DetachLibrary> library;
  PluginEntryPoints entry;

  wxString settingsPath;
  wxString settingsTitle;
  wxString settingsText;
  std::vector<PluginSettingsFieldInfo> settingsFields;

  wxString xrcSettingsFile;
  wxString xrcSettingsObject;
  wxString xrcSettingsSaveButton;
  PluginTextPairs xrcSettingsBindings;  // {control, key}
  PluginTextPairs xrcSettingsActions;   // {button, action}

  wxString mainPageTitle;
  wxString mainPageText;
  PluginTextPairs mainPageItems;  // {label, value}

  wxString xrcPageKey;
  wxString xrcPageFile;
  wxString xrcPageObject;
  wxString xrcPageMainControl;
  PluginTextPairs xrcPageBindings;  // {name, action}
  std::vector<PluginColumnInfo> xrcPageColumns;

  std::vector<wxString> dependencyIds;  // lower case

  bool loaded = false;
  bool enabled = true;
  bool initialized = false;
  bool failed = false;  // let an exception out after it started; message says where
  bool hasSettingsForm = false;
  bool hasXrcSettings = false;
  bool hasMainPage = false;
  bool hasXrcPage = false;
  int toolId = wxID_NONE;

  bool IsActive() const { return loaded && enabled && initialized && !failed; }
  wxString Id() const;
  wxString Name() const;     // the display name, "" when none
  wxString Version() const;
  // The id, or the library path before the module has told its id (log lines).
  wxString LogName() const;
};

// The module's texts, read from pointers the module owns; null reads as empty.
wxString ModuleText(const wchar_t* text);

// A text the module wrote into a host buffer of `capacity` units: read up to its
// terminating zero or the capacity, whichever comes first.
wxString BufferText(const wchar_t* buffer, std::size_t capacity);

}  // namespace veldrix
