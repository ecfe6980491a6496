// The steps of the SQL Server rewriting that live in their own source files, on the
// wide text the pipeline works in. The wxString entry points are declared in
// sqldata/sql_translate.h.
#pragma once

#include "sqldata/sql_text_scan.h"

namespace sqlscan {

// cast(x as TEXT), substr and printf calls.
Text RewriteCastText(Text text);
Text RewriteSubstr(Text text);
Text RewritePrintf(Text text);

// PRAGMA table_info(t) and the sqlite_master table probe as catalogue queries.
Text TranslateTableInfoPragma(const Text& text);
Text TranslateTableProbe(const Text& text);
// The whole-statement rewrites chosen by the statement's head (upsert of a module
// version, DROP INDEX, CREATE TABLE/VIEW/INDEX, ALTER TABLE with the type map).
Text TranslateStatement(const Text& text);

// \b<name>\s*\( rewritten to `replacement` (which includes the parenthesis).
std::size_t MatchCallOpening(const Text& t, std::size_t i, const wchar_t* lowerName, const wchar_t* replacement,
                             Text& out);
// \s+COLLATE\s+NOCASE\b, dropped.
std::size_t MatchCollateNocase(const Text& t, std::size_t i, Text& out);
// \s+<first>\s+<second>[\s+<third>]\b, to be dropped with the white space before it.
std::size_t MatchDroppedClause(const Text& t, std::size_t i, const wchar_t* first, const wchar_t* second,
                               const wchar_t* third);

}  // namespace sqlscan
