// Module settings addressed by path and key: the "/KSeF" path per company in the
// program database table ksef_ustawienia, every other path in the configuration
// file. Used by the host's setting callbacks and the module settings pages.
#pragma once

#include <wx/string.h>

namespace veldrix {

// "" -> "/"; a path without a leading "/" gets one.
wxString NormalizeConfigPath(const wxString& path);
// An empty schema path -> "/Plugins/" + module id; then a leading "/" is ensured.
wxString MakeModuleSettingsPath(const wxString& schemaPath, const wxString& moduleId);

// Every call holds one process-wide lock, so module worker threads and the GUI
// thread are serialised. Get falls back to the default; Set is false, with the
// reason, when the value was not stored (the settings pages say so; the host
// callback cannot, and logs it).
class ModuleSettingsStore {
 public:
  static wxString Get(const wxString& path, const wxString& key, const wxString& defaultValue);
  static bool Set(const wxString& path, const wxString& key, const wxString& value, wxString* error = nullptr);

  // Steps of Get and Set, for the lock holder only.
  static void RemoveConfigGroup(const wxString& path);
  static bool ReadCompanyValue(const wxString& path, const wxString& key, wxString* value);
  static bool WriteCompanyValue(const wxString& path, const wxString& key, const wxString& value,
                                wxString* error = nullptr);
};

}  // namespace veldrix
