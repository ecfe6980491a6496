// The one rule for stepping over a JSON string literal without decoding it, for
// the scans that look at a JSON text's structure only: the strict reader's
// pre-check and the company lookup's field scanner.
#pragma once

#include <cstddef>

namespace veldrix {

// The position just past the literal whose opening quote is at `quote` (escaped
// characters skipped), or the text's length when the literal is never closed.
// Text is any string indexed by position (std::string, wxString).
template <class Text>
std::size_t SkipJsonStringLiteral(const Text& text, std::size_t quote) {
  for (std::size_t at = quote + 1; at < text.length(); ++at) {
    if (text[at] == '\\') {
      ++at;
    } else if (text[at] == '"') {
      return at + 1;
    }
  }
  return text.length();
}

}  // namespace veldrix
