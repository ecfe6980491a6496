// The module catalogue fetched from a loopback HTTPS store with its own test CA:
// every kind of member the entries are read from, and every way a catalogue is
// refused.
#include "store/store_catalogue.h"

#include "app/common/config_access.h"
#include "http_test_server.h"
#include "store_test_support.h"
#include "store/store_client.h"

#include <gtest/gtest.h>
#include <wx/memconf.h>

#include <string>
#include <vector>

namespace veldrix {
namespace {

using test::HttpTestRequest;
using test::HttpTestResponse;
using test::HttpTestServer;
using test::U;

const char kFullCatalogue[] = R"({
  "data": {
    "generated": "2026-01-01",
    "modules": [
      {"code": "kpir", "code": "ignored-second", "name": "KPiR \u2013 ksi\u0119ga", "description": "Ewidencja",
       "details_url": "https://s.example/kpir", "min_app_version": "0.20",
       "latest_release": {"version": "1.4.0", "notes": "Poprawki", "files": [
         {"id": 77, "platform": "linux", "architecture": "x86_64", "filename": "kpir.zip",
          "download_url": "https://s.example/f/kpir.zip", "sha256": "ab01", "signature": "sig",
          "min_app_version": "0.25", "size_bytes": 5000000000},
         {"id": 78, "filename": "second.zip"},
         {"id": 79, "filename": "third.zip"}]}},
      {"code": "empty-files", "latest_release": {"version": "2.0", "files": []}},
      {"code": "real-size", "latest_release": {"files": [{"id": "12", "size_bytes": 1048576.0}]}},
      {"code": "int-size", "latest_release": {"files": [{"id": 4294967297, "size_bytes": 1048576}]}},
      {"Code": "upper-case-key"},
      "not an object",
      {"code": "file-not-object", "latest_release": {"files": [42]}},
      {"code": "wrong-types", "name": 5, "description": null, "latest_release": "1.0"},
      {"code": "files-not-array", "latest_release": {"version": "3", "files": {"id": 1}}},
      {"code": "kpir", "name": "drugi wpis"}
    ]
  }
})";

class StoreCatalogueTest : public ::testing::Test {
 protected:
  StoreCatalogueTest()
      : installed_(InstallConfig(new wxMemoryConfig)),
        server_([this](const HttpTestRequest&) { return response_; }, HttpTestServer::Tls::Trusted),
        trust_(server_.CaFile()) {
    delete installed_;
    // Configured with a trailing "/", as a user may write it.
    ConfigAccess()->Write("/store/api_base_url", wxString::FromUTF8(server_.BaseUrl() + "/api/v1/"));
  }
  ~StoreCatalogueTest() override { delete InstallConfig(nullptr); }

  bool Fetch(std::vector<StoreModuleEntry>* entries, wxString* error) {
    return FetchCatalogue(ConfiguredStoreBaseUrl(), kStorePlatform, kStoreArchitecture, entries, error);
  }

  wxConfigBase* installed_;
  HttpTestResponse response_{200, {{"Content-Type", "application/json"}}, kFullCatalogue};
  HttpTestServer server_;
  test::ScopedCaFile trust_;
};

