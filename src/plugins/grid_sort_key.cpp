#include "plugins/grid_sort_key.h"

#include "app/common/text_folding.h"

#include <wx/datetime.h>

#include <algorithm>
#include <string>
#include <string_view>

namespace veldrix {
namespace {

bool IsDigit(wxUint32 c) { return c >= '0' && c <= '9'; }

// The currency and percent words an amount may carry; removed wherever they stand.
const wchar_t* const kAmountWords[] = {L"pln", L"zl", L"z\u0142", L"eur", L"%"};

// Length of the amount word that starts at `pos` (letter case ignored), 0 for none.
std::size_t AmountWordAt(std::wstring_view text, std::size_t pos) {
  for (const wchar_t* word : kAmountWords) {
    std::size_t i = 0;
    while (word[i] != L'\0' && pos + i < text.size() && FoldWideChar(text[pos + i]) == word[i]) {
      ++i;
    }
    if (word[i] == L'\0') return i;
  }
  return 0;
}

bool IsBlank(wxUint32 c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f'; }

// Reads 1..maxDigits digits at pos; advances pos.
bool ReadNumber(std::wstring_view s, std::size_t* pos, int minDigits, int maxDigits, int* value) {
  int digits = 0;
  int result = 0;
  while (*pos < s.size() && IsDigit(s[*pos]) && digits < maxDigits) {
    result = result * 10 + static_cast<int>(s[*pos] - '0');
    ++*pos;
    ++digits;
  }
  if (digits < minDigits) return false;
  if (*pos < s.size() && IsDigit(s[*pos])) return false;  // more digits than the form allows
  *value = result;
  return true;
}

bool Expect(std::wstring_view s, std::size_t* pos, wchar_t c) {
  if (*pos >= s.size() || s[*pos] != c) return false;
  ++*pos;
  return true;
}

int DaysInMonth(int year, int month) {
  return wxDateTime::GetNumberOfDays(static_cast<wxDateTime::Month>(month - 1), year);
}

// Days from 0001-01-01 of the proleptic Gregorian calendar.
long long DayNumber(int year, int month, int day) {
  long long days = 0;
  const long long y = year - 1;
  days = y * 365 + y / 4 - y / 100 + y / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

// The text without the blanks at both ends.
std::wstring_view TrimmedView(std::wstring_view raw) {
  std::size_t begin = 0;
  std::size_t end = raw.size();
  while (begin < end && IsBlank(raw[begin])) ++begin;
  while (end > begin && IsBlank(raw[end - 1])) --end;
  return raw.substr(begin, end - begin);
}

// The place of a lower-case character in the Polish alphabet: each Polish letter
// right after its base letter ("ż" after "ź" after "z"), every other character by
// its code. The weights fit a wchar_t for every code point.
wchar_t CollationWeight(wchar_t folded) {
  switch (folded) {
    case 0x0105: return static_cast<wchar_t>(L'a' * 4 + 1);
    case 0x0107: return static_cast<wchar_t>(L'c' * 4 + 1);
    case 0x0119: return static_cast<wchar_t>(L'e' * 4 + 1);
    case 0x0142: return static_cast<wchar_t>(L'l' * 4 + 1);
    case 0x0144: return static_cast<wchar_t>(L'n' * 4 + 1);
    case 0x00F3: return static_cast<wchar_t>(L'o' * 4 + 1);
    case 0x015B: return static_cast<wchar_t>(L's' * 4 + 1);
    case 0x017A: return static_cast<wchar_t>(L'z' * 4 + 1);
    case 0x017C: return static_cast<wchar_t>(L'z' * 4 + 2);
    default: return static_cast<wchar_t>(folded * 4);
  }
}

}  // namespace

bool TryParseAmount(std::wstring_view original, double* value) {
  const std::wstring_view text = TrimmedView(original);
  if (text.empty()) return false;

  // Signs, separators and digits, without group marks and amount words.
  std::wstring compact;
  compact.reserve(text.size());
  bool anyDigit = false;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    const wchar_t c = text[pos];
    if (IsDigit(static_cast<wxUint32>(c))) {
      anyDigit = true;
      compact += c;
    } else if (c == L'-' || c == L'+' || c == L',' || c == L'.') {
      compact += c;
    } else if (c == L' ' || c == 0x00A0 || c == L'\'') {
      continue;
    } else if (const std::size_t word = AmountWordAt(text, pos)) {
      pos += word - 1;
    } else {
      return false;  // another word, a tab, any other mark
    }
  }
  if (!anyDigit) return false;

  const std::size_t lastComma = compact.rfind(L',');
  const std::size_t lastDot = compact.rfind(L'.');
  if (lastComma != std::wstring::npos && lastDot != std::wstring::npos) {
    // The separator written last is the decimal one; the other kind groups digits.
    const wchar_t grouping = lastComma > lastDot ? L'.' : L',';
    compact.erase(std::remove(compact.begin(), compact.end(), grouping), compact.end());
  }

  std::size_t pos = 0;
  bool negative = false;
  if (pos < compact.size() && (compact[pos] == L'-' || compact[pos] == L'+')) {
    negative = compact[pos] == L'-';
    ++pos;
  }
  double whole = 0;
  double fraction = 0;
  double scale = 1;
  bool afterPoint = false;
  for (; pos < compact.size(); ++pos) {
    const wchar_t c = compact[pos];
    if (IsDigit(static_cast<wxUint32>(c))) {
      if (afterPoint) {
        scale /= 10;
        fraction += (c - L'0') * scale;
      } else {
        whole = whole * 10 + (c - L'0');
      }
    } else if ((c == L'.' || c == L',') && !afterPoint) {
      afterPoint = true;
    } else {
      return false;  // a second sign or a second decimal separator
    }
  }
  if (value) *value = negative ? -(whole + fraction) : whole + fraction;
  return true;
}

bool TryParseCellDate(std::wstring_view original, double* seconds) {
  const std::wstring_view s = TrimmedView(original);
  // Shortest form "1.1.2024", longest an ISO date with time and fraction.
  if (s.size() < 8 || s.size() > 40 || !IsDigit(s[0])) return false;

  std::size_t pos = 0;
  int year = 0;
  int month = 0;
  int day = 0;
  std::size_t probe = 0;
  int first = 0;
  if (!ReadNumber(s, &probe, 1, 4, &first)) return false;
  if (probe == 4) {
    pos = probe;
    year = first;
    if (!Expect(s, &pos, L'-') || !ReadNumber(s, &pos, 1, 2, &month) || !Expect(s, &pos, L'-') ||
        !ReadNumber(s, &pos, 1, 2, &day)) {
      return false;
    }
  } else if (probe <= 2 && probe < s.size()) {
    pos = probe;
    day = first;
    const wchar_t separator = s[pos];
    if (separator != L'.' && separator != L'-' && separator != L'/') return false;
    ++pos;
    if (!ReadNumber(s, &pos, 1, 2, &month) || !Expect(s, &pos, separator) || !ReadNumber(s, &pos, 4, 4, &year)) {
      return false;
    }
  } else {
    return false;
  }
  if (year < 1 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return false;

  int hour = 0;
  int minute = 0;
  int second = 0;
  double fraction = 0;
  if (pos < s.size()) {
    if (s[pos] != L' ' && s[pos] != L'T') return false;
    ++pos;
    if (!ReadNumber(s, &pos, 1, 2, &hour) || !Expect(s, &pos, L':') || !ReadNumber(s, &pos, 2, 2, &minute)) {
      return false;
    }
    if (pos < s.size()) {
      if (!Expect(s, &pos, L':') || !ReadNumber(s, &pos, 2, 2, &second)) return false;
      if (pos < s.size()) {
        if (!Expect(s, &pos, L'.')) return false;
        double scale = 1;
        const std::size_t start = pos;
        for (; pos < s.size() && IsDigit(s[pos]); ++pos) {
          scale /= 10;
          fraction += (s[pos] - L'0') * scale;
        }
        if (pos == start || pos != s.size()) return false;
      }
    }
    if (hour > 23 || minute > 59 || second > 59) return false;
  }
  if (seconds) {
    *seconds =
        static_cast<double>(DayNumber(year, month, day)) * 86400.0 + hour * 3600.0 + minute * 60.0 + second + fraction;
  }
  return true;
}

GridSortKey MakeGridSortKey(std::wstring_view cell) {
  GridSortKey key;
  if (TrimmedView(cell).empty()) return key;
  if (TryParseAmount(cell, &key.number)) {
    key.kind = GridSortKey::kAmount;
  } else if (TryParseCellDate(cell, &key.number)) {
    key.kind = GridSortKey::kDate;
  } else {
    key.kind = GridSortKey::kText;
    key.folded.reserve(cell.size());
    for (wchar_t c : cell) key.folded.push_back(CollationWeight(FoldWideChar(c)));
  }
  return key;
}

int CompareGridSortKeys(const GridSortKey& a, const GridSortKey& b) {
  if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
  switch (a.kind) {
    case GridSortKey::kEmpty:
      return 0;
    case GridSortKey::kAmount:
    case GridSortKey::kDate:
      return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
    case GridSortKey::kText:
      return a.folded.compare(b.folded);
  }
  return 0;
}

}  // namespace veldrix
