#include "db/sql_server_address.h"

#include <gtest/gtest.h>
#include <wx/utils.h>

namespace {

struct Parsed {
  wxString host;
  wxString instance;
  int port = -1;
};

Parsed Parse(const wxString& text) {
  Parsed parsed;
  ParseSqlServerInput(text, &parsed.host, &parsed.instance, &parsed.port);
  return parsed;
}

void ExpectParsed(const wxString& text, const wxString& host, const wxString& instance, int port) {
  const Parsed parsed = Parse(text);
  EXPECT_EQ(parsed.host, host) << text;
  EXPECT_EQ(parsed.instance, instance) << text;
  EXPECT_EQ(parsed.port, port) << text;
}

}  // namespace

TEST(SqlServerAddress, ReadsHostInstanceAndPort) {
  ExpectParsed("SRV", "SRV", "", 0);
  ExpectParsed("SRV,1500", "SRV", "", 1500);
  ExpectParsed("SRV:1500", "SRV", "", 1500);
  ExpectParsed(" SRV\\SQLEXPRESS , 1500 ", "SRV", "SQLEXPRESS", 1500);
  ExpectParsed(".\\SQLEXPRESS", "localhost", "SQLEXPRESS", 0);
  ExpectParsed("(LOCAL)\\SQLEXPRESS", "localhost", "SQLEXPRESS", 0);
  ExpectParsed("", "localhost", "", 0);
  ExpectParsed("SRV,abc", "SRV,abc", "", 0);
  ExpectParsed("SRV,70000", "SRV,70000", "", 0);
  ExpectParsed("SRV\\INST,0", "SRV", "INST,0", 0);
}

TEST(SqlServerAddress, KeepsTheColonsOfIpv6Addresses) {
  ExpectParsed("::1", "::1", "", 0);
  ExpectParsed("fe80::1:1500", "fe80::1:1500", "", 0);
  ExpectParsed("::1,1500", "::1", "", 1500);
  ExpectParsed("[::1]:1500", "::1", "", 1500);
  ExpectParsed("[fe80::2]\\INST", "fe80::2", "INST", 0);
  ExpectParsed("[::1]", "::1", "", 0);
  EXPECT_EQ(TdsServerName("::1", 1500), "[::1]:1500");
  EXPECT_EQ(TdsServerName("db.local", 1433), "db.local:1433");
  EXPECT_EQ(TdsServerName("db.local", 0), "db.local");
}

TEST(SqlServerAddress, SameObjectAsInputAndHostOutput) {
  wxString text = "SRV\\A,1600";
  wxString instance;
  int port = 0;
  ParseSqlServerInput(text, &text, &instance, &port);
  EXPECT_EQ(text, "SRV");
  EXPECT_EQ(instance, "A");
  EXPECT_EQ(port, 1600);
  ParseSqlServerInput("x", nullptr, nullptr, nullptr);
}

TEST(SqlServerAddress, PortTexts) {
  int port = -1;
  EXPECT_TRUE(ParsePortText("1433", &port));
  EXPECT_EQ(port, 1433);
  EXPECT_TRUE(ParsePortText(" x1433,1434", &port));
  EXPECT_EQ(port, 1433);
  EXPECT_FALSE(ParsePortText("0", &port));
  EXPECT_EQ(port, 0);
  EXPECT_FALSE(ParsePortText("none", &port));
  EXPECT_FALSE(ParsePortText("  ", &port));
  EXPECT_FALSE(ParsePortText("99999999999999999999", &port));
  EXPECT_TRUE(ParsePortNumber(" 65535 ", &port));
  EXPECT_FALSE(ParsePortNumber("65536", &port));
  EXPECT_FALSE(ParsePortNumber("14 33", &port));
  wxString host;
  EXPECT_FALSE(SplitHostPort("   ", &host, &port));
  EXPECT_TRUE(SplitHostPort(",1433", &host, &port));
  EXPECT_EQ(host, "");
}

TEST(SqlServerAddress, LocalHosts) {
  EXPECT_TRUE(IsLocalSqlHost("."));
  EXPECT_TRUE(IsLocalSqlHost("(local)"));
  EXPECT_TRUE(IsLocalSqlHost("127.0.0.1"));
  EXPECT_TRUE(IsLocalSqlHost("[::1]"));
  EXPECT_TRUE(IsLocalSqlHost(wxGetHostName().Upper()));
  EXPECT_TRUE(IsLocalSqlHost(wxGetHostName().BeforeFirst('.') + ".example.invalid"));
  EXPECT_FALSE(IsLocalSqlHost("10.0.0.5"));
  EXPECT_FALSE(IsLocalSqlHost("remote-host-that-is-not-this-one"));
}
