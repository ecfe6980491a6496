// The SQLite engine behind IDbConnection, on the sqlite3 C interface. SQLData works
// on SQLite through its own wrapper; this connection serves the code that probes,
// tests and prepares a database through OpenConnection.
#include "app/common/private_file.h"
#include "db/driver_registry.h"
#include "db/locked_connection.h"
#include "db/sqlite_functions.h"

#include <sqlite3.h>

#include <wx/filefn.h>

#include <mutex>

namespace {

class SqliteConnection : public LockedConnection<sqlite3> {
 public:
  ~SqliteConnection() override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
  }

  bool open(const DbConnectionInfo& info, wxString* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
    // A server of blanks is not empty, so it does not fall back to the database.
    wxString path = info.server.empty() ? info.database : info.server;
    path.Trim(true).Trim(false);
    if (path.empty()) {
      if (error) *error = "SQLite file path is empty.";
      return false;
    }
    // A new file is the user's only, as SQLData creates it (journals follow its mode).
    if (!path.StartsWith(":") && !path.StartsWith("file:") && !wxFileExists(path)) veldrix::CreatePrivateFile(path);
    sqlite3* opened = nullptr;
    // The connection's own lock already serialises every call on the handle, so
    // SQLite's per-call mutex is left out (sqlite3_interrupt needs none).
    const int rc = sqlite3_open_v2(path.utf8_str(), &opened,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc == SQLITE_OK && opened) {
      handle_ = opened;
      sqlite3_busy_timeout(handle_, 5000);
      RegisterSqliteFunctions(handle_);
      return true;
    }
    if (error) {
      const wxString reason = opened ? wxString::FromUTF8(sqlite3_errmsg(opened)) : wxString("unknown error");
      *error = wxString::Format("SQLite open failed: %s", reason);
    }
    if (opened) sqlite3_close(opened);
    return false;
  }

  bool execute(const wxString& sql, DbQueryResult* result, wxString* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!startExecute(result, "SQLite is not connected.", error)) return false;
    const wxScopedCharBuffer utf8 = sql.utf8_str();
    const char* rest = utf8.data();
    if (!rest) return true;
    while (*rest) {
      sqlite3_stmt* statement = nullptr;
      const char* tail = nullptr;
      if (sqlite3_prepare_v2(handle_, rest, -1, &statement, &tail) != SQLITE_OK) {
        if (statement) sqlite3_finalize(statement);
        return fail(error);
      }
      rest = tail ? tail : "";
      if (!statement) continue;  // only white space or a comment
      const int columnCount = sqlite3_column_count(statement);
      if (columnCount < 1) {
        int step;
        while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        }
        sqlite3_finalize(statement);
        if (step != SQLITE_DONE) return fail(error);
        result->rowsAffected = sqlite3_changes(handle_);
        continue;
      }
      DbResultSet set;
      set.columns.reserve(static_cast<std::size_t>(columnCount));
      for (int c = 0; c < columnCount; ++c) {
        const char* name = sqlite3_column_name(statement, c);
        DbColumn column;
        column.name = name ? wxString::FromUTF8(name) : wxString::Format("col_%d", c + 1);
        column.type = "TEXT";
        set.columns.push_back(std::move(column));
      }
      int step;
      while ((step = sqlite3_step(statement)) == SQLITE_ROW) {
        ++set.rowCount;
        for (int c = 0; c < columnCount; ++c) {
          const unsigned char* text = sqlite3_column_text(statement, c);
          // No text is NULL, or a conversion that ran out of memory: the type tells.
          if (!text && sqlite3_column_type(statement, c) == SQLITE_NULL) {
            set.appendNull();
            continue;
          }
          const int bytes = sqlite3_column_bytes(statement, c);
          set.appendCell(text ? reinterpret_cast<const char*>(text) : "", text && bytes > 0 ? bytes : 0);
        }
        if (set.overLimit("SQLite", error)) {
          sqlite3_finalize(statement);
          return false;
        }
      }
      sqlite3_finalize(statement);
      if (step != SQLITE_DONE) return fail(error);
      result->resultSets.push_back(std::move(set));
    }
    return true;
  }

  void cancel() override {
    std::lock_guard<std::mutex> guard(lock_);
    if (handle_) sqlite3_interrupt(handle_);
  }

 private:
  void closeLocked() override {
    if (handle_) {
      sqlite3_close(handle_);
      handle_ = nullptr;
    }
  }

  bool fail(wxString* error) {
    if (error) *error = wxString::FromUTF8(sqlite3_errmsg(handle_));
    return false;
  }

};

class SqliteDriver : public IDatabaseDriver {
 public:
  wxString name() const override { return "SQLite (sqlite3)"; }
  std::shared_ptr<IDbConnection> createConnection() override { return std::make_shared<SqliteConnection>(); }
};

}  // namespace

std::unique_ptr<IDatabaseDriver> MakeSqliteDriver() { return std::make_unique<SqliteDriver>(); }
