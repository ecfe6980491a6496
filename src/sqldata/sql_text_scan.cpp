#include "sqldata/sql_text_scan.h"

namespace sqlscan {

namespace {

// Position just after the closing character, a doubled one staying inside.
std::size_t SkipQuoted(const Text& text, std::size_t openPos, wchar_t close) {
  const std::size_t n = text.size();
  std::size_t i = openPos + 1;
  while (i < n) {
    if (text[i] == close) {
      if (i + 1 < n && text[i + 1] == close) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return n;
}

}  // namespace

std::size_t SkipLiteral(const Text& text, std::size_t quotePos) { return SkipQuoted(text, quotePos, L'\''); }

std::size_t SkipQuotedOrComment(const Text& text, std::size_t pos) {
  const std::size_t n = text.size();
  if (pos >= n) return pos;
  const wchar_t c = text[pos];
  if (c == L'\'' || c == L'"' || c == L'`') return SkipQuoted(text, pos, c);
  if (c == L'[') return SkipQuoted(text, pos, L']');
  const wchar_t next = pos + 1 < n ? text[pos + 1] : L'\0';
  if (c == L'-' && next == L'-') {
    const std::size_t lineEnd = text.find(L'\n', pos + 2);
    return lineEnd == npos ? n : lineEnd;
  }
  if (c == L'/' && next == L'*') {
    const std::size_t close = text.find(L"*/", pos + 2);
    return close == npos ? n : close + 2;
  }
  return pos;
}

bool EqualsNoCaseAt(const Text& text, std::size_t pos, const wchar_t* lowerWord) {
  std::size_t i = pos;
  for (const wchar_t* w = lowerWord; *w; ++w, ++i) {
    if (i >= text.size() || LowerAscii(text[i]) != *w) return false;
  }
  return true;
}

bool WordAt(const Text& text, std::size_t pos, const wchar_t* lowerWord) {
  if (!EqualsNoCaseAt(text, pos, lowerWord)) return false;
  if (pos > 0 && IsWordChar(text[pos - 1])) return false;
  const std::size_t after = pos + std::char_traits<wchar_t>::length(lowerWord);
  return after >= text.size() || !IsWordChar(text[after]);
}

bool BoundaryAt(const Text& text, std::size_t pos) {
  const bool before = pos > 0 && pos - 1 < text.size() && IsWordChar(text[pos - 1]);
  const bool after = pos < text.size() && IsWordChar(text[pos]);
  return before != after;
}

Text Collapse(const Text& text) {
  Text out;
  out.reserve(text.size());
  bool lastSpace = false;
  for (wchar_t c : text) {
    if (c == L'\r' || c == L'\n' || c == L'\t') c = L' ';
    if (c == L' ') {
      if (lastSpace) continue;
      lastSpace = true;
    } else {
      lastSpace = false;
    }
    out += c;
  }
  return TrimBlanks(out);
}

Text Trim(const Text& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

Text TrimBlanks(const Text& text) {
  std::size_t begin = 0;
  std::size_t end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

Text LowerAsciiCopy(const Text& text) {
  Text out(text);
  for (wchar_t& c : out) c = LowerAscii(c);
  return out;
}

bool StartsWithNoCase(const Text& text, const wchar_t* lowerPrefix) { return EqualsNoCaseAt(text, 0, lowerPrefix); }

bool CollapsedStartsWith(const Text& text, const wchar_t* lowerPrefix, bool anySpace) {
  const auto collapsible = [anySpace](wchar_t c) { return anySpace ? IsSpace(c) : IsBlank(c); };
  std::size_t i = 0;
  while (i < text.size() && collapsible(text[i])) ++i;
  for (const wchar_t* p = lowerPrefix; *p; ++p) {
    if (i >= text.size()) return false;
    if (*p == L' ') {
      if (!collapsible(text[i])) return false;
      while (i < text.size() && collapsible(text[i])) ++i;
      // Trailing blanks are trimmed away: a prefix that ends in a blank needs more text.
      if (p[1] == L'\0' && i >= text.size()) return false;
      continue;
    }
    if (LowerAscii(text[i]) != *p) return false;
    ++i;
  }
  return true;
}

std::size_t Cursor::spaces() {
  const std::size_t start = pos;
  while (pos < text.size() && IsSpace(text[pos])) ++pos;
  return pos - start;
}

bool Cursor::keyword(const wchar_t* lowerWord) {
  if (!EqualsNoCaseAt(text, pos, lowerWord)) return false;
  pos += std::char_traits<wchar_t>::length(lowerWord);
  return true;
}

bool Cursor::ch(wchar_t c) {
  if (pos >= text.size() || text[pos] != c) return false;
  ++pos;
  return true;
}

bool Cursor::statementEnd() {
  spaces();
  ch(L';');
  spaces();
  return atEnd();
}

}  // namespace sqlscan
