// Filling, sorting and filtering a module grid of 100,000 rows.
// Goals, each measured side by side with a plain baseline over the same strings
// (the "x_baseline" counter is the ratio and must stay at or below 10):
//   BM_GridFill         copying the module's rows and arranging them for the grid,
//                       against std::sort of one column's strings;
//   BM_GridSortAmounts, BM_GridSortTexts
//                       sorting by an amount or a text column (sort keys included),
//                       against std::sort of that column's strings;
//   BM_GridFilterText, BM_GridFilterValues
//                       a column filter by text (letter case ignored) or by a set
//                       of values, against a linear scan of that column for the text.
#include "pluginmanager/veldrix_plugin_api.h"
#include "plugins/grid_rows.h"
#include "plugins/module_grid_table.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

namespace {

using veldrix::ColumnFilter;
using veldrix::GridFilters;
using veldrix::GridRows;

constexpr std::size_t kRows = 100000;

// The module's side: its texts and the records it hands to the host.
struct ModuleData {
  std::vector<std::wstring> numbers, contractors, amounts, dates;
  std::vector<PluginRow> rows;

  ModuleData() {
    const wchar_t* const names[] = {L"Kowalski Sp. z o.o.",   L"Nowak & Syn",     L"\u0141\u0105ka S.A.",
                                    L"ZAK\u0141AD KOWALCZYK", L"Wi\u015bniewska", L"Hurtownia Mazur",
                                    L"Piekarnia \u017bytnia"};
    wchar_t text[64];
    for (std::size_t i = 0; i < kRows; ++i) {
      std::swprintf(text, 64, L"FV/%06zu/2024", (i * 7919) % kRows);
      numbers.emplace_back(text);
      contractors.emplace_back(std::wstring(names[i % 7]) + L" " + std::to_wstring(i % 97));
      const long cents = static_cast<long>((i * 104729) % 10000000);
      std::swprintf(text, 64, L"%ld %03ld,%02ld z\u0142", cents / 100000, (cents / 100) % 1000, cents % 100);
      amounts.emplace_back(text);
      std::swprintf(text, 64, L"%02zu.%02zu.%zu", 1 + (i * 13) % 28, 1 + (i * 7) % 12, 2020 + i % 5);
      dates.emplace_back(text);
    }
    rows.resize(kRows);
    for (std::size_t i = 0; i < kRows; ++i) {
      rows[i].key = numbers[i].c_str();
      rows[i].text = numbers[i].c_str();
      rows[i].cells[0] = numbers[i].c_str();
      rows[i].cells[1] = contractors[i].c_str();
      rows[i].cells[2] = amounts[i].c_str();
      rows[i].cells[3] = dates[i].c_str();
    }
  }
};

const ModuleData& Data() {
  static const ModuleData data;
  return data;
}

std::vector<wxString> ColumnStrings(const std::vector<std::wstring>& column) {
  return std::vector<wxString>(column.begin(), column.end());
}

template <typename Work>
double SecondsOf(Work&& work) {
  const auto start = std::chrono::steady_clock::now();
  work();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The fastest of a few runs, so a stray pause does not flatter the ratio.
template <typename Work>
double BestSecondsOf(Work&& work) {
  double best = 1e9;
  for (int i = 0; i < 5; ++i) best = std::min(best, SecondsOf(work));
  return best;
}

double StdSortSeconds(const std::vector<std::wstring>& column) {
  const std::vector<wxString> strings = ColumnStrings(column);
  return BestSecondsOf([&strings] {
    std::vector<wxString> copy = strings;
    std::sort(copy.begin(), copy.end());
    benchmark::DoNotOptimize(copy.data());
  });
}

double LinearScanSeconds(const std::vector<std::wstring>& column, const wxString& needle) {
  const std::vector<wxString> strings = ColumnStrings(column);
  return BestSecondsOf([&strings, &needle] {
    std::size_t found = 0;
    for (const wxString& text : strings) found += text.find(needle) != wxString::npos;
    benchmark::DoNotOptimize(found);
  });
}

void ReportRatio(benchmark::State& state, double total, std::int64_t runs, double baseline) {
  state.counters["x_baseline"] = runs > 0 ? (total / static_cast<double>(runs)) / baseline : 0;
  state.counters["baseline_ms"] = baseline * 1000;
}

// Times each iteration by hand and reports the mean against the baseline.
template <typename Work>
void RunAgainst(benchmark::State& state, double baseline, Work&& work) {
  double total = 0;
  std::int64_t runs = 0;
  for (auto _ : state) {
    const double seconds = SecondsOf(work);
    state.SetIterationTime(seconds);
    total += seconds;
    ++runs;
  }
  ReportRatio(state, total, runs, baseline);
}

// The same for work on the module's rows, copied anew (untimed) for each run:
// every fill brings new rows, so nothing computed for the last ones is reused.
template <typename Work>
void RunOnFreshRows(benchmark::State& state, double baseline, Work&& work) {
  const ModuleData& data = Data();
  double total = 0;
  std::int64_t runs = 0;
  for (auto _ : state) {
    GridRows rows(data.rows.data(), data.rows.size());
    const double seconds = SecondsOf([&] { work(rows); });
    state.SetIterationTime(seconds);
    total += seconds;
    ++runs;
  }
  ReportRatio(state, total, runs, baseline);
}

void BM_GridFill(benchmark::State& state) {
  const ModuleData& data = Data();
  const double baseline = StdSortSeconds(data.contractors);
  veldrix::ModuleGridTable table;
  RunAgainst(state, baseline, [&] {
    auto rows = std::make_shared<GridRows>(data.rows.data(), data.rows.size());
    std::vector<std::size_t> order = rows->Arrange(GridFilters(), -1, true);
    table.SetRows(std::move(rows), std::move(order));
    benchmark::DoNotOptimize(table.GetNumberRows());
  });
}

void SortBy(benchmark::State& state, int definition, const std::vector<std::wstring>& column) {
  RunOnFreshRows(state, StdSortSeconds(column), [definition](const GridRows& rows) {
    benchmark::DoNotOptimize(rows.Arrange(GridFilters(), definition, false));
  });
}

void BM_GridSortAmounts(benchmark::State& state) { SortBy(state, 2, Data().amounts); }
void BM_GridSortTexts(benchmark::State& state) { SortBy(state, 1, Data().contractors); }

void FilterBy(benchmark::State& state, const GridFilters& filters) {
  RunOnFreshRows(state, LinearScanSeconds(Data().contractors, "kowal"),
                 [&filters](const GridRows& rows) { benchmark::DoNotOptimize(rows.Arrange(filters, -1, true)); });
}

void BM_GridFilterText(benchmark::State& state) {
  GridFilters filters;
  veldrix::StoreColumnFilter(filters, 1, ColumnFilter::Make("KOWAL", {}));
  FilterBy(state, filters);
}

void BM_GridFilterValues(benchmark::State& state) {
  GridFilters filters;
  std::set<wxString> values;
  for (int i = 0; i < 97; i += 3) values.insert(wxString(L"Nowak & Syn ") << i);
  veldrix::StoreColumnFilter(filters, 1, ColumnFilter::Make("", values));
  FilterBy(state, filters);
}

}  // namespace

BENCHMARK(BM_GridFill)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortAmounts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridSortTexts)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridFilterText)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GridFilterValues)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
