#include "db/libpq_api.h"

LibpqApi::LibpqApi(std::vector<wxString> candidates) : candidates_(std::move(candidates)) {}

bool LibpqApi::load(wxString* error) {
  // Resolution order is the order of the members; the first missing name is reported.
  const RuntimeLibrary::Symbols symbols = {
      EntryPoint("PQconnectdb", &PQconnectdb),
      EntryPoint("PQfinish", &PQfinish),
      EntryPoint("PQstatus", &PQstatus),
      EntryPoint("PQerrorMessage", &PQerrorMessage),
      EntryPoint("PQexec", &PQexec),
      EntryPoint("PQsendQuery", &PQsendQuery),
      EntryPoint("PQgetResult", &PQgetResult),
      EntryPoint("PQclear", &PQclear),
      EntryPoint("PQresultStatus", &PQresultStatus),
      EntryPoint("PQresultErrorMessage", &PQresultErrorMessage),
      EntryPoint("PQresultErrorField", &PQresultErrorField),
      EntryPoint("PQntuples", &PQntuples),
      EntryPoint("PQnfields", &PQnfields),
      EntryPoint("PQfname", &PQfname),
      EntryPoint("PQftype", &PQftype),
      EntryPoint("PQgetisnull", &PQgetisnull),
      EntryPoint("PQgetvalue", &PQgetvalue),
      EntryPoint("PQgetlength", &PQgetlength),
      EntryPoint("PQcmdTuples", &PQcmdTuples),
      EntryPoint("PQgetCancel", &PQgetCancel),
      EntryPoint("PQfreeCancel", &PQfreeCancel),
      EntryPoint("PQcancel", &PQcancel),
      EntryPoint("PQsocket", &PQsocket),
      EntryPoint("PQconsumeInput", &PQconsumeInput),
      EntryPoint("PQisBusy", &PQisBusy),
      EntryPoint("PQsetNoticeReceiver", &PQsetNoticeReceiver),
  };
  const RuntimeLibrary::Texts texts = {
      "PostgreSQL client library libpq was not found. Place libpq.so.5 next to the program executable or "
      "install the PostgreSQL client library (libpq5).",
      "PostgreSQL client library is missing symbol: %s",
  };
  return library_.ensureLoaded(candidates_, symbols, texts, error);
}

std::vector<wxString> LibpqCandidatePaths() { return LibraryCandidatePaths("libpq.so.5"); }

LibpqApi& ProcessLibpq() {
  static LibpqApi api(LibpqCandidatePaths());
  return api;
}

bool LoadLibpq(wxString* error) { return ProcessLibpq().load(error); }
