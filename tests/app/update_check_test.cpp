// The update check's reading of version texts, and its one request against a
// loopback HTTP server standing in for the update server.
#include "app/update_check.h"

#include "http_test_server.h"

#include <gtest/gtest.h>
#include <wx/fileconf.h>

using veldrix::test::HttpTestRequest;
using veldrix::test::HttpTestResponse;
using veldrix::test::HttpTestServer;

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

const char kRunning[] = "0.25.9.a";  // what the main window hands the check

}  // namespace

TEST(UpdateCheck, VersionNumbersCompareByTheirFirstThreeParts) {
  struct Case {
    const char* text;
    double value;
    const char* fourth;
  } cases[] = {
      {"0.25.9", 0.25009, ""},   {"0.25.9.a", 0.25009, "a"}, {"1.2.3", 1.02003, ""},
      {"0.25.10", 0.2501, ""},   {"1.0", 0.0, ""},           {"0.26.0.5", 0.26, "5"},
      {"0.100.0", 1.0, ""},      {"x.25.9", 0.25009, ""},    {"", 0.0, ""},
      {"0..9", 0.00009, ""},
  };
  for (const Case& c : cases) {
    double value = -1;
    wxString fourth;
    veldrix::ParseVersionNumber(&value, &fourth, c.text);
    EXPECT_NEAR(value, c.value, 1e-12) << c.text;
    EXPECT_EQ(fourth, c.fourth) << c.text;
  }
}

TEST(UpdateCheck, RepliesOfTheServerGiveTheStartPageStates) {
  std::string reply;
  int status = 200;
  HttpTestServer server([&](const HttpTestRequest&) { return HttpTestResponse{status, {}, reply}; });
  const wxString url = veldrix::UpdateCheckUrl(server.BaseUrl() + "/");
  struct Case {
    const char* reply;
    int status;
    int state;
    const char* text;
  } cases[] = {
      {"0.25.9", 200, 1, "Program jest aktualny"},                   // equal
      {"0.25.10", 200, 2, "Dostępna aktualizacja: 0.25.10"},         // newer
      {"1.0", 200, 1, "Program jest aktualny"},                      // two parts read as 0
      {"0.26.0.5", 200, 2, "Dostępna aktualizacja: 0.26.0.5"},       // fourth part ignored
      {"0.26.0\n", 200, 2, "Dostępna aktualizacja: 0.26.0"},         // the line break is not part of it
      {"0.25.10\r\n", 200, 2, "Dostępna aktualizacja: 0.25.10"},    // nor drops the last part
      {"<html>nowa strona</html>", 200, 1, "Program jest aktualny"},  // not a version: not newer
      // Only the version is shown, never what else the server put around it.
      {"0.26.0 pobierz poprawkę z http://zly.example/", 200, 2, "Dostępna aktualizacja: 0.26.0"},
      {"0.25.10\nPobierz łatkę: http://zly.example/", 200, 2, "Dostępna aktualizacja: 0.25.10"},
      {"0.26.0.a", 200, 2, "Dostępna aktualizacja: 0.26.0"},
      {"Nowa wersja 0.26.0", 200, 1, "Program jest aktualny"},
      {"", 200, 3, "Nie udało się sprawdzić aktualizacji"},
      {"0.26.0", 404, 3, "Nie udało się sprawdzić aktualizacji"},
      {"0.26.0", 500, 3, "Nie udało się sprawdzić aktualizacji"},
  };
  for (const Case& c : cases) {
    reply = c.reply;
    status = c.status;
    const veldrix::UpdateCheckAnswer answer = veldrix::AskUpdateServer(veldrix::DefaultHttpTransport(), url, kRunning, {});
    const veldrix::UpdateStatus shown = veldrix::UpdateStatusFor(answer.result, answer.version);
    EXPECT_EQ(shown.state, c.state) << c.reply;
    EXPECT_EQ(shown.text, U8(c.text)) << c.reply;
  }
  const std::vector<HttpTestRequest> requests = server.Requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/update/");
}

TEST(UpdateCheck, AReplyPastTheSizeCapIsNoAnswer) {
  HttpTestServer server([](const HttpTestRequest&) {
    return HttpTestResponse{200, {}, "0.26.0" + std::string(veldrix::kUpdateReplyMaxBytes, ' ')};
  });
  EXPECT_EQ(veldrix::AskUpdateServer(veldrix::DefaultHttpTransport(), veldrix::UpdateCheckUrl(server.BaseUrl()),
                                     kRunning, {})
                .result,
            -1);
  // A reply of exactly the cap is still read.
  HttpTestServer fitting([](const HttpTestRequest&) {
    return HttpTestResponse{200, {}, "0.26.0" + std::string(veldrix::kUpdateReplyMaxBytes - 6, ' ')};
  });
  EXPECT_EQ(veldrix::AskUpdateServer(veldrix::DefaultHttpTransport(), veldrix::UpdateCheckUrl(fitting.BaseUrl()),
                                     kRunning, {})
                .result,
            1);
}

TEST(UpdateCheck, NoServerAndAStopRequestEndTheCheckWithoutAnAnswer) {
  int port = 0;
  {
    HttpTestServer gone;
    port = gone.port();
  }
  const veldrix::UpdateCheckAnswer refused = veldrix::AskUpdateServer(
      veldrix::DefaultHttpTransport(), wxString::Format("http://127.0.0.1:%d/update/", port), kRunning, {});
  EXPECT_EQ(refused.result, -1);
  EXPECT_TRUE(refused.version.empty());
  EXPECT_EQ(veldrix::UpdateStatusFor(refused.result, refused.version).state, 3);

  // A program shutting down stops a check that is still waiting for its answer.
  HttpTestServer silent;
  silent.SetMode(HttpTestServer::Mode::Silent);
  EXPECT_EQ(veldrix::AskUpdateServer(veldrix::DefaultHttpTransport(), veldrix::UpdateCheckUrl(silent.BaseUrl()),
                                     kRunning, [] { return false; })
                .result,
            -1);
}

TEST(UpdateCheck, TheServerAddressIsASettingWithABuiltInDefault) {
  wxFileConfig config("test", "", "", "", 0);
  EXPECT_EQ(veldrix::UpdateServerAddress(&config), veldrix::kDefaultUpdateServer);
  EXPECT_EQ(veldrix::UpdateServerAddress(nullptr), veldrix::kDefaultUpdateServer);
  config.Write(veldrix::kUpdateServerKey, " http://127.0.0.1:8080/ ");
  EXPECT_EQ(veldrix::UpdateCheckUrl(veldrix::UpdateServerAddress(&config)), "http://127.0.0.1:8080/update/");
  EXPECT_TRUE(veldrix::UpdateCheckUrl(veldrix::kDefaultUpdateServer).StartsWith("http://"));
}
