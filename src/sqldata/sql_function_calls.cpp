// cast(x as TEXT), substr and printf rewritten into T-SQL. Calls are found by one
// scan that skips literals, quoted names and comments and balances parentheses; the
// output is built as the scan goes, so many calls in one long statement cost one pass.
#include "sqldata/sql_translate_steps.h"

#include "sqldata/sql_translate.h"

#include <cwchar>
#include <vector>

namespace sqlscan {
namespace {

bool IsFunctionNameAt(const Text& text, std::size_t pos, const wchar_t* lowerName, std::size_t length) {
  if (pos + length > text.size() || LowerAscii(text[pos]) != lowerName[0]) return false;
  if (!EqualsNoCaseAt(text, pos, lowerName)) return false;
  if (pos > 0 && IsNameChar(text[pos - 1])) return false;
  return pos + length >= text.size() || !IsNameChar(text[pos + length]);
}

std::size_t FindClosingParen(const Text& text, std::size_t open) {
  int depth = 0;
  std::size_t i = open;
  while (i < text.size()) {
    const std::size_t skipped = SkipQuotedOrComment(text, i);
    if (skipped != i) {
      i = skipped;
      continue;
    }
    const wchar_t c = text[i];
    if (c == L'(') {
      ++depth;
    } else if (c == L')') {
      if (depth == 1) return i;
      --depth;
    }
    ++i;
  }
  return npos;
}

std::vector<Text> SplitTopLevelArguments(const Text& inner) {
  std::vector<Text> args;
  Text current;
  int depth = 0;
  std::size_t i = 0;
  while (i < inner.size()) {
    const std::size_t end = SkipQuotedOrComment(inner, i);
    if (end != i) {
      current.append(inner, i, end - i);
      i = end;
      continue;
    }
    const wchar_t c = inner[i];
    if (c == L'(') {
      ++depth;
    } else if (c == L')') {
      if (depth > 0) --depth;
    } else if (c == L',' && depth == 0) {
      args.push_back(TrimBlanks(current));
      current.clear();
      ++i;
      continue;
    }
    current += c;
    ++i;
  }
  args.push_back(TrimBlanks(current));
  return args;
}

bool SplitCastOperand(const Text& inner, Text* expression, Text* type) {
  int depth = 0;
  std::size_t i = 0;
  while (i < inner.size()) {
    const std::size_t skipped = SkipQuotedOrComment(inner, i);
    if (skipped != i) {
      i = skipped;
      continue;
    }
    const wchar_t c = inner[i];
    if (c == L'(') {
      ++depth;
    } else if (c == L')') {
      if (depth > 0) --depth;
    } else if (depth == 0 && IsFunctionNameAt(inner, i, L"as", 2)) {
      *expression = TrimBlanks(inner.substr(0, i));
      *type = TrimBlanks(inner.substr(i + 2));
      return !expression->empty() && !type->empty();
    }
    ++i;
  }
  return false;
}

Text TextConvertExpression(const Text& expression) {
  const Text e = TrimBlanks(expression);
  const Text lower = LowerAsciiCopy(e);
  if (lower.find(L"date") != npos || lower.find(L"data") != npos || lower.find(L"_at") != npos) {
    return L"CONVERT(NVARCHAR(30)," + e + L",23)";
  }
  return L"CONVERT(NVARCHAR(4000)," + e + L")";
}

// A quoted format N?'<head><digits><tail>' as the whole (trimmed) argument; the
// digits read as a number no larger than `limit`.
bool ParseFormat(const Text& argument, const wchar_t* head, wchar_t tail, int limit, int* value) {
  const Text text = TrimBlanks(argument);
  Cursor c{text, 0};
  if (c.peek() == L'N' || c.peek() == L'n') ++c.pos;
  if (!c.ch(L'\'') || !c.keyword(head)) return false;
  long number = 0;
  std::size_t digits = 0;
  while (!c.atEnd() && IsDigit(c.peek())) {
    number = number * 10 + (c.peek() - L'0');
    if (number > limit) number = limit + 1;  // stays out of range, never overflows
    ++c.pos;
    ++digits;
  }
  if (digits == 0 || LowerAscii(c.peek()) != tail) return false;
  ++c.pos;
  if (!c.ch(L'\'') || !c.atEnd() || number > limit) return false;
  *value = static_cast<int>(number);
  return true;
}

bool ParseDecimalFormat(const Text& argument, int* decimals) {
  return ParseFormat(argument, L"%.", L'f', 17, decimals);
}

bool ParseZeroPadFormat(const Text& argument, int* width) {
  return ParseFormat(argument, L"%0", L'd', 50, width) && *width >= 1;
}

// The call scan shared by the three rewrites. `replace` gets the text between the
// parentheses and gives the replacement of the whole call, or false to leave it.
template <class Replace>
Text RewriteCalls(Text text, const wchar_t* lowerName, Replace replace) {
  const std::size_t nameLength = std::wcslen(lowerName);
  const std::size_t n = text.size();
  Text out;
  std::size_t copied = 0;
  std::size_t i = 0;
  while (i < n) {
    const std::size_t skipped = SkipQuotedOrComment(text, i);
    if (skipped != i) {
      i = skipped;
      continue;
    }
    if (!IsFunctionNameAt(text, i, lowerName, nameLength)) {
      ++i;
      continue;
    }
    std::size_t p = i + nameLength;
    while (p < n && IsBlank(text[p])) ++p;
    if (p >= n || text[p] != L'(') {
      ++i;
      continue;
    }
    const std::size_t close = FindClosingParen(text, p);
    if (close == npos) break;  // unbalanced: the rest stays as it is
    Text replacement;
    if (replace(text.substr(p + 1, close - p - 1), &replacement)) {
      if (out.empty()) out.reserve(n + 64);
      out.append(text, copied, i - copied);
      out += replacement;
      copied = close + 1;
    }
    i = close + 1;
  }
  if (copied == 0) return text;
  out.append(text, copied, npos);
  return out;
}

}  // namespace

Text RewriteCastText(Text text) {
  return RewriteCalls(std::move(text), L"cast", [](const Text& inner, Text* replacement) {
    Text expression;
    Text type;
    if (!SplitCastOperand(inner, &expression, &type) || LowerAsciiCopy(type) != L"text") return false;
    *replacement = L"CONVERT(NVARCHAR(4000)," + expression + L")";
    return true;
  });
}

Text RewriteSubstr(Text text) {
  return RewriteCalls(std::move(text), L"substr", [](const Text& inner, Text* replacement) {
    const std::vector<Text> args = SplitTopLevelArguments(inner);
    if (args.size() < 2) return false;
    const Text a0 = TextConvertExpression(args[0]);
    const Text length = args.size() >= 3 ? args[2] : L"LEN(" + a0 + L")";
    *replacement = L"SUBSTRING(" + a0 + L"," + args[1] + L"," + length + L")";
    return true;
  });
}

Text RewritePrintf(Text text) {
  return RewriteCalls(std::move(text), L"printf", [](const Text& inner, Text* replacement) {
    const std::vector<Text> args = SplitTopLevelArguments(inner);
    if (args.size() < 2) return false;
    int number = 0;
    if (ParseDecimalFormat(args[0], &number)) {
      const Text d = std::to_wstring(number);
      *replacement = L"CONVERT(NVARCHAR(50), CAST(ROUND(" + args[1] + L"," + d + L") AS DECIMAL(18," + d + L")))";
      return true;
    }
    if (ParseZeroPadFormat(args[0], &number)) {
      const Text w = std::to_wstring(number);
      *replacement =
          L"RIGHT(REPLICATE(N'0'," + w + L")+CONVERT(NVARCHAR(50), CAST(" + args[1] + L" AS BIGINT))," + w + L")";
      return true;
    }
    return false;
  });
}

}  // namespace sqlscan

wxString TranslateCastText(const wxString& text) { return wxString(sqlscan::RewriteCastText(text.ToStdWstring())); }
wxString TranslateSubstr(const wxString& text) { return wxString(sqlscan::RewriteSubstr(text.ToStdWstring())); }
wxString TranslatePrintf(const wxString& text) { return wxString(sqlscan::RewritePrintf(text.ToStdWstring())); }
