#include "sqldata/sql_literals.h"

namespace {

wxString Doubled(const wxString& text, wxUniChar quote) {
  wxString result;
  result.reserve(text.length() + 2);
  for (wxUniChar ch : text) {
    result << ch;
    if (ch == quote) result << ch;
  }
  return result;
}

}  // namespace

wxString EscapeSqlText(const wxString& text) { return Doubled(text, '\''); }

wxString QuoteSqlLiteral(const wxString& text) { return "'" + EscapeSqlText(text) + "'"; }

wxString QuoteSqlNLiteral(const wxString& text) { return "N'" + EscapeSqlText(text) + "'"; }

wxString QuoteIdentifier(const wxString& name, const wxString& engine) {
  if (engine.IsSameAs("MySQL", false)) return "`" + Doubled(name, '`') + "`";
  if (engine.IsSameAs("SQL Server", false)) return "[" + Doubled(name, ']') + "]";
  return "\"" + Doubled(name, '"') + "\"";
}
