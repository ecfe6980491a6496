#include "sqldata/sql_literals.h"

#include "sqldata/db_number.h"
#include "sqldata/sql_value.h"

#include <cmath>

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

wxString SqlValueToLiteral(const SqlValue& value) {
  switch (value.kind) {
    case SqlValueInt:
      return wxString::Format("%ld", static_cast<long>(value.intValue));
    case SqlValueInt64:
      return wxString::Format("%lld", static_cast<long long>(value.int64Value));
    case SqlValueDouble:
      // No literal spells infinity or NaN; NULL is the one value the column can take.
      if (!std::isfinite(value.doubleValue)) return "NULL";
      return FormatDbNumber(value.doubleValue, 15);
    case SqlValueBool:
      return value.boolValue ? "1" : "0";
    case SqlValueText:
      return QuoteSqlLiteral(value.textValue);
    default:
      return "NULL";
  }
}

wxString InlineSqlParameters(const wxString& sql, const std::vector<SqlValue>& params) {
  wxString result;
  result.reserve(sql.length() + 32 * params.size());
  size_t next = 0;
  const size_t length = sql.length();
  size_t i = 0;
  // Copies sql[i] up to and including the closing character; a doubled closing
  // quote inside ('it''s') belongs to the literal.
  auto copyQuoted = [&](wxUniChar close) {
    result << sql[i++];
    while (i < length) {
      const wxUniChar ch = sql[i++];
      result << ch;
      if (ch == close) {
        if (i < length && sql[i] == close) {
          result << sql[i++];
          continue;
        }
        return;
      }
    }
  };
  while (i < length) {
    const wxUniChar ch = sql[i];
    if (ch == '\'' || ch == '"' || ch == '`') {
      copyQuoted(ch);
    } else if (ch == '[') {
      copyQuoted(']');
    } else if (ch == '-' && i + 1 < length && sql[i + 1] == '-') {
      while (i < length && sql[i] != '\n') result << sql[i++];
    } else if (ch == '/' && i + 1 < length && sql[i + 1] == '*') {
      const size_t close = sql.find("*/", i + 2);
      const size_t end = close == wxString::npos ? length : close + 2;
      result << sql.substr(i, end - i);
      i = end;
    } else if (ch == '?' && next < params.size()) {
      result << SqlValueToLiteral(params[next++]);
      ++i;
    } else {
      result << ch;
      ++i;
    }
  }
  return result;
}
