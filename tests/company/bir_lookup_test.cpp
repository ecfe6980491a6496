// The BIR provider against loopback HTTPS stand-ins of the production and test
// services, and the XML readers it uses.
#include "company/bir_lookup.h"
#include "company/lookup_http.h"

#include "http_test_server.h"

#include <gtest/gtest.h>

#include <mutex>

namespace {

using veldrix::test::HttpTestRequest;
using veldrix::test::HttpTestResponse;
using veldrix::test::HttpTestServer;

std::string SoapAnswer(const std::string& body) {
  return R"(<s:Envelope xmlns:s="http://www.w3.org/2003/05/soap-envelope"><s:Body>)" + body + "</s:Body></s:Envelope>";
}

// The service's operation named by the request's wsa:Action.
std::string Operation(const HttpTestRequest& request) {
  const std::string& body = request.body;
  const std::size_t end = body.find("</wsa:Action>");
  const std::size_t start = body.rfind('/', end);
  return end == std::string::npos ? std::string() : body.substr(start + 1, end - start - 1);
}

// A stand-in answering each operation with the text set for it.
struct BirService {
  std::mutex lock;
  std::string login = SoapAnswer(R"(<ZalogujResponse xmlns="http://CIS/BIR/PUBL/2014/07"><ZalogujResult> )"
                                 R"(sid&amp;42 </ZalogujResult></ZalogujResponse>)");
  std::string search;
  HttpTestServer server{[this](const HttpTestRequest& request) {
                          std::lock_guard<std::mutex> guard(lock);
                          const std::string operation = Operation(request);
                          if (operation == "Zaloguj") return HttpTestResponse{200, {}, login};
                          if (operation == "DaneSzukaj") return HttpTestResponse{200, {}, search};
                          return HttpTestResponse{200, {}, SoapAnswer("<WylogujResult>true</WylogujResult>")};
                        },
                        HttpTestServer::Tls::Trusted};
};

// The result document as the service sends it: escaped, one element per line.
std::string SearchAnswer(const std::string& record) {
  std::string escaped;
  for (char c : "<root>\r\n  <dane>\r\n" + record + "\r\n  </dane>\r\n</root>") {
    if (c == '<') {
      escaped += "&lt;";
    } else if (c == '>') {
      escaped += "&gt;";
    } else if (c == '&') {
      escaped += "&amp;";
    } else {
      escaped += c;
    }
  }
  return SoapAnswer("<DaneSzukajResponse><DaneSzukajResult>" + escaped + "</DaneSzukajResult></DaneSzukajResponse>");
}

class BirLookup : public ::testing::Test {
 protected:
  CompanyLookupSettings Settings(bool test = false) {
    CompanyLookupSettings settings(CompanyLookupGusBir, wxString(), true, "key&<1>", test, 1000, 1000, 1000, 1000);
    settings.birUrl = production.server.BaseUrl();
    settings.birTestUrl = testing.server.BaseUrl() + "/";
    return settings;
  }

