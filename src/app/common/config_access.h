// The process configuration ("veldrix.ini", installed by the main window) and the one
// lock every thread takes around it: wxConfigBase keeps a current path and a cache
// that two threads must never touch at once. Never created on demand.
#pragma once

#include <wx/string.h>

#include <mutex>

class wxConfigBase;

namespace veldrix {

// Holds the configuration lock for its lifetime and gives the installed
// configuration object, or null when none is installed. Recursive, so a helper
// that takes a ConfigAccess may be called by code that already holds one. The
// outermost access takes in what other copies of the program wrote meanwhile
// (SharedConfigFile::Refresh), so what this one writes builds on it.
class ConfigAccess {
 public:
  ConfigAccess();
  ~ConfigAccess();
  ConfigAccess(const ConfigAccess&) = delete;
  ConfigAccess& operator=(const ConfigAccess&) = delete;

  wxConfigBase* get() const { return config_; }
  wxConfigBase* operator->() const { return config_; }
  explicit operator bool() const { return config_ != nullptr; }

 private:
  std::unique_lock<std::recursive_mutex> guard_;
  wxConfigBase* config_;
};

// Installs the configuration object (null uninstalls) under the lock and returns the
// previous one, which the caller then owns. Also switches wxWidgets' create-on-demand
// off, so that no second, default configuration file ever appears.
wxConfigBase* InstallConfig(wxConfigBase* config);

std::recursive_mutex& ConfigLock();

// Writes what was changed to the file, under the lock the caller holds. When the
// file cannot take it, *error says in Polish that the settings were not saved,
// and why; the program's own configuration (SharedConfigFile) also drops the
// changes, so it goes on with what the file holds. A null config fails. Every
// setting the user saves goes through here.
bool FlushConfig(wxConfigBase* config, wxString* error = nullptr);

}  // namespace veldrix
