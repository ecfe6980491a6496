#include "pluginmanager/module_files.h"

#include <wx/filename.h>
#include <wx/tokenzr.h>

namespace veldrix {

std::vector<std::pair<wxString, wxString>> SplitLines(const wxString& text) {
  std::vector<std::pair<wxString, wxString>> pairs;
  wxStringTokenizer lines(text, "\n", wxTOKEN_STRTOK);
  while (lines.HasMoreTokens()) {
    wxString line = lines.GetNextToken();
    line.Trim(true).Trim(false);
    if (line.empty()) continue;
    const int eq = line.Find('=');
    wxString first = line;
    wxString second = line;
    if (eq != wxNOT_FOUND) {
      first = line.Left(eq);
      second = line.Mid(eq + 1);
      first.Trim(true).Trim(false);
      second.Trim(true).Trim(false);
    }
    if (first.empty()) continue;
    pairs.emplace_back(first, second);
  }
  return pairs;
}

wxString ResolveModuleFile(const wxString& folder, const wxString& name) {
  wxFileName given(name);
  if (!name.empty() && given.IsAbsolute()) return given.GetFullPath();
  wxString joined = folder;
  if (!joined.empty() && !wxFileName::IsPathSeparator(joined.Last())) joined += wxFileName::GetPathSeparator();
  joined += name;
  wxFileName resolved(joined);
  resolved.Normalize(wxPATH_NORM_ENV_VARS | wxPATH_NORM_DOTS | wxPATH_NORM_TILDE | wxPATH_NORM_ABSOLUTE |
                     wxPATH_NORM_LONG | wxPATH_NORM_SHORTCUT);
  return resolved.GetFullPath();
}

}  // namespace veldrix
