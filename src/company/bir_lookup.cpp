#include "company/bir_lookup.h"

#include "app/common/i18n.h"
#include "company/lookup_http.h"

#include <wx/wxcrt.h>

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

// The readers below make one pass over the reply: a pattern search would try every
// opening tag against the rest of the text, and a hostile reply of a few megabytes
// of unclosed tags then keeps the lookup busy for hours.

bool IsNameCharacter(wxUniChar c) { return wxIsalnum(c) || c == '_'; }

// Whether text holds at `at` an optional "prefix:" and then `name`, followed by `end`
// or (when `end` is 0) by white space, "/" or ">". *after is left behind the name.
bool NameAt(const wxString& text, std::size_t at, const wxString& name, wxUniChar end, std::size_t* after) {
  std::size_t word = at;
  while (word < text.length() && IsNameCharacter(text[word])) ++word;
  if (word > at && word < text.length() && text[word] == ':') at = word + 1;
  if (text.compare(at, name.length(), name) != 0) return false;
  at += name.length();
  if (at >= text.length()) return false;
  const wxUniChar next = text[at];
  if (end != 0 ? next != end : !(next == '>' || next == '/' || wxIsspace(next))) return false;
  *after = at;
  return true;
}

// The content between the end of the opening tag at `contentStart` and the first
// closing tag of the element found by `closes` after it.
template <typename Closes>
bool ContentUpTo(const wxString& xml, std::size_t contentStart, Closes closes, wxString& out) {
  for (std::size_t at = xml.find("</", contentStart); at != wxString::npos; at = xml.find("</", at + 2)) {
    if (closes(at + 2)) {
      out = xml.substr(contentStart, at - contentStart);
      return true;
    }
  }
  return false;
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
  // The first opening tag decides: a closing tag after a later one is after it too.
  std::size_t nameEnd = 0;
  std::size_t open = xml.find('<');
  while (open != wxString::npos && !NameAt(xml, open + 1, localName, 0, &nameEnd)) open = xml.find('<', open + 1);
  if (open == wxString::npos) return false;
  const std::size_t tagEnd = xml.find('>', nameEnd);
  if (tagEnd == wxString::npos) return false;
  std::size_t ignored = 0;
  return ContentUpTo(xml, tagEnd + 1, [&](std::size_t at) { return NameAt(xml, at, localName, '>', &ignored); }, out);
}

bool ExtractSimpleXmlElement(const wxString& xml, const wxString& name, wxString& out) {
  const std::size_t open = xml.find("<" + name + ">");
  if (open == wxString::npos) return false;
  const wxString close = "</" + name + ">";
  const std::size_t start = open + name.length() + 2;
  const std::size_t end = xml.find(close, start);
  if (end == wxString::npos) return false;
  out = xml.substr(start, end - start);
  return true;
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
