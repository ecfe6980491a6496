#include "db/connection_info.h"
#include "db/driver_registry.h"
#include "db/freetds_connection.h"
#include "loopback_socket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

namespace {

// A TCP port on loopback with nothing listening: bound, never listened on.
class ClosedPort {
 public:
  ClosedPort() { fd_ = BindLoopback(AF_INET, SOCK_STREAM, &port_); }
  ~ClosedPort() {
    if (fd_ >= 0) close(fd_);
  }
  int port() const { return port_; }

 private:
  int fd_ = -1;
  int port_ = 0;
};

// A listener on loopback that accepts connections and closes them at once,
// counting them: it shows which port a connect attempt really went to.
class CountingListener {
 public:
  explicit CountingListener(int family = AF_INET) {
    fd_ = BindLoopback(family, SOCK_STREAM, &port_);
    ok_ = fd_ >= 0 && listen(fd_, 8) == 0;
    if (!ok_) return;
    thread_ = std::thread([this] {
      while (!stop_) {
        pollfd waiting{fd_, POLLIN, 0};
        if (poll(&waiting, 1, 50) <= 0) continue;
        const int client = accept(fd_, nullptr, nullptr);
        if (client < 0) continue;
        ++accepted_;
        close(client);
      }
    });
  }
  ~CountingListener() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return ok_; }
  int port() const { return port_; }
  int accepted() const { return accepted_; }

 private:
  int fd_ = -1;
  bool ok_ = false;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::atomic<int> accepted_{0};
  std::thread thread_;
};

DbConnectionInfo ServerInfo(const wxString& server, int port) {
  DbConnectionInfo info;
  info.driver = "SQL Server (FreeTDS)";
  info.server = server;
  info.port = port;
  info.user = "sa";
  info.password = "secret";
  SetConnectionOption(&info.options, "server_type", "SQL Server");
  return info;
}

}  // namespace

TEST(FreeTdsConnection, IsTheRegisteredSqlServerDriver) {
  RegisterBuiltinDrivers();
  IDatabaseDriver* driver = DriverRegistry::instance().find("SQL Server (FreeTDS)");
  ASSERT_NE(driver, nullptr);
  std::shared_ptr<IDbConnection> connection = driver->createConnection();
  ASSERT_TRUE(connection);
  EXPECT_FALSE(connection->isConnected());
  DbQueryResult result;
  result.message = "kept";
  wxString error;
  EXPECT_FALSE(connection->execute("SELECT 1", &result, &error));
  EXPECT_EQ(error, "Not connected");
  EXPECT_EQ(result.message, "kept");
  connection->cancel();
  connection->close();
}

TEST(FreeTdsConnection, ClosedPortFailsWithTheLibraryMessages) {
  ClosedPort closed;
  std::shared_ptr<IDbConnection> connection = MakeTdsConnection();
  wxString error;
  EXPECT_FALSE(connection->open(ServerInfo("127.0.0.1", closed.port()), &error));
  const wxString head = wxString::Format("FreeTDS: connection to '127.0.0.1,%d' failed (TDS auto).\n\n", closed.port());
  EXPECT_TRUE(error.StartsWith(head)) << error;
  EXPECT_TRUE(error.Contains("DB-Lib error ")) << error;
  EXPECT_FALSE(connection->isConnected());
  // A failed open leaves the library usable for the next one.
  wxString again;
  EXPECT_FALSE(connection->open(ServerInfo("127.0.0.1," + wxString::Format("%d", closed.port()), 1433), &again));
  EXPECT_TRUE(again.StartsWith(head)) << again;
}

TEST(FreeTdsConnection, ProtocolVersions) {
  ClosedPort closed;
  std::shared_ptr<IDbConnection> connection = MakeTdsConnection();
  DbConnectionInfo info = ServerInfo("127.0.0.1", closed.port());
  wxString error;
  SetConnectionOption(&info.options, "tds_version", "8.0");
  EXPECT_FALSE(connection->open(info, &error));
  EXPECT_EQ(error, "Unsupported FreeTDS protocol version '8.0'. Use auto, 4.2, or 7.0-7.4.");
  for (const char* accepted : {" 7.4 ", "7.0", "4.2", "AUTO"}) {
    info.options["tds_version"] = accepted;
    EXPECT_FALSE(connection->open(info, &error));
    EXPECT_TRUE(error.StartsWith(wxString::Format("FreeTDS: connection to '127.0.0.1,%d' failed (TDS %s).",
                                                  closed.port(), accepted)))
        << error;
  }
}

TEST(FreeTdsConnection, ConnectsToTheChosenPort) {
  // This FreeTDS ignores a port on the login record; the connection must still
  // reach the port the user chose, from the record or from the server text.
  CountingListener listener;
  ASSERT_TRUE(listener.ok());
  std::shared_ptr<IDbConnection> connection = MakeTdsConnection();
  wxString error;
  EXPECT_FALSE(connection->open(ServerInfo("127.0.0.1", listener.port()), &error));
  EXPECT_GE(listener.accepted(), 1) << error;
  const int afterRecordPort = listener.accepted();
  EXPECT_FALSE(connection->open(ServerInfo(wxString::Format("localhost:%d", listener.port()), 0), &error));
  EXPECT_GT(listener.accepted(), afterRecordPort) << error;
}

TEST(FreeTdsConnection, ConnectsToAnIpv6Address) {
  CountingListener listener(AF_INET6);
  if (!listener.ok()) GTEST_SKIP() << "no IPv6 loopback on this machine";
  std::shared_ptr<IDbConnection> connection = MakeTdsConnection();
  wxString error;
  EXPECT_FALSE(connection->open(ServerInfo(wxString::Format("[::1]:%d", listener.port()), 0), &error));
  EXPECT_GE(listener.accepted(), 1) << error;
}

TEST(FreeTdsConnection, AliasAndInstanceFailuresEndTheOpen) {
  DbConnectionInfo info = ServerInfo("SRV\\MISSING", 0);
  SqlServerLookup lookup;
  ClosedPort closedBrowser;
  lookup.browserPort = 9;  // discard on loopback: nothing answers
  lookup.browserTimeoutMs = 200;
  info.server = "127.0.0.1\\MISSING";
  std::shared_ptr<IDbConnection> connection = MakeTdsConnection(lookup);
  wxString error;
  EXPECT_FALSE(connection->open(info, &error));
  EXPECT_EQ(error,
            "SQL Server instance 'MISSING' was not found in the local registry. Cannot resolve SQL Server instance "
            "'127.0.0.1\\MISSING'. Check SQL Server Browser service or specify host,port.");
  // A port in the text skips the Browser.
  ClosedPort closed;
  info.server = wxString::Format("127.0.0.1\\MISSING,%d", closed.port());
  EXPECT_FALSE(connection->open(info, &error));
  EXPECT_TRUE(error.StartsWith("FreeTDS: connection to")) << error;
}