TEST_F(StoreCatalogueTest, ReadsEveryMemberKindOfTheCatalogue) {
  std::vector<StoreModuleEntry> entries;
  wxString error;
  ASSERT_TRUE(Fetch(&entries, &error)) << error;
  ASSERT_EQ(server_.Requests().size(), 1u);
  EXPECT_EQ(server_.Requests()[0].method, "GET");
  EXPECT_EQ(server_.Requests()[0].target, "/api/v1/catalog?platform=linux&architecture=x86_64");

  std::vector<wxString> codes;
  for (const StoreModuleEntry& e : entries) codes.push_back(e.code);
  EXPECT_EQ(codes, (std::vector<wxString>{"kpir", "empty-files", "real-size", "int-size", "file-not-object",
                                          "wrong-types", "files-not-array", "kpir"}));

  const StoreModuleEntry& kpir = entries[0];
  EXPECT_EQ(kpir.name, U("KPiR – księga"));
  EXPECT_EQ(kpir.description, "Ewidencja");
  EXPECT_EQ(kpir.details_url, "https://s.example/kpir");
  EXPECT_EQ(kpir.min_app_version, "0.20");
  EXPECT_EQ(kpir.latest_version, "1.4.0");
  EXPECT_EQ(kpir.release_notes, "Poprawki");
  ASSERT_TRUE(kpir.has_file);
  EXPECT_EQ(kpir.file.id, 77);
  EXPECT_EQ(kpir.file.platform, "linux");
  EXPECT_EQ(kpir.file.architecture, "x86_64");
  EXPECT_EQ(kpir.file.filename, "kpir.zip");  // the first of three files
  EXPECT_EQ(kpir.file.download_url, "https://s.example/f/kpir.zip");
  EXPECT_EQ(kpir.file.sha256, "ab01");
  EXPECT_EQ(kpir.file.signature, "sig");
  EXPECT_EQ(kpir.file.min_app_version, "0.25");
  EXPECT_EQ(kpir.file.size_bytes, 5000000000LL);

  EXPECT_FALSE(entries[1].has_file);
  EXPECT_EQ(entries[1].latest_version, "2.0");
  EXPECT_EQ(entries[2].file.size_bytes, 0);  // a real number
  EXPECT_EQ(entries[2].file.id, 0);          // a string
  EXPECT_EQ(entries[3].file.size_bytes, 1048576);
  EXPECT_EQ(entries[3].file.id, 1);  // low 32 bits
  EXPECT_TRUE(entries[4].has_file);
  EXPECT_TRUE(entries[4].file.filename.empty());
  EXPECT_TRUE(entries[5].name.empty());
  EXPECT_TRUE(entries[5].description.empty());
  EXPECT_TRUE(entries[5].latest_version.empty());
  EXPECT_FALSE(entries[6].has_file);
  EXPECT_EQ(entries[6].latest_version, "3");
  EXPECT_EQ(entries[7].name, U("drugi wpis"));
}

TEST_F(StoreCatalogueTest, RefusedCataloguesLeaveNoEntriesAndSayWhy) {
  const std::string tooDeep = "{\"data\":{\"modules\":[" + std::string(100000, '[') + std::string(100000, ']') + "]}}";
  const std::string deepError =
      "{\"error\":{\"message\":\"Sklep w przerwie\"},\"trace\":" + std::string(100, '[') + std::string(100, ']') + "}";
  const std::string afterNul = std::string("{\"data\":{\"modules\":[]}}") + '\0' + "junk";
  const struct {
    int status;
    std::string body;
    const char* message;
  } cases[] = {
      {500, "{\"error\":{\"message\":\"Sklep w przerwie\"}}", "Sklep w przerwie"},
      {503, "", "Sklep zwrócił błąd HTTP 503."},
      {302, "{}", "Sklep zwrócił błąd HTTP 302."},
      {200, "", "Serwer zwrócił nieprawidłowy katalog modułów."},
      {200, "{\"data\":{\"modules\":[]},}", "Serwer zwrócił nieprawidłowy katalog modułów."},
      {200, "{\"data\":{\"modules\":[\"\xff\"]}}", "Serwer zwrócił nieprawidłowy katalog modułów."},
      {200, tooDeep, "Serwer zwrócił nieprawidłowy katalog modułów."},
      {500, deepError, "Sklep zwrócił błąd HTTP 500."},
      {200, afterNul, "Serwer zwrócił nieprawidłowy katalog modułów."},
      {200, "{\"data\":{\"modules\":{}}}", "Odpowiedź nie zawiera katalogu modułów."},
      {200, "{\"data\":[{\"modules\":[]}]}", "Odpowiedź nie zawiera katalogu modułów."},
      {200, "[]", "Odpowiedź nie zawiera katalogu modułów."},
      {200, std::string(kStoreMemoryBodyLimit + 1, ' '), "Odpowiedź serwera sklepu jest zbyt duża."},
  };
  for (const auto& c : cases) {
    response_ = HttpTestResponse{c.status, {}, c.body};
    std::vector<StoreModuleEntry> entries(2);
    wxString error;
    EXPECT_FALSE(Fetch(&entries, &error)) << c.body.substr(0, 60);
    EXPECT_EQ(error, U(c.message)) << c.body.substr(0, 60);
    EXPECT_TRUE(entries.empty());
  }

  response_ = HttpTestResponse{200, {}, "{\"data\":{\"modules\":[]}}"};
  std::vector<StoreModuleEntry> entries(2);
  wxString error;
  EXPECT_TRUE(Fetch(&entries, &error)) << error;
  EXPECT_TRUE(entries.empty());
}

}  // namespace
}  // namespace veldrix
