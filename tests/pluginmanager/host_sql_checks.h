// What a module sees of the host's SQL services on one engine: statements and
// queries through the service table, as module code calls them.
#pragma once

#include "pluginmanager/host_application.h"
#include "pluginmanager/veldrix_plugin_api.h"

#include <gtest/gtest.h>
#include <wx/string.h>

#include <string>
#include <vector>

namespace veldrix::test {

// The application as the host sees it: the program database, no company.
class ProgramDatabase : public IHostApplication {
 public:
  wxString connection;
  wxString GetActiveConnection() const override { return connection; }
  wxString GetWorkingCompanyId() const override { return "0"; }
};

// Collects what a query hands over; answers 0 (stop) once `stopAfter` rows came.
struct CollectedRows {
  std::vector<std::vector<wxString>> rows;
  std::vector<unsigned> columns;
  int stopAfter = -1;
};

inline int VELDRIX_CALL CollectRow(void* userData, const wchar_t** values, unsigned columns) {
  auto* collected = static_cast<CollectedRows*>(userData);
  if (collected->stopAfter >= 0 && static_cast<int>(collected->rows.size()) >= collected->stopAfter) return 0;
  std::vector<wxString> row;
  for (unsigned i = 0; i < columns; ++i) row.emplace_back(values[i]);
  collected->rows.push_back(row);
  collected->columns.push_back(columns);
  return 1;
}

class ModuleSql {
 public:
  explicit ModuleSql(const HostApi& table) : table_(table) {}

  int Execute(const wxString& sql, wxString* error = nullptr) {
    wchar_t buffer[512] = L"stale";
    const std::wstring text = sql.ToStdWstring();
    const int result = table_.executeSql(table_.context, text.c_str(), buffer, 512);
    if (error) *error = buffer;
    return result;
  }

  int Query(const wxString& sql, unsigned columns, CollectedRows* rows, wxString* error = nullptr,
            unsigned capacity = 512) {
    std::vector<wchar_t> buffer(capacity + 1, L'#');
    const std::wstring text = sql.ToStdWstring();
    const int result = table_.querySql(table_.context, text.c_str(), columns, &CollectRow, rows, buffer.data(), capacity);
    if (error) *error = wxString(buffer.data());
    return result;
  }

 private:
  const HostApi& table_;
};

// Creates `name`, fills it and reads it back through every rule of the services.
inline void CheckModuleSqlServices(const HostApi& table, const wxString& name) {
  ModuleSql sql(table);
  wxString error;
  ASSERT_EQ(sql.Execute("CREATE TABLE " + name + " (id INTEGER, nazwa VARCHAR(40), kwota VARCHAR(20))", &error), 1)
      << error;
  EXPECT_EQ(error, "");
  ASSERT_EQ(sql.Execute("INSERT INTO " + name +
                            wxString::FromUTF8(" (id, nazwa, kwota) VALUES (1, 'Łódź', '12.50'), (2, 'Kraków', NULL), "
                                               "(3, 'Gdańsk', '0')"),
                        &error),
            1)
      << error;
  const wxString select = "SELECT id, nazwa, kwota FROM " + name + " ORDER BY id";

  CollectedRows all;
  EXPECT_EQ(sql.Query(select, 3, &all, &error), 3);
  EXPECT_EQ(error, "");
  ASSERT_EQ(all.rows.size(), 3u);
  EXPECT_EQ(all.rows[0], (std::vector<wxString>{"1", wxString::FromUTF8("Łódź"), "12.50"}));
  EXPECT_EQ(all.rows[1][2], "");  // NULL

  // A row keeps its own cells whatever the module declared: more columns give
  // empty texts after them, fewer would not hold the row and are refused.
  CollectedRows wide;
  EXPECT_EQ(sql.Query(select, 5, &wide), 3);
  ASSERT_EQ(wide.rows.size(), 3u);
  EXPECT_EQ(wide.rows[2], (std::vector<wxString>{"3", wxString::FromUTF8("Gdańsk"), "0", "", ""}));
  CollectedRows narrow;
  EXPECT_EQ(sql.Query(select, 2, &narrow, &error), -1);
  EXPECT_TRUE(narrow.rows.empty());
  EXPECT_EQ(error, wxString::FromUTF8("Niepelne parametry odczytu SQL."));

  CollectedRows stopped;
  stopped.stopAfter = 2;
  EXPECT_EQ(sql.Query(select, 3, &stopped), 2);
  stopped.stopAfter = 0;
  stopped.rows.clear();
  EXPECT_EQ(sql.Query(select, 3, &stopped), 0);

  CollectedRows none;
  EXPECT_EQ(sql.Query("SELECT id FROM " + name + " WHERE id > 100", 1, &none, &error), 0);
  EXPECT_EQ(error, "");

  // The engine's own text reaches the module, cut to its buffer.
  EXPECT_EQ(sql.Query("SELECT nothing FROM " + name + "_missing", 1, &none, &error), -1);
  EXPECT_FALSE(error.empty());
  EXPECT_NE(error, wxString::FromUTF8("Nie udało się odczytać danych SQL."));
  EXPECT_EQ(sql.Query("SELECT nothing FROM " + name + "_missing", 1, &none, &error, 8), -1);
  EXPECT_EQ(error.length(), 7u);
  EXPECT_EQ(sql.Execute("UPDATE " + name + "_missing SET a = 1", &error), 0);
  EXPECT_FALSE(error.empty());

  EXPECT_EQ(sql.Execute("DROP TABLE " + name, &error), 1) << error;
}

}  // namespace veldrix::test
