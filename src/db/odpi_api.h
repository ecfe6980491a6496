// The entry points of ODPI-C, the Oracle client interface, loaded at run time
// ("libodpic.so" beside the executable, then the system's library search) once per
// process. Only what the Oracle driver passes and reads is declared: the leading
// members of the library's records, padded so that the library may write its full
// record (64-bit layout).
#pragma once

#include "db/runtime_library.h"

#include <wx/string.h>

#include <cstdint>
#include <vector>

struct OdpiContext;
struct OdpiConn;
struct OdpiStmt;
struct OdpiContextCreateParams;

constexpr int kOdpiFailure = -1;  // every call returns a value below 0 on failure
constexpr unsigned int kOdpiMajorVersion = 6;
constexpr unsigned int kOdpiMinorVersion = 0;

// Native types of fetched values.
constexpr std::uint32_t kOdpiNativeInt64 = 3000;
constexpr std::uint32_t kOdpiNativeUint64 = 3001;
constexpr std::uint32_t kOdpiNativeFloat = 3002;
constexpr std::uint32_t kOdpiNativeDouble = 3003;
constexpr std::uint32_t kOdpiNativeBytes = 3004;
constexpr std::uint32_t kOdpiNativeTimestamp = 3005;

// Statement types whose row count is a count of changed rows.
constexpr std::uint16_t kOdpiStmtUpdate = 2;
constexpr std::uint16_t kOdpiStmtDelete = 3;
constexpr std::uint16_t kOdpiStmtInsert = 4;
constexpr std::uint16_t kOdpiStmtMerge = 16;

struct OdpiErrorInfo {
  std::int32_t code;
  std::uint16_t offset16;
  const char* message;
  std::uint32_t messageLength;
  const char* encoding;
  const char* fnName;
  const char* action;
  const char* sqlState;
  int isRecoverable;
  int isWarning;
  std::uint32_t offset;
  unsigned char reserved[64];
};

struct OdpiCommonCreateParams {
  std::uint32_t createMode;
  const char* encoding;
  const char* nencoding;
  unsigned char reserved[128];
};

// All zero: default authentication and purity, no pool.
struct OdpiConnCreateParams {
  alignas(8) unsigned char zeroed[512];
};

struct OdpiStmtInfo {
  int isQuery;
  int isPLSQL;
  int isDDL;
  int isDML;
  std::uint16_t statementType;
  int isReturning;
  unsigned char reserved[32];
};

struct OdpiQueryInfo {
  const char* name;
  std::uint32_t nameLength;
  std::uint32_t oracleTypeNum;  // first member of the type information
  unsigned char reserved[256];
};

struct OdpiData {
  int isNull;
};

struct OdpiBytes {
  char* ptr;
  std::uint32_t length;
  const char* encoding;
};

struct OdpiTimestamp {
  std::int16_t year;
  std::uint8_t month;
  std::uint8_t day;
  std::uint8_t hour;
  std::uint8_t minute;
  std::uint8_t second;
  std::uint32_t fsecond;
  std::int8_t tzHourOffset;
  std::int8_t tzMinuteOffset;
};

struct OdpiApi {
  explicit OdpiApi(std::vector<wxString> candidates);

  bool load(wxString* error);

  int (*dpiContext_createWithParams)(unsigned int major, unsigned int minor, OdpiContextCreateParams* params,
                                     OdpiContext** context, OdpiErrorInfo* errorInfo) = nullptr;
  int (*dpiContext_destroy)(OdpiContext* context) = nullptr;
  void (*dpiContext_getError)(const OdpiContext* context, OdpiErrorInfo* errorInfo) = nullptr;
  int (*dpiConn_create)(const OdpiContext* context, const char* user, std::uint32_t userLength, const char* password,
                        std::uint32_t passwordLength, const char* connectString, std::uint32_t connectStringLength,
                        const OdpiCommonCreateParams* commonParams, OdpiConnCreateParams* createParams,
                        OdpiConn** conn) = nullptr;
  int (*dpiConn_release)(OdpiConn* conn) = nullptr;
  int (*dpiConn_breakExecution)(OdpiConn* conn) = nullptr;
  int (*dpiConn_setCallTimeout)(OdpiConn* conn, std::uint32_t milliseconds) = nullptr;
  int (*dpiConn_prepareStmt)(OdpiConn* conn, int scrollable, const char* sql, std::uint32_t sqlLength,
                             const char* tag, std::uint32_t tagLength, OdpiStmt** stmt) = nullptr;
  int (*dpiStmt_execute)(OdpiStmt* stmt, std::uint32_t mode, std::uint32_t* numQueryColumns) = nullptr;
  int (*dpiStmt_getInfo)(OdpiStmt* stmt, OdpiStmtInfo* info) = nullptr;
  int (*dpiStmt_getRowCount)(OdpiStmt* stmt, std::uint64_t* count) = nullptr;
  int (*dpiStmt_getQueryInfo)(OdpiStmt* stmt, std::uint32_t position, OdpiQueryInfo* info) = nullptr;
  int (*dpiStmt_fetch)(OdpiStmt* stmt, int* found, std::uint32_t* bufferRowIndex) = nullptr;
  int (*dpiStmt_getQueryValue)(OdpiStmt* stmt, std::uint32_t position, std::uint32_t* nativeTypeNum,
                               OdpiData** data) = nullptr;
  int (*dpiStmt_release)(OdpiStmt* stmt) = nullptr;
  std::int64_t (*dpiData_getInt64)(OdpiData* data) = nullptr;
  std::uint64_t (*dpiData_getUint64)(OdpiData* data) = nullptr;
  float (*dpiData_getFloat)(OdpiData* data) = nullptr;
  double (*dpiData_getDouble)(OdpiData* data) = nullptr;
  OdpiBytes* (*dpiData_getBytes)(OdpiData* data) = nullptr;
  OdpiTimestamp* (*dpiData_getTimestamp)(OdpiData* data) = nullptr;

 private:
  std::vector<wxString> candidates_;
  RuntimeLibrary library_;
};

std::vector<wxString> OdpiCandidatePaths();

// The process-wide ODPI-C, loaded from OdpiCandidatePaths on first use.
OdpiApi& ProcessOdpi();
