// Reading 1,000,000 rows of 5 columns: SqliteConnection into a DbQueryResult against
// a plain loop that steps the same query and reads every cell with sqlite3_column_text.
// Goals: time within 1.5x of the plain loop; result memory within 1.5x of the raw
// cell bytes plus 16 bytes a cell (reported as the counter "memory_ratio").
#include "db/connection_info.h"
#include "db/db_connection.h"
#include "db/driver_registry.h"
#include "item_table.h"

namespace {

const char* kQuery = "SELECT id, name, price, flag, note FROM item";

void PlainLoop(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(bench::ItemDatabasePath().c_str(), &db);
  for (auto _ : state) {
    if (bench::StepAndReadEveryCell(db, kQuery) != bench::kItemRows) state.SkipWithError("wrong row count");
  }
  sqlite3_close(db);
}

void ConnectionIntoResult(benchmark::State& state) {
  std::shared_ptr<IDbConnection> connection;
  wxString error;
  if (!OpenConnection("Data Source=" + wxString(bench::ItemDatabasePath()) + ";Version=3;", &connection, nullptr,
                      &error)) {
    state.SkipWithError("open failed");
    return;
  }
  double ratio = 0;
  for (auto _ : state) {
    DbQueryResult result;
    connection->execute(kQuery, &result, &error);
    const DbResultSet& set = result.resultSets.at(0);
    if (set.rowCount != bench::kItemRows) state.SkipWithError("wrong row count");
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

int main(int argc, char** argv) { return bench::RunBenchmarks(argc, argv); }
