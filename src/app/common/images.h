// Pictures by file name: the image table compiled into the executable first, then
// image files in the program's image folders, and for bitmaps the GUI library's stock
// art under the caller's art id, so a missing picture never fails an operation.
// Nothing is cached; GUI thread only, except FindEmbeddedImage.
#pragma once

#include <wx/artprov.h>
#include <wx/bitmap.h>
#include <wx/image.h>
#include <wx/string.h>

#include <cstddef>

#include "app/common/embedded_image.h"

namespace veldrix {

// Looks the last component of name (after "/" or "\") up in the embedded table,
// ignoring case. On a hit copies data, size and type into out; on a miss sets data
// null, size 0 and type wxBITMAP_TYPE_ANY. out->name is never written. Any thread.
bool FindEmbeddedImage(const wxString& name, EmbeddedImage* out);

// Decodes bytes into out; false (out untouched) for null data or length 0, false
// and an empty out when the bytes do not decode.
bool LoadImageFromMemory(const void* data, std::size_t length, wxImage* out, wxBitmapType type);

// The folders searched for image files, in order: the working directory, "images",
// "ui", "assets/dashboard" below it; the program folder and those three below it;
// the three below its parent and below its grandparent (stopping at the root).
wxArrayString ImageSearchFolders();

// An absolute path first, then name below each search folder; the first file that
// decodes wins.
bool LoadImageFromFolders(const wxString& name, wxImage* out);

// The embedded table, then the folders.
bool LoadNamedImage(const wxString& name, wxImage* out);

// The image as a bitmap of size (a side of -1 keeps the image's own size), with
// its top-left colour made transparent when it has neither alpha nor a mask; the
// stock art of fallbackArt when the image is not valid.
wxBitmap ImageToBitmap(const wxArtID& fallbackArt, const wxSize& size, wxImage image);

// The bitmap screens use for their icons: LoadNamedImage, else the stock art.
wxBitmap LoadToolbarBitmap(const wxString& name, const wxArtID& fallbackArt, const wxSize& size);

// The same for PNG bytes a module supplies.
wxBitmap LoadToolbarBitmapFromData(const void* data, std::size_t length, const wxArtID& fallbackArt,
                                   const wxSize& size);

}  // namespace veldrix
