// The BIR provider of the company lookup: a SOAP 1.2 session with the statistics
// office's registry service (log in with the user key, search by NIP, log out),
// built as text and read by one pass over the reply.
#pragma once

#include "company/company_lookup.h"

// The service's contract namespace and its endpoint path below the host.
extern const char kBirNamespace[];
extern const char kBirServicePath[];

bool LookupCompanyGusBir(const CompanyLookupSettings& settings, const wxString& nip, CompanyData& out,
                         wxString& error);

bool GusBirLogin(const CompanyLookupSettings& settings, const wxString& endpoint, wxString& sid, wxString& error);
bool GusBirSearchByNip(const CompanyLookupSettings& settings, const wxString& endpoint, const wxString& sid,
                       const wxString& nip, CompanyData& out, wxString& error);
// Its outcome does not matter to the lookup.
void GusBirLogout(const CompanyLookupSettings& settings, const wxString& endpoint, const wxString& sid);

// One line of XML: declaration, envelope, addressing header and the body fragment.
// The action and the address are escaped; the body is inserted as the XML it is.
wxString BuildSoapEnvelope(const wxString& action, const wxString& to, const wxString& body);

// Escapes text for XML content and attribute values.
wxString EscapeXmlText(const wxString& text);

// The content of the first element with that local name, prefixed or not and with
// any attributes; the shortest content wins, line breaks included.
bool ExtractXmlElement(const wxString& xml, const wxString& localName, wxString& out);

// The content of the first element written exactly <name>; false, with out left
// unchanged, when there is none.
bool ExtractSimpleXmlElement(const wxString& xml, const wxString& name, wxString& out);

// Decodes &lt; &gt; &quot; &apos; and, last, &amp;: one level of escaping.
wxString DecodeXmlEntities(const wxString& text);
