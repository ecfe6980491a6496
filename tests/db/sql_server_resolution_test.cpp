#include "db/sql_server_resolution.h"
#include "loopback_socket.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <map>
#include <string>
#include <thread>
#include <tuple>

namespace {

const char kInstanceNames[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Instance Names\\SQL";
const char kAliasKey[] = "SOFTWARE\\Microsoft\\MSSQLServer\\Client\\ConnectTo";
const char kAliasKey2[] = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\Client\\ConnectTo";

// Registry keys held in memory: (root, view, key, value name) -> data. Key and
// value names ignore case, as the registry's do.
class FakeRegistry : public IRegistryReader {
 public:
  void set(RegistryRoot root, RegistryView view, const wxString& key, const wxString& name, const wxString& data) {
    values_[{root, view, key.Lower(), name.Lower()}] = data;
  }
  void addSubKey(RegistryView view, const wxString& key, const wxString& name) {
    subKeys_[{view, key.Lower()}].push_back(name);
  }
  bool readString(RegistryRoot root, RegistryView view, const wxString& key, const wxString& name,
                  wxString* value) const override {
    auto found = values_.find({root, view, key.Lower(), name.Lower()});
    if (found == values_.end()) return false;
    *value = found->second;
    return true;
  }
  bool subKeyNames(RegistryRoot, RegistryView view, const wxString& key,
                   std::vector<wxString>* names) const override {
    auto found = subKeys_.find({view, key.Lower()});
    if (found == subKeys_.end()) return false;
    *names = found->second;
    return true;
  }

 private:
  std::map<std::tuple<RegistryRoot, RegistryView, wxString, wxString>, wxString> values_;
  std::map<std::pair<RegistryView, wxString>, std::vector<wxString>> subKeys_;
};

// A stand-in for the Browser service: a UDP socket on a free loopback port that
// answers each request with `reply` (or stays silent) and keeps what it was asked.
class FakeBrowser {
 public:
  explicit FakeBrowser(std::string reply, bool silent = false, int family = AF_INET)
      : reply_(std::move(reply)), silent_(silent) {
    fd_ = BindLoopback(family, SOCK_DGRAM, &port_);
    ok_ = fd_ >= 0;
    if (ok_) thread_ = std::thread([this] { serve(); });
  }
  ~FakeBrowser() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return ok_; }
  int port() const { return port_; }
  std::string request() const {
    std::lock_guard<std::mutex> guard(lock_);
    return request_;
  }

 private:
  void serve() {
    // Bounded: the loop ends when the test ends, polling every 50 ms.
    while (!stop_) {
      pollfd waiting{fd_, POLLIN, 0};
      if (poll(&waiting, 1, 50) <= 0) continue;
      char buffer[2048];
      sockaddr_storage from{};
      socklen_t length = sizeof(from);
      const ssize_t got = recvfrom(fd_, buffer, sizeof(buffer), 0, reinterpret_cast<sockaddr*>(&from), &length);
      if (got <= 0) continue;
      {
        std::lock_guard<std::mutex> guard(lock_);
        request_.assign(buffer, static_cast<std::size_t>(got));
      }
      if (!silent_) sendto(fd_, reply_.data(), reply_.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
    }
  }

  std::string reply_;
  bool silent_;
  int fd_ = -1;
  bool ok_ = false;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
  mutable std::mutex lock_;
  std::string request_;
};

std::string BrowserReply(const std::string& text) {
  std::string reply(1, '\x05');
  reply += static_cast<char>(text.size() & 0xff);
  reply += static_cast<char>((text.size() >> 8) & 0xff);
  return reply + text;
}

SqlServerLookup LookupAt(const FakeBrowser& browser, const IRegistryReader* registry = nullptr) {
  SqlServerLookup lookup;
  lookup.registry = registry;
  lookup.browserPort = browser.port();
  return lookup;
}

}  // namespace

TEST(SqlServerBrowser, ReadsThePortOfTheInstanceFromTheReply) {
  FakeBrowser browser(
      BrowserReply("ServerName;SRV;InstanceName;SQLEXPRESS;IsClustered;No;Version;15.0.2000.5;tcp;1433;;"));
  ASSERT_TRUE(browser.ok());
  int port = 0;
  wxString error;
  ASSERT_TRUE(ResolveSqlServerEndpoint("127.0.0.1", "SQLEXPRESS", &port, &error, LookupAt(browser))) << error;
  EXPECT_EQ(port, 1433);
  EXPECT_EQ(browser.request(), std::string("\x04SQLEXPRESS"));

  FakeBrowser capitals(BrowserReply("ServerName;SRV;InstanceName;A;TCP; 50123 ;np;\\\\SRV\\pipe;;"));
  ASSERT_TRUE(capitals.ok());
  ASSERT_TRUE(QuerySqlBrowser("127.0.0.1", "A", capitals.port(), 2000, &port, &error)) << error;
  EXPECT_EQ(port, 50123);
}

TEST(SqlServerBrowser, AnswersOverIpv6Loopback) {
  FakeBrowser browser(BrowserReply("ServerName;SRV;InstanceName;B;tcp;1501;;"), false, AF_INET6);
  if (!browser.ok()) GTEST_SKIP() << "no IPv6 loopback on this machine";
  int port = 0;
  wxString error;
  ASSERT_TRUE(QuerySqlBrowser("::1", "B", browser.port(), 2000, &port, &error)) << error;
  EXPECT_EQ(port, 1501);
}

TEST(SqlServerBrowser, RefusesRepliesThatAreNoAnswer) {
  int port = 7;
  wxString error;
  FakeBrowser shortReply(std::string("\x05\x10", 2));
  ASSERT_TRUE(shortReply.ok());
  EXPECT_FALSE(QuerySqlBrowser("127.0.0.1", "I", shortReply.port(), 2000, &port, &error));
  EXPECT_EQ(error, "SQL Browser sent an invalid reply for instance '127.0.0.1\\I'.");

  FakeBrowser noTcp(BrowserReply("ServerName;SRV;InstanceName;I;np;\\\\SRV\\pipe\\sql\\query;;"));
  EXPECT_FALSE(QuerySqlBrowser("127.0.0.1", "I", noTcp.port(), 2000, &port, &error));
  EXPECT_EQ(error, "SQL Browser did not return TCP port for instance '127.0.0.1\\I'. Specify host,port.");

  FakeBrowser badPort(BrowserReply("InstanceName;I;tcp;14x3;;"));
  EXPECT_FALSE(QuerySqlBrowser("127.0.0.1", "I", badPort.port(), 2000, &port, &error));
  EXPECT_EQ(error, "SQL Browser returned invalid TCP port for instance '127.0.0.1\\I'.");
  EXPECT_EQ(port, 7);
}

TEST(SqlServerBrowser, SilentBrowserTimesOutAfterTwoSeconds) {
  FakeBrowser browser("", true);
  ASSERT_TRUE(browser.ok());
  int port = 0;
  wxString error;
  const auto start = std::chrono::steady_clock::now();
  // This computer: the local registry (empty here) is asked first and its error leads.
  EXPECT_FALSE(ResolveSqlServerEndpoint(".", "QUIET", &port, &error, LookupAt(browser)));
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(1900));
  EXPECT_LT(waited, std::chrono::milliseconds(6000));
  EXPECT_EQ(error,
            "SQL Server instance 'QUIET' was not found in the local registry. Cannot resolve SQL Server instance "
            "'localhost\\QUIET'. Check SQL Server Browser service or specify host,port.");
  EXPECT_EQ(browser.request(), std::string("\x04QUIET"));
}

