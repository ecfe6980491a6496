// The company lookup's one HTTP request and the tax-number normaliser. Both run on
// the lookup's worker thread and keep no state between calls.
#pragma once

#include <wx/string.h>

#include <string>
#include <utility>
#include <vector>

// The outcome of one lookup request.
struct HttpResponse {
  unsigned long statusCode = 0;  // 0 when no answer came
  wxString body;                 // the answer decoded from UTF-8
  wxString error;                // English text of a transport failure, empty on success
};

using HttpHeaderList = std::vector<std::pair<wxString, wxString>>;

// The largest answer a lookup reads; a larger one is a transport failure.
constexpr std::size_t kLookupMaxBodyBytes = 4 * 1024 * 1024;

// True when a request was sent and an answer received, whatever its status; false on
// a transport failure with the reason in out.error. Headers go in the given order;
// one holding a line break is refused before anything is sent.
bool PerformHttpRequest(const wxString& method, const wxString& url, const HttpHeaderList& headers,
                        const std::string& body, int resolveMs, int connectMs, int sendMs, int receiveMs,
                        HttpResponse& out);

// A service's address (scheme and host, as configured) with the path appended; the
// address's trailing "/" are dropped.
wxString ServiceUrl(const wxString& address, const wxString& path);

// The characters 0 to 9 of the text, in order.
wxString DigitsOnly(const wxString& text);
