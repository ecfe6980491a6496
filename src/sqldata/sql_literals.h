// SQL text literals and identifiers: the one place that quotes values and names
// built into statement text.
#pragma once

#include <wx/string.h>

#include <vector>

// The text with each "'" doubled; no quotes added.
wxString EscapeSqlText(const wxString& text);
// "'" + escaped text + "'"
wxString QuoteSqlLiteral(const wxString& text);
// "N'" + escaped text + "'" (a SQL Server Unicode literal)
wxString QuoteSqlNLiteral(const wxString& text);
// The name quoted for the engine: backquotes on MySQL, brackets on SQL Server,
// double quotes elsewhere, with the closing quote character doubled inside.
wxString QuoteIdentifier(const wxString& name, const wxString& engine);

struct SqlValue;

// The value as a SQL literal: integers and "1"/"0" for Bool, a Double with a point
// and 15 decimals, Text quoted with "'" doubled (never an N prefix), else "NULL".
wxString SqlValueToLiteral(const SqlValue& value);
// Writes the parameters, in order, into the "?" placeholders of the statement for
// engines that get no bound parameters. A "?" inside a quoted literal, a quoted
// identifier or a comment is no placeholder and stays, as with SQLite's own binding;
// "?" beyond the parameters stay as well, and surplus parameters are ignored.
wxString InlineSqlParameters(const wxString& sql, const std::vector<SqlValue>& params);
