// The FreeTDS connection against a stand-in server on loopback that speaks TDS 7.1:
// login, database choice, result sets, server messages, cancel and close.
#include "db/connection_info.h"
#include "db/freetds_connection.h"
#include "fake_tds_server.h"

#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <thread>

using faketds::Done;
using faketds::IntRows;
using faketds::Message;
using faketds::Reply;

namespace {

bool Has(const std::string& batch, const char* text) { return batch.find(text) != std::string::npos; }

// Answers the batches the tests send by their text.
Reply Answer(const std::string& batch) {
  Reply reply;
  if (batch == faketds::kLogin) return reply;
  if (Has(batch, "use [missing]")) {
    reply.tokens = Message(true, 911, 16, "Database 'missing' does not exist.") + Done(0x02);
  } else if (Has(batch, "select typed")) {
    // BIT, REAL, FLOAT, DATETIME, and VARCHAR in code page 1252 (collation LCID 1033).
    const std::string collation("\x09\x04\xD0\x00\x34", 5);
    const std::vector<faketds::Column> columns{{"flag", "\x32"},
                                               {"r", "\x3B"},
                                               {"f", "\x3E"},
                                               {"d", "\x3D"},
                                               {"t", std::string("\xA7\x64\x00", 3) + collation},
                                               {"e", std::string("\xA7\x64\x00", 3) + collation},
                                               {"z", std::string("\xA7\x64\x00", 3) + collation}};
    const float real = 0.1f;
    const double number = -2.5;
    std::string realBytes(reinterpret_cast<const char*>(&real), 4);
    std::string numberBytes(reinterpret_cast<const char*>(&number), 8);
    std::string day;  // 2024-01-01 is day 45290 after 1900-01-01, at midnight
    faketds::PutU32(day, 45290);
    faketds::PutU32(day, 0);
    reply.tokens = faketds::Rows(columns, {{"\x01", realBytes, numberBytes, day, std::string("\x04\x00" "caf\xE9", 6),
                                            std::string("\x00\x00", 2), "\xFF\xFF"}});
  } else if (Has(batch, "select nothing")) {
    reply.tokens = IntRows({"n"}, {});
  } else if (Has(batch, "select n")) {
    reply.tokens = IntRows({"n", "m"}, {{1, INT32_MIN}, {-7, 42}});
  } else if (Has(batch, "two updates")) {
    reply.tokens = Done(0x11, 1) + Done(0x10, 1);
  } else if (Has(batch, "update more")) {
    reply.tokens = Done(0x11, 1) + Done(0x10, 3);
  } else if (Has(batch, "second fails")) {
    reply.tokens = Done(0x11, 1) + Message(true, 547, 16, "The INSERT statement conflicted.") + Done(0x02);
  } else if (Has(batch, "nowhere")) {
    reply.tokens = Message(true, 208, 16, "Invalid object name 'nowhere'.") + Done(0x02);
  } else if (Has(batch, "print")) {
    reply.tokens = Message(false, 0, 0, "hello") + Message(false, 5701, 10, "Changed context.", 0) + Done(0);
  } else if (Has(batch, "locked row")) {
    reply.tokens = Message(true, 1222, 16, "Lock request time out period exceeded.") + Done(0x02);
  } else if (Has(batch, "quiet failure")) {
    reply.tokens = Message(false, 3606, 0, "Arithmetic overflow occurred.") + Done(0);
  } else if (Has(batch, "many small")) {
    // 300 one-row sets, each but the last marked "more results follow".
    for (int i = 0; i < 300; ++i) {
      std::string set = IntRows({"n"}, {{i}});
      set.resize(set.size() - 9);  // its own final DONE
      reply.tokens += set + Done(i + 1 < 300 ? 0x11 : 0x10, 1);
    }
  } else if (Has(batch, "then hang up")) {
    reply.tokens = IntRows({"n"}, {{1}});
    reply.hangUpAfter = true;
  } else if (Has(batch, "hang up")) {
    reply.hangUp = true;
  } else if (Has(batch, "waitfor")) {
    reply.waitForCancel = true;
  } else {
    reply.tokens = Done(0);
  }
  return reply;
}

DbConnectionInfo At(const faketds::Server& server, const wxString& database = "veldrix") {
  DbConnectionInfo info;
  info.server = "127.0.0.1";
  info.port = server.port();
  info.user = "sa";
  info.password = "secret";
  info.database = database;
  info.options["tds_version"] = "7.1";
  return info;
}

}  // namespace

