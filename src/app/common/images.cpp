#include "app/common/images.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include "app/common/paths.h"

namespace veldrix {
namespace {

const char* const kSubFolders[] = {"images", "ui", "assets/dashboard"};

wxString InFolder(const wxString& folder, const wxString& name) {
  if (folder.empty()) return name;
  return folder.EndsWith(wxFILE_SEP_PATH) ? folder + name : folder + wxFILE_SEP_PATH + name;
}

wxString SubFolder(const wxString& folder, const char* sub) {
  wxFileName path = folder.empty() ? wxFileName() : wxFileName::DirName(folder);
  for (const wxString& part : wxSplit(sub, '/', '\0')) path.AppendDir(part);
  return path.GetPath();
}

// Loads a file as wxImage does; a failure is silent (the callers fall back).
bool LoadImageFile(const wxString& path, wxImage* out) {
  wxLogNull quiet;
  return out->LoadFile(path, wxBITMAP_TYPE_ANY, -1) && out->IsOk();
}

wxBitmap StockArt(const wxArtID& fallbackArt, const wxSize& size) {
  return wxArtProvider::GetBitmap(fallbackArt, wxART_TOOLBAR, size);
}

}  // namespace

bool FindEmbeddedImage(const wxString& name, EmbeddedImage* out) {
  wxString key(name);
  key.Replace("\\", "/");
  const int slash = key.Find('/', true);
  if (slash != wxNOT_FOUND) key = key.Mid(static_cast<size_t>(slash) + 1);

  for (std::size_t i = 0; i < kEmbeddedImageCount; ++i) {
    const EmbeddedImage& entry = kEmbeddedImages[i];
    if (wxString::FromUTF8(entry.name).IsSameAs(key, false)) {
      if (out) {
        out->data = entry.data;
        out->size = entry.size;
        out->type = entry.type;
      }
      return true;
    }
  }
  if (out) {
    out->data = nullptr;
    out->size = 0;
    out->type = wxBITMAP_TYPE_ANY;
  }
  return false;
}

bool LoadImageFromMemory(const void* data, std::size_t length, wxImage* out, wxBitmapType type) {
  if (!data || length == 0 || !out) return false;
  wxMemoryInputStream stream(data, length);
  {
    wxLogNull quiet;
    if (out->LoadFile(stream, type, -1) && out->IsOk()) return true;
  }
  *out = wxImage();
  return false;
}

wxArrayString ImageSearchFolders() {
  wxArrayString folders;
  folders.Add(wxString());
  for (const char* sub : kSubFolders) folders.Add(SubFolder(wxString(), sub));

  const wxString program = ProgramFolder();
  if (program.empty()) return folders;
  folders.Add(program);
  for (const char* sub : kSubFolders) folders.Add(SubFolder(program, sub));

  // Only the three sub-folders of the parent and grandparent; the levels stop at the root.
  wxFileName level = wxFileName::DirName(program);
  for (int up = 0; up < 2 && level.GetDirCount() > 0; ++up) {
    level.RemoveLastDir();
    const wxString parent = level.GetPath();
    for (const char* sub : kSubFolders) folders.Add(SubFolder(parent, sub));
  }
  return folders;
}

bool LoadImageFromFolders(const wxString& name, wxImage* out) {
  if (!out) return false;
  const wxArrayString folders = ImageSearchFolders();
  if (wxFileName(name).IsAbsolute() && wxFileName::FileExists(name) && LoadImageFile(name, out)) return true;

  for (const wxString& folder : folders) {
    const wxString path = InFolder(folder, name);
    if (!wxFileName::FileExists(path)) continue;
    if (LoadImageFile(path, out)) return true;
    *out = wxImage();
  }
  return false;
}

bool LoadNamedImage(const wxString& name, wxImage* out) {
  if (!out) return false;
  EmbeddedImage entry{};
  if (FindEmbeddedImage(name, &entry) && LoadImageFromMemory(entry.data, entry.size, out, entry.type)) return true;
  return LoadImageFromFolders(name, out);
}

wxBitmap ImageToBitmap(const wxArtID& fallbackArt, const wxSize& size, wxImage image) {
  if (!image.IsOk()) return StockArt(fallbackArt, size);
  if (image.GetWidth() > 0 && image.GetHeight() > 0 && !image.HasAlpha() && !image.HasMask()) {
    image.SetMaskColour(image.GetRed(0, 0), image.GetGreen(0, 0), image.GetBlue(0, 0));
  }
  // A side of 0 or below (other than -1) cannot be drawn at all; such a size keeps the image.
  if (size.x > 0 && size.y > 0 && (image.GetWidth() != size.x || image.GetHeight() != size.y)) {
    image.Rescale(size.x, size.y, wxIMAGE_QUALITY_HIGH);
  }
  return wxBitmap(image, -1, 1.0);
}

wxBitmap LoadToolbarBitmap(const wxString& name, const wxArtID& fallbackArt, const wxSize& size) {
  wxImage image;
  if (LoadNamedImage(name, &image)) return ImageToBitmap(fallbackArt, size, image);
  return StockArt(fallbackArt, size);
}

wxBitmap LoadToolbarBitmapFromData(const void* data, std::size_t length, const wxArtID& fallbackArt,
                                   const wxSize& size) {
  wxImage image;
  if (LoadImageFromMemory(data, length, &image, wxBITMAP_TYPE_PNG)) return ImageToBitmap(fallbackArt, size, image);
  return StockArt(fallbackArt, size);
}

}  // namespace veldrix
