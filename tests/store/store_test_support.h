// Shared by the store tests: UTF-8 literals as texts and the published sum of a
// package, computed apart from the code under test.
#pragma once

#include "app/common/hex_text.h"

#include <openssl/sha.h>
#include <wx/string.h>

#include <string>

namespace veldrix::test {

inline wxString U(const char* text) { return wxString::FromUTF8(text); }
inline wxString U(const std::string& text) { return wxString::FromUTF8(text.c_str()); }

inline std::string Sha256Hex(const std::string& bytes) {
  unsigned char digest[SHA256_DIGEST_LENGTH];
  SHA256(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), digest);
  return EncodeHex(digest, sizeof digest).ToStdString();
}

}  // namespace veldrix::test
