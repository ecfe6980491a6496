#include "app/common/http_client.h"

#include "app/common/config_access.h"

#include <curl/curl.h>
#include <wx/config.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>

namespace veldrix {

const char kHttpCaFileKey[] = "/Network/CaFile";

namespace {

using Clock = std::chrono::steady_clock;

CURLcode GlobalInit() {
  static std::once_flag once;
  static CURLcode code = CURLE_OK;
  std::call_once(once, [] { code = curl_global_init(CURL_GLOBAL_DEFAULT); });
  return code;
}

std::string Utf8(const wxString& text) {
  const wxScopedCharBuffer buffer = text.utf8_str();
  return std::string(buffer.data(), buffer.length());
}

bool HasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n", 0, 3) != std::string::npos;  // NUL included
}

// Only an absolute http or https URL with a host; libcurl would otherwise guess a
// scheme or accept other protocols.
bool IsHttpUrl(const std::string& url) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), curl_url_cleanup);
  if (!handle || curl_url_set(handle.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) return false;
  char* scheme = nullptr;
  char* host = nullptr;
  bool ok = curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(handle.get(), CURLUPART_HOST, &host, 0) == CURLUE_OK &&
            (std::strcmp(scheme, "http") == 0 || std::strcmp(scheme, "https") == 0) && *host != '\0';
  curl_free(scheme);
  curl_free(host);
  return ok;
}

wxString ConfiguredCaFile() {
  ConfigAccess config;
  if (!config) return wxString();
  return config->Read(kHttpCaFileKey, wxString());
}

struct Transfer {
  CURL* curl = nullptr;
  const HttpRequest* request = nullptr;
  HttpResult* result = nullptr;
  std::FILE* file = nullptr;
  bool bodyTargetChosen = false;
  HttpFailure abortReason = HttpFailure::None;
  wxString abortText;

  Clock::time_point started = Clock::now();
  // Stall tracking: time of the last byte moved in either direction.
  Clock::time_point lastActivity = started;
  curl_off_t lastSent = -1;
  curl_off_t lastReceived = -1;

  bool Abort(HttpFailure reason, const wxString& text) {
    abortReason = reason;
    abortText = text;
    return false;
  }

  // Decided once the status is known: a 2xx body of a download goes to the file.
  bool ChooseBodyTarget() {
    if (bodyTargetChosen) return true;
    bodyTargetChosen = true;
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (request->downloadPath.empty() || status < 200 || status > 299) return true;
    file = std::fopen(request->downloadPath.fn_str(), "wb");
    if (!file) {
      return Abort(HttpFailure::FileCreate,
                   wxString::Format("Cannot create file %s: %s", request->downloadPath, std::strerror(errno)));
    }
    return true;
  }
};

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* transfer = static_cast<Transfer*>(user);
  const size_t bytes = size * count;
  if (!transfer->ChooseBodyTarget()) return 0;
  if (transfer->file) {
    if (std::fwrite(data, 1, bytes, transfer->file) != bytes) {
      transfer->Abort(HttpFailure::FileWrite, wxString::Format("Cannot write file %s: %s",
                                                                transfer->request->downloadPath, std::strerror(errno)));
      return 0;
    }
    return bytes;
  }
  std::string& body = transfer->result->body;
  if (bytes > transfer->request->maxBodyBytes - body.size()) {
    transfer->Abort(HttpFailure::TooLarge,
                    wxString::Format("Response body exceeds %zu bytes", transfer->request->maxBodyBytes));
    return 0;
  }
  body.append(data, bytes);
  return bytes;
}

// The time-outs added up: the longest the whole exchange may take.
long long DeadlineMs(const HttpTimeouts& t) {
  return static_cast<long long>(std::max(t.resolveMs, 0)) + std::max(t.connectMs, 0) + std::max(t.sendMs, 0) +
         std::max(t.receiveMs, 0);
}

