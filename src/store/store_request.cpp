// StoreRequest on the shared libcurl transport: the store's own rules (HTTPS but
// to this machine, fixed headers, time-outs, the 8 MiB cap) and its Polish texts.
#include "app/common/http_client.h"
#include "app/common/i18n.h"
#include "store/store_client.h"

#include <curl/curl.h>

#include <memory>

namespace veldrix {

namespace {

struct UrlParts {
  wxString scheme;
  wxString host;
};

// Splits an absolute http or https URL; the libcurl URL code on failure.
CURLUcode SplitUrl(const wxString& url, UrlParts* parts) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> handle(curl_url(), curl_url_cleanup);
  if (!handle) return CURLUE_OUT_OF_MEMORY;
  const wxScopedCharBuffer utf8 = url.utf8_str();
  CURLUcode code = curl_url_set(handle.get(), CURLUPART_URL, utf8.data(), 0);
  if (code != CURLUE_OK) return code;
  char* scheme = nullptr;
  char* host = nullptr;
  code = curl_url_get(handle.get(), CURLUPART_SCHEME, &scheme, 0);
  if (code == CURLUE_OK) code = curl_url_get(handle.get(), CURLUPART_HOST, &host, 0);
  if (code == CURLUE_OK) {
    parts->scheme = wxString::FromUTF8(scheme).Lower();
    parts->host = wxString::FromUTF8(host);
    if (parts->scheme != "http" && parts->scheme != "https") code = CURLUE_UNSUPPORTED_SCHEME;
  }
  curl_free(scheme);
  curl_free(host);
  return code;
}

// HTTPS to any host; plain HTTP only to this machine.
bool SecureOrLocal(const UrlParts& parts) {
  return parts.scheme == "https" || parts.host.IsSameAs("localhost", false) || parts.host == "127.0.0.1";
}

// The number shown in "no answer" messages: the libcurl code of that kind of failure.
unsigned long FailureCode(HttpFailure failure) {
  switch (failure) {
    case HttpFailure::BadUrl: return CURLE_URL_MALFORMAT;
    case HttpFailure::Resolve: return CURLE_COULDNT_RESOLVE_HOST;
    case HttpFailure::Connect: return CURLE_COULDNT_CONNECT;
    case HttpFailure::Timeout: return CURLE_OPERATION_TIMEDOUT;
    case HttpFailure::Tls: return CURLE_PEER_FAILED_VERIFICATION;
    default: return CURLE_RECV_ERROR;
  }
}

// What the code of a "no answer" message means to a user.
wxString FailureMeaning(HttpFailure failure) {
  switch (failure) {
    case HttpFailure::Resolve: return _("Nie znaleziono serwera o tej nazwie.");
    case HttpFailure::Connect: return _("Brak połączenia z serwerem.");
    case HttpFailure::Timeout: return _("Serwer nie odpowiedział w wyznaczonym czasie.");
    case HttpFailure::Tls: return _("Certyfikat serwera został odrzucony albo bezpieczne połączenie się nie udało.");
    default: return _("Połączenie zostało przerwane.");
  }
}

wxString FailureText(const HttpResult& result) {
  switch (result.failure) {
    case HttpFailure::BadUrl:
      return wxString::Format(_("Nieprawidłowy adres API (błąd %lu)."), FailureCode(result.failure));
    case HttpFailure::TooLarge: return _("Odpowiedź serwera sklepu jest zbyt duża.");
    case HttpFailure::FileCreate: return _("Nie udało się utworzyć pliku pobieranej paczki.");
    case HttpFailure::FileWrite: return _("Nie udało się zapisać pobieranej paczki.");
    case HttpFailure::Cancelled: return _("Pobieranie zostało przerwane.");
    default: break;
  }
  // Once the status line has come, the failure is in the body.
  if (result.status != 0) {
    return result.failure == HttpFailure::Timeout ? _("Błąd podczas odbierania odpowiedzi sklepu.")
                                                  : _("Błąd podczas pobierania danych sklepu.");
  }
  return wxString::Format(_("Serwer sklepu nie odpowiedział (błąd %lu)."), FailureCode(result.failure)) + " " +
         FailureMeaning(result.failure);
}

}  // namespace

bool IsStoreUrlAllowed(const wxString& url) {
  UrlParts parts;
  return SplitUrl(url, &parts) == CURLUE_OK && SecureOrLocal(parts);
}

bool StoreRequest(const wxString& method, const wxString& url, const std::string& body, StoreResponse* response,
                  wxString* error, const wxString& downloadPath, const StoreProgress& progress) {
  *response = StoreResponse();
  if (error) error->clear();
  UrlParts parts;
  const CURLUcode split = SplitUrl(url, &parts);
  if (split != CURLUE_OK) {
    if (error) *error = wxString::Format(_("Nieprawidłowy adres API (błąd %lu)."), static_cast<unsigned long>(split));
    return false;
  }
  if (!SecureOrLocal(parts)) {
    if (error) *error = _("Połączenie ze sklepem musi używać HTTPS.");
    return false;
  }

  HttpRequest request;
  request.method = method;
  request.url = url;
  request.headers = {{"Accept", "application/json"}, {"Content-Type", "application/json; charset=utf-8"}};
  request.body = body;
  request.userAgent = "Veldrix-Store/1.0";
  request.timeouts = HttpTimeouts{5000, 8000, 15000, 30000};
  request.maxBodyBytes = kStoreMemoryBodyLimit;
  request.downloadPath = downloadPath;
  request.progress = progress;

  HttpResult result;
  const bool ok = DefaultHttpTransport().Perform(request, &result);
  response->status = result.status > 0 ? static_cast<std::uint32_t>(result.status) : 0;
  if (!ok) {
    if (error) *error = FailureText(result);
    return false;
  }
  response->body = std::move(result.body);
  return true;
}

}  // namespace veldrix
