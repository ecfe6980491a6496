#include "app/common/date_text.h"

#include <wx/arrstr.h>

#include <vector>

namespace veldrix {
namespace {

const char* const kFormats[] = {
    "%Y-%m-%d %H:%M:%S",    "%Y-%m-%dT%H:%M:%S",   "%Y-%m-%d", "%d-%m-%Y", "%d.%m.%Y", "%d/%m/%Y",
    "%b %d %Y %I:%M:%S:%p", "%b %d %Y %I:%M:%S %p"};

const char* const kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};

bool ParseWholeFormat(const wxString& candidate, const char* format, wxDateTime* result) {
  wxDateTime date;
  wxString::const_iterator end;
  if (!date.ParseFormat(candidate, format, wxDefaultDateTime, &end) || !date.IsValid()) return false;
  wxString rest(end, candidate.end());
  if (!rest.Trim(true).Trim(false).empty()) return false;
  *result = date;
  return true;
}

bool ParseDecimalInteger(const wxString& text, long* value) {
  if (text.empty()) return false;
  for (wxUniChar c : text) {
    if (c < '0' || c > '9') return false;
  }
  return text.ToLong(value, 10);
}

bool ParseMonthNameForm(wxString candidate, wxDateTime* result) {
  candidate.Trim(true).Trim(false);
  while (candidate.Replace("  ", " ") > 0) {
  }
  const wxArrayString parts = wxSplit(candidate, ' ', '\0');
  if (parts.size() < 3) return false;

  wxString monthText;
  for (wxUniChar c : parts[0]) {
    if (c == '.' || c == ',') continue;
    monthText += (c >= 'A' && c <= 'Z') ? wxUniChar(c.GetValue() + 32) : c;
  }
  int month = -1;
  for (int i = 0; i < 12; ++i) {
    if (monthText == kMonths[i]) month = i;
  }
  long day = 0;
  long year = 0;
  if (month < 0 || !ParseDecimalInteger(parts[1], &day) || !ParseDecimalInteger(parts[2], &year)) return false;
  if (day < 1 || day > 31 || year < 1 || year > 999999) return false;
  const auto wxMonth = static_cast<wxDateTime::Month>(month);
  // wxDateTime asserts on a day past the month's end ("Feb 31"); such a text is no date.
  if (day > wxDateTime::GetNumberOfDays(wxMonth, static_cast<int>(year))) return false;
  wxDateTime date(static_cast<wxDateTime::wxDateTime_t>(day), wxMonth, static_cast<int>(year), 0, 0, 0, 0);
  if (!date.IsValid()) return false;
  *result = date;
  return true;
}

}  // namespace

wxDateTime ParseDateText(wxString text) {
  text.Trim(true).Trim(false);
  if (text.empty()) return wxDateTime();

  std::vector<wxString> candidates{text};
  const int firstDot = text.Find('.');
  const int firstBlank = text.Find(' ');
  if (firstDot != wxNOT_FOUND && firstBlank != wxNOT_FOUND && firstDot > firstBlank) {
    candidates.push_back(text.Left(static_cast<size_t>(firstDot)));
  }

  for (const wxString& candidate : candidates) {
    wxDateTime date;
    for (const char* format : kFormats) {
      if (ParseWholeFormat(candidate, format, &date)) return date;
    }
    if (ParseMonthNameForm(candidate, &date)) return date;
  }
  return wxDateTime();
}

}  // namespace veldrix
