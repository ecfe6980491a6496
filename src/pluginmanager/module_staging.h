// Staging of module store changes inside the modules folder: a verified package is
// unpacked into .pending/{code}, a removal writes .pending-remove/{code}. Nothing
// installed is touched while the program runs; ApplyPendingModuleChanges carries
// the changes out at the next start. Used by the store tab.
#pragma once

#include "app/common/paths.h"

#include <wx/string.h>

#include <cstdint>
#include <vector>

namespace veldrix {

// folder + "/" + name
wxString JoinModulePath(const wxString& folder, const wxString& name);
wxString GetPendingInstallDir(const wxString& root, const wxString& code);
wxString GetPendingRemovalMarker(const wxString& root, const wxString& code);
// True when the folder is absent or was deleted with its content.
bool RemoveDirIfExists(const wxString& folder);
// Creates the folder with any missing parents (0770); true when it exists afterwards.
bool MakeModuleFolder(const wxString& folder);
// Renames a file or folder, replacing what the platform allows (a file, an empty folder).
bool RenameEntry(const wxString& from, const wxString& to);

// 1 to 80 characters of a-z, 0-9, "_" and "-".
bool IsValidModuleCode(const wxString& text);
// False for empty, absolute ("/" or "\" first), drive ("D:x") names and any "."
// or ".." part; "\" counts as "/".
bool IsSafePackagePath(wxString name);

// Lower-case hex SHA-256 of the file, read in 64 KiB blocks.
bool ComputeFileSha256(const wxString& path, wxString* hex, wxString* error);

struct PackageLimits {
  unsigned maxFiles = 5000;
  std::uint64_t maxBytes = 1073741824;  // 1 GiB unpacked, exactly 1 GiB allowed
};

// Verifies the package against its published SHA-256 and unpacks it into
// {root}/.pending/{code}, replacing an earlier staged version only once the new
// one is complete.
bool StagePackage(const wxString& root, const wxString& code, const wxString& packagePath,
                  const wxString& publishedSha256, wxString* error);
bool StagePackage(const wxString& root, const wxString& code, const wxString& packagePath,
                  const wxString& publishedSha256, const PackageLimits& limits, wxString* error);

// Completes what a staging killed between moving the earlier staged version aside
// ({code}.old) and moving the new one in left: the new version takes its place, or
// without one the earlier version returns. Run before anything else looks at the
// module's staging.
void FinishInterruptedStaging(const wxString& root, const wxString& code);
// At start, for every module: completes the killed commits as above and removes
// what a staging killed while unpacking left. The caller holds the ".pending"
// folder's FolderLock, which a running staging holds too.
void FinishInterruptedStagings(const wxString& root);

// Cancels a staged install of the module and writes its removal marker.
bool PrepareModuleUninstall(const wxString& root, const wxString& code, wxString* error);

bool IsModuleInstallPending(const wxString& root, const wxString& code);
bool IsModuleRemovalPending(const wxString& root, const wxString& code);

}  // namespace veldrix
