// The SQLite-dialect statements of a representative script of DDL and DML, each
// rewritten for SQL Server (the shipped scripts are checked in tests/dbsetup).
#include "test_support.h"
#include "transact_sql_check.h"

#include <gtest/gtest.h>
#include <wx/ffile.h>
#include <wx/filename.h>

#include <vector>

namespace {

std::vector<wxString> FixtureStatements() {
  const wxString path = veldrix::test::SourceDir() + "/tests/sqldata/data/sqlite_dialect_script.sql";
  wxFFile file(path, "rb");
  wxString text;
  EXPECT_TRUE(file.IsOpened() && file.ReadAll(&text, wxConvUTF8)) << path;
  std::vector<wxString> statements;
  wxString current;
  for (const wxString& line : wxSplit(text, '\n', '\0')) {
    if (line == "--") {
      if (!current.Strip(wxString::both).empty()) statements.push_back(current.Strip(wxString::both));
      current.clear();
    } else if (!line.StartsWith("-- ")) {
      current << line << "\n";
    }
  }
  if (!current.Strip(wxString::both).empty()) statements.push_back(current.Strip(wxString::both));
  return statements;
}

}  // namespace

TEST(SqlTranslateScript, EveryStatementLeavesTheSqliteDialect) {
  const std::vector<wxString> statements = FixtureStatements();
  ASSERT_GE(statements.size(), 30u);
  for (const wxString& statement : statements) veldrix::test::ExpectTransactSql(statement);
}
