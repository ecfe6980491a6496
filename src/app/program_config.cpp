#include "app/program_config.h"

#include "app/common/paths.h"
#include "app/common/shared_config_file.h"

#include <wx/convauto.h>
#include <wx/fileconf.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

namespace {
constexpr double kVersionNumber = 0.25;
constexpr unsigned long kBuildNumber = 9;
}  // namespace

wxString OldConfigFilePath() {
  wxFileName folder = wxFileName::DirName(veldrix::ConfigFolder());
  folder.RemoveLastDir();
  return veldrix::JoinPath(folder.GetPath(), "veldrix.ini");
}

bool MigrateOldConfigFile(const wxString& oldPath, const wxString& newPath) {
  if (wxFileName::FileExists(newPath) || !wxFileName::FileExists(oldPath)) return false;
  wxLogNull quiet;  // a failed move leaves the old file; the program starts with defaults
  return wxRenameFile(oldPath, newPath, true);
}

wxFileConfig* OpenProgramConfig() {
  const wxString folder = veldrix::ConfigFolder();
  veldrix::EnsureFolder(folder);
  const wxString path = veldrix::ConfigFilePath();
  MigrateOldConfigFile(OldConfigFilePath(), path);
  // Other copies of the program may share the file; it holds connection details and
  // protected passwords, so it is written the user's only.
  return new veldrix::SharedConfigFile(path);
}

wxString ReadWorkingCompanyId(wxConfigBase* config, const wxString& current) {
  wxString id = current;
  if (config) {
    config->Read("/veldrix/id_firmy", &id);
    if (id.empty()) config->Read("/VezoveVador/id_firmy", &id);
    config->SetPath("/");
  }
  if (id.empty()) id = "0";
  return id;
}

wxString ProgramVersionNumber() {
  wxString text = wxString::Format("%2.2f.%lu", kVersionNumber, kBuildNumber);
  text.Replace(",", ".");
  return text;
}
