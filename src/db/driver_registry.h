// The process-wide list of database drivers, filled once with the five built-in
// engines in a fixed order: SQL Server, MySQL, Oracle, PostgreSQL, SQLite. Any
// thread may register and look up at any time; a registered driver lives as long
// as the process, so a pointer found stays valid.
#pragma once

#include "db/db_connection.h"

#include <memory>
#include <shared_mutex>
#include <vector>

class DriverRegistry {
 public:
  static DriverRegistry& instance();

  // Appends the driver unless one of the same name (ignoring case) is registered;
  // a refused driver is destroyed.
  void add(std::unique_ptr<IDatabaseDriver> driver);
  // The driver whose whole name equals the text ignoring case, or null.
  IDatabaseDriver* find(const wxString& name) const;
  std::vector<wxString> names() const;

 private:
  DriverRegistry() = default;
  mutable std::shared_mutex lock_;
  std::vector<std::unique_ptr<IDatabaseDriver>> drivers_;
};

// Registers the built-in drivers once per process; a caller that arrives while
// another thread registers them waits until all five are there.
void RegisterBuiltinDrivers();

// Factories of the built-in drivers, one per engine source file.
std::unique_ptr<IDatabaseDriver> MakeFreeTdsDriver();
std::unique_ptr<IDatabaseDriver> MakeMySqlDriver();
std::unique_ptr<IDatabaseDriver> MakeOracleDriver();
std::unique_ptr<IDatabaseDriver> MakePostgreSqlDriver();
std::unique_ptr<IDatabaseDriver> MakeSqliteDriver();
