// Letter case and Polish marks folded away, so texts compare as a user reads them:
// case-only folding for message keywords and the grids' sort, full folding for
// every search (the store's, the module grids' text filters and their dialog).
#pragma once

#include <wx/string.h>

#include <string_view>

namespace veldrix {

// One character in lower case, the same whatever the process locale for the letters
// of Polish and Latin-1; letters keep their marks (message keywords, the grids' sort).
wxUniChar FoldChar(wxUniChar c);
// The same for a wide character, quick for ASCII (for code that scans many texts).
inline wchar_t FoldWideChar(wchar_t c) {
  if (c < 0x80) return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c;
  return static_cast<wchar_t>(FoldChar(wxUniChar(static_cast<wxUint32>(c))).GetValue());
}
// The text with every character as FoldWideChar gives it.
wxString FoldCase(const wxString& text);

// The text as every search compares it: lower case as FoldChar and the Polish
// letters without their marks, so "zolc" finds "Żółć".
wxString FoldText(const wxString& text);
// One character of FoldText.
wchar_t FoldSearchChar(wchar_t c);

// Whether `text` contains `foldedNeedle` (already folded with FoldText) when both are
// folded alike; the text is folded as it is read, not copied.
bool ContainsFolded(std::wstring_view text, std::wstring_view foldedNeedle);

}  // namespace veldrix