  BirService production;
  BirService testing;
  veldrix::test::ScopedCaFile trustProduction{production.server.CaFile()};
  CompanyData data;
  wxString error;
};

TEST_F(BirLookup, LogsInSearchesAndLogsOutWithTheSession) {
  production.search = SearchAnswer(
      "    <Regon>000331501</Regon>\r\n    <Nip>0000000000</Nip>\r\n"
      "    <Nazwa>A &amp; B \"Spółka\" &lt;Z&gt;</Nazwa>\r\n    <Wojewodztwo>MAZOWIECKIE</Wojewodztwo>\r\n"
      "    <Miejscowosc>Warszawa</Miejscowosc>\r\n    <KodPocztowy>00-950</KodPocztowy>\r\n"
      "    <Ulica>ul. Test-Krucza</Ulica>\r\n    <NrNieruchomosci>5</NrNieruchomosci>\r\n"
      "    <NrLokalu>2</NrLokalu>");
  ASSERT_TRUE(LookupCompanyGusBir(Settings(), "526-104-08-28", data, error)) << error;
  EXPECT_EQ(data.nip, "5261040828");
  EXPECT_EQ(data.regon, "000331501");
  EXPECT_EQ(data.name, wxString::FromUTF8("A & B \"Spółka\" <Z>"));
  EXPECT_EQ(data.shortName, data.name);
  EXPECT_EQ(data.street, "ul. Test-Krucza");
  EXPECT_EQ(data.buildingNumber, "5");
  EXPECT_EQ(data.flatNumber, "2");
  EXPECT_EQ(data.postalCode, "00-950");
  EXPECT_EQ(data.city, "Warszawa");
  EXPECT_EQ(data.voivodeship, "MAZOWIECKIE");

  const auto requests = production.server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  const std::string endpoint = production.server.BaseUrl() + "/wsBIR/UslugaBIRzewnPubl.svc";
  const char* operations[] = {"Zaloguj", "DaneSzukaj", "Wyloguj"};
  for (size_t i = 0; i < 3; ++i) {
    const HttpTestRequest& r = requests[i];
    EXPECT_EQ(r.method, "POST");
    EXPECT_EQ(r.target, "/wsBIR/UslugaBIRzewnPubl.svc");
    EXPECT_EQ(Operation(r), operations[i]);
    EXPECT_NE(r.body.find("<wsa:Action>http://CIS/BIR/PUBL/2014/07/IUslugaBIRzewnPubl/"), std::string::npos);
    EXPECT_NE(r.body.find("<wsa:To>" + endpoint + "</wsa:To>"), std::string::npos);
    std::vector<std::string> ours;
    for (const auto& header : r.headers) {
      if (header.first == "Content-Type" || header.first == "sid") ours.push_back(header.first);
    }
    const std::vector<std::string> expected = {"Content-Type", "sid"};
    EXPECT_EQ(ours, std::vector<std::string>(expected.begin(), expected.begin() + (i == 0 ? 1 : 2)));
    EXPECT_EQ(r.Header("Content-Type"), "application/soap+xml; charset=utf-8");
    EXPECT_EQ(r.Header("sid"), i == 0 ? "" : "sid&42");  // trimmed and decoded
  }
  EXPECT_NE(requests[0].body.find("<ns:pKluczUzytkownika>key&amp;&lt;1&gt;</ns:pKluczUzytkownika>"), std::string::npos);
  EXPECT_NE(requests[1].body.find("<ns:Nip>5261040828</ns:Nip>"), std::string::npos);
  EXPECT_NE(requests[2].body.find("<ns:Wyloguj/>"), std::string::npos);
  EXPECT_TRUE(testing.server.Requests().empty());
}

TEST_F(BirLookup, TestFlagSendsEverythingToTheTestService) {
  veldrix::test::ScopedCaFile trustTest(testing.server.CaFile());
  testing.search = SearchAnswer("<Nazwa>Testowa</Nazwa><NazwaSkrocona>T</NazwaSkrocona>");
  ASSERT_TRUE(LookupCompanyGusBir(Settings(true), "5261040828", data, error)) << error;
  EXPECT_EQ(data.shortName, "T");
  const auto requests = testing.server.Requests();
  ASSERT_EQ(requests.size(), 3u);
  for (const auto& r : requests) {
    EXPECT_NE(r.body.find("<wsa:To>" + testing.server.BaseUrl() + "/wsBIR/"), std::string::npos);
  }
  EXPECT_TRUE(production.server.Requests().empty());
}

TEST_F(BirLookup, FailuresGiveTheirTextsAndAFailedSearchStillLogsOut) {
  const std::string loggedIn = production.login;
  struct Case {
    std::string login, search;
    const char* error;
    std::vector<std::string> operations;
  } cases[] = {
      {SoapAnswer("<ZalogujResult>  \t </ZalogujResult>"), "", "GUS: pusty sid (błędny klucz lub problem usługi).",
       {"Zaloguj"}},
      {SoapAnswer("<s:Fault>bad</s:Fault>"), "", "GUS: brak ZalogujResult.", {"Zaloguj"}},
      {loggedIn, SoapAnswer("<DaneSzukajResult>  </DaneSzukajResult>"), "GUS: brak danych dla NIP.",
       {"Zaloguj", "DaneSzukaj", "Wyloguj"}},
      {loggedIn, SoapAnswer("<s:Fault>sid</s:Fault>"), "GUS: brak DaneSzukajResult.",
       {"Zaloguj", "DaneSzukaj", "Wyloguj"}},
  };
  size_t seen = 0;
  for (const Case& c : cases) {
    production.login = c.login;
    production.search = c.search;
    EXPECT_FALSE(LookupCompanyGusBir(Settings(), "5261040828", data, error));
    EXPECT_EQ(error, wxString::FromUTF8(c.error));
    const auto requests = production.server.Requests();
    std::vector<std::string> operations;
    for (size_t i = seen; i < requests.size(); ++i) operations.push_back(Operation(requests[i]));
    seen = requests.size();
    EXPECT_EQ(operations, c.operations) << c.error;
  }

  HttpTestServer untrusted({}, HttpTestServer::Tls::Untrusted);
  CompanyLookupSettings settings = Settings();
  settings.birUrl = untrusted.BaseUrl();
  EXPECT_FALSE(LookupCompanyGusBir(settings, "5261040828", data, error));
  EXPECT_TRUE(error.StartsWith("GUS: ")) << error;

  settings.gusUserKey.clear();
  EXPECT_FALSE(LookupCompanyGusBir(settings, "5261040828", data, error));
  EXPECT_TRUE(error.StartsWith("Brak klucza GUS BIR")) << error;
  EXPECT_FALSE(LookupCompanyGusBir(Settings(), "123", data, error));
  EXPECT_EQ(production.server.Requests().size(), seen);
}

// A reply as large as a lookup reads, made of result tags that never close, is read
// in one pass: the lookup ends with its error instead of working for hours.
TEST_F(BirLookup, AHostileReplyOfUnclosedTagsEndsTheLookup) {
  const std::string loggedIn = production.login;
  std::string tags;
  while (tags.size() < kLookupMaxBodyBytes - 512) tags += "<a:ZalogujResult x=\"1\"><Nip>";
  production.login = SoapAnswer(tags);
  EXPECT_FALSE(LookupCompanyGusBir(Settings(), "5261040828", data, error));
  EXPECT_EQ(error, "GUS: brak ZalogujResult.");

  production.login = loggedIn;
  std::string escaped;
  while (escaped.size() < kLookupMaxBodyBytes - 512) escaped += "&lt;Nip&gt;&lt;Regon&gt;";
  production.search = SoapAnswer("<DaneSzukajResult>" + escaped + "</DaneSzukajResult>");
  ASSERT_TRUE(LookupCompanyGusBir(Settings(), "5261040828", data, error)) << error;
  EXPECT_EQ(data.regon, "");
  EXPECT_EQ(data.name, "");
}

TEST(BirXml, ElementsAreFoundByLocalNameAndDecodedOneLevel) {
  wxString out;
  ASSERT_TRUE(ExtractXmlElement(R"(<a:ZalogujResult xmlns:a="urn:x">abc</a:ZalogujResult>)", "ZalogujResult", out));
  EXPECT_EQ(out, "abc");
  ASSERT_TRUE(ExtractXmlElement("<r><x>1</x><x>2</x></r>", "x", out));
  EXPECT_EQ(out, "1");
  ASSERT_TRUE(ExtractXmlElement("<x>line one\nline two</x>", "x", out));
  EXPECT_EQ(out, "line one\nline two");
  EXPECT_FALSE(ExtractXmlElement("<x>open", "x", out));

  out = "kept";
  EXPECT_FALSE(ExtractSimpleXmlElement(R"(<p:Nazwa>a</p:Nazwa><Nazwa attr="1">b</Nazwa>)", "Nazwa", out));
  EXPECT_EQ(out, "kept");

  EXPECT_EQ(DecodeXmlEntities("&amp;lt; &lt;&gt;&quot;&apos;&amp; &#65;"), "&lt; <>\"'& &#65;");
}

}  // namespace