TEST(FreeTdsServer, OpensChoosesTheDatabaseAndReadsRows) {
  faketds::Server server(Answer);
  ASSERT_TRUE(server.ok());
  auto connection = MakeTdsConnection();
  wxString error;
  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  EXPECT_TRUE(connection->isConnected());
  const auto batches = server.batches();
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_TRUE(Has(batches[0], "set textsize 2147483647"));
  EXPECT_EQ(batches[1], "use [veldrix]");

  DbQueryResult result;
  ASSERT_TRUE(connection->execute("select n, m", &result, &error)) << error;
  ASSERT_EQ(result.resultSets.size(), 1u);
  const DbResultSet& set = result.resultSets[0];
  ASSERT_EQ(set.columns.size(), 2u);
  EXPECT_EQ(set.columns[0].name, "n");
  EXPECT_EQ(set.columns[0].type, "INT");
  EXPECT_EQ(set.rowCount, 2);
  EXPECT_EQ(set.text(0, 0), "1");
  EXPECT_TRUE(set.isNull(0, 1));
  EXPECT_EQ(set.text(1, 0), "-7");
  EXPECT_EQ(set.text(1, 1), "42");
  EXPECT_EQ(result.message, "(2 rows affected)");
  EXPECT_EQ(result.rowsAffected, 2);

  ASSERT_TRUE(connection->execute("select nothing", &result, &error)) << error;
  ASSERT_EQ(result.resultSets.size(), 1u);
  EXPECT_EQ(result.resultSets[0].rowCount, 0);
  EXPECT_EQ(result.message, "(0 rows affected)");

  connection->close();
  EXPECT_FALSE(connection->isConnected());
  EXPECT_FALSE(connection->execute("select n", &result, &error));
  EXPECT_EQ(error, "Not connected");
}

TEST(FreeTdsServer, ABatchOfManySmallSetsHoldsMemoryByWhatArrived) {
  faketds::Server server(Answer);
  auto connection = MakeTdsConnection();
  wxString error;
  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  DbQueryResult result;
  ASSERT_TRUE(connection->execute("select many small", &result, &error)) << error;
  ASSERT_EQ(result.resultSets.size(), 300u);
  EXPECT_EQ(result.resultSets[299].text(0, 0), "299");
  std::size_t held = 0;
  for (const DbResultSet& set : result.resultSets) {
    held += set.data.capacity() + set.cells.capacity() * sizeof(DbCellRef);
  }
  EXPECT_LT(held, 64u * 1024u) << "bytes held for 300 cells";
}

TEST(FreeTdsServer, CellsOfEachTypeAsText) {
  faketds::Server server(Answer);
  auto connection = MakeTdsConnection();
  wxString error;
  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  DbQueryResult result;
  ASSERT_TRUE(connection->execute("select typed", &result, &error)) << error;
  ASSERT_EQ(result.resultSets.size(), 1u);
  const DbResultSet& set = result.resultSets[0];
  ASSERT_EQ(set.columns.size(), 7u);
  EXPECT_EQ(set.columns[0].type, "BIT");
  EXPECT_EQ(set.columns[1].type, "REAL");
  EXPECT_EQ(set.columns[2].type, "FLOAT");
  EXPECT_EQ(set.columns[3].type, "DATETIME");
  EXPECT_EQ(set.text(0, 0), "1");
  EXPECT_EQ(set.text(0, 1), "0.100000001490116");  // the float widened, 15 digits
  EXPECT_EQ(set.text(0, 2), "-2.5");
  EXPECT_TRUE(set.text(0, 3).Contains("2024")) << set.text(0, 3);
  EXPECT_EQ(set.text(0, 4), wxString::FromUTF8("caf\xC3\xA9"));  // code page 1252 arrives as UTF-8
  int length = -1;
  EXPECT_NE(set.cell(0, 5, &length), nullptr);  // an empty text is not NULL
  EXPECT_EQ(length, 0);
  EXPECT_TRUE(set.isNull(0, 6));
}

