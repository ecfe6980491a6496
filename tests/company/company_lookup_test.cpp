// LookupCompany's provider choice and the worker thread of LookupCompanyAsync: its
// place in the worker registry, where the outcome goes, and shutdown.
#include "company/company_lookup.h"

#include "app/common/worker_registry.h"
#include "http_test_server.h"

#include <gtest/gtest.h>
#include <wx/event.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

using veldrix::test::HttpTestRequest;
using veldrix::test::HttpTestResponse;
using veldrix::test::HttpTestServer;

// Counts the calls queued to it; none is ever run (unit tests have no event loop).
class CountingHandler : public wxEvtHandler {
 public:
  explicit CountingHandler(std::atomic<int>* queued) : queued_(queued) {}
  void QueueEvent(wxEvent* event) override {
    ++*queued_;
    delete event;
  }

 private:
  std::atomic<int>* queued_;
};

bool WaitUntil(const std::function<bool()>& condition) {
  for (int i = 0; i < 500 && !condition(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return condition();
}

class CompanyLookupAsync : public ::testing::Test {
 protected:
  void SetUp() override {
    veldrix::InstallWorkerRegistry(&workers);
    server.Hold(true);
  }
  void TearDown() override {
    server.Hold(false);
    EXPECT_TRUE(WaitUntil([this] { return workers.RunningCount() == 0; }));
    veldrix::InstallWorkerRegistry(nullptr);
  }

  CompanyLookupSettings Settings(int receiveMs = 2000) {
    CompanyLookupSettings settings(CompanyLookupDataPort, "key", true, wxString(), false, 1000, 1000, 1000, receiveMs);
    settings.dataPortUrl = server.BaseUrl();
    return settings;
  }

  veldrix::WorkerRegistry workers;
  HttpTestServer server{[](const HttpTestRequest&) {
                          return HttpTestResponse{200, {}, R"({"success":true,"data":{"nazwa":"Firma"}})"};
                        },
                        HttpTestServer::Tls::Trusted};
  veldrix::test::ScopedCaFile trust{server.CaFile()};
};

TEST(CompanyLookup, UnknownProviderLeavesTheRecordAlone) {
  CompanyLookupSettings settings(2, "key", true, "user", false, 1, 1, 1, 1);
  CompanyData data;
  data.city = "Kept";
  wxString error;
  EXPECT_FALSE(LookupCompany(settings, "5261040828", data, error));
  EXPECT_EQ(error, "Nieznany provider.");
  EXPECT_EQ(data.city, "Kept");
}

// A service out of reach is told under a Polish sentence, with the lookup's own
// text below; a NIP refused before any request is the whole answer.
TEST(CompanyLookup, AServiceOutOfReachLeadsWithPolishAndARefusedNipIsToldAsItIs) {
  CompanyLookupSettings settings(CompanyLookupDataPort, "key", true, wxString(), false, 1000, 1000, 1000, 1000);
  settings.dataPortUrl = "https://127.0.0.1:1";
  CompanyData data;
  wxString error;
  EXPECT_FALSE(LookupCompany(settings, "5261040828", data, error));
  const wxString lead = error.BeforeFirst('\n');
  EXPECT_NE(lead.find_first_of(wxString::FromUTF8("ąćęłńóśźż")), wxString::npos) << error.utf8_str().data();
  EXPECT_FALSE(lead.Contains("DataPort"));
  EXPECT_TRUE(error.EndsWith("\nDataPort: SendRequest/ReceiveResponse failed.")) << error.utf8_str().data();

  EXPECT_FALSE(LookupCompany(settings, "526104082", data, error));
  EXPECT_EQ(error, "Podaj poprawny NIP (10 cyfr).");
}

TEST_F(CompanyLookupAsync, RunsOnARegisteredWorkerAndCallsBackThereWithoutTarget) {
  std::atomic<bool> called{false};
  std::thread::id callbackThread;
  wxString name;
  LookupCompanyAsync(Settings(), "5261040828", nullptr, [&](bool ok, const CompanyData& data, const wxString&) {
    callbackThread = std::this_thread::get_id();
    name = ok ? data.name : wxString("failed");
    called = true;
  });
  EXPECT_EQ(workers.RunningCount(), 1u);
  server.Hold(false);
  ASSERT_TRUE(WaitUntil([&] { return called.load(); }));
  EXPECT_EQ(name, "Firma");
  EXPECT_NE(callbackThread, std::this_thread::get_id());
}

TEST_F(CompanyLookupAsync, OutcomeReachesTheTargetOnlyWhileItIsAttached) {
  std::atomic<int> queued{0};
  CountingHandler kept(&queued);
  CompanyLookupTarget attached(&kept);
  LookupCompanyAsync(Settings(), "5261040828", &attached, {});

  std::atomic<int> queuedToGone{0};
  auto gone = std::make_unique<CountingHandler>(&queuedToGone);
  auto detached = std::make_unique<CompanyLookupTarget>(gone.get());
  LookupCompanyAsync(Settings(), "5261040828", detached.get(), {});
  ASSERT_TRUE(WaitUntil([this] { return server.Requests().size() == 2; }));
  detached.reset();  // the window closes while its lookup runs
  gone.reset();

  server.Hold(false);
  ASSERT_TRUE(WaitUntil([this] { return workers.RunningCount() == 0; }));
  EXPECT_EQ(queued, 1);
  EXPECT_EQ(queuedToGone, 0);
}

TEST_F(CompanyLookupAsync, ShutdownEndsTheWaitAndDeliversNothing) {
  server.SetMode(HttpTestServer::Mode::Silent);
  std::atomic<bool> called{false};
  LookupCompanyAsync(Settings(60000), "5261040828", nullptr,
                     [&](bool, const CompanyData&, const wxString&) { called = true; });
  ASSERT_TRUE(WaitUntil([this] { return server.Requests().size() == 1; }));
  workers.RequestShutdown();
  EXPECT_TRUE(workers.WaitAllDone(5000)) << "the worker kept waiting for the server";
  EXPECT_FALSE(called);
}

}  // namespace
