// The program database for the company tests: a SQLite file created from the
// shipped scripts by the database worker, as the program creates it on first start.
#pragma once

#include "../dbsetup/worker_test_support.h"
#include "app/common/paths.h"
#include "sqldata/sql_data.h"

#include <wx/arrstr.h>
#include <wx/filename.h>
#include <wx/string.h>

namespace veldrix::test {

// Creates the database file at path with every table and dictionary row of the
// program's scripts; false (with the worker's last message) when that failed.
inline bool CreateProgramDatabase(const IsolatedFolders& folders, const wxString& path, wxString* message) {
  CopyShippedScripts(folders.programFolder());
  SetProgramFolderOverride(folders.programFolder());
  std::vector<RecordedWorkerEvent> events;
  {
    ScopedWorkerRegistry workers;
    events = RunWorker(false, path, workers);
  }
  SetProgramFolderOverride("");
  const bool failed = events.empty() || events.back().kind == DbWorkerError;
  if (message && !events.empty()) *message = events.back().text;
  return !failed && wxFileName::FileExists(path);
}

inline int CountRows(SQLData& db, const wxString& table, const wxString& where = wxString()) {
  const wxArrayString cells = db.FrameData("select count(*) from " + table + (where.empty() ? "" : " where " + where));
  long count = -1;
  return cells.empty() || !cells[0].ToLong(&count) ? -1 : static_cast<int>(count);
}

}  // namespace veldrix::test
