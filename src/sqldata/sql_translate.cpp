// The SQL Server rewriting pipeline and its text-wide steps (keyword calls,
// concatenation, LIMIT to TOP, national literals). Each step is a hand-written
// scanner rather than a regular expression: the standard library's patterns recurse
// once per character and overflow the stack on statements of a few hundred
// kilobytes. Every step leaves literals, quoted names and comments alone, so values
// written into a statement as literals reach the server exactly as given.
#include "sqldata/sql_translate.h"

#include "sqldata/sql_translate_steps.h"
#include "sqldata/sql_text_scan.h"

#include <algorithm>
#include <map>
#include <vector>

using namespace sqlscan;

namespace {

Text Wide(const wxString& text) { return text.ToStdWstring(); }

// ---- whole-text keyword rewrites (steps 2 to 9) ----

std::size_t MatchLastInsertRowid(const Text& t, std::size_t i, Text& out) {
  Cursor c{t, i};
  if (!c.keyword(L"last_insert_rowid")) return 0;
  c.spaces();
  if (!c.ch(L'(')) return 0;
  c.spaces();
  if (!c.ch(L')')) return 0;
  out += L"CAST(@@IDENTITY AS BIGINT)";
  return c.pos - i;
}

// name\s*\(\s*'now'\s*[,\s*'<modifier>'\s*]\)
std::size_t MatchNowCall(const Text& t, std::size_t i, const wchar_t* name, const wchar_t* modifier) {
  Cursor c{t, i};
  if (!c.keyword(name)) return 0;
  c.spaces();
  if (!c.ch(L'(')) return 0;
  c.spaces();
  if (!c.keyword(L"'now'")) return 0;
  c.spaces();
  if (modifier) {
    if (!c.ch(L',')) return 0;
    c.spaces();
    if (!c.keyword(modifier)) return 0;
    c.spaces();
  }
  if (!c.ch(L')')) return 0;
  return c.pos - i;
}

std::size_t MatchDateOfColumn(const Text& t, std::size_t i, Text& out) {
  if (!BoundaryAt(t, i)) return 0;
  Cursor c{t, i};
  if (!c.keyword(L"date")) return 0;
  c.spaces();
  if (!c.ch(L'(')) return 0;
  c.spaces();
  const std::size_t start = c.pos;
  if (c.atEnd() || !(IsAsciiLetter(c.peek()) || c.peek() == L'_')) return 0;
  while (!c.atEnd() && (IsWordChar(c.peek()) || c.peek() == L'.')) ++c.pos;
  const std::size_t end = c.pos;
  c.spaces();
  if (!c.ch(L')')) return 0;
  out += L"CAST(";
  out.append(t, start, end - start);
  out += L" AS DATE)";
  return c.pos - i;
}

// The SQLite date calls on 'now', in the order they are rewritten: the longer forms
// first, so that datetime('now','-1 day') is not taken for datetime('now').
struct NowCall {
  const wchar_t* name;
  const wchar_t* modifier;
  const wchar_t* replacement;
};
const NowCall kNowCalls[] = {
    {L"datetime", L"'-1 day'", L"DATEADD(day,-1,CURRENT_TIMESTAMP)"},
    {L"datetime", nullptr, L"CURRENT_TIMESTAMP"},
    {L"date", L"'localtime'", L"CAST(CURRENT_TIMESTAMP AS DATE)"},
    {L"date", nullptr, L"CAST(CURRENT_TIMESTAMP AS DATE)"},
};

Text RewriteKeywordCalls(Text text) {
  text = ReplaceOutsideLiterals(std::move(text), L'l', MatchLastInsertRowid);
  for (const NowCall& call : kNowCalls) {
    text = ReplaceOutsideLiterals(std::move(text), L'd', [&call](const Text& t, std::size_t i, Text& out) {
      const std::size_t used = MatchNowCall(t, i, call.name, call.modifier);
      if (used) out += call.replacement;
      return used;
    });
  }
  text = ReplaceOutsideLiterals(std::move(text), L'd', MatchDateOfColumn);
  text = ReplaceOutsideLiterals(std::move(text), L'i', [](const Text& t, std::size_t i, Text& out) {
    return MatchCallOpening(t, i, L"ifnull", L"ISNULL(", out);
  });
  return ReplaceOutsideLiterals(std::move(text), kOpensWithSpace, MatchCollateNocase);
}

// ---- concatenation, LIMIT and national literals (steps 13 to 15) ----

Text RewriteConcatenation(const Text& text) {
  Text out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const std::size_t end = SkipQuotedOrComment(text, i);
    if (end != i) {
      out.append(text, i, end - i);
      i = end;
    } else if (text[i] == L'|' && i + 1 < text.size() && text[i + 1] == L'|') {
      out += L'+';
      i += 2;
    } else {
      out += text[i++];
    }
  }
  return out;
}

