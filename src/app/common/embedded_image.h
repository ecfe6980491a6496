// One entry of the image table compiled into the executable (generated from
// resources/images at build time) and the table itself. Constant, never freed.
#pragma once

#include <wx/gdicmn.h>

#include <cstddef>
#include <cstdint>

namespace veldrix {

struct EmbeddedImage {
  const char* name;           // UTF-8 file name without a folder part
  const unsigned char* data;  // the complete file as it would lie on disk
  std::uint32_t size;         // bytes at data
  wxBitmapType type;          // wxBITMAP_TYPE_PNG or wxBITMAP_TYPE_XPM
};

extern const EmbeddedImage kEmbeddedImages[];
extern const std::size_t kEmbeddedImageCount;

}  // namespace veldrix
