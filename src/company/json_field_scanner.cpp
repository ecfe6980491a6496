#include "company/json_field_scanner.h"

#include "app/common/json_literal.h"

namespace {

// The 16-bit value of four hexadecimal digits at position, or -1.
long HexUnit(const wxString& text, std::size_t position) {
  if (position + 4 > text.length()) return -1;
  long value = 0;
  for (std::size_t i = position; i < position + 4; ++i) {
    const wxUniChar c = text[i];
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return -1;
    }
    value = value * 16 + digit;
  }
  return value;
}

bool IsHighSurrogate(long unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsLowSurrogate(long unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Reads a key's value position: white space, a colon, white space.
bool SkipToValue(const wxString& text, std::size_t& position) {
  SkipJsonWhitespace(text, position);
  if (position >= text.length() || text[position] != ':') return false;
  ++position;
  SkipJsonWhitespace(text, position);
  return position < text.length();
}

}  // namespace

void SkipJsonWhitespace(const wxString& text, std::size_t& position) {
  while (position < text.length()) {
    const wxUniChar c = text[position];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return;
    ++position;
  }
}

bool ReadJsonString(const wxString& text, std::size_t& position, wxString& out) {
  const std::size_t length = text.length();
  if (position >= length || text[position] != '"') return false;
  out.clear();
  std::size_t at = position + 1;
  while (at < length) {
    const wxUniChar c = text[at++];
    if (c == '"') {
      position = at;
      return true;
    }
    if (c != '\\') {
      out += c;
      continue;
    }
    if (at >= length) return false;
    const wxUniChar escaped = text[at++];
    switch (static_cast<wchar_t>(escaped.GetValue())) {
      case 'b': out += wxUniChar(0x08); break;
      case 'f': out += wxUniChar(0x0C); break;
      case 'n': out += wxUniChar(0x0A); break;
      case 'r': out += wxUniChar(0x0D); break;
      case 't': out += wxUniChar(0x09); break;
      case 'u': {
        const long unit = HexUnit(text, at);
        if (unit < 0) return false;
        at += 4;
        // Text here holds code points, not UTF-16: a surrogate pair becomes one
        // character, and a lone surrogate the replacement character.
        if (IsHighSurrogate(unit) && at + 1 < length && text[at] == '\\' && text[at + 1] == 'u' &&
            IsLowSurrogate(HexUnit(text, at + 2))) {
          const long low = HexUnit(text, at + 2);
          at += 6;
          out += wxUniChar(static_cast<wxUint32>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
          out += wxUniChar(0xFFFD);
        } else {
          out += wxUniChar(static_cast<wxUint32>(unit));
        }
        break;
      }
      default:  // '"', '/', '\\' and any other character stand for themselves
        out += escaped;
    }
  }
  return false;
}

bool FindJsonKey(const wxString& text, const wxString& key, std::size_t& position) {
  std::size_t at = 0;
  wxString literal;
  while (at < text.length()) {
    if (text[at] != '"') {
      ++at;
      continue;
    }
    if (!ReadJsonString(text, at, literal)) return false;
    std::size_t next = at;
    SkipJsonWhitespace(text, next);
    if (next < text.length() && text[next] == ':' && literal == key) {
      position = at;
      return true;
    }
  }
  return false;
}

bool GetJsonStringField(const wxString& text, const wxString& key, wxString& out) {
  std::size_t at = 0;
  if (!FindJsonKey(text, key, at) || !SkipToValue(text, at) || text[at] != '"') return false;
  return ReadJsonString(text, at, out);
}

bool GetJsonObjectField(const wxString& text, const wxString& key, wxString& out) {
  std::size_t at = 0;
  if (!FindJsonKey(text, key, at) || !SkipToValue(text, at) || text[at] != '{') return false;
  const std::size_t start = at;
  int depth = 0;
  while (at < text.length()) {
    const wxUniChar c = text[at];
    if (c == '"') {
      at = veldrix::SkipJsonStringLiteral(text, at);
      continue;
    }
    if (c == '{') {
      ++depth;
    } else if (c == '}' && --depth == 0) {
      out = text.substr(start, at - start + 1);
      return true;
    }
    ++at;
  }
  return false;
}
