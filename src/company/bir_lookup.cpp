#include "company/bir_lookup.h"

#include "app/common/i18n.h"
#include "company/lookup_http.h"

#include <wx/regex.h>

const char kBirNamespace[] = "http://CIS/BIR/PUBL/2014/07";
const char kBirServicePath[] = "/wsBIR/UslugaBIRzewnPubl.svc";

namespace {

// Posts one envelope; the answer's status is not looked at, a SOAP fault simply
// lacks the result element the caller wants.
bool PostEnvelope(const CompanyLookupSettings& settings, const wxString& endpoint, const wxString& operation,
                  const wxString& body, const wxString& sid, HttpResponse& response) {
  HttpHeaderList headers = {{"Content-Type", "application/soap+xml; charset=utf-8"}};
  if (!sid.empty()) headers.emplace_back("sid", sid);
  const wxString envelope =
      BuildSoapEnvelope(wxString(kBirNamespace) + "/IUslugaBIRzewnPubl/" + operation, endpoint, body);
  const wxScopedCharBuffer utf8 = envelope.utf8_str();
  return PerformHttpRequest("POST", endpoint, headers, std::string(utf8.data(), utf8.length()),
                            settings.resolveTimeoutMs, settings.connectTimeoutMs, settings.sendTimeoutMs,
                            settings.receiveTimeoutMs, response);
}

bool FirstGroup(const wxString& pattern, const wxString& xml, wxString& out) {
  wxRegEx expression(pattern, wxRE_ADVANCED);
  if (!expression.IsValid() || !expression.Matches(xml)) return false;
  out = expression.GetMatch(xml, 1);
  return true;
}

wxString Trimmed(wxString text) { return text.Trim(true).Trim(false); }

}  // namespace

wxString EscapeXmlText(const wxString& text) {
  wxString out;
  out.reserve(text.length());
  for (const wxUniChar c : text) {
    switch (static_cast<wchar_t>(c.GetValue())) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default: out += c;
    }
  }
  return out;
}

wxString BuildSoapEnvelope(const wxString& action, const wxString& to, const wxString& body) {
  return wxString("<?xml version=\"1.0\" encoding=\"utf-8\"?>") +
         "<soap:Envelope xmlns:soap=\"http://www.w3.org/2003/05/soap-envelope\" xmlns:ns=\"" + kBirNamespace +
         "\"><soap:Header xmlns:wsa=\"http://www.w3.org/2005/08/addressing\"><wsa:Action>" + EscapeXmlText(action) +
         "</wsa:Action><wsa:To>" + EscapeXmlText(to) + "</wsa:To></soap:Header><soap:Body>" + body +
         "</soap:Body></soap:Envelope>";
}

bool ExtractXmlElement(const wxString& xml, const wxString& localName, wxString& out) {
  // The first quantifier decides a whole advanced expression's preference, so it is
  // the non-greedy one: the content then ends at the first closing tag.
  return FirstGroup(wxString::Format("<(?:\\w+?:)??%s[^>]*?>(.*?)</(?:\\w+:)?%s>", localName, localName), xml, out);
}

bool ExtractSimpleXmlElement(const wxString& xml, const wxString& name, wxString& out) {
  return FirstGroup(wxString::Format("<%s>(.*?)</%s>", name, name), xml, out);
}

wxString DecodeXmlEntities(const wxString& text) {
  wxString out(text);
  out.Replace("&lt;", "<");
  out.Replace("&gt;", ">");
  out.Replace("&quot;", "\"");
  out.Replace("&apos;", "'");
  out.Replace("&amp;", "&");
  return out;
}

bool GusBirLogin(const CompanyLookupSettings& settings, const wxString& endpoint, wxString& sid, wxString& error) {
  HttpResponse response;
  const wxString body = "<ns:Zaloguj><ns:pKluczUzytkownika>" + EscapeXmlText(settings.gusUserKey) +
                        "</ns:pKluczUzytkownika></ns:Zaloguj>";
  if (!PostEnvelope(settings, endpoint, "Zaloguj", body, wxString(), response)) {
    error = "GUS: " + response.error;
    return false;
  }
  wxString result;
  if (!ExtractXmlElement(response.body, "ZalogujResult", result)) {
    error = _("GUS: brak ZalogujResult.");
    return false;
  }
  sid = DecodeXmlEntities(Trimmed(result));
  if (sid.empty()) {
    error = _("GUS: pusty sid (błędny klucz lub problem usługi).");
    return false;
  }
  return true;
}

bool GusBirSearchByNip(const CompanyLookupSettings& settings, const wxString& endpoint, const wxString& sid,
                       const wxString& nip, CompanyData& out, wxString& error) {
  HttpResponse response;
  const wxString body = "<ns:DaneSzukaj><ns:pParametryWyszukiwania><ns:Nip>" + EscapeXmlText(nip) +
                        "</ns:Nip></ns:pParametryWyszukiwania></ns:DaneSzukaj>";
  if (!PostEnvelope(settings, endpoint, "DaneSzukaj", body, sid, response)) {
    error = "GUS: " + response.error;
    return false;
  }
  wxString result;
  if (!ExtractXmlElement(response.body, "DaneSzukajResult", result)) {
    error = _("GUS: brak DaneSzukajResult.");
    return false;
  }
  // The result is itself an XML document, sent as escaped text.
  result = DecodeXmlEntities(Trimmed(result));
  if (result.empty()) {
    error = _("GUS: brak danych dla NIP.");
    return false;
  }
  // The values are element content of that document, so they are escaped once more.
  auto read = [&](const char* element, wxString& field) {
    wxString value;
    if (ExtractSimpleXmlElement(result, element, value)) field = DecodeXmlEntities(value);
  };
  read("Nip", out.nip);
  read("Regon", out.regon);
  read("Nazwa", out.name);
  read("NazwaSkrocona", out.shortName);
  if (out.shortName.empty()) out.shortName = out.name;
  read("Ulica", out.street);
  read("NrNieruchomosci", out.buildingNumber);
  read("NrLokalu", out.flatNumber);
  read("KodPocztowy", out.postalCode);
  read("Miejscowosc", out.city);
  read("Wojewodztwo", out.voivodeship);
  return true;
}

void GusBirLogout(const CompanyLookupSettings& settings, const wxString& endpoint, const wxString& sid) {
  HttpResponse response;
  PostEnvelope(settings, endpoint, "Wyloguj", "<ns:Wyloguj/>", sid, response);
}

bool LookupCompanyGusBir(const CompanyLookupSettings& settings, const wxString& nip, CompanyData& out,
                         wxString& error) {
  wxString digits;
  if (!PrepareLookup(nip, settings.gusUserKey,
                     _("Brak klucza GUS BIR (gusUserKey). Produkcyjny klucz uzyskuje się e-mailem wg instrukcji GUS. "),
                     out, digits, error)) {
    return false;
  }
  const wxString endpoint = ServiceUrl(settings.birTest ? settings.birTestUrl : settings.birUrl, kBirServicePath);
  wxString sid;
  if (!GusBirLogin(settings, endpoint, sid, error)) return false;
  const bool found = GusBirSearchByNip(settings, endpoint, sid, digits, out, error);
  GusBirLogout(settings, endpoint, sid);
  if (found) out.nip = digits;
  return found;
}
