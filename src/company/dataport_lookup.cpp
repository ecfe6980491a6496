#include "company/dataport_lookup.h"

#include "app/common/i18n.h"
#include "company/json_field_scanner.h"
#include "company/lookup_http.h"

namespace {

// The value of "success" when it is the bare word true or false.
bool ReadSuccess(const wxString& answer, bool* success) {
  std::size_t at = 0;
  if (!FindJsonKey(answer, "success", at)) return false;
  SkipJsonWhitespace(answer, at);
  if (at >= answer.length() || answer[at] != ':') return false;
  ++at;
  SkipJsonWhitespace(answer, at);
  if (answer.compare(at, 4, "true") == 0) {
    *success = true;
    return true;
  }
  if (answer.compare(at, 5, "false") == 0) {
    *success = false;
    return true;
  }
  return false;
}

}  // namespace

bool LookupCompanyDataPort(const CompanyLookupSettings& settings, const wxString& nip, CompanyData& out,
                           wxString& error) {
  wxString digits;
  if (!PrepareLookup(nip, settings.apiKey, _("Brak klucza DataPort API (X-API-Key)."), out, digits, error)) {
    return false;
  }
  const wxString url = ServiceUrl(settings.dataPortUrl, "/api/v1/company/" + digits +
                                                        (settings.fullFormat ? "?format=full" : "?format=simple"));
  const HttpHeaderList headers = {{"X-API-Key", settings.apiKey}, {"Accept", "application/json"}};
  HttpResponse response;
  if (!PerformHttpRequest("GET", url, headers, std::string(), settings.resolveTimeoutMs, settings.connectTimeoutMs,
                          settings.sendTimeoutMs, settings.receiveTimeoutMs, response)) {
    error = "DataPort: " + response.error;
    return false;
  }

  const wxString& answer = response.body;
  bool success = false;
  if (!ReadSuccess(answer, &success)) {
    error = _("DataPort: nie udało się sparsować odpowiedzi (brak pola 'success'). Odpowiedź: ") + answer.Left(400);
    return false;
  }
  if (!success) {
    wxString message;
    if (!GetJsonStringField(answer, "message", message)) message = _("Nieznany błąd DataPort.");
    error = wxString::Format("DataPort (%lu): %s", response.statusCode, message);
    return false;
  }

  wxString fields;
  if (!GetJsonObjectField(answer, "data", fields)) fields = answer;
  GetJsonStringField(fields, "nip", out.nip);
  GetJsonStringField(fields, "regon", out.regon);
  GetJsonStringField(fields, "nazwa", out.name);
  out.shortName = out.name;
  if (settings.fullFormat) {
    GetJsonStringField(fields, "ulica", out.street);
    GetJsonStringField(fields, "numer_budynku", out.buildingNumber);
    GetJsonStringField(fields, "numer_lokalu", out.flatNumber);
    GetJsonStringField(fields, "kod_pocztowy", out.postalCode);
    GetJsonStringField(fields, "miasto", out.city);
  } else {
    GetJsonStringField(fields, "adres", out.street);
  }
  return true;
}
