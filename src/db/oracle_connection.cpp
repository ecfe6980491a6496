// The Oracle engine behind IDbConnection, on ODPI-C loaded at run time. One
// statement per execute; the driver never commits (SQLData sends "COMMIT").
#include "db/oracle_connection.h"

#include "db/driver_registry.h"
#include "db/locked_connection.h"
#include "db/odpi_api.h"

#include <wx/wxcrt.h>

#include <charconv>
#include <cstring>
#include <mutex>

wxString BuildOracleConnectDescriptor(const DbConnectionInfo& info) {
  wxString descriptor = info.server;
  if (!info.database.empty() && !descriptor.Contains("/")) {
    if (!descriptor.Contains(":") && info.port > 0) descriptor += wxString::Format(":%d", info.port);
    descriptor += "/" + info.database;
  }
  return descriptor;
}

wxString WithOracleConnectBound(const wxString& descriptor, int seconds) {
  const wxString lower = descriptor.Lower();
  if (seconds <= 0 || lower.Contains("connect_timeout")) return descriptor;
  const wxString bound = wxString::Format("%d", seconds);
  if (descriptor.StartsWith("(")) {
    // "(DESCRIPTION=" may be written with blanks around its "=".
    const wxString head = "(description";
    const int at = lower.Find(head);
    if (at == wxNOT_FOUND) return descriptor;
    size_t after = static_cast<size_t>(at) + head.length();
    while (after < lower.length() && wxIsspace(lower[after])) ++after;
    if (after >= lower.length() || lower[after] != '=') return descriptor;
    ++after;
    return descriptor.Left(after) + "(CONNECT_TIMEOUT=" + bound + ")" + descriptor.Mid(after);
  }
  if (!descriptor.Contains("/")) return descriptor;
  return descriptor + (descriptor.Contains("?") ? "&" : "?") + "connect_timeout=" + bound;
}

wxString FormatOracleInt64(std::int64_t value) { return wxString::Format("%lld", static_cast<long long>(value)); }

wxString FormatOracleUint64(std::uint64_t value) {
  return wxString::Format("%llu", static_cast<unsigned long long>(value));
}

wxString FormatOracleDouble(double value) {
  // to_chars is "%.15g" in the C locale whatever the process locale says.
  char buffer[64];
  const auto converted = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 15);
  return wxString(buffer, static_cast<std::size_t>(converted.ptr - buffer));
}

wxString FormatOracleTimestamp(const OdpiTimestamp& value) {
  return wxString::Format("%04d-%02d-%02d %02d:%02d:%02d", static_cast<int>(value.year), static_cast<int>(value.month),
                          static_cast<int>(value.day), static_cast<int>(value.hour), static_cast<int>(value.minute),
                          static_cast<int>(value.second));
}

namespace {

std::uint32_t ByteLength(const wxScopedCharBuffer& buffer) { return static_cast<std::uint32_t>(buffer.length()); }

class OracleConnection : public LockedConnection<OdpiConn> {
 public:
  explicit OracleConnection(OdpiApi* api) : api_(api) { std::memset(&errorInfo_, 0, sizeof errorInfo_); }

  ~OracleConnection() override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
  }

  bool open(const DbConnectionInfo& info, wxString* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    closeLocked();
    if (!api_->load(error)) return false;
    OdpiContext* context = nullptr;
    std::memset(&errorInfo_, 0, sizeof errorInfo_);
    if (api_->dpiContext_createWithParams(kOdpiMajorVersion, kOdpiMinorVersion, nullptr, &context, &errorInfo_) < 0 ||
        !context) {
      if (error) {
        *error = errorInfo_.message && errorInfo_.messageLength
                     ? wxString::FromUTF8(errorInfo_.message, errorInfo_.messageLength)
                     : wxString("ODPI-C context init failed.");
      }
      return false;
    }
    context_ = context;
    const wxString typed = BuildOracleConnectDescriptor(info);
    if (typed.empty()) {
      if (error) *error = "Oracle connect descriptor is empty.";
      closeLocked();
      return false;
    }
    const wxString descriptor = WithOracleConnectBound(typed, info.waits.connectSeconds);
    const wxScopedCharBuffer user = info.user.utf8_str();
    const wxScopedCharBuffer password = info.password.utf8_str();
    const wxScopedCharBuffer connectString = descriptor.utf8_str();
    OdpiCommonCreateParams common;
    std::memset(&common, 0, sizeof common);
    common.encoding = "UTF-8";
    common.nencoding = "UTF-8";
    OdpiConnCreateParams create;
    std::memset(&create, 0, sizeof create);
    OdpiConn* conn = nullptr;
    if (api_->dpiConn_create(context_, user.data(), ByteLength(user), password.data(), ByteLength(password),
                             connectString.data(), ByteLength(connectString), &common, &create, &conn) >= 0 &&
        conn) {
      // Each round trip to the server gives up after the answer bound (DPI-1067).
      if (info.waits.answerMs > 0 &&
          api_->dpiConn_setCallTimeout(conn, static_cast<std::uint32_t>(info.waits.answerMs)) < 0) {
        if (error) *error = errorText();
        api_->dpiConn_release(conn);
        closeLocked();
        return false;
      }
      std::lock_guard<std::mutex> cancelGuard(cancelLock_);
      handle_ = conn;
      return true;
    }
    if (error) *error = errorText();
    closeLocked();
    return false;
  }

