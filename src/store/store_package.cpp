#include "store/store_package.h"

#include "app/common/crash_point.h"
#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "app/common/work_files.h"
#include "pluginmanager/module_staging.h"
#include "store/store_client.h"

#include <wx/filefn.h>
#include <wx/filename.h>

#include <unistd.h>

#include <cstdint>

namespace veldrix {

bool DownloadAndStagePackage(const wxString& modulesFolder, const StoreModuleEntry& entry, wxString* error,
                             const StoreProgress& progress) {
  wxString failure;
  // What a download killed half-way left in the temporary folder goes first.
  wxString temporary;
  const int fd = CreateWorkFile(wxFileName::GetTempDir(), "veldrix-module-", &temporary);
  if (fd < 0) {
    if (error) *error = _("Nie udało się utworzyć pliku pobieranej paczki.");
    return false;
  }
  ::close(fd);
  CrashPoint("package download");
  const std::uint64_t expected = entry.file.size_bytes > 0 ? static_cast<std::uint64_t>(entry.file.size_bytes) : 0;
  const wxString wrongSize = _("Rozmiar pobranej paczki nie zgadza się z katalogiem. Instalacja została przerwana.");
  // A server that sends more than the catalogue's size is cut off there, before
  // it can fill the temporary folder.
  bool overrun = false;
  const StoreProgress watched = [&](std::uint64_t received, std::uint64_t total) {
    if (expected > 0 && received > expected) {
      overrun = true;
      return false;
    }
    return !progress || progress(received, total);
  };
  bool ok = DownloadPackage(entry.file.download_url, temporary, &failure, watched);
  if (overrun) failure = wrongSize;
  // The catalogue's size is checked before the package is read for its sum: a
  // short or padded download is refused as such.
  if (ok && expected > 0) {
    const wxULongLong size = wxFileName::GetSize(temporary);
    if (size == wxInvalidSize || size.GetValue() != static_cast<wxULongLong_t>(expected)) {
      failure = wrongSize;
      ok = false;
    }
  }
  if (ok) ok = StagePackage(modulesFolder, entry.code, temporary, entry.file.sha256, &failure);
  if (wxFileExists(temporary)) wxRemoveFile(temporary);
  if (error) *error = ok ? wxString() : failure;
  return ok;
}

}  // namespace veldrix
