// Hand-written scanners over SQL text for the SQL Server rewriting: string literals,
// quoted names and comments, blanks, words, and a cursor that matches keyword
// sequences. Every scanner runs in
// time linear in what it reads and nothing recurses, so a statement of megabytes is
// rewritten without backtracking or deep stacks.
#pragma once

#include <cstddef>
#include <string>

namespace sqlscan {

using Text = std::wstring;
constexpr std::size_t npos = std::wstring::npos;

// Blank of the scanners: space, tab, CR, LF.
inline bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }
// White space of the keyword patterns: the blanks plus vertical tab and form feed.
inline bool IsSpace(wchar_t c) { return IsBlank(c) || c == L'\v' || c == L'\f'; }
inline bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }
inline bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }
inline bool IsWordChar(wchar_t c) { return IsAsciiLetter(c) || IsDigit(c) || c == L'_'; }
// Characters of a T-SQL name: word characters plus "@", "#" and "$".
inline bool IsNameChar(wchar_t c) { return IsWordChar(c) || c == L'@' || c == L'#' || c == L'$'; }
inline wchar_t LowerAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }
// What "." of the patterns does not match.
inline bool IsLineTerminator(wchar_t c) { return c == L'\n' || c == L'\r' || c == 0x2028 || c == 0x2029; }

// Position just after the literal opened at quotePos ("''" inside does not end it),
// or the text length when it is not closed.
std::size_t SkipLiteral(const Text& text, std::size_t quotePos);

// What no rewriting step may look into: a '...' literal, a "...", `...` or [...]
// name (its closing character doubled stays inside), a "--" comment up to the line
// break and a /* */ comment. The position just after the one that starts at pos
// (the text length when it is not closed), or pos when none starts there.
std::size_t SkipQuotedOrComment(const Text& text, std::size_t pos);

// The ASCII word (lower case) stands at pos, ignoring case.
bool EqualsNoCaseAt(const Text& text, std::size_t pos, const wchar_t* lowerWord);
// As EqualsNoCaseAt, and neither neighbour is a word character.
bool WordAt(const Text& text, std::size_t pos, const wchar_t* lowerWord);
// A word boundary between pos - 1 and pos.
bool BoundaryAt(const Text& text, std::size_t pos);

// CR, LF and tab become spaces, runs of spaces become one, ends trimmed.
Text Collapse(const Text& text);
Text Trim(const Text& text);             // white space at both ends
Text TrimBlanks(const Text& text);       // blanks at both ends
Text LowerAsciiCopy(const Text& text);
bool StartsWithNoCase(const Text& text, const wchar_t* lowerPrefix);
// StartsWithNoCase(Collapse(text), prefix) without collapsing the whole text. With
// `anySpace` every run of white space counts as one blank (a looser test that holds
// whenever the keyword patterns can match).
bool CollapsedStartsWith(const Text& text, const wchar_t* lowerPrefix, bool anySpace = false);

// Reads a keyword pattern from a position; every step either advances or fails.
struct Cursor {
  const Text& text;
  std::size_t pos;

  bool atEnd() const { return pos >= text.size(); }
  wchar_t peek() const { return pos < text.size() ? text[pos] : L'\0'; }
  std::size_t spaces();  // \s*, returns the count
  bool spaces1() { return spaces() > 0; }
  bool keyword(const wchar_t* lowerWord);  // the word, ignoring case
  bool ch(wchar_t c);
  bool boundary() const { return BoundaryAt(text, pos); }
  // `\s*;?\s*$`: only blanks and one optional ";" remain.
  bool statementEnd();
};

// What a pattern can start with, so that a replace pass tries it only there.
constexpr wchar_t kOpensWithSpace = L' ';  // \s+...: tried at the start of a run of white space
constexpr wchar_t kOpensWithWord = L'\0';  // tried where a word begins

// Replaces, outside literals, quoted names and comments and from left to right,
// every match of `match`:
// called as match(text, position, replacement) it returns the length of the match
// there after writing its replacement, or 0. `first` is the lower-case letter every
// match begins with, or one of the two kinds above. A text without any match is
// returned as it is, without a copy when the caller moves it in.
template <class Match>
Text ReplaceOutsideLiterals(Text text, wchar_t first, Match match) {
  Text out;
  Text replacement;
  bool changed = false;
  std::size_t copied = 0;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const std::size_t skipped = SkipQuotedOrComment(text, i);
    if (skipped != i) {
      i = skipped;
      continue;
    }
    const wchar_t c = text[i];
    bool candidate;
    if (first == kOpensWithSpace) {
      candidate = IsSpace(c);
    } else if (first == kOpensWithWord) {
      candidate = IsWordChar(c) && (i == 0 || !IsWordChar(text[i - 1]));
    } else {
      candidate = LowerAscii(c) == first;
    }
    if (!candidate) {
      ++i;
      continue;
    }
    replacement.clear();
    const std::size_t used = match(text, i, replacement);
    if (used == 0) {
      ++i;
      // A failed \s+... fails at every later blank of the same run as well.
      if (first == kOpensWithSpace) {
        while (i < n && IsSpace(text[i])) ++i;
      }
      continue;
    }
    if (!changed) {
      out.reserve(n + 64);
      changed = true;
    }
    out.append(text, copied, i - copied);
    out += replacement;
    i += used;
    copied = i;
  }
  if (!changed) return text;
  out.append(text, copied, npos);
  return out;
}

}  // namespace sqlscan
