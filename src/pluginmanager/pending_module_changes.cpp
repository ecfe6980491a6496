#include "pluginmanager/pending_module_changes.h"

#include "app/common/folder_lock.h"
#include "app/common/i18n.h"
#include "pluginmanager/module_staging.h"

#include <wx/datetime.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

#include <dlfcn.h>

namespace veldrix {
namespace {

// {folder}/{code}-{local time}, with "-2", "-3" ... when an entry of that name
// exists already (two changes of one module within one second).
wxString FreeStampedPath(const wxString& folder, const wxString& code) {
  const wxString base = JoinModulePath(folder, code + "-" + wxDateTime::Now().Format("%Y%m%d-%H%M%S"));
  wxString path = base;
  for (int n = 2; wxFileName::Exists(path); ++n) path = base + wxString::Format("-%d", n);
  return path;
}

// Whether a library of the installed module is loaded in this process: the program
// has not started anew since (a logout and login only), and module libraries are
// never unloaded, so loading the folder again would give the old code while its
// files were the new ones.
bool ModuleLibraryLoaded(const wxString& folder) {
  for (const wxString& file : SortedFolderEntries(folder, wxDIR_FILES, "*.so")) {
    const wxString path = JoinModulePath(folder, file);
    if (void* handle = dlopen(path.fn_str(), RTLD_LAZY | RTLD_NOLOAD)) {
      dlclose(handle);  // the look-up counted a reference
      return true;
    }
  }
  return false;
}

}  // namespace

bool ApplyPendingModuleChanges(const wxString& root, wxString* report, wxString* postponed) {
  wxString lines;
  auto appendLine = [&lines](const wxString& format, const wxString& code) {
    lines += wxString::Format(format, code);
  };

  const wxString markers = JoinModulePath(root, ".pending-remove");
  const wxString pending = JoinModulePath(root, ".pending");
  // A removed module is first moved into this hidden folder, which the host never
  // lists, so a deletion that fails halfway cannot leave a partial module to load.
  const wxString removing = JoinModulePath(root, ".removing");
  // Removals, and clearing what a killed one left, are done under the staging
  // folder's lock too, which needs the folder. The empty folders a finished removal
  // leaves ask for nothing.
  const bool toClear = !SortedFolderEntries(markers, wxDIR_FILES).empty() ||
                       !SortedFolderEntries(removing, wxDIR_DIRS | wxDIR_FILES | wxDIR_HIDDEN).empty();
  if (toClear) MakeModuleFolder(pending);
  // Held by a staging, a removal being prepared or another start: all waits for the next start.
  const FolderLock lock(pending, false);
  if (!lock.held()) {
    // No folder and nothing to clear: nothing waits, and there is nothing to lock.
    const bool waiting = wxFileName::Exists(pending) || toClear;
    if (!lock.busy() && waiting) lines = lock.FailureText() + "\n";
    if (report) *report = lines;
    return lines.empty();
  }

  for (const wxString& left : SortedFolderEntries(removing, wxDIR_DIRS | wxDIR_FILES | wxDIR_HIDDEN)) {
    RemoveDirIfExists(JoinModulePath(removing, left));
  }

  for (const wxString& code : SortedFolderEntries(markers, wxDIR_FILES)) {
    if (!IsValidModuleCode(code)) continue;
    const wxString installed = JoinModulePath(root, code);
    if (wxDirExists(installed)) {
      MakeModuleFolder(removing);
      const wxString aside = FreeStampedPath(removing, code);
      if (!RenameEntry(installed, aside)) {
        appendLine(_("Nie udało się odinstalować modułu %s.\n"), code);
        continue;
      }
      RemoveDirIfExists(aside);
    }
    wxLogNull quiet;
    wxRemoveFile(GetPendingRemovalMarker(root, code));
  }

  FinishInterruptedStagings(root);
  for (const wxString& code : SortedFolderEntries(pending, wxDIR_DIRS)) {
    if (!IsValidModuleCode(code)) continue;
    const wxString staged = JoinModulePath(pending, code);
    const wxString target = JoinModulePath(root, code);
    wxString backup;
    if (wxDirExists(target)) {
      if (ModuleLibraryLoaded(target)) {
        if (postponed) {
          *postponed += wxString::Format(
              _("Aktualizacja modułu %s zostanie zastosowana po ponownym uruchomieniu programu.\n"), code);
        }
        continue;
      }
      const wxString backups = JoinModulePath(root, ".backup");
      MakeModuleFolder(backups);
      backup = FreeStampedPath(backups, code);
      if (!RenameEntry(target, backup)) {
        appendLine(_("Nie udało się utworzyć kopii modułu %s.\n"), code);
        continue;
      }
    }
    if (!RenameEntry(staged, target)) {
      if (!backup.empty()) RenameEntry(backup, target);
      appendLine(_("Nie udało się zastosować aktualizacji modułu %s.\n"), code);
    }
  }

  if (report) *report = lines;
  return lines.empty();
}

}  // namespace veldrix
