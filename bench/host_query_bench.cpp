// A module reading 100,000 rows of 5 columns through the host's query service
// (HostQuerySql of the service table: its own session, the whole result read, then
// one callback per row) against the same query through SQLData::FrameData on a
// session already open.
// Goal: "time_ratio" (host service / FrameData, same run) at most 2.
#include "item_table.h"
#include "pluginmanager/host_application.h"
#include "pluginmanager/plugin_manager.h"
#include "sqldata/sql_data.h"

#include <chrono>

namespace {

const char* const kQuery = "SELECT id, name, price, flag, note FROM item WHERE id <= 100000";
const int kRows = 100000;

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

class BenchApplication : public veldrix::IHostApplication {
 public:
  wxString GetActiveConnection() const override { return wxString::FromUTF8(bench::ItemDatabasePath()); }
  wxString GetWorkingCompanyId() const override { return "0"; }
};

// What a module does with each row: looks at every cell.
int VELDRIX_CALL ModuleRow(void* userData, const wchar_t** values, unsigned columns) {
  std::size_t* characters = static_cast<std::size_t*>(userData);
  for (unsigned c = 0; c < columns; ++c) *characters += values[c][0] != L'\0' ? 1 : 0;
  return 1;
}

double g_frameDataSeconds = 0;

void FrameData(benchmark::State& state) {
  SQLData data(wxString::FromUTF8(bench::ItemDatabasePath()));
  if (!data.IniciujBazeDanych()) {
    state.SkipWithError("open failed");
    return;
  }
  double total = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const wxArrayString cells = data.FrameData(kQuery);
    total += SecondsSince(start);
    if (cells.size() != static_cast<size_t>(kRows) * 5) state.SkipWithError("wrong cell count");
  }
  g_frameDataSeconds = total / static_cast<double>(state.iterations());
}

void HostQuerySql(benchmark::State& state) {
  BenchApplication app;
  veldrix::InstallHostApplication(&app);
  {
    veldrix::PluginManager host(nullptr, nullptr, nullptr);
    const HostApi& table = host.GetHostApi();
    wchar_t error[256];
    double total = 0;
    for (auto _ : state) {
      std::size_t characters = 0;
      const auto start = std::chrono::steady_clock::now();
      const int rows = table.querySql(table.context, wxString(kQuery).wc_str(), 5, &ModuleRow, &characters, error, 256);
      total += SecondsSince(start);
      benchmark::DoNotOptimize(characters);
      if (rows != kRows) state.SkipWithError("wrong row count");
    }
    const double seconds = total / static_cast<double>(state.iterations());
    if (g_frameDataSeconds > 0) state.counters["time_ratio"] = seconds / g_frameDataSeconds;
  }
  veldrix::InstallHostApplication(nullptr);
}

}  // namespace

// FrameData runs first: the host service's ratio is taken against it.
BENCHMARK(FrameData)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(HostQuerySql)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) { return bench::RunBenchmarks(argc, argv); }