TEST(SqlServerBrowser, UnknownHostsAndEmptyNames) {
  int port = 0;
  wxString error;
  EXPECT_FALSE(ResolveSqlServerEndpoint("SRV", " ", &port, &error));
  EXPECT_EQ(error, "Invalid SQL Server instance name.");
  EXPECT_FALSE(QuerySqlBrowser("no-such-host.invalid", "I", 1434, 100, &port, &error));
  EXPECT_EQ(error, "Cannot resolve host 'no-such-host.invalid' for SQL Browser.");
}

TEST(SqlServerRegistry, ThisPlatformsRegistryFindsNothing) {
  wxString value;
  EXPECT_FALSE(ReadMachineRegistryString(SystemRegistryReader(), kInstanceNames, "MSSQLSERVER", &value));
  int port = 0;
  EXPECT_FALSE(FindPortInTcpSubkeys(SystemRegistryReader(), "SOFTWARE", &port));
  wxString host;
  wxString error;
  EXPECT_FALSE(ResolveSqlServerAlias("PRODUKCJA", &host, &port, &error));
  EXPECT_TRUE(error.empty());
}

TEST(SqlServerRegistry, LocalInstancePortsWithoutNetwork) {
  FakeRegistry registry;
  registry.set(RegistryRoot::LocalMachine, RegistryView::Registry32, kInstanceNames, "SQLEXPRESS", " MSSQL15.X ");
  const wxString tcp = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQL15.X\\MSSQLServer\\SuperSocketNetLib\\Tcp";
  registry.set(RegistryRoot::LocalMachine, RegistryView::Registry64, tcp + "\\IPAll", "TcpPort", "");
  registry.set(RegistryRoot::LocalMachine, RegistryView::Default, tcp + "\\IPAll", "TcpDynamicPorts", "49712");
  SqlServerLookup lookup;
  lookup.registry = &registry;
  lookup.browserPort = 9;  // discard: a Browser query would fail this test
  lookup.browserTimeoutMs = 100;
  int port = 0;
  wxString error;
  ASSERT_TRUE(ResolveSqlServerEndpoint("(local)", "sqlexpress", &port, &error, lookup)) << error;
  EXPECT_EQ(port, 49712);

  FakeRegistry subKeys;
  subKeys.set(RegistryRoot::LocalMachine, RegistryView::Registry64, kInstanceNames, "B", "MSSQL.B");
  const wxString tcpB = "SOFTWARE\\Microsoft\\Microsoft SQL Server\\MSSQL.B\\MSSQLServer\\SuperSocketNetLib\\Tcp";
  subKeys.addSubKey(RegistryView::Registry32, tcpB, "IPAll");
  subKeys.addSubKey(RegistryView::Registry32, tcpB, "IP1");
  subKeys.addSubKey(RegistryView::Registry32, tcpB, "IP2");
  subKeys.set(RegistryRoot::LocalMachine, RegistryView::Registry64, tcpB + "\\IPAll", "TcpPort", "0");
  subKeys.set(RegistryRoot::LocalMachine, RegistryView::Registry64, tcpB + "\\IP2", "TcpPort", "1444,1445");
  lookup.registry = &subKeys;
  ASSERT_TRUE(ResolveSqlServerInstance("B", &port, &error, lookup)) << error;
  EXPECT_EQ(port, 1444);

  FakeRegistry noPort;
  noPort.set(RegistryRoot::LocalMachine, RegistryView::Registry64, kInstanceNames, "C", "MSSQL.C");
  lookup.registry = &noPort;
  EXPECT_FALSE(ResolveSqlServerInstance("C", &port, &error, lookup));
  EXPECT_EQ(error,
            "SQL Server instance 'C' was found in the local registry, but no TCP port is configured under "
            "SuperSocketNetLib\\\\Tcp.");
  EXPECT_FALSE(ResolveSqlServerInstance("  ", &port, &error, lookup));
  EXPECT_EQ(error, "Invalid SQL Server instance name.");
}

