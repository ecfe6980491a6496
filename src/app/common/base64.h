// Base64 (RFC 4648, standard alphabet, "=" padding, no line breaks) for binary values
// kept as text: protected passwords and credentials in the configuration file, the
// company logo and stored records.
#pragma once

#include <wx/base64.h>
#include <wx/buffer.h>
#include <wx/string.h>

#include <cstddef>

namespace veldrix {

// Empty text for zero bytes (or when the buffer cannot be allocated).
wxString EncodeBase64(const void* bytes, std::size_t length);

// The decoded bytes; an empty buffer when the text is not valid in the mode.
// wxBase64DecodeMode_Strict rejects anything outside the alphabet and padding (used
// for secrets); wxBase64DecodeMode_SkipWS ignores blanks and line breaks (the logo).
// A character outside ASCII never decodes.
wxMemoryBuffer DecodeBase64(const wxString& text, wxBase64DecodeMode mode = wxBase64DecodeMode_Strict);

}  // namespace veldrix
