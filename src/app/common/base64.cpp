#include "app/common/base64.h"

#include <new>
#include <string>

namespace veldrix {

wxString EncodeBase64(const void* bytes, std::size_t length) {
  if (length == 0) return wxString();
  try {
    std::string buffer((length + 2) / 3 * 4 + 1, '\0');
    const std::size_t written = wxBase64Encode(buffer.data(), buffer.size(), bytes, length);
    if (written == wxCONV_FAILED) return wxString();
    return wxString::FromAscii(buffer.data(), written);
  } catch (const std::bad_alloc&) {
    return wxString();
  }
}

wxMemoryBuffer DecodeBase64(const wxString& text, wxBase64DecodeMode mode) {
  std::string ascii;
  ascii.reserve(text.length());
  // "_" is outside the alphabet, so a non-ASCII character makes the text invalid.
  for (wxUniChar c : text) ascii += c.IsAscii() ? static_cast<char>(c.GetValue()) : '_';
  return wxBase64Decode(ascii.data(), ascii.size(), mode);
}

}  // namespace veldrix