TEST(FreeTdsServer, CountsOfSeveralStatements) {
  faketds::Server server(Answer);
  auto connection = MakeTdsConnection();
  wxString error;
  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  DbQueryResult result;
  ASSERT_TRUE(connection->execute("two updates", &result, &error)) << error;
  EXPECT_TRUE(result.resultSets.empty());
  EXPECT_EQ(result.message, "(1 row affected)");  // the same text is kept once
  EXPECT_EQ(result.rowsAffected, 1);
  ASSERT_TRUE(connection->execute("update more", &result, &error)) << error;
  EXPECT_EQ(result.message, "(1 row affected)\n\n(3 rows affected)");
  EXPECT_EQ(result.rowsAffected, 3);
  EXPECT_FALSE(connection->execute("select 1", nullptr, &error));
  EXPECT_EQ(error, "Internal error: null output");
}

TEST(FreeTdsServer, ServerMessagesDecideTheOutcome) {
  faketds::Server server(Answer);
  auto connection = MakeTdsConnection();
  wxString error;
  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  DbQueryResult result;
  EXPECT_FALSE(connection->execute("select * from nowhere", &result, &error));
  EXPECT_EQ(error, "Msg 208, Level 16, State 1, Line 1\nInvalid object name 'nowhere'.");
  EXPECT_EQ(result.message, error);

  ASSERT_TRUE(connection->execute("print", &result, &error)) << error;
  EXPECT_EQ(result.message, "hello\n\nMsg 5701, Level 10, State 1\nChanged context.");

  EXPECT_FALSE(connection->execute("update; second fails", &result, &error));
  EXPECT_EQ(error, "(1 row affected)\n\nMsg 547, Level 16, State 1, Line 1\nThe INSERT statement conflicted.");
  EXPECT_EQ(result.rowsAffected, 1);

  EXPECT_FALSE(connection->execute("select locked row", &result, &error));
  EXPECT_TRUE(result.lockTimeout) << error;
  EXPECT_FALSE(result.connectionLost);

  EXPECT_FALSE(connection->execute("quiet failure", &result, &error));
  EXPECT_FALSE(result.lockTimeout);
  EXPECT_EQ(error, "Msg 3606, Level 0, State 1, Line 1\nArithmetic overflow occurred.");
  EXPECT_TRUE(connection->isConnected());
}

TEST(FreeTdsServer, RefusedLoginShowsTheServersMessage) {
  faketds::Server server([](const std::string& batch) {
    Reply reply;
    if (batch == faketds::kLogin) reply.tokens = Message(true, 18456, 14, "Login failed for user 'sa'.") + Done(0x02);
    return reply;
  });
  auto connection = MakeTdsConnection();
  wxString error;
  EXPECT_FALSE(connection->open(At(server), &error));
  // The library's own "connection failed" (20002) adds nothing to the server's text.
  EXPECT_EQ(error, wxString::Format("FreeTDS: connection to '127.0.0.1,%d' failed (TDS 7.1).\n\nMsg 18456, Level 14, "
                                    "State 1, Line 1\nLogin failed for user 'sa'.",
                                    server.port()));
  EXPECT_FALSE(connection->isConnected());
}

TEST(FreeTdsServer, MissingDatabaseEndsTheOpen) {
  faketds::Server server(Answer);
  auto connection = MakeTdsConnection();
  wxString error;
  EXPECT_FALSE(connection->open(At(server, "missing"), &error));
  EXPECT_EQ(error, "Msg 911, Level 16, State 1, Line 1\nDatabase 'missing' does not exist.");
  EXPECT_FALSE(connection->isConnected());
  ASSERT_TRUE(connection->open(At(server), &error)) << error;  // the library is still usable
}

