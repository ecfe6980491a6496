// Rewriting of SQLite-dialect SQL into T-SQL for SQL Server. SQLData passes every
// statement through TranslateSqlForEngine on a non-SQLite engine; only SQL Server
// changes anything. Pure functions: no state, no locks, callable from any thread.
#pragma once

#include <wx/string.h>

#include <cstddef>

// The text to execute on `engine` (a canonical engine name); unchanged unless the
// engine is "SQL Server" (ignoring case). Reports no errors.
wxString TranslateSqlForEngine(const wxString& sql, const wxString& engine);

// The three function-call rewrites of the pipeline, each usable on its own.
wxString TranslateCastText(const wxString& text);  // cast(x as TEXT) -> CONVERT(NVARCHAR(4000),x)
wxString TranslateSubstr(const wxString& text);    // substr(...) -> SUBSTRING(...)
wxString TranslatePrintf(const wxString& text);    // printf('%.2f'|'%05d', x) -> T-SQL

// Position just after the string literal opened at quotePos (a doubled "''" does
// not end it), or the text length when the literal is not closed.
std::size_t SkipStringLiteral(const wxString& text, std::size_t quotePos);
// CR, LF and tab become spaces, runs of spaces one space, blanks trimmed at both ends.
wxString CollapseSqlWhitespace(const wxString& text);
// The first prefix-length characters of text equal prefix, ignoring case.
bool StartsWithNoCase(const wxString& text, const wxString& prefix);
