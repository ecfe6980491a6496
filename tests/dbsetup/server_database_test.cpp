#include "dbsetup/server_database.h"

#include "db/driver_registry.h"
#include "dbsetup/database_probe.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

// A stand-in SQL Server: it records what it is sent and answers from its state.
struct FakeServer {
  std::set<wxString> databases;          // databases that exist
  std::set<wxString> refusedDatabases;  // logins refused when this database is asked for
  bool queriesFail = false;
  bool createFails = false;
  std::vector<std::pair<wxString, wxString>> sent;  // (database connected to, SQL)
  std::vector<wxString> opened;
  int open = 0;

  void Reset() { *this = FakeServer(); }
};

FakeServer& Server() {
  static FakeServer server;
  return server;
}

class FakeConnection : public IDbConnection {
 public:
  bool open(const DbConnectionInfo& info, wxString* error) override {
    Server().opened.push_back(info.database);
    if (Server().refusedDatabases.count(info.database)) {
      if (error) *error = "Login failed for database " + info.database;
      return false;
    }
    database_ = info.database;
    connected_ = true;
    ++Server().open;
    return true;
  }
  void close() override {
    if (connected_) --Server().open;
    connected_ = false;
  }
  bool isConnected() const override { return connected_; }
  bool execute(const wxString& sql, DbQueryResult* result, wxString* error) override {
    Server().sent.emplace_back(database_, sql);
    result->clear();
    if (sql.StartsWith("CREATE DATABASE ")) {
      if (Server().createFails) {
        if (error) *error = "CREATE DATABASE permission denied";
        return false;
      }
      return true;
    }
    if (Server().queriesFail) {
      if (error) *error = "Invalid object name";
      return false;
    }
    DbResultSet set;
    for (const wxString& name : Server().databases) {
      if (sql == SqlServerDatabaseExistsSql(name)) {
        set.rowCount = 1;
        set.appendCell("1", 1);
      }
    }
    result->resultSets.push_back(set);
    return true;
  }
  void cancel() override {}

 private:
  wxString database_;
  bool connected_ = false;
};

class FakeDriver : public IDatabaseDriver {
 public:
  wxString name() const override { return "Fake SQL Server"; }
  std::shared_ptr<IDbConnection> createConnection() override { return std::make_shared<FakeConnection>(); }
};

class SqlServerTest : public ::testing::Test {
 protected:
  SqlServerTest() {
    RegisterBuiltinDrivers();
    DriverRegistry::instance().add(std::make_unique<FakeDriver>());
    Server().Reset();
    info_.driver = "Fake SQL Server";
    info_.server = "127.0.0.1";
    info_.database = "a]b";
  }
  ~SqlServerTest() override { EXPECT_EQ(Server().open, 0) << "every connection is closed"; }

  DbConnectionInfo info_;
};

}  // namespace

TEST_F(SqlServerTest, ExistenceIsAskedOnMaster) {
  Server().databases = {"a]b"};
  bool exists = false;
  wxString error;
  ASSERT_TRUE(SqlServerDatabaseExists(info_, &exists, &error)) << error;
  EXPECT_TRUE(exists);
  ASSERT_EQ(Server().sent.size(), 1u);
  EXPECT_EQ(Server().sent[0].first, "master");
  EXPECT_EQ(Server().sent[0].second, "SELECT 1 FROM sys.databases WHERE name=N'a]b'");
}

TEST_F(SqlServerTest, ALoginWithoutMasterRetriesWithoutDatabase) {
  Server().refusedDatabases = {"master"};
  bool exists = true;
  ASSERT_TRUE(SqlServerDatabaseExists(info_, &exists, nullptr));
  EXPECT_FALSE(exists);
  EXPECT_EQ(Server().opened, (std::vector<wxString>{"master", ""}));

  Server().Reset();
  Server().refusedDatabases = {"master", ""};
  wxString error;
  EXPECT_FALSE(SqlServerDatabaseExists(info_, &exists, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Nie udało się połączyć z serwerem SQL Server: Login failed for database "));

  Server().Reset();
  Server().queriesFail = true;
  EXPECT_FALSE(SqlServerDatabaseExists(info_, &exists, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Nie udało się sprawdzić istnienia bazy na SQL Server: Invalid object name"));
}

TEST_F(SqlServerTest, CreatesAMissingDatabaseWithItsNameBracketed) {
  wxString error;
  ASSERT_TRUE(CreateSqlServerDatabase(info_, &error)) << error;
  ASSERT_EQ(Server().sent.size(), 2u);
  EXPECT_EQ(Server().sent[1].second, "CREATE DATABASE [a]]b]");

  Server().Reset();
  Server().databases = {"a]b"};
  bool existed = false;
  ASSERT_TRUE(EnsureProgramDatabase(info_, &existed, &error));
  EXPECT_TRUE(existed);
  for (const auto& [database, sql] : Server().sent) EXPECT_FALSE(sql.StartsWith("CREATE")) << sql;

  Server().Reset();
  ASSERT_TRUE(EnsureProgramDatabase(info_, &existed, &error));
  EXPECT_FALSE(existed);
  EXPECT_EQ(Server().sent.back().second, "CREATE DATABASE [a]]b]");

  Server().Reset();
  Server().createFails = true;
  EXPECT_FALSE(CreateSqlServerDatabase(info_, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Nie udało się utworzyć bazy programu na SQL Server.\n"
                                      "CREATE DATABASE permission denied"));
}

TEST_F(SqlServerTest, ABlankNameIsRefusedBeforeAnythingIsSent) {
  info_.database = "   ";
  wxString error;
  EXPECT_FALSE(CreateSqlServerDatabase(info_, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Podaj nazwę bazy programu dla SQL Server."));
  EXPECT_TRUE(Server().sent.empty());
  bool exists = true;
  ASSERT_TRUE(SqlServerDatabaseExists(info_, &exists, &error));
  EXPECT_EQ(Server().sent.back().second, "SELECT 1 FROM sys.databases WHERE name=N'   '");
}

TEST_F(SqlServerTest, ProbeOfAMissingServerDatabase) {
  DatabaseProbeResult result;
  wxString error;
  ASSERT_TRUE(ProbeDatabase(info_, &result, &error)) << error;
  EXPECT_TRUE(result.reached);
  EXPECT_FALSE(result.exists);
  EXPECT_EQ(result.status, "Baza nie istnieje");

  Server().refusedDatabases = {"master", ""};
  EXPECT_FALSE(ProbeDatabase(info_, &result, &error));
  EXPECT_FALSE(result.reached);
  EXPECT_TRUE(result.status.empty());
}

TEST(ServerDatabase, OtherEnginesAreRefusedOrAnsweredByTheFile) {
  veldrix::test::IsolatedFolders folders;
  DbConnectionInfo info;
  info.driver = "Oracle";
  bool existed = true;
  wxString error;
  EXPECT_FALSE(EnsureProgramDatabase(info, &existed, &error));
  EXPECT_FALSE(existed);
  EXPECT_TRUE(error.StartsWith(wxString::FromUTF8("Tworzenie struktury Veldrix dla silnika Oracle nie jest")));

  info = veldrix::test::SqliteInfo(veldrix::JoinPath(folders.root(), "brak.db"));
  ASSERT_TRUE(EnsureProgramDatabase(info, &existed, &error));
  EXPECT_FALSE(existed);
  bool exists = true;
  ASSERT_TRUE(ServerDatabaseExists(info, &exists, &error));
  EXPECT_FALSE(exists);
  EXPECT_FALSE(wxFileName::FileExists(info.server));
  EXPECT_TRUE(CreateSqlServerDatabase(info, &error));
}
