#include "app/common/paths.h"

#include "app/common/i18n.h"

#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>
#include <wx/utils.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

namespace veldrix {
namespace {

std::mutex& OverrideLock() {
  static std::mutex lock;
  return lock;
}

wxString& ProgramFolderOverride() {
  static wxString folder;
  return folder;
}

wxString HomeFolder() {
  wxString home;
  if (wxGetEnv("HOME", &home) && !home.empty()) return home;
  return wxGetHomeDir();
}

// The XDG variable when it holds an absolute path, else the fallback below HOME.
wxString XdgFolder(const char* variable, const wxString& fallbackBelowHome) {
  wxString value;
  if (wxGetEnv(variable, &value) && !value.empty() && wxFileName(value).IsAbsolute()) return value;
  wxFileName dir = wxFileName::DirName(HomeFolder());
  for (const wxString& part : wxSplit(fallbackBelowHome, '/', '\0')) {
    if (!part.empty()) dir.AppendDir(part);
  }
  return dir.GetPath();
}

}  // namespace

wxString ProgramFolder() {
  {
    std::lock_guard<std::mutex> guard(OverrideLock());
    if (!ProgramFolderOverride().empty()) return ProgramFolderOverride();
  }
  return wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
}

wxString ConfigFolder() { return JoinPath(XdgFolder("XDG_CONFIG_HOME", ".config"), "Veldrix"); }

wxString UserDataFolder() { return JoinPath(XdgFolder("XDG_DATA_HOME", ".local/share"), "Veldrix"); }

wxString ConfigFilePath() { return JoinPath(ConfigFolder(), "veldrix.ini"); }

wxString JoinPath(const wxString& folder, const wxString& name) {
  wxFileName path(wxFileName::DirName(folder));
  path.SetFullName(name);
  return path.GetFullPath();
}

wxString JoinPath(const wxString& folder, const wxString& sub, const wxString& name) {
  wxFileName path(wxFileName::DirName(folder));
  path.AppendDir(sub);
  path.SetFullName(name);
  return path.GetFullPath();
}

bool EnsureFolder(const wxString& folder, wxString* error) {
  if (wxFileName::DirExists(folder)) return true;
  int code = 0;
  {
    wxLogNull quiet;  // the caller reports it
    if (wxFileName::Mkdir(folder, wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL)) return true;
    code = errno;
  }
  if (wxFileName::DirExists(folder)) return true;
  if (error) *error = FailureOnPath(_("Nie udało się utworzyć katalogu %s: %s"), folder, code);
  return false;
}

wxString FailureOnPath(const wxString& format, const wxString& path, int code) {
  return wxString::Format(format, path, wxString::FromUTF8(std::strerror(code)));
}

std::vector<wxString> SortedFolderEntries(const wxString& folder, int flags, const wxString& pattern) {
  std::vector<wxString> names;
  wxDir dir;
  {
    wxLogNull quiet;
    if (!dir.Open(folder)) return names;
  }
  wxString name;
  for (bool more = dir.GetFirst(&name, pattern, flags); more; more = dir.GetNext(&name)) names.push_back(name);
  std::sort(names.begin(), names.end());
  return names;
}

void SetProgramFolderOverride(const wxString& folder) {
  std::lock_guard<std::mutex> guard(OverrideLock());
  ProgramFolderOverride() = folder;
}

}  // namespace veldrix
