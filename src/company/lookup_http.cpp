#include "company/lookup_http.h"

#include "app/common/http_client.h"
#include "app/common/worker_registry.h"

#include <cstring>

namespace {

const char kUserAgent[] = "Veldrix-CompanyLookup/1.0";

}  // namespace

bool PerformHttpRequest(const wxString& method, const wxString& url, const HttpHeaderList& headers,
                        const std::string& body, int resolveMs, int connectMs, int sendMs, int receiveMs,
                        HttpResponse& out) {
  out = HttpResponse();
  veldrix::HttpRequest request;
  request.method = method;
  request.url = url;
  request.headers = headers;
  request.body = body;
  request.userAgent = kUserAgent;
  request.timeouts = {resolveMs, connectMs, sendMs, receiveMs};
  request.maxBodyBytes = kLookupMaxBodyBytes;
  // A program that is closing does not wait for the lookup's server.
  request.progress = [](std::uint64_t, std::uint64_t) { return !veldrix::Workers().IsShuttingDown(); };

  veldrix::HttpResult result;
  if (!veldrix::DefaultHttpTransport().Perform(request, &result)) {
    // The callers show these texts; the detail of libcurl's own text stays out of them.
    out.error = result.failure == veldrix::HttpFailure::BadUrl ? "WinHttpCrackUrl() failed."
                                                               : "SendRequest/ReceiveResponse failed.";
    return false;
  }
  out.statusCode = static_cast<unsigned long>(result.status);
  // Up to the first zero byte; bytes that are not UTF-8 give an empty body.
  const std::size_t length = strnlen(result.body.data(), result.body.size());
  out.body = wxString::FromUTF8(result.body.data(), length);
  return true;
}

wxString ServiceUrl(const wxString& address, const wxString& path) {
  wxString url = address;
  while (url.EndsWith("/")) url.RemoveLast();
  return url + path;
}

wxString DigitsOnly(const wxString& text) {
  wxString digits;
  for (const wxUniChar c : text) {
    if (c >= '0' && c <= '9') digits += c;
  }
  return digits;
}
