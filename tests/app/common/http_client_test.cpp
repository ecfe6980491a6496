#include "app/common/http_client.h"

#include "http_test_server.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

#include <chrono>

namespace {

using veldrix::HttpFailure;
using veldrix::HttpRequest;
using veldrix::HttpResult;
using veldrix::test::HttpTestRequest;
using veldrix::test::HttpTestResponse;
using veldrix::test::HttpTestServer;

HttpResult Send(const HttpRequest& request) {
  HttpResult result;
  const bool ok = veldrix::DefaultHttpTransport().Perform(request, &result);
  EXPECT_EQ(ok, result.ok());
  return result;
}

HttpRequest Get(const std::string& url) {
  HttpRequest request;
  request.url = wxString::FromUTF8(url);
  return request;
}

TEST(HttpClient, SendsRequestAsGivenAndReturnsAnyStatusWithItsBody) {
  HttpTestServer server([](const HttpTestRequest&) {
    return HttpTestResponse{404, {{"Content-Type", "application/json"}}, "{\"error\":\"brak\"}"};
  });
  HttpRequest request = Get(server.BaseUrl() + "/api/v1/x?format=full&y=1");
  request.method = "POST";
  request.userAgent = "Veldrix-Test/1.0";
  request.headers = {{"X-Second", "b"}, {"Content-Type", "text/xml"}, {"X-First", wxString::FromUTF8("zażółć")}};
  request.body = std::string("line\r\n\0binary\xff", 14);

  const HttpResult result = Send(request);
  EXPECT_EQ(result.status, 404);
  EXPECT_EQ(result.body, "{\"error\":\"brak\"}");

  ASSERT_EQ(server.Requests().size(), 1u);
  const HttpTestRequest sent = server.Requests()[0];
  EXPECT_EQ(sent.method, "POST");
  EXPECT_EQ(sent.target, "/api/v1/x?format=full&y=1");
  EXPECT_EQ(sent.body, request.body);
  EXPECT_EQ(sent.Header("User-Agent"), "Veldrix-Test/1.0");
  EXPECT_EQ(sent.Header("X-First"), "zażółć");
  std::vector<std::string> ours;
  for (const auto& [name, value] : sent.headers) {
    if (name == "X-Second" || name == "Content-Type" || name == "X-First") ours.push_back(name);
  }
  EXPECT_EQ(ours, (std::vector<std::string>{"X-Second", "Content-Type", "X-First"}));
  EXPECT_FALSE(sent.HasHeader("Expect"));  // no 100-continue round trip added
  EXPECT_FALSE(sent.HasHeader("Accept"));  // nothing the caller did not ask for
}

TEST(HttpClient, RefusesMalformedRequestsBeforeSendingAnything) {
  HttpTestServer server;
  struct Case {
    std::string url;
    wxString name, value;
    HttpFailure failure;
  } cases[] = {
      {server.BaseUrl() + "/", "X-Key", "abc\r\nX-Injected: 1", HttpFailure::BadHeader},
      {server.BaseUrl() + "/", "X-Key", "abc\ndef", HttpFailure::BadHeader},
      {server.BaseUrl() + "/", "X-Key\r\nX-Injected", "1", HttpFailure::BadHeader},
      {"ftp://127.0.0.1:" + std::to_string(server.port()) + "/", "X-Key", "1", HttpFailure::BadUrl},
      {"/relative/path", "X-Key", "1", HttpFailure::BadUrl},
  };
  for (const Case& c : cases) {
    HttpRequest request = Get(c.url);
    request.headers = {{c.name, c.value}};
    const HttpResult result = Send(request);
    EXPECT_EQ(result.failure, c.failure) << c.url << " " << c.value;
    EXPECT_FALSE(result.error.empty());
    EXPECT_EQ(result.error.Find("abc"), wxNOT_FOUND) << "header values may hold keys";
  }
  EXPECT_TRUE(server.Requests().empty());
}

TEST(HttpClient, InMemoryBodyIsCappedAtTheCallersLimit) {
  const std::string body(1000, 'a');
  HttpTestServer server([&](const HttpTestRequest&) { return HttpTestResponse{200, {}, body}; });
  HttpRequest request = Get(server.BaseUrl() + "/");
  request.maxBodyBytes = 1000;
  EXPECT_EQ(Send(request).body, body);  // exactly the cap is accepted
  request.maxBodyBytes = 999;
  const HttpResult result = Send(request);
  EXPECT_EQ(result.failure, HttpFailure::TooLarge);
  EXPECT_EQ(result.status, 200);
}

TEST(HttpClient, FailsWithTimeoutOrConnectWhenTheServerDoesNotAnswer) {
  HttpTestServer server;
  server.SetMode(HttpTestServer::Mode::Silent);
  HttpRequest request = Get(server.BaseUrl() + "/");
  request.timeouts = {500, 500, 1000, 1000};
  const auto started = std::chrono::steady_clock::now();
  const HttpResult result = Send(request);
  const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started);
  EXPECT_EQ(result.failure, HttpFailure::Timeout) << result.error;
  EXPECT_EQ(result.status, 0);
  EXPECT_LT(seconds.count(), 10) << "the receive time-out was not applied";