// \s+LIMIT\s+([0-9]+)\b at the start of a run of white space; end of the match and
// the digits on success.
bool MatchLimit(const Text& t, std::size_t i, std::size_t* end, Text* count) {
  Cursor c{t, i};
  if (!c.spaces1() || !c.keyword(L"limit") || !c.spaces1()) return false;
  const std::size_t digits = c.pos;
  while (!c.atEnd() && IsDigit(c.peek())) ++c.pos;
  if (c.pos == digits || (!c.atEnd() && IsWordChar(c.peek()))) return false;
  *end = c.pos;
  *count = t.substr(digits, c.pos - digits);
  return true;
}

std::size_t SkipBlanks(const Text& t, std::size_t pos) {
  while (pos < t.size() && IsBlank(t[pos])) ++pos;
  return pos;
}

// Every "LIMIT n" outside literals moves into the SELECT that owns it: the last
// SELECT before it at the same parenthesis depth. One pass collects the edits; a
// LIMIT without an owning SELECT stops the collection, leaving it and every later
// LIMIT as written.
Text RewriteLimitToTop(const Text& text) {
  struct Owner {
    std::size_t insertAt = 0;
    bool keepsOwnTop = false;
    bool distinct = false;
    Text inserted;  // "TOP n " texts, the latest first
  };
  std::vector<std::pair<std::size_t, std::size_t>> removals;
  std::map<std::size_t, Owner> owners;  // by SELECT position
  std::vector<std::size_t> lastSelect(1, npos);
  std::size_t depth = 0;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    const std::size_t skipped = SkipQuotedOrComment(text, i);
    if (skipped != i) {
      i = skipped;
      continue;
    }
    const wchar_t c = text[i];
    if (c == L'(') {
      ++depth;
      if (lastSelect.size() <= depth) lastSelect.resize(depth + 1, npos);
      ++i;
      continue;
    }
    if (c == L')') {
      if (depth > 0) --depth;
      ++i;
      continue;
    }
    if (WordAt(text, i, L"select")) {
      lastSelect[depth] = i;
      i += 6;
      continue;
    }
    if (!IsSpace(c)) {
      ++i;
      continue;
    }
    std::size_t end = 0;
    Text count;
    if (!MatchLimit(text, i, &end, &count)) {
      while (i < n && IsSpace(text[i])) ++i;
      continue;
    }
    const std::size_t select = lastSelect[depth];
    if (select == npos) break;
    removals.emplace_back(i, end);
    auto found = owners.find(select);
    if (found == owners.end()) {
      Owner owner;
      // A LIMIT right after the SELECT keyword is looked past: once it is removed,
      // what follows it comes next to the keyword.
      std::size_t pos = SkipBlanks(text, i == select + 6 ? end : select + 6);
      if (WordAt(text, pos, L"top")) {
        owner.keepsOwnTop = true;
      } else if (WordAt(text, pos, L"distinct")) {
        owner.distinct = true;
        pos = SkipBlanks(text, pos + 8);
      }
      owner.insertAt = pos;
      found = owners.emplace(select, owner).first;
    }
    Owner& owner = found->second;
    // A plain SELECT keeps the first TOP it received; after DISTINCT each later
    // LIMIT lands in front of the earlier TOP, as repeated rewriting would place it.
    if (!owner.keepsOwnTop && (owner.inserted.empty() || owner.distinct)) {
      owner.inserted = L"TOP " + count + L" " + owner.inserted;
    }
    i = end;
  }
  if (removals.empty()) return text;

  std::map<std::size_t, const Text*> inserts;
  for (const auto& entry : owners) {
    if (!entry.second.inserted.empty()) inserts[entry.second.insertAt] = &entry.second.inserted;
  }
  Text out;
  out.reserve(n + 16 * owners.size());
  std::size_t copied = 0;
  auto insert = inserts.begin();
  auto removal = removals.begin();
  while (insert != inserts.end() || removal != removals.end()) {
    const bool takeInsert =
        insert != inserts.end() && (removal == removals.end() || insert->first <= removal->first);
    if (takeInsert) {
      if (insert->first > copied) out.append(text, copied, insert->first - copied);
      out += *insert->second;
      copied = std::max(copied, insert->first);
      ++insert;
    } else {
      out.append(text, copied, removal->first - copied);
      copied = removal->second;
      ++removal;
    }
  }
  out.append(text, copied, npos);
  return out;
}

