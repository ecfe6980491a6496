// The DataPort provider against a loopback HTTPS stand-in trusted through the test CA.
#include "company/dataport_lookup.h"
#include "company/lookup_http.h"

#include "http_test_server.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <array>

namespace {

using veldrix::test::HttpTestRequest;
using veldrix::test::HttpTestResponse;
using veldrix::test::HttpTestServer;

const wxString kKey = "K3yOfTheTestsThatMustNeverShowUpInAnyLogLineWhatsoever0123456789";

class DataPortLookup : public ::testing::Test {
 protected:
  CompanyLookupSettings Settings(bool fullFormat = true) {
    CompanyLookupSettings settings(CompanyLookupDataPort, kKey, fullFormat, wxString(), false, 1000, 1000, 1000, 1000);
    settings.dataPortUrl = server.BaseUrl() + "/";
    return settings;
  }

  bool Lookup(const wxString& nip, bool fullFormat = true) {
    return LookupCompanyDataPort(Settings(fullFormat), nip, data, error);
  }

  HttpTestResponse answer;
  HttpTestServer server{[this](const HttpTestRequest&) { return answer; }, HttpTestServer::Tls::Trusted};
  veldrix::test::ScopedCaFile trust{server.CaFile()};
  CompanyData data;
  wxString error;
};

TEST_F(DataPortLookup, SendsTheCompanyRequestWithKeyAndAcceptInOrder) {
  answer.body = R"({"success":true,"data":{}})";
  ASSERT_TRUE(Lookup("PL 526-104-08-28")) << error;
  ASSERT_TRUE(Lookup("5261040828", false)) << error;

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/api/v1/company/5261040828?format=full");
  EXPECT_EQ(requests[1].target, "/api/v1/company/5261040828?format=simple");
  EXPECT_EQ(requests[0].Header("X-API-Key"), kKey.ToStdString());
  EXPECT_EQ(requests[0].Header("Accept"), "application/json");
  EXPECT_EQ(requests[0].Header("User-Agent"), "Veldrix-CompanyLookup/1.0");
  EXPECT_TRUE(requests[0].body.empty());
  std::vector<std::string> names;
  for (const auto& header : requests[0].headers) {
    if (header.first == "X-API-Key" || header.first == "Accept") names.push_back(header.first);
  }
  EXPECT_EQ(names, (std::vector<std::string>{"X-API-Key", "Accept"}));
}

TEST_F(DataPortLookup, ReadsEveryKindOfAnswer) {
  const std::string longText(500, 'z');
  struct Case {
    int status;
    std::string body;
    bool fullFormat;
    bool ok;
    const char* error;  // expected error text (UTF-8) when not ok
    // nip, regon, short name, name, street, building, flat, postal code, city, voivodeship (UTF-8)
    std::array<const char*, 10> expected;
  } cases[] = {
      {200,
       R"({"success": true, "data": {"nip":"5261040828","regon":"000331501","nazwa":"Firma \"Test\" S.A.",)"
       R"("ulica":"ul. Długa","numer_budynku":"5","numer_lokalu":"2","kod_pocztowy":"00-950","miasto":"Kraków",)"
       R"("adres":"ignored in full"}})",
       true, true, nullptr,
       {"5261040828", "000331501", "Firma \"Test\" S.A.", "Firma \"Test\" S.A.", "ul. Długa", "5", "2", "00-950",
        "Kraków", ""}},
      {200, R"({"success":true,"data":{"nazwa":"X","adres":"ul. Krótka 1, 00-001 Y","miasto":"ignored"}})", false,
       true, nullptr, {"", "", "X", "X", "ul. Krótka 1, 00-001 Y", "", "", "", "", ""}},
      {200, R"({"success":true,"data":{},"nip":"outside data"})", true, true, nullptr, {"", "", "", "", "", "", "", "", "", ""}},
      {200, R"({"nazwa":"Top level","success":true})", true, true, nullptr,
       {"", "", "Top level", "Top level", "", "", "", "", "", ""}},
      {404, R"({"success":false,"message":"Nie znaleziono firmy"})", true, false, "DataPort (404): Nie znaleziono firmy", {}},
      {403, R"({"success":false})", true, false, "DataPort (403): Nieznany błąd DataPort.", {}},
      {200, R"({"success":"true"})", true, false,
       "DataPort: nie udało się sparsować odpowiedzi (brak pola 'success'). Odpowiedź: {\"success\":\"true\"}", {}},
  };
  for (const Case& c : cases) {
    answer = HttpTestResponse{c.status, {{"Content-Type", "application/json"}}, c.body};
    EXPECT_EQ(Lookup("5261040828", c.fullFormat), c.ok) << c.body;
    if (!c.ok) {
      EXPECT_EQ(error, wxString::FromUTF8(c.error));
      continue;
    }
    EXPECT_TRUE(error.empty()) << error;
    const wxString got[] = {data.nip, data.regon, data.shortName, data.name, data.street, data.buildingNumber,
                            data.flatNumber, data.postalCode, data.city, data.voivodeship};
    for (size_t i = 0; i < WXSIZEOF(got); ++i) {
      EXPECT_EQ(got[i], wxString::FromUTF8(c.expected[i])) << c.body << " field " << i;
    }
  }

