#include "app/common/hex_text.h"

#include <string>

namespace {

int HexDigit(wxUniChar c) {
  const wxUint32 v = static_cast<wxUint32>(c);
  if (v >= '0' && v <= '9') return static_cast<int>(v - '0');
  if (v >= 'a' && v <= 'f') return static_cast<int>(v - 'a' + 10);
  if (v >= 'A' && v <= 'F') return static_cast<int>(v - 'A' + 10);
  return -1;
}

}  // namespace

wxString EncodeHex(const unsigned char* bytes, std::size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(count * 2);
  for (std::size_t i = 0; i < count; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0x0F]);
  }
  return wxString::FromAscii(text.c_str());
}

wxString EncodeHex(const std::vector<unsigned char>& bytes) { return EncodeHex(bytes.data(), bytes.size()); }

bool DecodeHex(const wxString& text, std::vector<unsigned char>* out) {
  if (!out) return false;
  if (text.length() % 2 != 0) return false;
  out->clear();
  out->reserve(text.length() / 2);
  for (size_t i = 0; i < text.length(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    out->push_back(static_cast<unsigned char>((high << 4) | low));
  }
  return true;
}

