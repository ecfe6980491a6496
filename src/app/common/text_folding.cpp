#include "app/common/text_folding.h"

#include <wx/wxcrt.h>

#include <string>

namespace veldrix {
namespace {

template <typename CharFold>
wxString FoldEach(const wxString& text, CharFold fold) {
  std::wstring out;
  out.reserve(text.length());
  for (wxUniChar c : text) out.push_back(fold(static_cast<wchar_t>(c.GetValue())));
  return wxString(out);
}

}  // namespace

wxUniChar FoldChar(wxUniChar c) {
  const wxUint32 v = c.GetValue();
  if (v >= 'A' && v <= 'Z') return wxUniChar(v + 32);
  if (v < 0x80) return c;
  if ((v >= 0xC0 && v <= 0xDE) && v != 0xD7) return wxUniChar(v + 32);
  switch (v) {
    case 0x0104:
    case 0x0106:
    case 0x0118:
    case 0x0141:
    case 0x0143:
    case 0x015A:
    case 0x0179:
    case 0x017B:
      return wxUniChar(v + 1);
    default:
      break;
  }
  return wxUniChar(static_cast<wxUint32>(wxTolower(static_cast<wxChar>(v))));
}

wchar_t FoldSearchChar(wchar_t c) {
  // Polish letters with their marks, lower case, and the letter each folds to.
  static constexpr wchar_t kMarked[] = L"\u0105\u0107\u0119\u0142\u0144\u00F3\u015B\u017A\u017C";
  static constexpr wchar_t kPlain[] = L"acelnoszz";
  const wchar_t lower = FoldWideChar(c);
  if (lower < 0x80) return lower;
  for (std::size_t i = 0; kMarked[i]; ++i) {
    if (kMarked[i] == lower) return kPlain[i];
  }
  return lower;
}

wxString FoldCase(const wxString& text) { return FoldEach(text, FoldWideChar); }

wxString FoldText(const wxString& text) { return FoldEach(text, FoldSearchChar); }

bool ContainsFolded(std::wstring_view text, std::wstring_view foldedNeedle) {
  const std::size_t needle = foldedNeedle.size();
  const std::size_t length = text.size();
  if (needle == 0) return true;
  if (length < needle) return false;
  const wchar_t* chars = text.data();
  // Candidates are found by the first character in either letter case, which
  // skips most positions without folding anything.
  const wchar_t first = foldedNeedle[0];
  const wchar_t firstUpper = first >= L'a' && first <= L'z' ? static_cast<wchar_t>(first - 32) : first;
  const std::size_t last = length - needle;
  for (std::size_t start = 0; start <= last; ++start) {
    const wchar_t c = chars[start];
    if (c != first && c != firstUpper && (c < 0x80 || FoldSearchChar(c) != first)) continue;
    std::size_t matched = 1;
    while (matched < needle && FoldSearchChar(chars[start + matched]) == foldedNeedle[matched]) ++matched;
    if (matched == needle) return true;
  }
  return false;
}

}  // namespace veldrix
