// Finding and loading the dialogs' XRC layouts, with the illustration set in.
#include "app/common/images.h"
#include "app/common/window_placement.h"
#include "authdialogs/auth_dialogs.h"

#include <wx/dialog.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_mem.h>
#include <wx/log.h>
#include <wx/statbmp.h>
#include <wx/stdpaths.h>
#include <wx/xrc/xmlres.h>

namespace {

const char kIllustrationName[] = "auth_illustration.png";

wxString UiCandidate(const wxString& folder, const wxString& fileName) {
  wxFileName name(folder, fileName);
  name.AppendDir("ui");
  return name.GetFullPath();
}

// A layout may refer to the illustration as "memory:auth_illustration.png".
void RegisterIllustrationOnce() {
  static bool handlerAdded = false;
  if (!handlerAdded) {
    handlerAdded = true;
    wxFileSystem::AddHandler(new wxMemoryFSHandler);
  }
  static bool imageAdded = false;
  if (!imageAdded) {
    imageAdded = true;
    veldrix::EmbeddedImage image{};
    if (veldrix::FindEmbeddedImage(kIllustrationName, &image) && image.data) {
      wxMemoryFSHandler::AddFile(kIllustrationName, image.data, image.size);
    }
  }
}

void SetIllustration(wxDialog* dialog, const wxBitmap& bitmap) {
  for (const char* name : {"AuthLoginIllustration", "AuthSetupIllustration"}) {
    auto* control = dynamic_cast<wxStaticBitmap*>(dialog->FindWindow(XRCID(name)));
    if (control) control->SetBitmap(bitmap);
  }
}

}  // namespace

wxString FindAuthUiFile(const wxString& fileName) {
  const wxString executableFolder = wxFileName(wxStandardPaths::Get().GetExecutablePath()).GetPath();
  const wxString candidates[] = {
      UiCandidate(executableFolder, fileName),
      UiCandidate(wxGetCwd(), fileName),
#ifdef VELDRIX_SOURCE_UI_DIR
      wxFileName(wxString::FromUTF8(VELDRIX_SOURCE_UI_DIR), fileName).GetFullPath(),
#endif
  };
  for (const wxString& candidate : candidates) {
    if (wxFileExists(candidate)) return candidate;
  }
  return candidates[0];
}

wxDialog* LoadAuthDialog(wxWindow* parent, const wxString& fileName, const wxString& dialogName) {
  RegisterIllustrationOnce();
  wxXmlResource* resources = wxXmlResource::Get();
  resources->InitAllHandlers();
  const wxString path = FindAuthUiFile(fileName);
  wxDialog* dialog = nullptr;
  {
    // The caller reports the failure in its own words; the XRC reader's log box
    // would only add a second, English one.
    wxLogNull quiet;
    if (!wxFileExists(path)) return nullptr;
    // Loading again picks up an edited layout instead of stacking a second copy.
    resources->Unload(path);
    if (!resources->Load(path)) return nullptr;
    dialog = new wxDialog;
    // Before Create, which LoadDialog calls.
    veldrix::KeepPositionOnFirstShow(dialog);
    if (!resources->LoadDialog(dialog, parent, dialogName)) {
      delete dialog;
      return nullptr;
    }
  }
  const wxBitmap illustration =
      veldrix::LoadToolbarBitmap(kIllustrationName, wxART_MISSING_IMAGE, wxSize(450, 105));
  if (illustration.IsOk()) SetIllustration(dialog, illustration);
  dialog->CentreOnScreen(wxBOTH);
  return dialog;
}