bool IsPrefixBlocker(wchar_t c) { return IsNameChar(c); }

Text PrefixNationalLiterals(const Text& text) {
  Text out;
  out.reserve(text.size() + 16);
  std::size_t i = 0;
  while (i < text.size()) {
    if (text[i] != L'\'') {
      const std::size_t end = SkipQuotedOrComment(text, i);
      if (end != i) {
        out.append(text, i, end - i);
        i = end;
      } else {
        out += text[i++];
      }
      continue;
    }
    std::size_t back = out.size();
    while (back > 0 && IsBlank(out[back - 1])) --back;
    bool prefixed = false;
    if (back > 0 && (out[back - 1] == L'N' || out[back - 1] == L'n')) {
      prefixed = back == 1 || !IsPrefixBlocker(out[back - 2]);
    }
    if (!prefixed) out += L'N';
    const std::size_t end = SkipLiteral(text, i);
    out.append(text, i, end - i);
    i = end;
  }
  return out;
}

}  // namespace

std::size_t sqlscan::MatchCallOpening(const Text& t, std::size_t i, const wchar_t* lowerName,
                                      const wchar_t* replacement, Text& out) {
  if (!BoundaryAt(t, i)) return 0;
  Cursor c{t, i};
  if (!c.keyword(lowerName)) return 0;
  c.spaces();
  if (!c.ch(L'(')) return 0;
  out += replacement;
  return c.pos - i;
}

std::size_t sqlscan::MatchCollateNocase(const Text& t, std::size_t i, Text&) {
  return MatchDroppedClause(t, i, L"collate", L"nocase", nullptr);
}

std::size_t sqlscan::MatchDroppedClause(const Text& t, std::size_t i, const wchar_t* first, const wchar_t* second,
                               const wchar_t* third) {
  Cursor c{t, i};
  if (!c.spaces1() || !c.keyword(first) || !c.spaces1() || !c.keyword(second)) return 0;
  if (third && (!c.spaces1() || !c.keyword(third))) return 0;
  if (!c.boundary()) return 0;
  return c.pos - i;
}

wxString TranslateSqlForEngine(const wxString& sql, const wxString& engine) {
  if (!engine.IsSameAs("SQL Server", false)) return sql;
  Text text = RewriteKeywordCalls(Wide(sql));
  text = RewriteCastText(std::move(text));
  text = RewriteSubstr(std::move(text));
  text = RewritePrintf(std::move(text));
  text = RewriteConcatenation(text);
  text = RewriteLimitToTop(text);
  text = PrefixNationalLiterals(text);
  text = TranslateTableInfoPragma(text);
  text = TranslateTableProbe(text);
  return wxString(TranslateStatement(text));
}

std::size_t SkipStringLiteral(const wxString& text, std::size_t quotePos) {
  return SkipLiteral(Wide(text), quotePos);
}

wxString CollapseSqlWhitespace(const wxString& text) { return wxString(Collapse(Wide(text))); }

bool StartsWithNoCase(const wxString& text, const wxString& prefix) {
  return text.length() >= prefix.length() && text.Left(prefix.length()).IsSameAs(prefix, false);
}
