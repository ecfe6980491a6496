#include "db/sqlite_functions.h"

#include <sqlite3.h>

#include <clocale>
#include <cwctype>
#include <string>

namespace {

// Case mapping of the whole of Unicode, whatever locale the process runs in (under
// "C" the C library folds A-Z only, as SQLite's own lower() does).
locale_t UnicodeCaseLocale() {
  static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  return locale;
}

wint_t LowerCodePoint(wint_t c) {
  const locale_t locale = UnicodeCaseLocale();
  return locale ? towlower_l(c, locale) : towlower(c);
}

void AppendUtf8(std::string* out, unsigned long c) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xF0 | (c >> 18));
    *out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point of the well-formed UTF-8 sequence at text[i], with *length its
// byte count; false for a malformed one, whose first byte is then kept as it is.
bool DecodeUtf8(const unsigned char* text, std::size_t bytes, std::size_t i, unsigned long* code, int* length) {
  const unsigned char lead = text[i];
  int count;
  unsigned long value;
  if (lead >= 0xC2 && lead <= 0xDF) {
    count = 2;
    value = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    count = 3;
    value = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    count = 4;
    value = lead & 0x07;
  } else {
    return false;
  }
  if (i + count > bytes) return false;
  for (int k = 1; k < count; ++k) {
    if ((text[i + k] & 0xC0) != 0x80) return false;
    value = (value << 6) | (text[i + k] & 0x3F);
  }
  static const unsigned long kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (value < kSmallest[count] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
  *code = value;
  *length = count;
  return true;
}

void UnicodeLower(sqlite3_context* context, int, sqlite3_value** arguments) {
  const unsigned char* text = sqlite3_value_text(arguments[0]);
  if (!text) {
    sqlite3_result_null(context);
    return;
  }
  const std::string lowered =
      LowerUtf8(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_value_bytes(arguments[0])));
  sqlite3_result_text(context, lowered.data(), static_cast<int>(lowered.size()), SQLITE_TRANSIENT);
}

}  // namespace

std::string LowerUtf8(const char* text, std::size_t bytes) {
  const auto* in = reinterpret_cast<const unsigned char*>(text);
  std::string lowered;
  lowered.reserve(bytes);
  std::size_t i = 0;
  while (i < bytes) {
    const unsigned char c = in[i];
    if (c < 0x80) {
      lowered += static_cast<char>(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c);
      ++i;
      continue;
    }
    unsigned long code = 0;
    int length = 0;
    if (!DecodeUtf8(in, bytes, i, &code, &length)) {
      lowered += static_cast<char>(c);
      ++i;
      continue;
    }
    AppendUtf8(&lowered, static_cast<unsigned long>(LowerCodePoint(static_cast<wint_t>(code))));
    i += static_cast<std::size_t>(length);
  }
  return lowered;
}

bool RegisterSqliteFunctions(sqlite3* db) {
  if (!db) return false;
  return sqlite3_create_function_v2(db, "lower", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, UnicodeLower,
                                    nullptr, nullptr, nullptr) == SQLITE_OK;
}
