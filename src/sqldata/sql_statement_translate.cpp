// The statement-level rewrites for SQL Server: the catalogue probes, CREATE/DROP/
// ALTER statements with their existence guards, and the column-type map. Each
// recognises its statement with a hand-written matcher on the normalised text.
#include "sqldata/sql_translate_steps.h"

#include "sqldata/sql_literals.h"

#include <wx/string.h>

namespace sqlscan {
namespace {

Text Wide(const wxString& text) { return text.ToStdWstring(); }

Text EscapeText(const Text& text) { return Wide(EscapeSqlText(wxString(text))); }

// ---- names ----

Text UnquoteIdentifier(const Text& name) {
  Text n = Trim(name);
  while (!n.empty() && (n.back() == L';' || n.back() == L',')) n.pop_back();
  if (n.size() >= 2) {
    const wchar_t first = n.front();
    const wchar_t last = n.back();
    if (((first == L'"' || first == L'`') && last == first) || (first == L'[' && last == L']')) {
      n = n.substr(1, n.size() - 2);
    }
  }
  return n;
}

Text ObjectNameLiteral(const Text& name) {
  Text n = UnquoteIdentifier(name);
  if (n.find(L'.') == npos) n = L"dbo." + n;
  return L"N'" + EscapeText(n) + L"'";
}

Text QuoteName(const Text& name) { return Wide(QuoteIdentifier(wxString(name), "SQL Server")); }

Text BracketQualifiedName(const Text& name) {
  const Text n = UnquoteIdentifier(name);
  if (n.empty()) return QuoteName(name);
  Text result;
  std::size_t start = 0;
  while (true) {
    const std::size_t dot = n.find(L'.', start);
    const Text piece = n.substr(start, dot == npos ? npos : dot - start);
    if (!result.empty() || start > 0) result += L'.';
    result += QuoteName(UnquoteIdentifier(piece));
    if (dot == npos) break;
    start = dot + 1;
  }
  return result.empty() ? QuoteName(name) : result;
}

Text ObjectNameAfter(const Text& sql, const wchar_t* lowerPrefix) {
  const Text head = Collapse(sql);
  if (!StartsWithNoCase(head, lowerPrefix)) return Text();
  const Text rest = Trim(head.substr(std::char_traits<wchar_t>::length(lowerPrefix)));
  std::size_t end = 0;
  while (end < rest.size() && rest[end] != L' ' && rest[end] != L'(') ++end;
  return UnquoteIdentifier(rest.substr(0, end));
}

// ---- catalogue probes (steps 16 and 17) ----

}  // namespace

Text TranslateTableInfoPragma(const Text& text) {
  if (!CollapsedStartsWith(text, L"pragma", true)) return text;
  const Text head = Collapse(text);
  Cursor c{head, 0};
  c.spaces();
  if (!c.keyword(L"pragma") || !c.spaces1() || !c.keyword(L"table_info")) return text;
  c.spaces();
  if (!c.ch(L'(')) return text;
  const std::size_t open = c.pos;
  c.spaces();
  const std::size_t close = head.find(L')', c.pos);
  if (close == npos || close == open) return text;
  if (close == c.pos) --c.pos;  // blanks only: the pattern's group keeps one of them
  const Text group = head.substr(c.pos, close - c.pos);
  c.pos = close + 1;
  if (!c.statementEnd()) return text;
  Text table = UnquoteIdentifier(group);
  Text schema = L"dbo";
  const std::size_t dot = table.rfind(L'.');
  if (dot != npos) {
    schema = UnquoteIdentifier(table.substr(0, dot));
    table = UnquoteIdentifier(table.substr(dot + 1));
  }
  return L"SELECT CAST(ORDINAL_POSITION AS INT)-1 AS cid,COLUMN_NAME AS name,DATA_TYPE AS type,"
         L"CASE WHEN IS_NULLABLE=N'NO' THEN 1 ELSE 0 END AS notnull,COLUMN_DEFAULT AS dflt_value,0 AS pk "
         L"FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA=N'" +
         EscapeText(schema) + L"' AND TABLE_NAME=N'" + EscapeText(table) + L"' ORDER BY ORDINAL_POSITION";
}

namespace {

// N?'[^']*' at the cursor.
bool MatchSimpleLiteral(Cursor& c) {
  if (c.peek() == L'N' || c.peek() == L'n') ++c.pos;
  if (!c.ch(L'\'')) return false;
  while (!c.atEnd() && c.peek() != L'\'') ++c.pos;
  return c.ch(L'\'');
}

}  // namespace

Text TranslateTableProbe(const Text& text) {
  if (!CollapsedStartsWith(text, L"select 1 from sqlite_master", true)) return text;
  const Text head = Collapse(text);
  Cursor c{head, 0};
  c.spaces();
  if (!c.keyword(L"select") || !c.spaces1() || !c.keyword(L"1") || !c.spaces1() || !c.keyword(L"from") ||
      !c.spaces1() || !c.keyword(L"sqlite_master") || !c.spaces1() || !c.keyword(L"where") || !c.spaces1() ||
      !c.keyword(L"type")) {
    return text;
  }
  c.spaces();
  if (!c.ch(L'=')) return text;
  c.spaces();
  if (c.peek() == L'N' || c.peek() == L'n') ++c.pos;
  if (!c.keyword(L"'table'") || !c.spaces1() || !c.keyword(L"and") || !c.spaces1() || !c.keyword(L"name")) {
    return text;
  }
  c.spaces();
  if (!c.ch(L'=')) return text;
  c.spaces();
  const std::size_t start = c.pos;
  if (!MatchSimpleLiteral(c)) return text;
  Text literal = Trim(head.substr(start, c.pos - start));
  if (!c.statementEnd()) return text;
  if (!literal.empty() && literal[0] == L'\'') literal = L"N" + literal;
  return L"SELECT 1 FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_SCHEMA=N'dbo' AND TABLE_NAME=" + literal;
}

namespace {

// ---- statement rewrites ----

// The text of a "." group of the patterns: no line terminator inside.
bool AnyCharacters(const Text& t, std::size_t from, std::size_t to) {
  for (std::size_t i = from; i < to; ++i) {
    if (IsLineTerminator(t[i])) return false;
  }
  return true;
}

Text TranslateModuleVersionUpsert(const Text& text) {
  const Text head = Collapse(text);
  Cursor c{head, 0};
  c.spaces();
  if (!c.keyword(L"insert") || !c.spaces1() || !c.keyword(L"or") || !c.spaces1() || !c.keyword(L"replace") ||
      !c.spaces1() || !c.keyword(L"into") || !c.spaces1() || !c.keyword(L"baza_modul")) {
    return text;
  }
  c.spaces();
  if (!c.ch(L'(')) return text;
  c.spaces();
  if (!c.keyword(L"modul")) return text;
  c.spaces();
  if (!c.ch(L',')) return text;
  c.spaces();
  if (!c.keyword(L"wersja")) return text;
  c.spaces();
  if (!c.ch(L')')) return text;
  c.spaces();
  if (!c.keyword(L"values")) return text;
  c.spaces();
  if (!c.ch(L'(')) return text;
  // values(<group 1>,<group 2>) with both groups greedy: the closing parenthesis is
  // the last one, followed only by blanks and one optional ";"; the split is the
  // last comma that leaves a value on both sides.
  const std::size_t open = c.pos;
  const std::size_t close = head.rfind(L')');
  if (close == npos || close < open) return text;
  Cursor tail{head, close + 1};
  if (!tail.statementEnd()) return text;
  if (!AnyCharacters(head, open, close)) return text;
  std::size_t comma = npos;
  for (std::size_t k = close; k-- > open;) {
    if (head[k] == L',' && k + 1 < close && k > open) {
      comma = k;
      break;
    }
  }
  if (comma == npos) return text;
  std::size_t first = open;
  while (first < comma && IsSpace(head[first])) ++first;
  if (first == comma) first = comma - 1;  // the pattern gives a lone blank back to the group
  std::size_t second = comma + 1;
  while (second < close && IsSpace(head[second])) ++second;
  if (second == close) second = close - 1;
  const Text group1 = head.substr(first, comma - first);
  const Text group2 = head.substr(second, close - second);
  return L"MERGE baza_modul WITH (HOLDLOCK) AS target USING (SELECT " + group1 + L" AS modul, " + group2 +
         L" AS wersja) AS source ON target.modul=source.modul WHEN MATCHED THEN UPDATE SET wersja=source.wersja "
         L"WHEN NOT MATCHED THEN INSERT (modul, wersja) VALUES (source.modul, source.wersja);";
}

Text TranslateDropIndex(const Text& text) {
  const Text head = Collapse(text);
  Cursor c{head, 0};
  c.spaces();
  if (!c.keyword(L"drop") || !c.spaces1() || !c.keyword(L"index") || !c.spaces1() || !c.keyword(L"if") ||
      !c.spaces1() || !c.keyword(L"exists") || !c.spaces1()) {
    return text;
  }
  const std::size_t start = c.pos;
  while (!c.atEnd() && !IsSpace(c.peek()) && c.peek() != L';') ++c.pos;
  if (c.pos == start) return text;
  const Text name = UnquoteIdentifier(head.substr(start, c.pos - start));
  if (!c.statementEnd()) return text;
  return L"DECLARE @dropIndexSql NVARCHAR(MAX); SELECT TOP 1 @dropIndexSql=N'DROP INDEX '+QUOTENAME(i.name)+"
         L"N' ON '+QUOTENAME(OBJECT_SCHEMA_NAME(i.object_id))+N'.'+QUOTENAME(OBJECT_NAME(i.object_id)) "
         L"FROM sys.indexes i WHERE i.name=N'" +
         EscapeText(name) + L"'; IF @dropIndexSql IS NOT NULL EXEC sp_executesql @dropIndexSql;";
}

// ^\s*CREATE\s+<kind>\s+IF\s+NOT\s+EXISTS\s+ replaced by "CREATE <KIND> ".
Text DropIfNotExists(const Text& text, const wchar_t* lowerKind, const wchar_t* replacement) {
  Cursor c{text, 0};
  c.spaces();
  if (!c.keyword(L"create") || !c.spaces1() || !c.keyword(lowerKind) || !c.spaces1() || !c.keyword(L"if") ||
      !c.spaces1() || !c.keyword(L"not") || !c.spaces1() || !c.keyword(L"exists") || !c.spaces1()) {
    return text;
  }
  return replacement + text.substr(c.pos);
}

Text TranslateColumnTypesW(const Text& text);

Text TranslateCreateTable(const Text& text) {
  const bool guarded = CollapsedStartsWith(text, L"create table if not exists ");
  Text statement = guarded ? DropIfNotExists(text, L"table", L"CREATE TABLE ") : text;
  statement = TranslateColumnTypesW(statement);
  if (!guarded) return statement;
  const Text name = ObjectNameAfter(statement, L"create table");
  if (name.empty()) return statement;
  return L"IF OBJECT_ID(" + ObjectNameLiteral(name) + L", N'U') IS NULL BEGIN " + statement + L" END";
}

Text TranslateCreateView(const Text& text) {
  const bool guarded = CollapsedStartsWith(text, L"create view if not exists ");
  if (!guarded) return text;
  const Text statement = DropIfNotExists(text, L"view", L"CREATE VIEW ");
  const Text name = ObjectNameAfter(statement, L"create view");
  if (name.empty()) return statement;
  Text body;
  body.reserve(statement.size() + 16);
  for (wchar_t c : statement) {
    body += c;
    if (c == L'\'') body += c;
  }
  return L"IF OBJECT_ID(" + ObjectNameLiteral(name) + L", N'V') IS NULL EXEC(N'" + body + L"')";
}

Text TranslateCreateIndex(const Text& text) {
  const Text head = Collapse(text);
  Cursor c{head, 0};
  c.spaces();
  if (!c.keyword(L"create") || !c.spaces1()) return text;
  bool unique = false;
  {
    Cursor u = c;
    if (u.keyword(L"unique") && u.spaces1()) {
      unique = true;
      c.pos = u.pos;
    }
  }
  if (!c.keyword(L"index") || !c.spaces1() || !c.keyword(L"if") || !c.spaces1() || !c.keyword(L"not") ||
      !c.spaces1() || !c.keyword(L"exists") || !c.spaces1()) {
    return text;
  }
  const std::size_t indexStart = c.pos;
  while (!c.atEnd() && !IsSpace(c.peek())) ++c.pos;
  if (c.pos == indexStart) return text;
  const Text index = UnquoteIdentifier(head.substr(indexStart, c.pos - indexStart));
  if (!c.spaces1() || !c.keyword(L"on") || !c.spaces1()) return text;
  const std::size_t tableStart = c.pos;
  while (!c.atEnd() && !IsSpace(c.peek()) && c.peek() != L'(') ++c.pos;
  if (c.pos == tableStart) return text;
  const Text table = UnquoteIdentifier(head.substr(tableStart, c.pos - tableStart));
  c.spaces();
  // (\(.*\).*) to the end: an opening parenthesis here and a closing one later.
  if (c.peek() != L'(' || head.find(L')', c.pos + 1) == npos || !AnyCharacters(head, c.pos, head.size())) {
    return text;
  }
  const Text rest = head.substr(c.pos);
  const Text create = Text(L"CREATE ") + (unique ? L"UNIQUE " : L"") + L"INDEX " + QuoteName(index) + L" ON " +
                      BracketQualifiedName(table) + L" " + rest;
  return L"IF NOT EXISTS (SELECT 1 FROM sys.indexes WHERE name=N'" + EscapeText(index) +
         L"' AND object_id=OBJECT_ID(" + ObjectNameLiteral(table) + L")) " + create;
}

Text TranslateRenameTable(const Text& text) {
  const Text head = Collapse(text);
  Cursor c{head, 0};
  c.spaces();
  if (!c.keyword(L"alter") || !c.spaces1() || !c.keyword(L"table") || !c.spaces1()) return text;
  const std::size_t oldStart = c.pos;
  while (!c.atEnd() && !IsSpace(c.peek())) ++c.pos;
  if (c.pos == oldStart) return text;
  const Text oldName = UnquoteIdentifier(head.substr(oldStart, c.pos - oldStart));
  if (!c.spaces1() || !c.keyword(L"rename") || !c.spaces1() || !c.keyword(L"to") || !c.spaces1()) return text;
  const std::size_t newStart = c.pos;
  while (!c.atEnd() && !IsSpace(c.peek()) && c.peek() != L';') ++c.pos;
  if (c.pos == newStart) return text;
  const Text newName = UnquoteIdentifier(head.substr(newStart, c.pos - newStart));
  if (!c.statementEnd()) return text;
  return L"EXEC sp_rename " + ObjectNameLiteral(oldName) + L", N'" + EscapeText(newName) + L"';";
}

// ---- the column-type map ----

// \b<word>\b replaced by `replacement`, unless `notBeforeParen` and \s*\( follows.
Text ReplaceTypeWord(Text text, const wchar_t* lowerWord, const wchar_t* replacement,
                     bool notBeforeParen = false) {
  const std::size_t length = std::char_traits<wchar_t>::length(lowerWord);
  return ReplaceOutsideLiterals(std::move(text), lowerWord[0], [&](const Text& t, std::size_t i, Text& out) -> std::size_t {
    if (!WordAt(t, i, lowerWord)) return 0;
    if (notBeforeParen) {
      Cursor c{t, i + length};
      c.spaces();
      if (c.peek() == L'(') return 0;
    }
    out += replacement;
    return length;
  });
}

const wchar_t* const kLongTextColumns[] = {
    L"xml",     L"upo",     L"warnings", L"raw_xml",     L"last_error",    L"sent_xml",          L"logo_base64",
    L"opis",    L"uwagi",   L"message",  L"details",     L"trace",         L"request",           L"response",
    L"token",   L"ksef_token", L"access_token", L"refresh_token", L"tekst_ostrzezenia", L"naglowek_dokumentow",
    L"stopka_dokumentow"};

bool IsLongTextColumn(const Text& lowerName) {
  for (const wchar_t* name : kLongTextColumns) {
    if (lowerName == name) return true;
  }
  return false;
}

// <name>\s+NVARCHAR\((100|255)\) with the name accepted by `accept`; rewritten to
// <prefix> NVARCHAR(MAX) where prefix is the name as written, or `fixedName`.
template <class Accept>
Text WidenTextColumn(Text text, Accept accept, bool only255, const wchar_t* fixedName) {
  return ReplaceOutsideLiterals(std::move(text), fixedName ? fixedName[0] : kOpensWithWord, [&](const Text& t, std::size_t i, Text& out) -> std::size_t {
    if (!BoundaryAt(t, i) || !IsWordChar(t[i])) return 0;
    std::size_t end = i;
    while (end < t.size() && IsWordChar(t[end])) ++end;
    const Text name = t.substr(i, end - i);
    if (!accept(LowerAsciiCopy(name))) return 0;
    Cursor c{t, end};
    if (!c.spaces1() || !c.keyword(L"nvarchar(")) return 0;
    if (!c.keyword(L"255)") && (only255 || !c.keyword(L"100)"))) return 0;
    out += fixedName ? Text(fixedName) : name;
    out += L" NVARCHAR(MAX)";
    return c.pos - i;
  });
}

Text TranslateColumnTypesW(const Text& input) {
  Text text = ReplaceOutsideLiterals(input, L'a', [](const Text& t, std::size_t i, Text& out) -> std::size_t {
    if (!BoundaryAt(t, i)) return 0;
    Cursor c{t, i};
    if (!c.keyword(L"add") || !c.spaces1() || !c.keyword(L"column") || !c.boundary()) return 0;
    out += L"ADD";
    return c.pos - i;
  });
  text = ReplaceOutsideLiterals(std::move(text), L'i', [](const Text& t, std::size_t i, Text& out) -> std::size_t {
    if (!BoundaryAt(t, i)) return 0;
    Cursor c{t, i};
    if (!c.keyword(L"integer") || !c.spaces1()) return 0;
    Text notNull;
    {
      Cursor n = c;
      if (n.keyword(L"not") && n.spaces1() && n.keyword(L"null") && n.spaces1()) {
        notNull = t.substr(c.pos, n.pos - c.pos);
        c.pos = n.pos;
      }
    }
    if (!c.keyword(L"primary") || !c.spaces1() || !c.keyword(L"key") || !c.spaces1()) return 0;
    {
      Cursor a = c;
      if (a.keyword(L"asc") && a.spaces1()) c.pos = a.pos;
    }
    if (!c.keyword(L"autoincrement") || !c.boundary()) return 0;
    out += L"INT IDENTITY(1,1) " + notNull + L"PRIMARY KEY";
    return c.pos - i;
  });
  text = ReplaceOutsideLiterals(std::move(text), L'i', [](const Text& t, std::size_t i, Text& out) -> std::size_t {
    if (!BoundaryAt(t, i) || !EqualsNoCaseAt(t, i, L"id_")) return 0;
    std::size_t end = i + 3;
    while (end < t.size() && IsWordChar(t[end])) ++end;
    if (end == i + 3) return 0;
    Cursor c{t, end};
    if (!c.spaces1() || !c.keyword(L"numeric")) return 0;
    const std::size_t referencesStart = c.pos;
    if (!c.spaces1() || !c.keyword(L"references") || !c.boundary()) return 0;
    out.append(t, i, end - i);
    out += L" INT";
    out.append(t, referencesStart, c.pos - referencesStart);
    return c.pos - i;
  });
  text = ReplaceTypeWord(std::move(text), L"integer", L"INT");
  text = ReplaceTypeWord(std::move(text), L"boolean", L"BIT");
  text = ReplaceTypeWord(std::move(text), L"numeric", L"DECIMAL(18,4)");
  text = ReplaceTypeWord(std::move(text), L"real", L"FLOAT");
  text = ReplaceTypeWord(std::move(text), L"text", L"NVARCHAR(255)");
  text = ReplaceOutsideLiterals(std::move(text), L'v', [](const Text& t, std::size_t i, Text& out) {
    return MatchCallOpening(t, i, L"varchar", L"NVARCHAR(", out);
  });
  text = ReplaceTypeWord(std::move(text), L"varchar", L"NVARCHAR(255)", true);
  text = ReplaceTypeWord(std::move(text), L"char", L"NCHAR(1)", true);
  text = WidenTextColumn(std::move(text), IsLongTextColumn, false, nullptr);
  text = WidenTextColumn(std::move(text), [](const Text& name) { return name == L"wartosc"; }, true, L"wartosc");
  text = ReplaceOutsideLiterals(std::move(text), kOpensWithSpace, MatchCollateNocase);
  return ReplaceOutsideLiterals(std::move(text), kOpensWithSpace, [](const Text& t, std::size_t i, Text&) -> std::size_t {
    return MatchDroppedClause(t, i, L"on", L"conflict", L"abort");
  });
}

}  // namespace

Text TranslateStatement(const Text& text) {
  if (CollapsedStartsWith(text, L"insert or replace into ")) return TranslateModuleVersionUpsert(text);
  if (CollapsedStartsWith(text, L"drop index if exists ")) return TranslateDropIndex(text);
  if (CollapsedStartsWith(text, L"create table ")) return TranslateCreateTable(text);
  if (CollapsedStartsWith(text, L"create view ")) return TranslateCreateView(text);
  if (CollapsedStartsWith(text, L"create index ") || CollapsedStartsWith(text, L"create unique index ")) {
    return TranslateCreateIndex(text);
  }
  if (CollapsedStartsWith(text, L"alter table ")) {
    if (LowerAsciiCopy(Collapse(text)).find(L" rename to ") != npos) return TranslateRenameTable(text);
    return TranslateColumnTypesW(text);
  }
  return text;
}

}  // namespace sqlscan
