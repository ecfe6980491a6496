// The store client against loopback HTTP(S) servers standing in for the store
// service: its URL rules, headers, size cap, error bodies and package downloads.
#include "store/store_client.h"

#include "app/common/config_access.h"
#include "http_test_server.h"
#include "store_test_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/memconf.h>

#include <string>

namespace veldrix {
namespace {

using test::HttpTestRequest;
using test::HttpTestResponse;
using test::HttpTestServer;
using test::U;

// A configuration installed for one test, holding the trusted test CA.
class StoreClientTest : public ::testing::Test {
 protected:
  StoreClientTest() : config_(new wxMemoryConfig) { delete InstallConfig(config_); }
  ~StoreClientTest() override { delete InstallConfig(nullptr); }

  wxMemoryConfig* config_;
};

HttpTestResponse Json(int status, const std::string& body) {
  return HttpTestResponse{status, {{"Content-Type", "application/json"}}, body};
}

TEST(StoreBaseUrl, DropsTrailingSlashesAndJoinsWithOneSlash) {
  const struct {
    const char* configured;
    const char* base;
  } cases[] = {
      {"https://s.example/api/v1", "https://s.example/api/v1"},
      {"https://s.example/api/v1///", "https://s.example/api/v1"},
      {"/", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    wxString base = "old";
    NormalizeStoreBaseUrl(base, c.configured);
    EXPECT_EQ(base, c.base) << c.configured;
  }
  EXPECT_EQ(JoinStoreUrl("https://s.example/api/v1", "/catalog"), "https://s.example/api/v1/catalog");
  EXPECT_EQ(JoinStoreUrl("https://s.example/api/v1", "catalog"), "https://s.example/api/v1/catalog");
}

TEST_F(StoreClientTest, ConfiguredBaseUrlReplacesTheDefaultOnlyWhenNotEmpty) {
  const wxString builtIn = ConfiguredStoreBaseUrl();
  EXPECT_TRUE(builtIn.StartsWith("https://")) << builtIn;
  EXPECT_TRUE(builtIn.EndsWith("/api/v1")) << builtIn;

  config_->Write("/store/api_base_url", wxString());
  EXPECT_EQ(ConfiguredStoreBaseUrl(), builtIn);
  config_->Write("/store/api_base_url", "https://127.0.0.1:9/api/v1//");
  EXPECT_EQ(ConfiguredStoreBaseUrl(), "https://127.0.0.1:9/api/v1");

  // Only "/" leaves no base at all: every request then fails at the URL.
  config_->Write("/store/api_base_url", "/");
  StoreResponse response;
  wxString error;
  EXPECT_FALSE(StoreRequest("GET", JoinStoreUrl(ConfiguredStoreBaseUrl(), "catalog"), "", &response, &error));
  EXPECT_TRUE(error.StartsWith(U("Nieprawidłowy adres API (błąd "))) << error;
}

TEST_F(StoreClientTest, SendsTheStoreHeadersOverHttpsTrustingTheConfiguredCa) {
  HttpTestServer server([](const HttpTestRequest&) { return Json(201, "{\"ok\":true}"); },
                        HttpTestServer::Tls::Trusted);
  test::ScopedCaFile trust(server.CaFile());
  StoreResponse response;
  wxString error = "stale";
  ASSERT_TRUE(StoreRequest("POST", U(server.BaseUrl() + "/api/v1/x?a=1"), "{\"q\":1}", &response, &error)) << error;
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(response.status, 201u);
  EXPECT_EQ(response.body, "{\"ok\":true}");
  ASSERT_EQ(server.Requests().size(), 1u);
  const HttpTestRequest sent = server.Requests()[0];
  EXPECT_EQ(sent.target, "/api/v1/x?a=1");
  EXPECT_EQ(sent.body, "{\"q\":1}");
  EXPECT_EQ(sent.Header("Accept"), "application/json");
  EXPECT_EQ(sent.Header("Content-Type"), "application/json; charset=utf-8");
  EXPECT_EQ(sent.Header("User-Agent"), "Veldrix-Store/1.0");
}

TEST_F(StoreClientTest, PlainHttpReachesOnlyThisMachine) {
  HttpTestServer server([](const HttpTestRequest&) { return Json(200, "{}"); });
  const std::string port = std::to_string(server.port());
  for (const std::string host : {"127.0.0.1", "localhost", "LocalHost"}) {
    StoreResponse response;
    wxString error;
    EXPECT_TRUE(StoreRequest("GET", U("http://" + host + ":" + port + "/"), "", &response, &error)) << host << error;
    EXPECT_EQ(response.status, 200u) << host;
  }
  const std::size_t reached = server.Requests().size();
  for (const std::string host : {"127.0.0.2", "[::1]", "store.example", "127.0.0.1.nip.example"}) {
    StoreResponse response;
    wxString error;
    EXPECT_FALSE(StoreRequest("GET", U("http://" + host + ":" + port + "/"), "", &response, &error)) << host;
    EXPECT_EQ(error, U("Połączenie ze sklepem musi używać HTTPS.")) << host;
  }
  EXPECT_EQ(server.Requests().size(), reached);
  for (const char* url : {"", "ftp://127.0.0.1/x", "sklep/api/v1", "https://"}) {
    StoreResponse response;
    wxString error;
    EXPECT_FALSE(StoreRequest("GET", url, "", &response, &error)) << url;
    EXPECT_TRUE(error.StartsWith(U("Nieprawidłowy adres API (błąd "))) << url << " " << error;
  }
}

TEST_F(StoreClientTest, NoAnswerKeepsItsCodeAndSaysWhatItMeans) {
  HttpTestServer untrusted({}, HttpTestServer::Tls::Untrusted);
  std::string refused;
  {
    HttpTestServer gone;
    refused = gone.BaseUrl();
  }
  const struct {
    std::string url;
    const char* code;
    const char* meaning;  // a word of the explanation, in any case
  } cases[] = {
      {"https://sklep..invalid/api/v1", "6", "nazw"},
      {refused + "/api/v1", "7", "połączenia"},
      {untrusted.BaseUrl() + "/api/v1", "60", "certyfikat"},
  };
  for (const auto& c : cases) {
    StoreResponse response;
    wxString error;
    EXPECT_FALSE(StoreRequest("GET", U(c.url), "", &response, &error));
    const wxString prefix = U("Serwer sklepu nie odpowiedział (błąd ") + c.code + ").";
    EXPECT_TRUE(error.StartsWith(prefix)) << error;
    EXPECT_NE(error.Mid(prefix.length()).Lower().Find(U(c.meaning)), wxNOT_FOUND) << error;
  }
}

TEST_F(StoreClientTest, MemoryBodiesStopAt8MiBWhileDownloadsHaveNoLimit) {
  HttpTestServer server;
  test::TempDir temp;
  const wxString url = U(server.BaseUrl() + "/big");
  StoreResponse response;
  wxString error;

  server.SetMode(HttpTestServer::Mode::HugeBody, kStoreMemoryBodyLimit);
  ASSERT_TRUE(StoreRequest("GET", url, "", &response, &error)) << error;
  EXPECT_EQ(response.body.size(), kStoreMemoryBodyLimit);

  server.SetMode(HttpTestServer::Mode::HugeBody, kStoreMemoryBodyLimit + 1);
  EXPECT_FALSE(StoreRequest("GET", url, "", &response, &error));
  EXPECT_EQ(error, U("Odpowiedź serwera sklepu jest zbyt duża."));

  const wxString file = temp.file("package.zip");
  ASSERT_TRUE(DownloadPackage(url, file, &error)) << error;
  EXPECT_EQ(wxFileName::GetSize(file), wxULongLong(kStoreMemoryBodyLimit + 1));
}

TEST_F(StoreClientTest, FailedDownloadsLeaveNoFileAndSayWhy) {
  std::string errorBody;
  HttpTestServer server([&errorBody](const HttpTestRequest&) { return Json(404, errorBody); });
  test::TempDir temp;
  const wxString file = temp.file("package.zip");
  const wxString url = U(server.BaseUrl() + "/files/x.zip");
  const struct {
    std::string body;
    const char* message;
  } cases[] = {
      {"{\"error\":{\"message\":\"Nie ma takiej paczki\"}}", "Nie ma takiej paczki"},
      {"", "Pobieranie paczki zakończyło się błędem HTTP 404."},
      {"<html>404</html>", "Pobieranie paczki zakończyło się błędem HTTP 404."},
  };
  for (const auto& c : cases) {
    errorBody = c.body;
    test::WriteFileBytes(file, "");  // the caller's empty temporary file
    wxString error;
    EXPECT_FALSE(DownloadPackage(url, file, &error));
    EXPECT_EQ(error, U(c.message));
    EXPECT_FALSE(wxFileExists(file));
  }

  server.SetMode(HttpTestServer::Mode::BrokenBody, 1 << 20);
  wxString error;
  EXPECT_FALSE(DownloadPackage(url, file, &error));
  EXPECT_EQ(error, U("Błąd podczas pobierania danych sklepu."));
  EXPECT_FALSE(wxFileExists(file));

  server.SetMode(HttpTestServer::Mode::HugeBody, 1 << 20);
  EXPECT_FALSE(DownloadPackage(url, file, &error, [](std::uint64_t received, std::uint64_t) { return received == 0; }));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(wxFileExists(file));
}

}  // namespace
}  // namespace veldrix
