// The database worker against a stand-in SQL Server on loopback: what it does when
// the server refuses a step that the rest of the run depends on.
#include "../db/fake_tds_server.h"
#include "db/connection_info.h"
#include "dbsetup/db_worker.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>
#include <wx/log.h>

using faketds::Done;
using faketds::IntRows;
using faketds::Message;
using faketds::Reply;
using veldrix::test::IsolatedFolders;
using veldrix::test::ScopedWorkerRegistry;
using veldrix::test::WriteText;

namespace {

bool Has(const std::string& batch, const char* text) { return batch.find(text) != std::string::npos; }

faketds::Bytes Refusal(uint32_t number, const std::string& text) { return Message(true, number, 16, text) + Done(0x02); }

// Answers a batch holding one of the texts with its tokens, anything else with "done".
faketds::Server::Handler Answering(std::vector<std::pair<std::string, faketds::Bytes>> answers) {
  return [answers](const std::string& batch) {
    Reply reply;
    if (batch == faketds::kLogin) return reply;
    reply.tokens = Done(0);
    for (const auto& [text, tokens] : answers) {
      if (Has(batch, text.c_str())) {
        reply.tokens = tokens;
        break;
      }
    }
    return reply;
  };
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

class WorkerOnSqlServer : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteText(veldrix::JoinPath(folders_.programFolder(), "baza.json"),
              R"J({"version":"1","tables":[{"name":"baza","sql":"create table baza(wersja real)"},
                  {"name":"firma","sql":"create table firma(id integer primary key autoincrement)"}]})J");
    WriteText(veldrix::JoinPath(folders_.programFolder(), "baza_aktualizacja.json"), R"J({"updates":[]})J");
  }

  // Creates the database on the server and returns the run's final event.
  veldrix::test::RecordedWorkerEvent Create(const faketds::Server& server) {
    DbConnectionInfo info;
    EXPECT_TRUE(ParseConnectionInfo("Driver=SQL Server (FreeTDS);Server=127.0.0.1;Database=veldrix", &info, nullptr));
    info.port = server.port();
    info.user = "sa";
    info.password = "secret";
    return veldrix::test::RunWorker(false, BuildConnectionString(info), workers_).back();
  }

  static bool Received(const faketds::Server& server, const char* lowerText) {
    for (const std::string& batch : server.batches()) {
      if (Has(Lower(batch), lowerText)) return true;
    }
    return false;
  }

  IsolatedFolders folders_;
  ScopedWorkerRegistry workers_;
  wxLogNull quiet_;
};

}  // namespace

TEST_F(WorkerOnSqlServer, AFailedTableProbeResetsNothing) {
  // The program's tables are there, but the probe for table baza is refused.
  faketds::Server server(Answering({{"INFORMATION_SCHEMA.TABLES", Refusal(229, "The SELECT permission was denied.")},
                                    {"sys.tables", IntRows({"x"}, {{1}})}}));
  ASSERT_TRUE(server.ok());
  const auto end = Create(server);
  EXPECT_EQ(end.kind, DbWorkerError);
  EXPECT_TRUE(end.text.Contains("SELECT permission was denied")) << end.text;
  EXPECT_FALSE(Received(server, "drop ")) << "a failed probe must not reset the database";
  EXPECT_FALSE(Received(server, "create table"));
}

TEST_F(WorkerOnSqlServer, StopsWhenTheTransactionCannotBegin) {
  faketds::Server server(Answering({{"INFORMATION_SCHEMA.TABLES", IntRows({"x"}, {})},
                                    {"sys.tables", IntRows({"x"}, {})},
                                    {"BEGIN TRANSACTION", Refusal(3906, "The database is read-only.")}}));
  ASSERT_TRUE(server.ok());
  const auto end = Create(server);
  EXPECT_EQ(end.kind, DbWorkerError);
  EXPECT_TRUE(end.text.Contains("read-only")) << end.text;
  EXPECT_FALSE(Received(server, "create table")) << "no statement may run outside the transaction";
}
