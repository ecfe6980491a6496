#include "db/odpi_api.h"

OdpiApi::OdpiApi(std::vector<wxString> candidates) : candidates_(std::move(candidates)) {}

bool OdpiApi::load(wxString* error) {
  const RuntimeLibrary::Symbols symbols = {
      EntryPoint("dpiContext_createWithParams", &dpiContext_createWithParams),
      EntryPoint("dpiContext_destroy", &dpiContext_destroy),
      EntryPoint("dpiContext_getError", &dpiContext_getError),
      EntryPoint("dpiConn_create", &dpiConn_create),
      EntryPoint("dpiConn_release", &dpiConn_release),
      EntryPoint("dpiConn_breakExecution", &dpiConn_breakExecution),
      EntryPoint("dpiConn_setCallTimeout", &dpiConn_setCallTimeout),
      EntryPoint("dpiConn_prepareStmt", &dpiConn_prepareStmt),
      EntryPoint("dpiStmt_execute", &dpiStmt_execute),
      EntryPoint("dpiStmt_getInfo", &dpiStmt_getInfo),
      EntryPoint("dpiStmt_getRowCount", &dpiStmt_getRowCount),
      EntryPoint("dpiStmt_getQueryInfo", &dpiStmt_getQueryInfo),
      EntryPoint("dpiStmt_fetch", &dpiStmt_fetch),
      EntryPoint("dpiStmt_getQueryValue", &dpiStmt_getQueryValue),
      EntryPoint("dpiStmt_release", &dpiStmt_release),
      EntryPoint("dpiData_getInt64", &dpiData_getInt64),
      EntryPoint("dpiData_getUint64", &dpiData_getUint64),
      EntryPoint("dpiData_getFloat", &dpiData_getFloat),
      EntryPoint("dpiData_getDouble", &dpiData_getDouble),
      EntryPoint("dpiData_getBytes", &dpiData_getBytes),
      EntryPoint("dpiData_getTimestamp", &dpiData_getTimestamp),
  };
  const RuntimeLibrary::Texts texts = {
      "Oracle client library ODPI-C (libodpic.so) was not found. Place libodpic.so next to the program executable "
      "or in the system library path; it also needs an Oracle Instant Client.",
      "Oracle client library ODPI-C is missing symbol: %s",
  };
  return library_.ensureLoaded(candidates_, symbols, texts, error);
}

std::vector<wxString> OdpiCandidatePaths() { return LibraryCandidatePaths("libodpic.so"); }

OdpiApi& ProcessOdpi() {
  static OdpiApi api(OdpiCandidatePaths());
  return api;
}
