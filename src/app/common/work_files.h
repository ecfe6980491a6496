// Work files and folders: what an operation writes under a name of its own before
// it moves the result into place or throws it away. The name says who writes it,
// "<prefix><host>.<process id>.<six random characters>", so that a later run tells
// what a killed process left behind from what a running one is still writing. Used
// by the configuration writer, the database archive, the database creation and the
// module package download.
#pragma once

#include <wx/string.h>

#include <vector>

namespace veldrix {

// Creates "<folder>/<prefix><host>.<pid>.XXXXXX" for the owner only (0600), never
// over an existing entry, after removing those of this prefix that killed processes
// left (RemoveAbandonedWorkFiles; their paths into `removed` when given). The open
// descriptor (close-on-exec), or -1.
int CreateWorkFile(const wxString& folder, const wxString& prefix, wxString* path,
                   std::vector<wxString>* removed = nullptr);

// Creates such a folder, for the owner only (0700), likewise.
bool CreateWorkFolder(const wxString& folder, const wxString& prefix, wxString* path);

// Removes from the folder the work files and folders of this prefix that belong to
// this user and to a process of this host that no longer runs; names that only
// extend one (a SQLite journal) go with it. A folder goes with its content, and no
// symbolic link is followed. The paths removed.
std::vector<wxString> RemoveAbandonedWorkFiles(const wxString& folder, const wxString& prefix);

}  // namespace veldrix
