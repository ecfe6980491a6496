#include "sqldata/db_log.h"

#include "app/common/paths.h"
#include "app/common/private_file.h"
#include "sqldata/db_number.h"

#include <wx/datetime.h>
#include <wx/log.h>
#include <wx/tokenzr.h>
#include <wx/wxsqlite3.h>

#include <mutex>
#include <set>

std::atomic<bool> SqlTraceEnabled{false};

namespace {

// Serialises every append to the database log and every trace entry (all its files).
std::mutex& SqlLogLock() {
  static std::mutex lock;
  return lock;
}

// The logs hold statements and connection details: the user's only (0600). A log
// that cannot be opened is skipped without a message of its own.
void AppendToFile(const wxString& path, const wxString& text) {
  const wxScopedCharBuffer bytes = text.utf8_str();
  veldrix::AppendToPrivateFile(path, bytes.data(), bytes.length());
}

void AppendDbLogLines(const wxString& first, const wxString& second) {
  wxString text = MaskConnectionPasswords(first) + "\n";
  if (!second.empty()) text << MaskConnectionPasswords(second) << "\n";
  std::lock_guard<std::mutex> guard(SqlLogLock());
  AppendToFile(DbLogFilePath(), text);
}

void LogErrorPair(const wxString& message, const wxString& sql) {
  const wxString stamp = DbLogTimestamp();
  AppendDbLogLines(stamp + " " + message, sql.empty() ? wxString() : stamp + " QUERY: " + sql);
}

bool IsKeyLetter(wxUniChar ch) { return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'); }

// What the connection-string reader trims around keys and values (wxString::Trim).
bool IsTrimmedBlank(wxUniChar ch) { return ch == ' ' || (ch >= '\t' && ch <= '\r'); }

}  // namespace

wxString DbLogFilePath() { return veldrix::JoinPath(veldrix::UserDataFolder(), "veldrix_db.log"); }

wxString DbLogTimestamp() { return wxDateTime::Now().FormatISOCombined(' '); }

void AppendDbLogLine(const wxString& line) { AppendDbLogLines(line, wxString()); }

void LogDbMessage(const wxString& text) { AppendDbLogLine(DbLogTimestamp() + " " + text); }

wxString MaskConnectionPasswords(const wxString& text) {
  if (text.find('=') == wxString::npos) return text;
  wxString result;
  result.reserve(text.length());
  const size_t length = text.length();
  size_t i = 0;
  while (i < length) {
    const wxUniChar ch = text[i];
    result << ch;
    ++i;
    if (ch != '=') continue;
    // The key is the run of letters before "=" (blanks allowed in between) that
    // starts a pair: at the text's start, after ";", ":" or a blank. The value is
    // what the connection-string reader takes: everything up to the next ";",
    // line breaks included.
    size_t end = i - 1;
    while (end > 0 && IsTrimmedBlank(text[end - 1])) --end;
    size_t start = end;
    while (start > 0 && IsKeyLetter(text[start - 1])) --start;
    if (start == end) continue;
    if (start > 0) {
      const wxUniChar before = text[start - 1];
      if (before != ';' && before != ':' && !IsTrimmedBlank(before)) continue;
    }
    const wxString key = text.substr(start, end - start);
    if (!key.IsSameAs("password", false) && !key.IsSameAs("pwd", false)) continue;
    while (i < length && text[i] != ';') ++i;
    result << "***";
  }
  return result;
}

wxString SqlLogFilePath(const wxString& area) {
  const wxString name = area.empty() ? wxString("veldrix_sql.log") : "veldrix_sql_" + area + ".log";
  return veldrix::JoinPath(veldrix::UserDataFolder(), name);
}

wxString SqlLogAreaOf(const wxString& sql) {
  struct Rule {
    std::vector<const char*> needles;
    const char* area;
  };
  // The first rule that matches wins: an invoice line naming an article is "faktury".
  static const Rule kRules[] = {
      {{"dokument_handlowy", "dokument_pozycja", "tmp_dok", "dokument_numeracja"}, "faktury"},
      {{"ksef_", " ksef"}, "ksef"},
      {{"artykul"}, "artykuly"},
      {{"kontrahent"}, "kontrahenci"},
      {{"kpir"}, "kpir"},
      {{"jpk"}, "jpk_vat"},
      {{"uzytkownik"}, "uzytkownicy"},
      {{"uprawn", "rola"}, "uprawnienia"},
  };
  const wxString lower = sql.Lower();
  for (const Rule& rule : kRules) {
    for (const char* needle : rule.needles) {
      if (lower.Contains(needle)) return rule.area;
    }
  }
  return wxString();
}

wxString FormatSqlParams(const std::vector<SqlValue>& params) {
  wxString text;
  for (size_t i = 0; i < params.size(); ++i) {
    const SqlValue& value = params[i];
    if (i > 0) text << ", ";
    text << wxString::Format("%zu=", i + 1);
    if (value.secret) {
      text << "***";
      continue;
    }
    switch (value.kind) {
      case SqlValueNull:
        text << "NULL";
        break;
      case SqlValueInt:
        text << wxString::Format("%ld", static_cast<long>(value.intValue));
        break;
      case SqlValueInt64:
        text << wxString::Format("%lld", static_cast<long long>(value.int64Value));
        break;
      case SqlValueDouble:
        text << FormatDbNumber(value.doubleValue, 10);
        break;
      case SqlValueBool:
        text << (value.boolValue ? "true" : "false");
        break;
      default: {
        wxString escaped = value.textValue;
        escaped.Replace("'", "''");
        text << "'" << escaped << "'";
        break;
      }
    }
  }
  return text;
}

void WriteSqlLogEntry(const wxString& path, const wxString& context, const wxString& engine, const wxString& sql,
                      const std::vector<SqlValue>* params) {
  wxString entry;
  entry << DbLogTimestamp() << " SQL " << context << " [" << (engine.empty() ? wxString("?") : engine) << "]\n";
  entry << sql << "\n";
  if (params && !params->empty()) entry << "PARAMS: " << FormatSqlParams(*params) << "\n";
  entry << "\n";
  AppendToFile(path, entry);
}

void LogSqlStatement(const wxString& context, const wxString& engine, const wxString& sql,
                     const std::vector<SqlValue>* params) {
  if (!SqlTraceEnabled.load(std::memory_order_relaxed) || sql.empty()) return;
  const wxString area = SqlLogAreaOf(sql);
  std::lock_guard<std::mutex> guard(SqlLogLock());
  WriteSqlLogEntry(SqlLogFilePath(wxString()), context, engine, sql, params);
  if (!area.empty()) WriteSqlLogEntry(SqlLogFilePath(area), context, engine, sql, params);
}

wxString NormalizeDbErrorText(const wxString& error) {
  wxString text = error;
  text.Replace("\r\n", "\n");
  text.Replace("\r", "\n");
  const wxArrayString pieces = wxSplit(text, '\n', '\0');
  wxString result;
  std::set<wxString> seen;
  bool breakPending = false;
  for (wxString piece : pieces) {
    piece.Trim(true).Trim(false);
    if (piece.empty()) {
      if (!result.empty() && !breakPending) {
        result << "\n";
        breakPending = true;
      }
      continue;
    }
    if (seen.count(piece)) continue;
    if (!result.empty() && !breakPending) result << "\n";
    result << piece;
    seen.insert(piece);
    breakPending = false;
  }
  result.Trim(true);
  return result.empty() ? error : result;
}

wxString FormatDbError(const wxString& context, const wxString& error) {
  return wxString::Format("%s | %s", context, NormalizeDbErrorText(error));
}

wxString FormatSqliteError(const wxString& context, const wxSQLite3Exception& exception) {
  return wxString::Format("%s | SQL error %d: %s", context, exception.GetErrorCode(), exception.GetMessage());
}

void LogDbError(const wxString& context, const wxString& sql, const wxString& error) {
  const wxString message = FormatDbError(context, error);
  LogErrorPair(message, sql);
  wxLogError("%s", MaskConnectionPasswords(message));
}

void LogDbWarning(const wxString& context, const wxString& sql, const wxString& error) {
  LogErrorPair(FormatDbError(context, error), sql);
}

void LogSqlException(const wxString& context, const wxString& sql, const wxSQLite3Exception& exception) {
  const wxString message = FormatSqliteError(context, exception);
  LogErrorPair(message, sql);
  wxLogError("%s", MaskConnectionPasswords(message));
}
