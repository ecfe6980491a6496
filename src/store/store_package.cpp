#include "store/store_package.h"

#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "pluginmanager/module_staging.h"
#include "store/store_client.h"

#include <wx/filefn.h>
#include <wx/filename.h>

namespace veldrix {

bool DownloadAndStagePackage(const wxString& modulesFolder, const StoreModuleEntry& entry, wxString* error,
                             const StoreProgress& progress) {
  wxString failure;
  const wxString temporary = wxFileName::CreateTempFileName(JoinPath(wxFileName::GetTempDir(), "veldrix-module-"));
  if (temporary.empty()) {
    if (error) *error = _("Nie udało się utworzyć pliku pobieranej paczki.");
    return false;
  }
  bool ok = DownloadPackage(entry.file.download_url, temporary, &failure, progress);
  // The catalogue's size is checked before the package is read for its sum: a
  // short or padded download is refused as such.
  if (ok && entry.file.size_bytes > 0) {
    const wxULongLong size = wxFileName::GetSize(temporary);
    if (size == wxInvalidSize || size.GetValue() != static_cast<wxULongLong_t>(entry.file.size_bytes)) {
      failure = _("Rozmiar pobranej paczki nie zgadza się z katalogiem. Instalacja została przerwana.");
      ok = false;
    }
  }
  if (ok) ok = StagePackage(modulesFolder, entry.code, temporary, entry.file.sha256, &failure);
  if (wxFileExists(temporary)) wxRemoveFile(temporary);
  if (error) *error = ok ? wxString() : failure;
  return ok;
}

}  // namespace veldrix
