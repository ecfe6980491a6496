// Reading 1,000,000 rows of 5 columns: SqliteConnection into a DbQueryResult against
// a plain loop that steps the same query and reads every cell with sqlite3_column_text.
// Goals: time within 1.5x of the plain loop; result memory within 1.5x of the raw
// cell bytes plus 16 bytes a cell (reported as the counter "memory_ratio").
#include "db/connection_info.h"
#include "db/db_connection.h"
#include "db/driver_registry.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <wx/filename.h>
#include <wx/init.h>

#include <cstdio>
#include <string>

namespace {

const int kRows = 1000000;
const char* kQuery = "SELECT id, name, price, flag, note FROM item";

std::string DatabasePath() {
  static std::string path = [] {
    std::string file = wxFileName::CreateTempFileName("veldrix-bench").ToStdString();
    std::remove(file.c_str());
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE item(id INTEGER PRIMARY KEY, name TEXT, price REAL, flag INTEGER, note TEXT);"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
                 "INSERT INTO item SELECT i, 'Artykuł ' || i, i * 0.25, i % 2, "
                 "CASE WHEN i % 10 = 0 THEN NULL ELSE 'uwagi ' || (i % 977) END FROM n;",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return file;
  }();
  return path;
}

void PlainLoop(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(DatabasePath().c_str(), &db);
  for (auto _ : state) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(db, kQuery, -1, &statement, nullptr);
    std::size_t bytes = 0;
    int rows = 0;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      ++rows;
      for (int c = 0; c < 5; ++c) {
        const unsigned char* text = sqlite3_column_text(statement, c);
        benchmark::DoNotOptimize(text);
        bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, c));
      }
    }
    sqlite3_finalize(statement);
    if (rows != kRows) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(bytes);
  }
  sqlite3_close(db);
}

void ConnectionIntoResult(benchmark::State& state) {
  std::shared_ptr<IDbConnection> connection;
  wxString error;
  if (!OpenConnection("Data Source=" + wxString(DatabasePath()) + ";Version=3;", &connection, nullptr, &error)) {
    state.SkipWithError("open failed");
    return;
  }
  double ratio = 0;
  for (auto _ : state) {
    DbQueryResult result;
    connection->execute(kQuery, &result, &error);
    const DbResultSet& set = result.resultSets.at(0);
    if (set.rowCount != kRows) state.SkipWithError("wrong row count");
    std::size_t rawBytes = 0;
    for (const DbCellRef& ref : set.cells) rawBytes += ref.length > 0 ? static_cast<std::size_t>(ref.length) : 0;
    const double held = static_cast<double>(set.data.capacity() + set.cells.capacity() * sizeof(DbCellRef));
    ratio = held / (static_cast<double>(rawBytes) + 16.0 * static_cast<double>(set.cells.size()));
  }
  state.counters["memory_ratio"] = ratio;
}

}  // namespace

BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(ConnectionIntoResult)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  wxInitializer initializer;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(DatabasePath().c_str());
  return 0;
}
