#include "db/sql_server_address.h"

#include <wx/utils.h>

#include <algorithm>

namespace {

wxString Trimmed(const wxString& text) {
  wxString result(text);
  result.Trim(true).Trim(false);
  return result;
}

}  // namespace

bool SplitHostPort(const wxString& text, wxString* host, int* port) {
  const wxString trimmed = Trimmed(text);
  if (host) *host = trimmed;
  if (port) *port = 0;
  if (trimmed.empty()) return false;
  const int comma = trimmed.Find(',', true);
  int colon = trimmed.Find(':', true);
  if (colon != wxNOT_FOUND) {
    const wxString before = trimmed.Left(static_cast<std::size_t>(colon));
    if (before.Find(':') != wxNOT_FOUND && !before.EndsWith("]")) colon = wxNOT_FOUND;
  }
  const int separator = std::max(comma, colon);
  if (separator == wxNOT_FOUND) return false;
  int value = 0;
  if (!ParsePortNumber(trimmed.Mid(static_cast<std::size_t>(separator) + 1), &value)) return false;
  if (host) *host = Trimmed(trimmed.Left(static_cast<std::size_t>(separator)));
  if (port) *port = value;
  return true;
}

void ParseSqlServerInput(const wxString& text, wxString* host, wxString* instance, int* port) {
  const wxString input(text);
  if (host) host->clear();
  if (instance) instance->clear();
  if (port) *port = 0;
  wxString hostPart;
  int parsedPort = 0;
  if (!SplitHostPort(input, &hostPart, &parsedPort)) {
    hostPart = Trimmed(input);
    parsedPort = 0;
  }
  hostPart = Trimmed(hostPart);
  wxString instanceName;
  const int backslash = hostPart.Find('\\');
  if (backslash != wxNOT_FOUND) {
    instanceName = Trimmed(hostPart.Mid(static_cast<std::size_t>(backslash) + 1));
    hostPart = Trimmed(hostPart.Left(static_cast<std::size_t>(backslash)));
  }
  if (host) *host = NormalizeSqlHost(hostPart);
  if (instance) *instance = instanceName;
  if (port) *port = parsedPort;
}

wxString NormalizeSqlHost(const wxString& host) {
  wxString result = Trimmed(host);
  if (result.empty() || result == "." || result.IsSameAs("(local)", false)) return "localhost";
  if (result.length() >= 2 && result.StartsWith("[") && result.EndsWith("]")) {
    result = Trimmed(result.Mid(1, result.length() - 2));
    if (result.empty()) return "localhost";
  }
  return result;
}

bool IsLocalSqlHost(const wxString& host) {
  const wxString name = NormalizeSqlHost(host);
  if (name.IsSameAs("localhost", false) || name == "127.0.0.1" || name == "::1") return true;
  const wxString self = Trimmed(wxGetHostName());
  if (self.empty()) return false;
  if (name.IsSameAs(self, false)) return true;
  const wxString nameHead = name.BeforeFirst('.');
  const wxString selfHead = self.BeforeFirst('.');
  return !nameHead.empty() && !selfHead.empty() && nameHead.IsSameAs(selfHead, false);
}

bool ParsePortText(const wxString& text, int* port) {
  if (port) *port = 0;
  if (Trimmed(text).empty()) return false;
  std::size_t i = 0;
  while (i < text.length() && !(text[i] >= '0' && text[i] <= '9')) ++i;
  if (i == text.length()) return false;
  long value = 0;
  while (i < text.length() && text[i] >= '0' && text[i] <= '9') {
    if (value <= 65535) value = value * 10 + (text[i].GetValue() - '0');
    ++i;
  }
  if (value < 1 || value > 65535) return false;
  if (port) *port = static_cast<int>(value);
  return true;
}

wxString TdsServerName(const wxString& host, int port) {
  if (port <= 0) return host;
  const wxString address = host.Find(':') != wxNOT_FOUND ? "[" + host + "]" : host;
  return wxString::Format("%s:%d", address, port);
}

bool ParsePortNumber(const wxString& text, int* port) {
  const wxString digits = Trimmed(text);
  if (digits.empty()) return false;
  long value = 0;
  for (wxUniChar ch : digits) {
    if (ch < '0' || ch > '9') return false;
    // Leading zeros count for nothing; once past the range the value stays there.
    value = std::min(value * 10 + (ch.GetValue() - '0'), 65536L);
  }
  if (value < 1 || value > 65535) return false;
  if (port) *port = static_cast<int>(value);
  return true;
}
