// The SQLite-dialect statements of a representative script, each rewritten for SQL
// Server: nothing of the SQLite dialect may be left outside string literals, every
// literal must be a national one, and the values inside literals must be intact.
#include "sqldata/sql_translate.h"

#include "test_support.h"

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

// The statement with the text of every literal replaced by "''", upper-cased, with
// single spaces; and the literal texts themselves in `literals`.
wxString OutsideLiterals(const wxString& sql, std::vector<wxString>* literals, bool* allNational) {
  wxString rest;
  *allNational = true;
  std::size_t i = 0;
  while (i < sql.length()) {
    if (sql[i] != '\'') {
      const wxUniChar c = sql[i++];
      rest << (c == '\n' || c == '\t' || c == '\r' ? wxUniChar(' ') : c);
      continue;
    }
    const std::size_t end = SkipStringLiteral(sql, i);
    wxString before = rest;
    before.Trim(true);
    if (!before.EndsWith("N") && !before.EndsWith("n")) *allNational = false;
    literals->push_back(sql.Mid(i, end - i));
    rest << "''";
    i = end;
  }
  return " " + CollapseSqlWhitespace(rest).Upper() + " ";
}

bool HasWord(const wxString& text, const wxString& word) {
  for (int at = text.Find(word); at != wxNOT_FOUND;) {
    const std::size_t pos = static_cast<std::size_t>(at);
    const std::size_t after = pos + word.length();
    const auto isWord = [](wxUniChar c) { return wxIsalnum(c) || c == '_'; };
    if ((pos == 0 || !isWord(text[pos - 1])) && (after >= text.length() || !isWord(text[after]))) return true;
    const int next = text.Mid(pos + 1).Find(word);
    at = next == wxNOT_FOUND ? wxNOT_FOUND : static_cast<int>(pos + 1 + next);
  }
  return false;
}

}  // namespace

TEST(SqlTranslateScript, EveryStatementLeavesTheSqliteDialect) {
  const std::vector<wxString> statements = FixtureStatements();
  ASSERT_GE(statements.size(), 30u);
  const char* const sqliteOnly[] = {"AUTOINCREMENT", "IFNULL",  "DATETIME(", "DATE(",      "NOCASE",
                                    "ON CONFLICT",   "PRAGMA",  "SQLITE_MASTER", "PRINTF", "SUBSTR(",
                                    "INSERT OR REPLACE", "LIMIT", "ADD COLUMN", "LAST_INSERT_ROWID"};
  const char* const sqliteTypes[] = {"TEXT", "INTEGER", "BOOLEAN", "REAL", "NUMERIC"};
  for (const wxString& statement : statements) {
    const wxString translated = TranslateSqlForEngine(statement, "SQL Server");
    ASSERT_FALSE(translated.empty()) << statement;
    std::vector<wxString> before;
    std::vector<wxString> after;
    bool national = true;
    OutsideLiterals(statement, &before, &national);
    const wxString rest = OutsideLiterals(translated, &after, &national);
    EXPECT_TRUE(national) << translated;
    EXPECT_EQ(rest.Find("||"), wxNOT_FOUND) << translated;
    for (const char* token : sqliteOnly) {
      EXPECT_EQ(rest.Find(wxString(" ") + token), wxNOT_FOUND) << token << " in " << translated;
    }
    for (const char* type : sqliteTypes) EXPECT_FALSE(HasWord(rest, type)) << type << " in " << translated;
    // Literals keep their text; a view's body travels inside one literal, doubled.
    if (!rest.Contains("EXEC(N''")) {
      for (const wxString& literal : before) {
        if (literal == "'%.2f'" || literal == "'%05d'" || literal == "'now'" || literal == "'-1 day'" ||
            literal == "'localtime'" || literal == "'table'") {
          continue;  // consumed by the function and catalogue rewrites
        }
        EXPECT_TRUE(translated.Contains(literal)) << literal << " lost from " << translated;
      }
    }
  }
}