  int port = server.port();
  { HttpTestServer gone; port = gone.port(); }  // a port nobody listens on any more
  EXPECT_EQ(Send(Get("http://127.0.0.1:" + std::to_string(port) + "/")).failure, HttpFailure::Connect);
  EXPECT_EQ(Send(Get("http://sklep..invalid/")).failure, HttpFailure::Resolve);
}

TEST(HttpClient, AServerTricklingBytesIsCutOffAtTheTimeOutsAddedUp) {
  HttpTestServer server;
  // A byte every 100 ms never lets the receive time-out run out; the body would
  // take a minute.
  constexpr std::size_t kBody = 600;
  server.SetMode(HttpTestServer::Mode::Trickle, kBody, 100);
  HttpRequest request = Get(server.BaseUrl() + "/");
  request.timeouts = {500, 500, 1000, 1000};
  const HttpResult result = Send(request);
  EXPECT_EQ(result.failure, HttpFailure::Timeout) << result.error;
  EXPECT_EQ(result.status, 200);
  EXPECT_LT(server.TrickledBytes(), kBody / 2) << "the request lasted as long as the server kept sending";

  // A body streamed to a file may take longer: its caller's progress decides.
  veldrix::test::TempDir folder;
  HttpTestServer slow;
  slow.SetMode(HttpTestServer::Mode::Trickle, 40, 100);
  request = Get(slow.BaseUrl() + "/package");
  request.timeouts = {500, 500, 1000, 1000};
  request.downloadPath = folder.file("package.zip");
  EXPECT_TRUE(Send(request).ok());
  EXPECT_EQ(wxFileName::GetSize(request.downloadPath), 40);
}

TEST(HttpClient, TrustsOnlyTheConfiguredCaAndVerifiesTheHost) {
  veldrix::test::IsolatedFolders folders;
  auto ok = [](const HttpTestRequest&) { return HttpTestResponse{200, {}, "secure"}; };
  HttpTestServer trusted(ok, HttpTestServer::Tls::Trusted);
  HttpTestServer untrusted(ok, HttpTestServer::Tls::Untrusted);

  // The system store does not know the test CA.
  EXPECT_EQ(Send(Get(trusted.BaseUrl() + "/")).failure, HttpFailure::Tls);

  veldrix::test::ScopedCaFile trust(trusted.CaFile());
  EXPECT_EQ(Send(Get(trusted.BaseUrl() + "/")).body, "secure");
  EXPECT_EQ(Send(Get("https://localhost:" + std::to_string(trusted.port()) + "/")).body, "secure");
  const HttpResult refused = Send(Get(untrusted.BaseUrl() + "/"));
  EXPECT_EQ(refused.failure, HttpFailure::Tls);
  EXPECT_TRUE(untrusted.Requests().empty());
}

TEST(HttpClient, StreamsSuccessfulDownloadsToFileAndKeepsNothingOfAFailedOne) {
  veldrix::test::TempDir folder;
  const wxString target = folder.file("package.zip");
  HttpTestServer server([](const HttpTestRequest& r) {
    return r.target == "/missing" ? HttpTestResponse{404, {}, "{\"error\":{\"message\":\"nie ma\"}}"} : HttpTestResponse{};
  });
  HttpRequest request = Get(server.BaseUrl() + "/package");
  request.downloadPath = target;
  request.maxBodyBytes = 1024;  // the cap is for memory only

  server.SetMode(HttpTestServer::Mode::HugeBody, 3 * 1024 * 1024 + 7);
  HttpResult result = Send(request);
  EXPECT_TRUE(result.ok()) << result.error;
  EXPECT_TRUE(result.body.empty());
  EXPECT_EQ(wxFileName::GetSize(target), 3 * 1024 * 1024 + 7);

  server.SetMode(HttpTestServer::Mode::BrokenBody, 3 * 1024 * 1024);
  result = Send(request);
  EXPECT_EQ(result.failure, HttpFailure::SendReceive) << result.error;
  EXPECT_FALSE(wxFileExists(target));

  server.SetMode(HttpTestServer::Mode::Answer);
  request.url = wxString::FromUTF8(server.BaseUrl() + "/missing");
  result = Send(request);
  EXPECT_EQ(result.status, 404);
  EXPECT_NE(result.body.find("nie ma"), std::string::npos);
  EXPECT_FALSE(wxFileExists(target));

  request.url = wxString::FromUTF8(server.BaseUrl() + "/empty");
  EXPECT_TRUE(Send(request).ok());
  EXPECT_TRUE(wxFileExists(target));  // an empty 2xx body is an empty file
  EXPECT_EQ(wxFileName::GetSize(target), 0);
}

TEST(HttpClient, ProgressCallbackCanCancelAndThePartFileGoes) {
  veldrix::test::TempDir folder;
  HttpTestServer server;
  server.SetMode(HttpTestServer::Mode::HugeBody, 64 * 1024 * 1024);
  HttpRequest request = Get(server.BaseUrl() + "/big");
  request.downloadPath = folder.file("big.bin");
  std::uint64_t seenTotal = 0;
  request.progress = [&](std::uint64_t received, std::uint64_t total) {
    seenTotal = total;
    return received == 0;
  };
  const HttpResult result = Send(request);
  EXPECT_EQ(result.failure, HttpFailure::Cancelled);
  EXPECT_EQ(seenTotal, 64u * 1024 * 1024);
  EXPECT_FALSE(wxFileExists(request.downloadPath));
}

}  // namespace
