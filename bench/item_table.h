// Shared by the SQLite benchmarks: a temporary database with 1,000,000 rows in the
// table item(id, name, price, flag, note), the plain sqlite3 loop they are measured
// against, and their main().
#pragma once

#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <wx/filename.h>
#include <wx/init.h>

#include <cstddef>
#include <cstdio>
#include <string>

namespace bench {

const int kItemRows = 1000000;

// Created on first use, removed by RunBenchmarks. Every tenth note is NULL.
inline std::string ItemDatabasePath() {
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

// The baseline: steps the query and reads every cell with sqlite3_column_text.
// Returns the number of rows.
inline int StepAndReadEveryCell(sqlite3* db, const char* query) {
  sqlite3_stmt* statement = nullptr;
  sqlite3_prepare_v2(db, query, -1, &statement, nullptr);
  const int columns = sqlite3_column_count(statement);
  std::size_t bytes = 0;
  int rows = 0;
  while (sqlite3_step(statement) == SQLITE_ROW) {
    ++rows;
    for (int c = 0; c < columns; ++c) {
      const unsigned char* text = sqlite3_column_text(statement, c);
      benchmark::DoNotOptimize(text);
      bytes += static_cast<std::size_t>(sqlite3_column_bytes(statement, c));
    }
  }
  sqlite3_finalize(statement);
  benchmark::DoNotOptimize(bytes);
  return rows;
}

inline int RunBenchmarks(int argc, char** argv) {
  wxInitializer initializer;
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  std::remove(ItemDatabasePath().c_str());
  return 0;
}

}  // namespace bench
