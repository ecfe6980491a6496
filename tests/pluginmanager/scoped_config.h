// The program's configuration object for one test: a veldrix.ini in the isolated
// configuration folder, installed as wxWidgets' global configuration.
#pragma once

#include "app/common/paths.h"

#include <wx/config.h>
#include <wx/fileconf.h>

namespace veldrix::test {

class ScopedProgramConfig {
 public:
  ScopedProgramConfig() {
    EnsureFolder(ConfigFolder());
    config_ = new wxFileConfig(wxEmptyString, wxEmptyString, ConfigFilePath(), wxEmptyString,
                               wxCONFIG_USE_LOCAL_FILE);
    delete wxConfigBase::Set(config_);
  }
  ~ScopedProgramConfig() { delete wxConfigBase::Set(nullptr); }
  ScopedProgramConfig(const ScopedProgramConfig&) = delete;
  ScopedProgramConfig& operator=(const ScopedProgramConfig&) = delete;

  wxFileConfig* operator->() const { return config_; }

 private:
  wxFileConfig* config_;
};

}  // namespace veldrix::test
