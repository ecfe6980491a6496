// Filling a DVModel with 1,000,000 rows of 5 columns (text, decimal, flag, integer,
// text) through SQLData::InsertRowsDataView on SQLite, against a plain loop that
// steps the same query and reads every cell with sqlite3_column_text.
// Goal: "time_ratio" (model fill / plain loop, same run) at most 3. Reported beside
// it: "peak_rss_mb", the process's peak resident memory, and "model_mb", what the
// filled model added to the resident memory.
#include "sqldata/dv_model.h"
#include "sqldata/sql_data.h"

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/resource.h>
#include <wx/dataview.h>
#include <wx/filename.h>
#include <wx/init.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

const int kRows = 1000000;
const char* const kQuery = "SELECT name, price, flag, quantity, note FROM item";

std::string DatabasePath() {
  static std::string path = [] {
    std::string file = wxFileName::CreateTempFileName("veldrix-dataview-bench").ToStdString();
    std::remove(file.c_str());
    sqlite3* db = nullptr;
    sqlite3_open(file.c_str(), &db);
    sqlite3_exec(db,
                 "CREATE TABLE item(id INTEGER PRIMARY KEY, name TEXT, price REAL, flag INTEGER, quantity INTEGER,"
                 " note TEXT);"
                 "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1000000) "
                 "INSERT INTO item SELECT i, 'Artykuł ' || i, i * 0.25, i % 2, i % 1000, "
                 "CASE WHEN i % 10 = 0 THEN NULL ELSE 'uwagi ' || (i % 977) END FROM n;",
                 nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return file;
  }();
  return path;
}

double PeakRssMb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

double CurrentRssMb() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0, resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// Mean seconds of one plain-loop pass, for the ratio of the model fill.
double g_plainSeconds = 0;

void PlainLoop(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(DatabasePath().c_str(), &db);
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
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
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (rows != kRows) state.SkipWithError("wrong row count");
    benchmark::DoNotOptimize(bytes);
  }
  sqlite3_close(db);
  g_plainSeconds = total / static_cast<double>(state.iterations());
  state.counters["peak_rss_mb"] = PeakRssMb();
}

void InsertRowsDataView(benchmark::State& state) {
  SQLData data(wxString::FromUTF8(DatabasePath()));
  if (!data.IniciujBazeDanych()) {
    state.SkipWithError("open failed");
    return;
  }
  wxObjectDataPtr<DVModel> model(new DVModel);
  for (int kind : {DVColumnText, DVColumnDecimal, DVColumnFlag, DVColumnInteger, DVColumnText})
    model->AddColumn(kind, 0);
  const double before = CurrentRssMb();
  double total = 0;
  double modelMb = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    data.InsertRowsDataView(model, false, kQuery, "");
    total += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (model->rowCount != kRows || data.errorFlag) state.SkipWithError("model not filled");
    modelMb = CurrentRssMb() - before;
  }
  const double seconds = total / static_cast<double>(state.iterations());
  if (g_plainSeconds > 0) state.counters["time_ratio"] = seconds / g_plainSeconds;
  state.counters["peak_rss_mb"] = PeakRssMb();
  state.counters["model_mb"] = modelMb;
}

}  // namespace

// The plain loop must run first: the model fill's ratio is taken against it.
BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(InsertRowsDataView)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
  wxInitializer initializer;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(DatabasePath().c_str());
  return 0;
}