  bool execute(const wxString& sql, DbQueryResult* result, wxString* error) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!startExecute(result, "Oracle is not connected.", error)) return false;
    const wxScopedCharBuffer text = sql.utf8_str();
    OdpiStmt* stmt = nullptr;
    if (api_->dpiConn_prepareStmt(handle_, 0, text.data(), ByteLength(text), nullptr, 0, &stmt) < 0 || !stmt) {
      return failed(result, error);
    }
    std::uint32_t columns = 0;
    if (api_->dpiStmt_execute(stmt, 0, &columns) < 0) {
      api_->dpiStmt_release(stmt);
      return failed(result, error);
    }
    if (columns == 0) {
      readRowCount(stmt, result);
      api_->dpiStmt_release(stmt);
      return true;
    }
    DbResultSet set;
    if (!readSet(stmt, columns, &set, result, error)) {
      api_->dpiStmt_release(stmt);
      return false;
    }
    api_->dpiStmt_release(stmt);
    result->resultSets.push_back(std::move(set));
    return true;
  }

  // Does not take the connection lock: it must reach the statement that a running
  // execute waits on. The cancel lock only keeps close from releasing the handle
  // under it.
  void cancel() override {
    std::lock_guard<std::mutex> cancelGuard(cancelLock_);
    if (handle_) api_->dpiConn_breakExecution(handle_);
  }

  // Known only from a statement that failed on it: asking the server would cost a
  // round trip.
  bool lost(wxString* reason) override {
    std::lock_guard<std::mutex> guard(lock_);
    if (!handle_ || lostReason_.empty()) return false;
    if (reason) *reason = lostReason_;
    return true;
  }

 private:
  void readRowCount(OdpiStmt* stmt, DbQueryResult* result) {
    OdpiStmtInfo info;
    std::memset(&info, 0, sizeof info);
    const bool haveInfo = api_->dpiStmt_getInfo(stmt, &info) >= 0;
    std::uint64_t count = 0;
    if (api_->dpiStmt_getRowCount(stmt, &count) < 0) return;
    const std::uint16_t type = info.statementType;
    if (!haveInfo || type == kOdpiStmtUpdate || type == kOdpiStmtDelete || type == kOdpiStmtInsert ||
        type == kOdpiStmtMerge) {
      result->rowsAffected = count > 2147483647u ? 2147483647 : static_cast<int>(count);
    }
  }

  // The library's error for a failed call, with what it means for the transaction
  // and the connection.
  bool failed(DbQueryResult* result, wxString* error) {
    const wxString reason = errorText();
    // ORA-00060: deadlock detected while waiting for resource; ORA-30006 and
    // ORA-00054: a row lock not granted within FOR UPDATE WAIT (or NOWAIT).
    result->deadlock = errorInfo_.code == 60;
    result->lockTimeout = errorInfo_.code == 30006 || errorInfo_.code == 54;
    // DPI-1067: the call time-out; the session is in an unknown state.
    result->answerTimedOut = reason.StartsWith("DPI-1067");
    if (result->answerTimedOut || EndsSession(errorInfo_.code, reason)) {
      result->connectionLost = true;
      lostReason_ = reason;
    }
    if (error) *error = reason;
    return false;
  }

  // ORA-00028 session killed, 01012 not logged on, 01033/01034/01089/01092 the
  // instance shutting down or gone, 02396 idle time exceeded, 03113/03114/03135
  // the channel lost, 12537/12547/12570/12571/12583 the network lost; ODPI-C's own
  // DPI-1010 (not connected) and DPI-1080 (closed by an ORA error).
  static bool EndsSession(std::int32_t code, const wxString& message) {
    switch (code) {
      case 28: case 1012: case 1033: case 1034: case 1089: case 1092: case 2396: case 3113: case 3114:
      case 3135: case 12537: case 12547: case 12570: case 12571: case 12583:
        return true;
      default:
        return message.StartsWith("DPI-1010") || message.StartsWith("DPI-1080");
    }
  }

  bool readSet(OdpiStmt* stmt, std::uint32_t columns, DbResultSet* set, DbQueryResult* result, wxString* error) {
    set->columns.reserve(columns);
    for (std::uint32_t i = 1; i <= columns; ++i) {
      OdpiQueryInfo info;
      std::memset(&info, 0, sizeof info);
      api_->dpiStmt_getQueryInfo(stmt, i, &info);
      DbColumn column;
      if (info.name) column.name = wxString::FromUTF8(info.name, info.nameLength);
      column.type = wxString::Format("%u", static_cast<unsigned int>(info.oracleTypeNum));
      set->columns.push_back(std::move(column));
    }
    for (;;) {
      int found = 0;
      std::uint32_t bufferRow = 0;
      if (api_->dpiStmt_fetch(stmt, &found, &bufferRow) < 0 || !found) return true;
      ++set->rowCount;
      for (std::uint32_t i = 1; i <= columns; ++i) {
        std::uint32_t nativeType = 0;
        OdpiData* data = nullptr;
        if (api_->dpiStmt_getQueryValue(stmt, i, &nativeType, &data) < 0) return failed(result, error);
        appendValue(nativeType, data, set);
      }
      if (set->overLimit("Oracle", error)) return false;
    }
  }

  void appendValue(std::uint32_t nativeType, OdpiData* data, DbResultSet* set) {
    if (!data || data->isNull) {
      set->appendNull();
      return;
    }
    switch (nativeType) {
      case kOdpiNativeInt64: AppendTextCell(set, FormatOracleInt64(api_->dpiData_getInt64(data))); return;
      case kOdpiNativeUint64: AppendTextCell(set, FormatOracleUint64(api_->dpiData_getUint64(data))); return;
      case kOdpiNativeFloat: AppendTextCell(set, FormatOracleDouble(api_->dpiData_getFloat(data))); return;
      case kOdpiNativeDouble: AppendTextCell(set, FormatOracleDouble(api_->dpiData_getDouble(data))); return;
      case kOdpiNativeBytes: {
        const OdpiBytes* bytes = api_->dpiData_getBytes(data);
        if (bytes && bytes->ptr) {
          set->appendCell(bytes->ptr, static_cast<int>(bytes->length));
        } else {
          set->appendCell("", 0);
        }
        return;
      }
      case kOdpiNativeTimestamp: {
        const OdpiTimestamp* stamp = api_->dpiData_getTimestamp(data);
        if (stamp) {
          AppendTextCell(set, FormatOracleTimestamp(*stamp));
        } else {
          set->appendNull();
        }
        return;
      }
      default: AppendTextCell(set, "<unsupported>"); return;
    }
  }

  wxString errorText() {
    if (context_) {
      std::memset(&errorInfo_, 0, sizeof errorInfo_);
      api_->dpiContext_getError(context_, &errorInfo_);
      if (errorInfo_.message && errorInfo_.messageLength) {
        return wxString::FromUTF8(errorInfo_.message, errorInfo_.messageLength);
      }
    }
    return "Oracle execution failed.";
  }

  void closeLocked() override {
    lostReason_.clear();
    if (handle_) {
      std::lock_guard<std::mutex> cancelGuard(cancelLock_);
      api_->dpiConn_release(handle_);
      handle_ = nullptr;
    }
    if (context_) {
      api_->dpiContext_destroy(context_);
      context_ = nullptr;
    }
  }

  OdpiApi* api_;
  OdpiContext* context_ = nullptr;
  OdpiErrorInfo errorInfo_;
  std::mutex cancelLock_;
  wxString lostReason_;  // why the session is known to be gone; empty while it is not
};

class OracleDriver : public IDatabaseDriver {
 public:
  wxString name() const override { return "Oracle (ODPI-C)"; }
  std::shared_ptr<IDbConnection> createConnection() override { return MakeOracleConnection(&ProcessOdpi()); }
};

}  // namespace

std::shared_ptr<IDbConnection> MakeOracleConnection(OdpiApi* api) { return std::make_shared<OracleConnection>(api); }

std::unique_ptr<IDatabaseDriver> MakeOracleDriver() { return std::make_unique<OracleDriver>(); }