TEST(FreeTdsServer, ErrorsAreRecordedWhileAnotherConnectionOpens) {
  // Another connection's open holds the driver's global lock for a second; a batch
  // rejected meanwhile must still be reported as failed, with its message.
  faketds::Server server(Answer);
  faketds::Server slow(Answer, 1000);
  auto connection = MakeTdsConnection();
  wxString error;
  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  auto other = MakeTdsConnection();
  wxString otherError;
  bool otherOpened = false;
  std::thread opening([&] { otherOpened = other->open(At(slow), &otherError); });
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  DbQueryResult result;
  EXPECT_FALSE(connection->execute("select * from nowhere", &result, &error));
  EXPECT_EQ(error, "Msg 208, Level 16, State 1, Line 1\nInvalid object name 'nowhere'.");
  EXPECT_FALSE(connection->execute("update; second fails", &result, &error));
  EXPECT_EQ(error, "(1 row affected)\n\nMsg 547, Level 16, State 1, Line 1\nThe INSERT statement conflicted.");
  opening.join();
  EXPECT_TRUE(otherOpened) << otherError;
}

TEST(FreeTdsServer, CancelAndCloseDuringAnExecute) {
  faketds::Server server(Answer);
  auto connection = MakeTdsConnection();
  wxString error;
  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  DbQueryResult result;
  bool executed = true;
  wxString executeError;
  const auto start = std::chrono::steady_clock::now();
  std::thread running([&] { executed = connection->execute("waitfor delay '00:10'", &result, &executeError); });
  // Cancel and close only once the server holds the batch.
  const auto deadline = start + std::chrono::seconds(5);
  while (std::chrono::steady_clock::now() < deadline && !Has(server.batches().back(), "waitfor")) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  std::thread closing([&] { connection->close(); });
  std::thread cancelling([&] {
    for (int i = 0; i < 20; ++i) {
      connection->cancel();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  });
  running.join();
  closing.join();
  cancelling.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
  EXPECT_GE(server.cancels(), 1);
  EXPECT_FALSE(executed);
  EXPECT_FALSE(connection->isConnected());
  connection->cancel();  // a closed connection: nothing to cancel
}

// A server that closed the connection after its last answer is noticed from the
// socket before anything is sent; one that closes it while a batch runs makes the
// batch fail as lost.
TEST(FreeTdsServer, AConnectionTheServerClosedIsTold) {
  faketds::Server server(Answer);
  auto connection = MakeTdsConnection();
  wxString error;
  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  DbQueryResult result;
  wxString reason;
  ASSERT_TRUE(connection->execute("reply then hang up", &result, &error)) << error;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!connection->lost(&reason) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(connection->lost(&reason));
  EXPECT_FALSE(reason.empty());
  EXPECT_EQ(server.batches().size(), 3u);

  ASSERT_TRUE(connection->open(At(server), &error)) << error;
  EXPECT_FALSE(connection->lost(&reason));
  EXPECT_FALSE(connection->execute("hang up now", &result, &error));
  EXPECT_TRUE(result.connectionLost) << error;
  EXPECT_TRUE(connection->lost(&reason));
}

// A server that sends nothing back: the batch gives up after the answer bound as a
// lost connection, which is not used again.
TEST(FreeTdsServer, ABatchWithoutAnAnswerGivesUpAfterTheBound) {
  faketds::Server server(Answer);
  auto connection = MakeTdsConnection();
  DbConnectionInfo info = At(server);
  info.waits.answerMs = 1000;
  wxString error;
  ASSERT_TRUE(connection->open(info, &error)) << error;
  DbQueryResult result;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(connection->execute("waitfor delay '00:10'", &result, &error));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  EXPECT_TRUE(result.connectionLost && result.answerTimedOut) << error;
  wxString reason;
  EXPECT_TRUE(connection->lost(&reason));
}
