// Rewriting SQLite-dialect SQL for SQL Server.
// Goals: every statement of the program's scripts ("baza.json" and
// "baza_aktualizacja.json") translated in under 5 ms in total; a generated statement
// of 1 MB translated in time linear in its size: 10x the input takes at most 12x the
// time (compare the 100000 and 1000000 runs of BM_TranslateGenerated, or the fitted
// complexity).
#include "dbsetup/baza_skrypt.h"
#include "sqldata/sql_translate.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// The statements as the database worker hands them to SQL Server.
std::vector<wxString> ScriptStatements() {
  const wxString folder = VELDRIX_SCRIPTS_DIR;
  std::vector<wxString> statements;
  const auto take = [&statements](const BazaSkrypt& script) {
    for (size_t i = 0; i < script.GetCount(); ++i) {
      statements.push_back(FillStatementPlaceholders(script.names[i], script.sql[i], script.kinds[i],
                                                     script.version, script.module));
    }
  };
  BazaSkrypt create;
  LoadCreateScript("SQL Server", folder + "/baza.json", &create);
  take(create);
  UpdateScriptList steps;
  int count = 0;
  LoadUpdateScript("SQL Server", folder + "/baza_aktualizacja.json", &steps, &count);
  for (const auto& step : steps) take(*step);
  return statements;
}

// A statement of about `size` characters built from every construct the rewriting
// touches: literals, concatenation, function calls and LIMIT in nested SELECTs.
wxString GeneratedStatement(std::size_t size) {
  const wxString chunk =
      "select ifnull(a, 0) || 'it''s || limit 3' || substr(nazwa, 1, 3), printf('%.2f', kwota), "
      "cast(id as text), date(d.data) from (select b from t where c = 'x' order by b limit 5) q "
      "where e > datetime('now') union all\n";
  wxString sql;
  sql.reserve(size + chunk.length());
  while (sql.length() + chunk.length() < size) sql << chunk;
  sql << "select 1 from t order by 1 limit 1";
  return sql;
}

void BM_TranslateScript(benchmark::State& state) {
  const std::vector<wxString> statements = ScriptStatements();
  if (statements.empty()) state.SkipWithError("the scripts could not be read");
  for (auto _ : state) {
    for (const wxString& statement : statements) {
      benchmark::DoNotOptimize(TranslateSqlForEngine(statement, "SQL Server"));
    }
  }
  state.counters["statements"] = static_cast<double>(statements.size());
}
BENCHMARK(BM_TranslateScript)->Unit(benchmark::kMillisecond);

void BM_TranslateGenerated(benchmark::State& state) {
  const wxString sql = GeneratedStatement(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(TranslateSqlForEngine(sql, "SQL Server"));
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}
BENCHMARK(BM_TranslateGenerated)->Arg(100000)->Arg(1000000)->Complexity(benchmark::oN)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
