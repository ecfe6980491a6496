// One synchronous HTTP(S) request over libcurl: the transport under the company
// lookup, the module store client and the program-update check. Each caller maps the
// failure kind and libcurl's English text to its own messages.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace veldrix {

enum class HttpFailure {
  None,
  BadUrl,         // not an absolute http or https URL
  BadHeader,      // a header name or value holding CR or LF; nothing was sent
  Resolve,        // the host name was not found
  Connect,        // no connection to the host (refused, unreachable)
  Timeout,        // one of the time-outs ran out
  Tls,            // handshake or certificate verification failed
  SendReceive,    // the connection broke while sending or receiving
  TooLarge,       // the in-memory body went past the cap
  FileCreate,     // the download file could not be created
  FileWrite,      // writing the download file failed
  Cancelled,      // the progress callback asked to stop
};

// In milliseconds. Resolve and connect together bound the connection (TLS included);
// send and receive bound how long no byte may move once connected (0 = no bound).
// All four added up bound the whole exchange, so a server that trickles a byte now
// and then cannot hold the caller either; only a 2xx body streamed to a file may
// take longer (its caller's progress callback decides). Checked at one-second
// granularity.
struct HttpTimeouts {
  int resolveMs = 5000;
  int connectMs = 8000;
  int sendMs = 15000;
  int receiveMs = 30000;
};

struct HttpRequest {
  wxString method = "GET";
  wxString url;  // absolute http or https URL; query kept as given
  // Sent in this order, beside Host, User-Agent and Content-Length. libcurl's own
  // Accept, Content-Type and Expect are suppressed unless given here.
  std::vector<std::pair<wxString, wxString>> headers;
  std::string body;  // bytes sent unchanged; may be empty
  wxString userAgent;
  HttpTimeouts timeouts;
  std::size_t maxBodyBytes = 8 * 1024 * 1024;  // a body of exactly this size is accepted
  // When set, a 2xx body is streamed to this file (replaced, no size limit) and the
  // file is deleted again if the transfer then fails; other statuses stay in memory.
  wxString downloadPath;
  // Called as bytes arrive (received so far, expected total or 0); false cancels.
  std::function<bool(std::uint64_t received, std::uint64_t total)> progress;
};

struct HttpResult {
  long status = 0;     // 0 when no status line was read
  std::string body;    // in-memory body bytes; empty when streamed to a file
  HttpFailure failure = HttpFailure::None;
  wxString error;      // libcurl's English text, empty on success
  bool ok() const { return failure == HttpFailure::None; }
};

// The transport seen by callers, so a test can stand in for the network.
class IHttpTransport {
 public:
  virtual ~IHttpTransport() = default;
  // True when an answer was received, whatever its status; false with the failure
  // kind and text in `result`. Redirects are not followed. Usable from any thread.
  virtual bool Perform(const HttpRequest& request, HttpResult* result) = 0;
};

// libcurl with peer and host verification always on. Trusted CAs are the system's,
// unless the configuration holds a non-empty "/Network/CaFile": then only that PEM
// file is trusted. Request headers and bodies are never logged.
class CurlHttpTransport : public IHttpTransport {
 public:
  bool Perform(const HttpRequest& request, HttpResult* result) override;
};

IHttpTransport& DefaultHttpTransport();

// The configuration key naming the only trusted CA file.
extern const char kHttpCaFileKey[];

}  // namespace veldrix
