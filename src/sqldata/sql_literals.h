// SQL text literals and identifiers: the one place that quotes values and names
// built into statement text.
#pragma once

#include <wx/string.h>

// The text with each "'" doubled; no quotes added.
wxString EscapeSqlText(const wxString& text);
// "'" + escaped text + "'"
wxString QuoteSqlLiteral(const wxString& text);
// "N'" + escaped text + "'" (a SQL Server Unicode literal)
wxString QuoteSqlNLiteral(const wxString& text);
// The name quoted for the engine: backquotes on MySQL, brackets on SQL Server,
// double quotes elsewhere, with the closing quote character doubled inside.
wxString QuoteIdentifier(const wxString& name, const wxString& engine);