// Called at least once a second while the transfer runs. It enforces the deadline
// of the whole exchange, the send and receive time-outs as "no byte moved for that
// long" once the connection is up, and relays progress to the caller, who may cancel.
int OnProgress(void* user, curl_off_t receiveTotal, curl_off_t received, curl_off_t, curl_off_t sent) {
  auto* transfer = static_cast<Transfer*>(user);
  const HttpRequest& request = *transfer->request;
  const Clock::time_point now = Clock::now();
  const long long deadlineMs = DeadlineMs(request.timeouts);
  const auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - transfer->started).count();
  if (!transfer->file && deadlineMs > 0 && elapsedMs >= deadlineMs) {
    transfer->Abort(HttpFailure::Timeout,
                    wxString::Format("Operation timed out: the exchange took over %lld ms", deadlineMs));
    return 1;
  }
  curl_off_t connectedAt = 0;
  curl_easy_getinfo(transfer->curl, CURLINFO_PRETRANSFER_TIME_T, &connectedAt);
  if (connectedAt == 0 || sent != transfer->lastSent || received != transfer->lastReceived) {
    transfer->lastActivity = now;
    transfer->lastSent = sent;
    transfer->lastReceived = received;
  } else {
    const bool sending = sent < static_cast<curl_off_t>(request.body.size());
    const int limitMs = sending ? request.timeouts.sendMs : request.timeouts.receiveMs;
    const auto idleMs = std::chrono::duration_cast<std::chrono::milliseconds>(now - transfer->lastActivity).count();
    if (limitMs > 0 && idleMs >= limitMs) {
      transfer->Abort(HttpFailure::Timeout,
                      wxString::Format("Operation timed out: no data %s for %d ms", sending ? "sent" : "received", limitMs));
      return 1;
    }
  }
  if (request.progress && !request.progress(static_cast<std::uint64_t>(received), static_cast<std::uint64_t>(receiveTotal))) {
    transfer->Abort(HttpFailure::Cancelled, "Transfer cancelled");
    return 1;
  }
  return 0;
}

HttpFailure FailureOf(CURLcode code) {
  switch (code) {
    case CURLE_UNSUPPORTED_PROTOCOL:
    case CURLE_URL_MALFORMAT:
      return HttpFailure::BadUrl;
    case CURLE_COULDNT_RESOLVE_PROXY:
    case CURLE_COULDNT_RESOLVE_HOST:
      return HttpFailure::Resolve;
    case CURLE_COULDNT_CONNECT:
      return HttpFailure::Connect;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpFailure::Timeout;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_ENGINE_NOTFOUND:
    case CURLE_SSL_ENGINE_SETFAILED:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_ENGINE_INITFAILED:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_SHUTDOWN_FAILED:
    case CURLE_SSL_CRL_BADFILE:
    case CURLE_SSL_ISSUER_ERROR:
    case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
    case CURLE_SSL_INVALIDCERTSTATUS:
    case CURLE_SSL_CLIENTCERT:
      return HttpFailure::Tls;
    case CURLE_ABORTED_BY_CALLBACK:
      return HttpFailure::Cancelled;
    default:
      return HttpFailure::SendReceive;
  }
}

struct CurlList {
  curl_slist* list = nullptr;
  ~CurlList() { curl_slist_free_all(list); }
  bool Add(const std::string& line) {
    curl_slist* grown = curl_slist_append(list, line.c_str());
    if (!grown) return false;
    list = grown;
    return true;
  }
};

bool Fail(HttpResult* result, HttpFailure failure, const wxString& text) {
  result->failure = failure;
  result->error = text;
  return false;
}

}  // namespace

