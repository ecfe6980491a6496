// The "Dane firmy" tab on a program database on the PostgreSQL and MariaDB servers,
// whose session the server ends in the middle of a save.
#include "company_tab_fixture.h"
#include "modal_script.h"
#include "server_support.h"

#include "db/connection_info.h"

#include <atomic>
#include <chrono>
#include <thread>

using veldrix::MessageBoxRecorder;
using veldrix::test::MessageBoxesAsDialogs;
using veldrix::test::ModalScript;
using veldrix::test::SaveScreenshot;
using veldrix::test::TestServer;
using veldrix::test::UniqueServerName;

namespace {

class CompanyTabOnServer : public CompanyTabTest, public ::testing::WithParamInterface<TestServer> {
 protected:
  void SetUp() override {
    VELDRIX_REQUIRE_SERVER(GetParam().variable, serverString_);
    ASSERT_TRUE(ParseConnectionInfo(serverString_, &info_, nullptr));
    admin_ = Connect(info_);
    ASSERT_NE(admin_, nullptr);
    info_.database = UniqueServerName("company_tab");
    ASSERT_TRUE(Run(*admin_, "CREATE DATABASE " + info_.database));
    const wxString connectionString = BuildConnectionString(info_);
    veldrix::test::CopyShippedScripts(folders.programFolder());
    veldrix::SetProgramFolderOverride(folders.programFolder());
    {
      veldrix::test::ScopedWorkerRegistry workers;
      const auto events = veldrix::test::RunWorker(false, connectionString, workers);
      ASSERT_FALSE(events.empty());
      ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
    }
    veldrix::SetProgramFolderOverride("");
    db = std::make_unique<SQLData>(connectionString);
    ASSERT_TRUE(db->IniciujBazeDanych()) << db->lastError;
    app = std::make_unique<FakeApplication>(folders.root() + "/unused.db", folders.root() + "/veldrix.ini");
    app->connectionString = connectionString;
  }

  void TearDown() override {
    CompanyTabTest::TearDown();
    db.reset();
    if (!admin_) return;
    const wxString name = info_.database;
    Run(*admin_, IsMySql() ? "DROP DATABASE IF EXISTS " + name : "DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
  }

  bool IsMySql() const { return wxString(GetParam().engine) == "MySQL"; }

  static std::shared_ptr<IDbConnection> Connect(const DbConnectionInfo& info) {
    std::shared_ptr<IDbConnection> connection = DriverRegistry::instance().find(info.driver)->createConnection();
    wxString error;
    EXPECT_TRUE(connection->open(info, &error)) << error;
    return connection;
  }

  static bool Run(IDbConnection& connection, const wxString& sql, DbQueryResult* result = nullptr) {
    DbQueryResult ignored;
    wxString error;
    const bool ok = connection.execute(sql, result ? result : &ignored, &error);
    EXPECT_TRUE(ok) << sql << ": " << error;
    return ok;
  }

  // Ends the sessions on the program database that wait for a lock; false when there
  // is none.
  bool EndWaitingSessions(IDbConnection& on) {
    const wxString sql =
        // A statement running for 0.3 s waits (see WaitUntilBlocked).
        IsMySql() ? "SELECT id FROM information_schema.processlist WHERE db = '" + info_.database +
                        "' AND command = 'Query' AND id <> CONNECTION_ID() AND time_ms > 300"
                  : "SELECT pid FROM pg_stat_activity WHERE datname = '" + info_.database +
                        "' AND wait_event_type = 'Lock'";
    DbQueryResult result;
    if (!Run(on, sql, &result) || result.resultSets.empty() || result.resultSets[0].rowCount == 0) return false;
    for (int r = 0; r < result.resultSets[0].rowCount; ++r) {
      const wxString session = result.resultSets[0].text(r, 0);
      Run(on, IsMySql() ? "KILL " + session : "SELECT pg_terminate_backend(" + session + ")");
    }
    return true;
  }

  wxString serverString_;
  DbConnectionInfo info_;
  std::shared_ptr<IDbConnection> admin_;
};

// Another workstation holds the company's row; the tab's save waits for it and its
// session is ended meanwhile: nothing is stored, the user is told so in Polish with
// the server's reason, the form keeps the typing, and the next "Zapisz" stores it.
TEST_P(CompanyTabOnServer, ASaveCutByTheServerIsToldAndTheNextOneStores) {
  InsertAlfaAndBeta();
  app->workingId = "1";
  OpenTab();
  ASSERT_EQ(Find<wxTextCtrl>("nazwa")->GetValue(), "Alfa");
  Type("telefon", "601 300 400");
  std::shared_ptr<IDbConnection> other = Connect(info_);
  std::shared_ptr<IDbConnection> holder = Connect(info_);
  Run(*holder, IsMySql() ? "START TRANSACTION" : "BEGIN");
  Run(*holder, "SELECT id_firmy FROM firma WHERE id_firmy = 1 FOR UPDATE");
  std::atomic<bool> ended{false};
  std::thread ender([&] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ended && std::chrono::steady_clock::now() < deadline) {
      ended = EndWaitingSessions(*other);
      // InnoDB refreshes its transaction table only when read 0.1 s after the last read.
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    Run(*holder, "ROLLBACK");
  });
  MessageBoxesAsDialogs boxes;
  ModalScript answers;
  answers.Then("dialog", [](wxDialog* dialog) {
    SaveScreenshot(dialog, "danefirmy_save_cut_by_the_server");
    ModalScript::Click(dialog, wxID_OK);
  });
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  ender.join();
  EXPECT_TRUE(ended);
  ASSERT_EQ(boxes.shown.size(), 1u);
  // Polish first, what happened to the changes; the server's reason below it.
  const wxString message = boxes.shown[0];
  const int gap = message.Find("\n\n");
  ASSERT_NE(gap, wxNOT_FOUND) << message;
  EXPECT_NE(veldrix::NormalizeMessageText(message.Left(gap)).Find(wxString::FromUTF8("połączenie")), wxNOT_FOUND)
      << message;
  EXPECT_NE(message.Mid(gap).Lower().Find("connection"), wxNOT_FOUND) << message;
  EXPECT_EQ(message.Find(" | "), wxNOT_FOUND) << message;
  EXPECT_EQ(Cell("select telefon from firma where id_firmy=1"), "");
  EXPECT_TRUE(editor->IsModified());
  EXPECT_EQ(Find<wxTextCtrl>("telefon")->GetValue(), "601 300 400");
  SaveScreenshot(frame, "danefirmy_after_cut_save");

  MessageBoxRecorder recorder(wxID_OK);
  Click(Find<wxButton>("ID_COMPANY_SAVE"));
  EXPECT_TRUE(recorder.shown().empty()) << recorder.shown()[0].message;
  EXPECT_EQ(Cell("select telefon from firma where id_firmy=1"), "601 300 400");
  EXPECT_FALSE(editor->IsModified());
}

INSTANTIATE_TEST_SUITE_P(Servers, CompanyTabOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
