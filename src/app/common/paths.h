// The program's folders: the program folder (the executable's), the configuration
// folder and the user data folder. Every file the program reads or writes is found
// through these, so tests can point all of them at temporary folders.
#pragma once

#include <wx/string.h>

#include <vector>

namespace veldrix {

// Folder of the running executable, or the folder set by SetProgramFolderOverride.
wxString ProgramFolder();

// $XDG_CONFIG_HOME/Veldrix, else ~/.config/Veldrix. Not created.
wxString ConfigFolder();

// $XDG_DATA_HOME/Veldrix, else ~/.local/share/Veldrix. Not created.
wxString UserDataFolder();

// ConfigFolder()/veldrix.ini
wxString ConfigFilePath();

// Joins a folder and a relative name with the platform separator.
wxString JoinPath(const wxString& folder, const wxString& name);
wxString JoinPath(const wxString& folder, const wxString& sub, const wxString& name);

// Names of the folder's entries of the wxDir kinds in `flags` (wxDIR_DIRS,
// wxDIR_FILES, wxDIR_HIDDEN) matching `pattern`, sorted by name so every walk over a
// folder visits it in the same order; empty when the folder cannot be read.
std::vector<wxString> SortedFolderEntries(const wxString& folder, int flags, const wxString& pattern = wxString());

// Creates the folder and its parents when missing; true when it exists afterwards.
// Otherwise *error says why, for the user: the folder and the system's message.
bool EnsureFolder(const wxString& folder, wxString* error = nullptr);

// A reason for the user: `format` (a translated text with two %s) filled with the
// path and the system's message for the errno value `code`.
wxString FailureOnPath(const wxString& format, const wxString& path, int code);

// Replaces the program folder (tests run the code against a temporary folder).
// An empty text restores the executable's folder.
void SetProgramFolderOverride(const wxString& folder);

}  // namespace veldrix
