// A stand-in for ODPI-C, loaded by the Oracle driver's tests in place of the real
// library (no Oracle client can be installed on the build machines). It answers a
// few fixed statements and records what the driver passed to it.
#include "db/odpi_api.h"

#include <cstdlib>
#include <cstring>
#include <string>

struct OdpiContext {
  OdpiErrorInfo error{};
  std::string message;
};

struct OdpiConn {
  OdpiContext* context;
};

struct OdpiStmt {
  OdpiContext* context;
  std::string sql;
  int row = 0;
  int rows = 0;
  std::uint32_t columns = 0;
  std::uint16_t type = 0;
  OdpiData values[8];
};

namespace {

std::string g_lastConnect;
int g_openConnections = 0;
int g_breaks = 0;
std::uint32_t g_callTimeout = 0;
OdpiBytes g_bytes;
OdpiTimestamp g_stamp;

int Fail(OdpiContext* context, const char* message) {
  context->message = message;
  std::memset(&context->error, 0, sizeof context->error);
  if (std::strncmp(message, "ORA-", 4) == 0) context->error.code = std::atoi(message + 4);
  context->error.message = context->message.c_str();
  context->error.messageLength = static_cast<std::uint32_t>(context->message.size());
  return kOdpiFailure;
}

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

extern "C" {

// What the last dpiConn_create received: "user|password|descriptor|encoding|nencoding".
const char* fake_odpic_last_connect() { return g_lastConnect.c_str(); }
int fake_odpic_open_connections() { return g_openConnections; }
int fake_odpic_breaks() { return g_breaks; }
std::uint32_t fake_odpic_call_timeout() { return g_callTimeout; }

int dpiContext_createWithParams(unsigned int major, unsigned int, OdpiContextCreateParams*, OdpiContext** context,
                                OdpiErrorInfo* errorInfo) {
  if (major != kOdpiMajorVersion) {
    static const char kMessage[] = "DPI-1020: version mismatch";
    errorInfo->message = kMessage;
    errorInfo->messageLength = sizeof kMessage - 1;
    return kOdpiFailure;
  }
  *context = new OdpiContext;
  return 0;
}

int dpiContext_destroy(OdpiContext* context) {
  delete context;
  return 0;
}

void dpiContext_getError(const OdpiContext* context, OdpiErrorInfo* errorInfo) { *errorInfo = context->error; }

int dpiConn_create(const OdpiContext* context, const char* user, std::uint32_t userLength, const char* password,
                   std::uint32_t passwordLength, const char* connectString, std::uint32_t connectStringLength,
                   const OdpiCommonCreateParams* common, OdpiConnCreateParams*, OdpiConn** conn) {
  auto* mutableContext = const_cast<OdpiContext*>(context);
  g_lastConnect = std::string(user, userLength) + "|" + std::string(password, passwordLength) + "|" +
                  std::string(connectString, connectStringLength) + "|" + common->encoding + "|" + common->nencoding;
  if (std::string(password, passwordLength) == "wrong") {
    return Fail(mutableContext, "ORA-01017: invalid username/password; logon denied");
  }
  *conn = new OdpiConn{mutableContext};
  ++g_openConnections;
  return 0;
}

int dpiConn_release(OdpiConn* conn) {
  delete conn;
  --g_openConnections;
  return 0;
}

int dpiConn_setCallTimeout(OdpiConn*, std::uint32_t milliseconds) {
  g_callTimeout = milliseconds;
  return 0;
}

int dpiConn_breakExecution(OdpiConn*) {
  ++g_breaks;
  return 0;
}

int dpiConn_prepareStmt(OdpiConn* conn, int, const char* sql, std::uint32_t sqlLength, const char*, std::uint32_t,
                        OdpiStmt** stmt) {
  std::string text(sql, sqlLength);
  if (StartsWith(text, "PREPARE FAIL")) return Fail(conn->context, "ORA-00900: invalid SQL statement");
  *stmt = new OdpiStmt{conn->context, text, 0, 0, 0, 0, {}};
  return 0;
}

int dpiStmt_execute(OdpiStmt* stmt, std::uint32_t, std::uint32_t* columns) {
  const std::string& sql = stmt->sql;
  if (StartsWith(sql, "SELECT * FROM missing")) return Fail(stmt->context, "ORA-00942: table or view does not exist");
  if (StartsWith(sql, "SELECT lost")) return Fail(stmt->context, "ORA-03113: end-of-file on communication channel");
  // The server's answers to a wait that ran out: a locked row, the call time-out.
  if (sql.find("FOR UPDATE WAIT") != std::string::npos) {
    return Fail(stmt->context, "ORA-30006: resource busy; acquire with WAIT timeout expired");
  }
  if (sql.find("FOR UPDATE NOWAIT") != std::string::npos) {
    return Fail(stmt->context, "ORA-00054: resource busy and acquire with NOWAIT specified or timeout expired");
  }
  if (StartsWith(sql, "SELECT slow")) {
    return Fail(stmt->context, ("DPI-1067: call timeout of " + std::to_string(g_callTimeout) +
                                " ms exceeded with ORA-3156").c_str());
  }
  if (StartsWith(sql, "INSERT")) {
    stmt->type = kOdpiStmtInsert;
  } else if (StartsWith(sql, "CREATE")) {
    stmt->type = 5;
  } else if (StartsWith(sql, "BEGIN")) {
    stmt->type = 8;
  } else if (StartsWith(sql, "SELECT")) {
    stmt->columns = 8;
    stmt->rows = StartsWith(sql, "SELECT empty") ? 0 : StartsWith(sql, "SELECT broken") ? 1 : 2;
  }
  *columns = stmt->columns;
  return 0;
}

int dpiStmt_getInfo(OdpiStmt* stmt, OdpiStmtInfo* info) {
  info->statementType = stmt->type;
  return 0;
}

int dpiStmt_getRowCount(OdpiStmt*, std::uint64_t* count) {
  *count = 3;
  return 0;
}

int dpiStmt_getQueryInfo(OdpiStmt*, std::uint32_t position, OdpiQueryInfo* info) {
  static const char* const kNames[] = {"I", "U", "F", "D", "TEKST", "KIEDY", "PUSTE", "OPIS"};
  info->name = kNames[position - 1];
  info->nameLength = static_cast<std::uint32_t>(std::strlen(kNames[position - 1]));
  info->oracleTypeNum = 2000 + position;
  return 0;
}

int dpiStmt_fetch(OdpiStmt* stmt, int* found, std::uint32_t* bufferRow) {
  *found = stmt->row < stmt->rows ? 1 : 0;
  if (*found) ++stmt->row;
  *bufferRow = 0;
  return 0;
}

int dpiStmt_getQueryValue(OdpiStmt* stmt, std::uint32_t position, std::uint32_t* nativeType, OdpiData** data) {
  if (StartsWith(stmt->sql, "SELECT broken") && position == 3) {
    return Fail(stmt->context, "ORA-01722: invalid number");
  }
  static const std::uint32_t kTypes[] = {kOdpiNativeInt64, kOdpiNativeUint64, kOdpiNativeFloat, kOdpiNativeDouble,
                                         kOdpiNativeBytes, kOdpiNativeTimestamp, kOdpiNativeBytes, 3008};
  *nativeType = kTypes[position - 1];
  OdpiData* value = &stmt->values[position - 1];
  // The second row is all NULL.
  value->isNull = stmt->row == 2 ? 1 : 0;
  *data = value;
  return 0;
}

int dpiStmt_release(OdpiStmt* stmt) {
  delete stmt;
  return 0;
}

std::int64_t dpiData_getInt64(OdpiData*) { return -42; }
std::uint64_t dpiData_getUint64(OdpiData*) { return 18446744073709551615ULL; }
float dpiData_getFloat(OdpiData*) { return 0.5f; }
double dpiData_getDouble(OdpiData*) { return 1234567.5; }

OdpiBytes* dpiData_getBytes(OdpiData*) {
  static char text[] = "Zażółć";
  g_bytes.ptr = text;
  g_bytes.length = static_cast<std::uint32_t>(std::strlen(text));
  return &g_bytes;
}

OdpiTimestamp* dpiData_getTimestamp(OdpiData*) {
  g_stamp = OdpiTimestamp{2024, 3, 5, 7, 8, 9, 500000000, 1, 0};
  return &g_stamp;
}

}  // extern "C"
