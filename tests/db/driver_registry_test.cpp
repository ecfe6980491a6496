#include "db/driver_registry.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

int g_destroyed = 0;

class NamedDriver : public IDatabaseDriver {
 public:
  explicit NamedDriver(wxString name) : name_(std::move(name)) {}
  ~NamedDriver() override { ++g_destroyed; }
  wxString name() const override { return name_; }
  std::shared_ptr<IDbConnection> createConnection() override { return nullptr; }

 private:
  wxString name_;
};

}  // namespace

// First in the file, so that the built-ins are registered by the racing threads.
TEST(DriverRegistry, RegistersAndFindsFromManyThreadsAtOnce) {
  constexpr int kThreads = 8;
  constexpr int kDriversEach = 200;
  std::vector<std::thread> threads;
  std::vector<int> missing(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &missing] {
      RegisterBuiltinDrivers();
      for (int i = 0; i < kDriversEach; ++i) {
        DriverRegistry::instance().add(std::make_unique<NamedDriver>(wxString::Format("racing %d.%d", t, i)));
        if (!DriverRegistry::instance().find("SQLite (sqlite3)")) ++missing[t];
        if (!DriverRegistry::instance().find(wxString::Format("racing %d.%d", t, i))) ++missing[t];
        DriverRegistry::instance().names();
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_EQ(missing[t], 0) << "thread " << t;
  const std::vector<wxString> names = DriverRegistry::instance().names();
  ASSERT_EQ(names.size(), 5u + kThreads * kDriversEach);
  EXPECT_EQ(names[0], "SQL Server (FreeTDS)");
  EXPECT_EQ(names[4], "SQLite (sqlite3)");
}

TEST(DriverRegistry, HoldsTheFiveBuiltinsInOrder) {
  RegisterBuiltinDrivers();
  RegisterBuiltinDrivers();
  const std::vector<wxString> names = DriverRegistry::instance().names();
  ASSERT_GE(names.size(), 5u);
  EXPECT_EQ(names[0], "SQL Server (FreeTDS)");
  EXPECT_EQ(names[1], "MySQL (MariaDB Connector/C)");
  EXPECT_EQ(names[2], "Oracle (ODPI-C)");
  EXPECT_EQ(names[3], "PostgreSQL (libpq)");
  EXPECT_EQ(names[4], "SQLite (sqlite3)");
}

TEST(DriverRegistry, RefusesADuplicateNameAndFindsWholeNamesOnly) {
  RegisterBuiltinDrivers();
  const std::size_t before = DriverRegistry::instance().names().size();
  g_destroyed = 0;
  DriverRegistry::instance().add(std::make_unique<NamedDriver>("sqlite (SQLITE3)"));
  EXPECT_EQ(g_destroyed, 1);
  EXPECT_EQ(DriverRegistry::instance().names().size(), before);
  DriverRegistry::instance().add(nullptr);
  EXPECT_EQ(DriverRegistry::instance().names().size(), before);

  EXPECT_EQ(DriverRegistry::instance().find("SQLite"), nullptr);
  IDatabaseDriver* sqlite = DriverRegistry::instance().find("sqlite (sqlite3)");
  ASSERT_NE(sqlite, nullptr);
  EXPECT_EQ(sqlite->name(), "SQLite (sqlite3)");
}

TEST(DbResultSet, CellsKeepNullApartFromEmptyText) {
  DbResultSet set;
  set.columns = {{"a", "TEXT"}, {"b", "TEXT"}};
  set.rowCount = 2;
  set.appendNull();
  AppendTextCell(&set, L"zażółć");
  AppendTextCell(&set, "");
  set.appendCell("xyz", 3);

  int length = 99;
  EXPECT_EQ(set.cell(0, 0, &length), nullptr);
  EXPECT_EQ(length, 0);
  EXPECT_EQ(set.cells[1].offset, 0);  // the NULL before it added no bytes
  EXPECT_EQ(set.text(0, 1), wxString::FromUTF8("zażółć"));
  const char* empty = set.cell(1, 0, &length);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(length, 0);
  const char* xyz = set.cell(1, 1, &length);
  EXPECT_EQ(std::string(xyz, length), "xyz");

  EXPECT_EQ(set.cell(2, 0, &length), nullptr);
  EXPECT_EQ(set.cell(0, 2, &length), nullptr);
  EXPECT_EQ(set.cell(-1, 0, &length), nullptr);
  EXPECT_EQ(set.cell(0, -1, &length), nullptr);
  EXPECT_TRUE(set.isNull(0, 0));
  EXPECT_FALSE(set.isNull(1, 0));

  DbResultSet noColumns;
  noColumns.cells.push_back({0, 0});
  EXPECT_EQ(noColumns.cell(0, 0, &length), nullptr);
}

TEST(DbResultSet, KeepsEveryCellWhileItsBuffersGrowLarge) {
  DbResultSet set;
  set.columns = {{"a", "TEXT"}, {"b", "TEXT"}};
  for (int row = 0; row < 400000; ++row) {
    const std::string text = "wiersz " + std::to_string(row);
    set.appendCell(text.data(), static_cast<int>(text.size()));
    if (row % 7 == 0) {
      set.appendNull();
    } else {
      set.appendCell("", 0);
    }
    ++set.rowCount;
  }
  ASSERT_GT(set.data.size() + set.cells.size() * sizeof(DbCellRef), 8u << 20);
  for (int row : {0, 1, 4095, 65536, 399999}) {
    EXPECT_EQ(set.text(row, 0), wxString::Format("wiersz %d", row));
    EXPECT_EQ(set.isNull(row, 1), row % 7 == 0);
  }
  const DbResultSet copy = set;
  EXPECT_EQ(copy.text(399999, 0), "wiersz 399999");
}

TEST(DbResultSet, AnIndexPastTheBufferReadsAsEmpty) {
  DbResultSet set;
  set.columns = {{"a", "TEXT"}};
  set.rowCount = 1;
  set.cells.push_back({5, 10});
  set.data = {'a', 'b'};
  int length = 7;
  const char* text = set.cell(0, 0, &length);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(length, 0);
}

TEST(DbQueryResult, StartsEmpty) {
  DbQueryResult result;
  EXPECT_TRUE(result.resultSets.empty());
  EXPECT_EQ(result.rowsAffected, -1);
  EXPECT_TRUE(result.message.empty());
}
