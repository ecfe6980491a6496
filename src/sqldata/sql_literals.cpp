#include "sqldata/sql_literals.h"

#include "sqldata/db_number.h"
#include "sqldata/sql_text_scan.h"
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
  const sqlscan::Text text = sql.ToStdWstring();
  wxString result;
  result.reserve(sql.length() + 32 * params.size());
  size_t next = 0;
  size_t copied = 0;
  size_t i = 0;
  while (i < text.size()) {
    const size_t skipped = sqlscan::SkipQuotedOrComment(text, i);
    if (skipped != i) {
      i = skipped;
      continue;
    }
    if (text[i] == L'?' && next < params.size()) {
      result << wxString(text.substr(copied, i - copied)) << SqlValueToLiteral(params[next++]);
      copied = i + 1;
    }
    ++i;
  }
  result << wxString(text.substr(copied));
  return result;
}
