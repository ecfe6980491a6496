// What the database pages of the settings tab say about a connection string.
#include "settings/database_pages.h"

#include <gtest/gtest.h>

namespace {

const char kSqliteRemark[] = " (pełna instalacja i migracje tylko dla SQLite)";

TEST(DatabasePages, DescribeTheServerTypeAndTarget) {
  const struct {
    const char* connection;
    const char* type;
    const char* target;
  } cases[] = {
      {"Data Source=/srv/veldrix.db;Version=3;", "SQLite", "/srv/veldrix.db"},
      {"Driver=PostgreSQL;Server=db.biuro;Port=5432;Database=ksiegi;User ID=anna;", "PostgreSQL", "db.biuro"},
      {"Driver=MySQL;Server=10.0.0.5;Port=3306;Database=v;server_input=baza.biuro;", "MySQL", "baza.biuro"},
      {"Driver=SQL Server;Server=sql1;Port=1433;server_instance=BIURO;", "SQL Server", "sql1"},
      {"Driver=PostgreSQL;Server=db;Port=5432;server_type=Własny;", "Własny", "db"},
  };
  for (const auto& c : cases) {
    const wxString connection = wxString::FromUTF8(c.connection);
    const ConnectionLabels report = DescribeConnectionLabels(connection, false);
    EXPECT_EQ(report.serverType, wxString::FromUTF8(c.type)) << c.connection;
    EXPECT_EQ(report.target, wxString::FromUTF8(c.target)) << c.connection;
    // Only the program page, and only for SQLite, adds the remark.
    const ConnectionLabels program = DescribeConnectionLabels(connection, true);
    const bool sqlite = report.serverType == "SQLite";
    EXPECT_EQ(program.target, sqlite ? report.target + wxString::FromUTF8(kSqliteRemark) : report.target);
  }

  const ConnectionLabels unreadable = DescribeConnectionLabels("to nie jest connection string", true);
  EXPECT_EQ(unreadable.serverType, "Nieznane");
  EXPECT_FALSE(unreadable.target.empty());
}

TEST(DatabasePages, ConnectionStringsAreShownInCanonicalForm) {
  EXPECT_EQ(DescribeConnectionString("", "fallback"), "fallback");
  EXPECT_EQ(DescribeConnectionString("bez sensu", "fallback"), "bez sensu");
  const wxString canonical = DescribeConnectionString("server=db;driver=PostgreSQL;port=5432", "");
  EXPECT_TRUE(canonical.StartsWith("Driver=PostgreSQL;ServerType=PostgreSQL;Server=db;Port=5432;")) << canonical;
  EXPECT_EQ(DescribeConnectionString(canonical, ""), canonical);
}

}  // namespace
