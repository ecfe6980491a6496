#include "app/common/program_log.h"

#include "app/common/paths.h"
#include "app/common/private_file.h"

#include <wx/datetime.h>

#include <cstdio>

namespace veldrix {
namespace {

const char* LevelName(wxLogLevel level) {
  switch (level) {
    case wxLOG_FatalError:
      return "Fatal error";
    case wxLOG_Error:
      return "Error";
    case wxLOG_Warning:
      return "Warning";
    case wxLOG_Message:
      return "Message";
    case wxLOG_Status:
      return "Status";
    case wxLOG_Info:
      return "Info";
    case wxLOG_Debug:
      return "Debug";
    default:
      return "Trace";
  }
}

}  // namespace

wxString ProgramLogFilePath() { return JoinPath(UserDataFolder(), "veldrix.log"); }

void ProgramLog::DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo& info) {
  // Records of worker threads arrive here later, on the GUI thread: the time is the
  // record's own.
  const wxDateTime when = info.timestampMS ? wxDateTime(wxLongLong(info.timestampMS)) : wxDateTime::Now();
  const wxString line = when.FormatISOCombined(' ') + " " + LevelName(level) + ": " + message + "\n";
  const wxScopedCharBuffer bytes = line.utf8_str();
  std::fwrite(bytes.data(), 1, bytes.length(), stderr);
  AppendToPrivateFile(ProgramLogFilePath(), bytes.data(), bytes.length());
}

void InstallProgramLog() { delete wxLog::SetActiveTarget(new ProgramLog); }

}  // namespace veldrix