bool CurlHttpTransport::Perform(const HttpRequest& request, HttpResult* result) {
  *result = HttpResult();
  if (GlobalInit() != CURLE_OK) return Fail(result, HttpFailure::SendReceive, "libcurl could not be initialised");

  const std::string url = Utf8(request.url);
  const std::string method = Utf8(request.method);
  if (!IsHttpUrl(url)) return Fail(result, HttpFailure::BadUrl, "Not an absolute http or https URL");
  if (method.empty() || HasLineBreak(method) || method.find(' ') != std::string::npos) {
    return Fail(result, HttpFailure::BadHeader, "Invalid request method");
  }

  // Our own lines first, so a caller's header of the same name replaces them;
  // a header without a value removes libcurl's default.
  CurlList headers;
  bool hasAccept = false, hasContentType = false, hasExpect = false;
  std::vector<std::string> lines;
  for (const auto& [name, value] : request.headers) {
    const std::string n = Utf8(name);
    const std::string v = Utf8(value);
    if (n.empty() || HasLineBreak(n) || HasLineBreak(v) || n.find(':') != std::string::npos) {
      // The name is safe to report; the value may hold a key.
      return Fail(result, HttpFailure::BadHeader,
                  wxString::Format("Header %s holds a line break or is malformed", HasLineBreak(n) ? wxString("name") : name));
    }
    hasAccept |= name.IsSameAs("Accept", false);
    hasContentType |= name.IsSameAs("Content-Type", false);
    hasExpect |= name.IsSameAs("Expect", false);
    lines.push_back(n + ": " + v);
  }
  if (!hasAccept) lines.push_back("Accept:");
  if (!hasContentType) lines.push_back("Content-Type:");
  if (!hasExpect) lines.push_back("Expect:");
  for (const std::string& line : lines) {
    if (!headers.Add(line)) return Fail(result, HttpFailure::SendReceive, "Out of memory");
  }

  std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
  if (!curl) return Fail(result, HttpFailure::SendReceive, "libcurl could not start a transfer");
  CURL* handle = curl.get();
  Transfer transfer;
  transfer.curl = handle;
  transfer.request = &request;
  transfer.result = result;

  char errorText[CURL_ERROR_SIZE] = {};
  const std::string userAgent = Utf8(request.userAgent);
  const std::string caFile = Utf8(ConfiguredCaFile());
  const HttpTimeouts& t = request.timeouts;

  curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
  curl_easy_setopt(handle, CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
  curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);  // signals cannot be used off the main thread
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
  if (!caFile.empty()) {
    curl_easy_setopt(handle, CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(handle, CURLOPT_CAPATH, static_cast<char*>(nullptr));
  }
  if (!userAgent.empty()) curl_easy_setopt(handle, CURLOPT_USERAGENT, userAgent.c_str());
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.list);
  if (t.resolveMs > 0 || t.connectMs > 0) {
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(std::max(t.resolveMs, 0)) + std::max(t.connectMs, 0));
  }

  if (method == "HEAD") {
    curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  } else if (method == "GET" && request.body.empty()) {
    curl_easy_setopt(handle, CURLOPT_HTTPGET, 1L);
  } else {
    if (method != "POST" || request.body.empty()) curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, method.c_str());
    if (!request.body.empty() || method == "POST") {
      curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
      curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body.data());
    }
  }

  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &transfer);
  curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
  curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, OnProgress);
  curl_easy_setopt(handle, CURLOPT_XFERINFODATA, &transfer);

  CURLcode code = curl_easy_perform(handle);
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &result->status);
  // An empty 2xx body still creates the download file.
  if (code == CURLE_OK && !transfer.ChooseBodyTarget()) code = CURLE_WRITE_ERROR;
  if (transfer.file) {
    if (std::fclose(transfer.file) != 0 && code == CURLE_OK) {
      transfer.Abort(HttpFailure::FileWrite,
                     wxString::Format("Cannot write file %s: %s", request.downloadPath, std::strerror(errno)));
      code = CURLE_WRITE_ERROR;
    }
    if (code != CURLE_OK) std::remove(request.downloadPath.fn_str());
  }
  if (code == CURLE_OK) return true;

  if (transfer.abortReason != HttpFailure::None) return Fail(result, transfer.abortReason, transfer.abortText);
  return Fail(result, FailureOf(code), wxString::FromUTF8(errorText[0] ? errorText : curl_easy_strerror(code)));
}

IHttpTransport& DefaultHttpTransport() {
  static CurlHttpTransport transport;
  return transport;
}

}  // namespace veldrix