  answer = HttpTestResponse{200, {}, longText};
  EXPECT_FALSE(Lookup("5261040828"));
  EXPECT_TRUE(error.EndsWith(": " + wxString(400, 'z'))) << "the answer is cut at 400 characters";
}

TEST_F(DataPortLookup, BadInputNeverReachesTheNetwork) {
  answer.body = R"({"success":true})";
  for (const char* nip : {"526104082", "52610408281", "", "PL ---"}) {
    EXPECT_FALSE(Lookup(nip));
    EXPECT_EQ(error, wxString::FromUTF8("Podaj poprawny NIP (10 cyfr)."));
  }
  CompanyLookupSettings settings = Settings();
  settings.apiKey.clear();
  EXPECT_FALSE(LookupCompanyDataPort(settings, "5261040828", data, error));
  EXPECT_EQ(error, "Brak klucza DataPort API (X-API-Key).");
  settings.apiKey = kKey + "\r\nX-Injected: 1";
  EXPECT_FALSE(LookupCompanyDataPort(settings, "5261040828", data, error));
  EXPECT_TRUE(error.StartsWith("DataPort: ")) << error;
  EXPECT_TRUE(server.Requests().empty());
}

TEST_F(DataPortLookup, ATricklingServerEndsTheLookupWithinItsTimeOutsAddedUp) {
  // Half a second between bytes keeps each 2 s time-out from running out; the
  // whole answer would take a minute.
  constexpr std::size_t kBody = 120;
  server.SetMode(HttpTestServer::Mode::Trickle, kBody, 500);
  CompanyLookupSettings settings = Settings();
  settings.resolveTimeoutMs = settings.connectTimeoutMs = settings.sendTimeoutMs = settings.receiveTimeoutMs = 2000;
  EXPECT_FALSE(LookupCompanyDataPort(settings, "5261040828", data, error));
  EXPECT_TRUE(error.StartsWith("DataPort: ")) << error;
  EXPECT_LT(server.TrickledBytes(), kBody / 2) << "the lookup lasted as long as the server kept sending";
}

// Collects every log line, to show the key never appears in one.
class LogCollector : public wxLog {
 public:
  wxString text;

 protected:
  void DoLogTextAtLevel(wxLogLevel, const wxString& message) override { text += message + "\n"; }
};

TEST_F(DataPortLookup, TransportFailuresAreReportedWithoutTheKey) {
  LogCollector* log = new LogCollector;
  wxLog* previous = wxLog::SetActiveTarget(log);
  wxLog::SetLogLevel(wxLOG_Max);

  HttpTestServer untrusted({}, HttpTestServer::Tls::Untrusted);
  CompanyLookupSettings settings = Settings();
  settings.dataPortUrl = untrusted.BaseUrl();
  EXPECT_FALSE(LookupCompanyDataPort(settings, "5261040828", data, error));
  EXPECT_TRUE(error.StartsWith("DataPort: ")) << error;
  EXPECT_TRUE(untrusted.Requests().empty());

  server.SetMode(HttpTestServer::Mode::Silent);
  EXPECT_FALSE(Lookup("5261040828"));
  EXPECT_TRUE(error.StartsWith("DataPort: ")) << error;

  server.SetMode(HttpTestServer::Mode::HugeBody, kLookupMaxBodyBytes + 1);
  EXPECT_FALSE(Lookup("5261040828"));
  EXPECT_TRUE(error.StartsWith("DataPort: ")) << error;
  EXPECT_EQ(error.Find(kKey), wxNOT_FOUND);

  wxLog::FlushActive();
  wxLog::SetActiveTarget(previous);
  EXPECT_EQ(log->text.Find(kKey), wxNOT_FOUND) << log->text;
  delete log;
}

}  // namespace