TEST(SqlServerRegistry, ClientAliases) {
  FakeRegistry registry;
  registry.set(RegistryRoot::LocalMachine, RegistryView::Default, kAliasKey, "PIPES", "DBNMPNTW,\\\\srv\\pipe\\sql");
  registry.set(RegistryRoot::CurrentUser, RegistryView::Registry32, kAliasKey2, "TCP", "dbmssocn, 10.0.0.5 , 1433");
  registry.set(RegistryRoot::LocalMachine, RegistryView::Registry64, kAliasKey2, "NOPORT", "DBMSSOCN,10.0.0.5");
  registry.set(RegistryRoot::LocalMachine, RegistryView::Registry64, kAliasKey, "BROKEN", "DBMSSOCN, ");
  SqlServerLookup lookup;
  lookup.registry = &registry;
  wxString host;
  int port = 0;
  wxString error;
  EXPECT_TRUE(ResolveSqlServerAlias("PIPES", &host, &port, &error, lookup));
  EXPECT_EQ(error,
            "SQL Server alias 'PIPES' is configured as DBNMPNTW (DBNMPNTW,\\\\srv\\pipe\\sql).\nThe FreeTDS driver "
            "uses TCP/IP. Change the alias to TCP/IP or enter the real server as host,port.");
  error.clear();
  EXPECT_TRUE(ResolveSqlServerAlias("TCP", &host, &port, &error, lookup));
  EXPECT_TRUE(error.empty()) << error;
  EXPECT_EQ(host, "10.0.0.5");
  EXPECT_EQ(port, 1433);
  EXPECT_TRUE(ResolveSqlServerAlias("NOPORT", &host, &port, &error, lookup));
  EXPECT_EQ(host, "10.0.0.5");
  EXPECT_EQ(port, 0);
  EXPECT_TRUE(ResolveSqlServerAlias("BROKEN", &host, &port, &error, lookup));
  EXPECT_EQ(error, "SQL Server TCP alias 'BROKEN' has an invalid registry value: DBMSSOCN,");
  EXPECT_FALSE(ResolveSqlServerAlias("OTHER", &host, &port, &error, lookup));
}
