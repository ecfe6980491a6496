// Filling a DVModel with 1,000,000 rows of 5 columns (text, decimal, flag, integer,
// text) through SQLData::InsertRowsDataView on SQLite, against a plain loop that
// steps the same query and reads every cell with sqlite3_column_text.
// Goal: "time_ratio" (model fill / plain loop, same run) at most 3. Reported beside
// it: "peak_rss_mb", the process's peak resident memory, and "model_mb", what the
// filled model added to the resident memory.
#include "item_table.h"
#include "sqldata/dv_model.h"
#include "sqldata/sql_data.h"

#include <sys/resource.h>
#include <unistd.h>
#include <wx/dataview.h>

#include <chrono>
#include <fstream>

namespace {

const char* const kQuery = "SELECT name, price, flag, id, note FROM item";

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

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Mean seconds of one plain-loop pass, for the ratio of the model fill.
double g_plainSeconds = 0;

void PlainLoop(benchmark::State& state) {
  sqlite3* db = nullptr;
  sqlite3_open(bench::ItemDatabasePath().c_str(), &db);
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const int rows = bench::StepAndReadEveryCell(db, kQuery);
    total += SecondsSince(start);
    if (rows != bench::kItemRows) state.SkipWithError("wrong row count");
  }
  sqlite3_close(db);
  g_plainSeconds = total / static_cast<double>(state.iterations());
  state.counters["peak_rss_mb"] = PeakRssMb();
}

void InsertRowsDataView(benchmark::State& state) {
  SQLData data(wxString::FromUTF8(bench::ItemDatabasePath()));
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
    total += SecondsSince(start);
    if (model->rowCount != bench::kItemRows || data.errorFlag) state.SkipWithError("model not filled");
    modelMb = CurrentRssMb() - before;
  }
  const double seconds = total / static_cast<double>(state.iterations());
  if (g_plainSeconds > 0) state.counters["time_ratio"] = seconds / g_plainSeconds;
  state.counters["peak_rss_mb"] = PeakRssMb();
  state.counters["model_mb"] = modelMb;
}

}  // namespace

// The plain loop runs first: the model fill's ratio is taken against it.
BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(InsertRowsDataView)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) { return bench::RunBenchmarks(argc, argv); }
