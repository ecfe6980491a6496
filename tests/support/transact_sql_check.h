// Checks that a statement written in the SQLite dialect comes out of the SQL Server
// rewriting as T-SQL: used on the shipped scripts and on the test scripts.
#pragma once

#include "sqldata/sql_translate.h"

#include <gtest/gtest.h>
#include <wx/string.h>
#include <wx/wxcrt.h>

#include <vector>

namespace veldrix::test {

// The statement with the text of every literal replaced by "''", upper-cased, with
// single spaces; and the literal texts themselves in `literals`.
inline wxString OutsideLiterals(const wxString& sql, std::vector<wxString>* literals, bool* allNational) {
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

inline bool IsWordChar(wxUniChar c) { return wxIsalnum(c) || c == '_'; }

// The token stands in the text with no word character before it, and, when
// `wholeWord`, none after it either.
inline bool HasToken(const wxString& text, const wxString& token, bool wholeWord) {
  std::size_t from = 0;
  while (true) {
    const std::size_t pos = text.find(token, from);
    if (pos == wxString::npos) return false;
    const std::size_t after = pos + token.length();
    const bool startsClean = pos == 0 || !IsWordChar(text[pos - 1]);
    const bool endsClean = !wholeWord || after >= text.length() || !IsWordChar(text[after]);
    if (startsClean && endsClean) return true;
    from = pos + 1;
  }
}

// The statement rewritten for SQL Server keeps nothing of the SQLite dialect outside
// its literals, every literal is national, and every value literal survives intact.
inline void ExpectTransactSql(const wxString& statement) {
  static const char* const sqliteOnly[] = {"AUTOINCREMENT", "IFNULL",      "DATETIME(",     "DATE(",
                                           "NOCASE",        "ON CONFLICT", "PRAGMA",        "SQLITE_MASTER",
                                           "PRINTF",        "SUBSTR(",     "INSERT OR REPLACE", "LIMIT",
                                           "ADD COLUMN",    "LAST_INSERT_ROWID"};
  static const char* const sqliteTypes[] = {"TEXT", "INTEGER", "BOOLEAN", "REAL", "NUMERIC"};
  const wxString translated = TranslateSqlForEngine(statement, "SQL Server");
  ASSERT_FALSE(translated.empty()) << statement;
  std::vector<wxString> before;
  std::vector<wxString> after;
  bool national = true;
  OutsideLiterals(statement, &before, &national);
  const wxString rest = OutsideLiterals(translated, &after, &national);
  EXPECT_TRUE(national) << translated;
  EXPECT_EQ(rest.Find("||"), wxNOT_FOUND) << translated;
  for (const char* token : sqliteOnly) EXPECT_FALSE(HasToken(rest, token, false)) << token << " in " << translated;
  for (const char* type : sqliteTypes) EXPECT_FALSE(HasToken(rest, type, true)) << type << " in " << translated;
  // A view's body travels inside one literal, with its quotes doubled.
  if (rest.Contains("EXEC(N''")) return;
  for (const wxString& literal : before) {
    if (literal == "'%.2f'" || literal == "'%05d'" || literal == "'now'" || literal == "'-1 day'" ||
        literal == "'localtime'" || literal == "'table'") {
      continue;  // consumed by the function and catalogue rewrites
    }
    EXPECT_TRUE(translated.Contains(literal)) << literal << " lost from " << translated;
  }
}

}  // namespace veldrix::test
