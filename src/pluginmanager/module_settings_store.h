// Module settings addressed by path and key: the "/KSeF" path per company in the
// program database table ksef_ustawienia, every other path in the configuration
// file. Used by the host's setting callbacks and the module settings pages.
#pragma once

#include <wx/string.h>

#include <utility>
#include <vector>

namespace veldrix {

// "" -> "/"; a path without a leading "/" gets one.
wxString NormalizeConfigPath(const wxString& path);
// An empty schema path -> "/Plugins/" + module id; then a leading "/" is ensured.
wxString MakeModuleSettingsPath(const wxString& schemaPath, const wxString& moduleId);

// Key and value pairs of one path, in the order they are stored.
using ModuleSettingValues = std::vector<std::pair<wxString, wxString>>;

// Every call holds one process-wide lock, so module worker threads and the GUI
// thread are serialised. Get falls back to the default. SetValues stores every
// value of a page or none: one write of the configuration file, or one transaction
// of the company table; false, with the reason, when nothing was stored (the
// settings pages say so; the host callback cannot, and logs it). An empty key
// refuses the whole call.
class ModuleSettingsStore {
 public:
  static wxString Get(const wxString& path, const wxString& key, const wxString& defaultValue);
  static bool SetValues(const wxString& path, const ModuleSettingValues& values, wxString* error = nullptr);
  static bool Set(const wxString& path, const wxString& key, const wxString& value, wxString* error = nullptr);

  // Steps of Get and SetValues, for the lock holder only.
  static void RemoveConfigGroup(const wxString& path);
  static bool ReadCompanyValue(const wxString& path, const wxString& key, wxString* value);
  static bool WriteCompanyValues(const wxString& path, const ModuleSettingValues& values, wxString* error);
};

}  // namespace veldrix
