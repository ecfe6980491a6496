// The program-update check without its thread: where the update server is, how its
// reply is read against the running version, and what the start page then shows.
// NowaWersja runs the request; the main window keeps the resulting state.
#pragma once

#include "app/common/http_client.h"

#include <wx/string.h>

#include <cstddef>

class wxConfigBase;

namespace veldrix {

constexpr int kUpdateCheckEventId = 6000;
// The reply is one version line; anything longer is not an answer.
constexpr std::size_t kUpdateReplyMaxBytes = 4096;

// Configuration key of the update server's address ("http://host[:port]").
extern const char kUpdateServerKey[];
extern const char kDefaultUpdateServer[];

// The configured address, else the built-in one.
wxString UpdateServerAddress(wxConfigBase* config);
// The address with the path "/update/".
wxString UpdateCheckUrl(const wxString& server);

// The comparable number of a version "major.minor.patch[.more]": a + b/100 + c/100000,
// 0 with fewer than three parts, an unreadable part counting as 0. The text of a
// fourth part, when there is one, goes to fourthPart.
void ParseVersionNumber(double* value, wxString* fourthPart, const wxString& text);

// What one check found: 1 a newer version, 0 none newer, -1 no answer; version is
// what the server's text starts with of digits and dots, without a trailing dot
// (empty with -1, and when the text does not start with a version).
struct UpdateCheckAnswer {
  int result = -1;
  wxString version;
};

// One GET of the update address, bounded by short time-outs; `keepGoing` is asked
// while it runs and stops it when false.
UpdateCheckAnswer AskUpdateServer(IHttpTransport& transport, const wxString& url, const wxString& runningVersion,
                                  const std::function<bool()>& keepGoing);

// The start page's update state (1 up to date, 2 update available, 3 failed) and text.
struct UpdateStatus {
  int state = 0;
  wxString text;
};
UpdateStatus UpdateStatusFor(int result, const wxString& version);

// "aktualizacja" in the program folder.
wxString UpdaterPath();

// Starts the updater at that path as a program of its own; the path is taken whole,
// blanks and quotes included, and no shell or command line is involved. False when
// it is not an executable file or could not be started.
bool StartUpdater(const wxString& path);

}  // namespace veldrix
