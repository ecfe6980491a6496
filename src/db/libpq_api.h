// The entry points of libpq, the PostgreSQL client library, which the program does
// not link: it is loaded at run time ("libpq.so.5" beside the executable, then the
// system's library search), once per process. The types are declared here.
#pragma once

#include "db/runtime_library.h"

#include <wx/string.h>

#include <vector>

struct LibpqConn;
struct LibpqResult;
struct LibpqCancel;

// libpq's PQnoticeReceiver: called with each notice, and with an error the server
// sent while no query ran (usually why it is closing the connection).
using LibpqNoticeReceiver = void (*)(void* arg, const LibpqResult* result);

// Values of libpq's ConnStatusType and ExecStatusType that the driver reads.
constexpr int kLibpqConnectionOk = 0;
constexpr int kLibpqEmptyQuery = 0;
constexpr int kLibpqCommandOk = 1;
constexpr int kLibpqTuplesOk = 2;
// PG_DIAG_SQLSTATE, the field code of an error's SQLSTATE.
constexpr int kLibpqDiagSqlState = 'C';
// PG_DIAG_SEVERITY_NONLOCALIZED and PG_DIAG_SEVERITY: "FATAL", "ERROR", "NOTICE" ...
constexpr int kLibpqDiagSeverity = 'V';
constexpr int kLibpqDiagLocalizedSeverity = 'S';

struct LibpqApi {
  explicit LibpqApi(std::vector<wxString> candidates);

  // Loads the library and resolves every entry point, once; false with the reason.
  bool load(wxString* error);

  LibpqConn* (*PQconnectdb)(const char* conninfo) = nullptr;
  void (*PQfinish)(LibpqConn* conn) = nullptr;
  int (*PQstatus)(const LibpqConn* conn) = nullptr;
  char* (*PQerrorMessage)(const LibpqConn* conn) = nullptr;
  LibpqResult* (*PQexec)(LibpqConn* conn, const char* query) = nullptr;
  int (*PQsendQuery)(LibpqConn* conn, const char* query) = nullptr;
  LibpqResult* (*PQgetResult)(LibpqConn* conn) = nullptr;
  void (*PQclear)(LibpqResult* result) = nullptr;
  int (*PQresultStatus)(const LibpqResult* result) = nullptr;
  char* (*PQresultErrorMessage)(const LibpqResult* result) = nullptr;
  char* (*PQresultErrorField)(const LibpqResult* result, int fieldCode) = nullptr;
  int (*PQntuples)(const LibpqResult* result) = nullptr;
  int (*PQnfields)(const LibpqResult* result) = nullptr;
  char* (*PQfname)(const LibpqResult* result, int field) = nullptr;
  unsigned int (*PQftype)(const LibpqResult* result, int field) = nullptr;
  int (*PQgetisnull)(const LibpqResult* result, int row, int field) = nullptr;
  char* (*PQgetvalue)(const LibpqResult* result, int row, int field) = nullptr;
  int (*PQgetlength)(const LibpqResult* result, int row, int field) = nullptr;
  char* (*PQcmdTuples)(LibpqResult* result) = nullptr;
  LibpqCancel* (*PQgetCancel)(LibpqConn* conn) = nullptr;
  void (*PQfreeCancel)(LibpqCancel* cancel) = nullptr;
  int (*PQcancel)(LibpqCancel* cancel, char* errorBuffer, int errorBufferSize) = nullptr;
  int (*PQsocket)(const LibpqConn* conn) = nullptr;
  int (*PQconsumeInput)(LibpqConn* conn) = nullptr;
  int (*PQisBusy)(LibpqConn* conn) = nullptr;
  LibpqNoticeReceiver (*PQsetNoticeReceiver)(LibpqConn* conn, LibpqNoticeReceiver receiver, void* arg) = nullptr;

 private:
  std::vector<wxString> candidates_;
  RuntimeLibrary library_;
};

std::vector<wxString> LibpqCandidatePaths();

// The process-wide libpq, loaded from LibpqCandidatePaths on first use.
LibpqApi& ProcessLibpq();

bool LoadLibpq(wxString* error);
