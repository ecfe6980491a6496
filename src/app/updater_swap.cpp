#include "app/updater_swap.h"

#include "app/common/paths.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>

bool SwapUpdater(const wxString& programFolder) {
  const wxString downloaded = veldrix::JoinPath(programFolder, "_aktualizacja");
  const wxString updater = veldrix::JoinPath(programFolder, "aktualizacja");
  if (!wxFileName::FileExists(downloaded)) return false;
  wxLogNull quiet;  // a failed swap is retried at the next start, not reported
  if (wxFileName::FileExists(updater)) wxRemoveFile(updater);
  return wxRenameFile(downloaded, updater, true);
}
