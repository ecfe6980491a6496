#include "app/update_check.h"

#include "app/common/i18n.h"
#include "app/common/paths.h"

#include <wx/config.h>
#include <wx/filename.h>
#include <wx/numformatter.h>
#include <wx/tokenzr.h>
#include <wx/utils.h>

namespace veldrix {

const char kUpdateServerKey[] = "/veldrix/serwer_aktualizacji";
const char kDefaultUpdateServer[] = "http://aktualizacje.veldrix.pl";

wxString UpdateServerAddress(wxConfigBase* config) {
  wxString address;
  if (config) config->Read(kUpdateServerKey, &address);
  address.Trim().Trim(false);
  return address.empty() ? wxString(kDefaultUpdateServer) : address;
}

wxString UpdateCheckUrl(const wxString& server) {
  wxString base = server;
  while (base.EndsWith("/")) base.RemoveLast();
  return base + "/update/";
}

void ParseVersionNumber(double* value, wxString* fourthPart, const wxString& text) {
  wxStringTokenizer parts(text, ".", wxTOKEN_RET_EMPTY);
  wxArrayString found;
  while (parts.HasMoreTokens()) found.Add(parts.GetNextToken());
  if (found.size() < 3) {
    *value = 0.0;
    return;
  }
  long numbers[3] = {0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    if (!wxNumberFormatter::FromString(found[i], &numbers[i])) numbers[i] = 0;
  }
  if (found.size() > 3 && fourthPart) *fourthPart = found[3];
  *value = numbers[0] + numbers[1] / 100.0 + numbers[2] / 100000.0;
}

namespace {

// The reply goes into the program's window, and over plain HTTP anyone on the way
// may write it: only the version's own characters are taken from it.
wxString VersionInReply(const wxString& reply) {
  wxString version;
  for (const wxUniChar c : reply) {
    if (c != '.' && (c < '0' || c > '9')) break;
    version += c;
  }
  while (version.EndsWith(".")) version.RemoveLast();
  return version;
}

}  // namespace

UpdateCheckAnswer AskUpdateServer(IHttpTransport& transport, const wxString& url, const wxString& runningVersion,
                                  const std::function<bool()>& keepGoing) {
  HttpRequest request;
  request.url = url;
  request.userAgent = "Veldrix/" + runningVersion;
  // No network must not keep the check running long; it only colours a status line.
  request.timeouts.resolveMs = 5000;
  request.timeouts.connectMs = 5000;
  request.timeouts.sendMs = 5000;
  request.timeouts.receiveMs = 10000;
  request.maxBodyBytes = kUpdateReplyMaxBytes;
  if (keepGoing) request.progress = [&keepGoing](std::uint64_t, std::uint64_t) { return keepGoing(); };

  UpdateCheckAnswer answer;
  HttpResult result;
  if (!transport.Perform(request, &result) || result.status < 200 || result.status > 299) return answer;
  // Blanks and line breaks around the version are no part of it; a reply of nothing
  // else is no answer.
  wxString reply = wxString::FromUTF8(result.body.data(), result.body.size());
  reply.Trim(true).Trim(false);
  if (reply.empty()) return answer;
  const wxString offeredVersion = VersionInReply(reply);
  double offered = 0;
  double running = 0;
  wxString ignored;
  ParseVersionNumber(&offered, &ignored, offeredVersion);
  ParseVersionNumber(&running, &ignored, runningVersion);
  answer.result = offered > running ? 1 : 0;
  answer.version = offeredVersion;
  return answer;
}

UpdateStatus UpdateStatusFor(int result, const wxString& version) {
  if (result == 1) return {2, wxString::FromUTF8("Dostępna aktualizacja: ") + version};
  if (result == 0) return {1, _("Program jest aktualny")};
  return {3, _("Nie udało się sprawdzić aktualizacji")};
}

wxString UpdaterPath() { return JoinPath(ProgramFolder(), "aktualizacja"); }

bool StartUpdater(const wxString& path) {
  // The child's own exec failure is not reported back by wxExecute, so what can be
  // told beforehand is checked here.
  if (!wxFileName::IsFileExecutable(path)) return false;
  const wchar_t* argv[] = {path.wc_str(), nullptr};
  return wxExecute(argv, wxEXEC_ASYNC) != 0;
}

}  // namespace veldrix
