// The program's target for the GUI library's log. What is logged through it
// (wxLogError, wxLogWarning, wxLogMessage, a module's logMessage, the library's own
// reports) becomes a line in the program log in the user data folder and on
// standard error; it never opens a window. A failure the user must see is shown
// with ShowMessageBox by the code that meets it. VeldrixApp installs the target at
// start-up, the GUI tests' main too.
#pragma once

#include <wx/log.h>

namespace veldrix {

// UserDataFolder()/veldrix.log
wxString ProgramLogFilePath();

// One line per record, "YYYY-MM-DD HH:MM:SS Level: text", appended to the program
// log (owner-only, created with its folder when missing) and written to standard error.
class ProgramLog : public wxLog {
 protected:
  void DoLogRecord(wxLogLevel level, const wxString& message, const wxLogRecordInfo& info) override;
};

// Makes a new ProgramLog the active log target and deletes the one before it; the
// GUI library deletes the new one when it is torn down.
void InstallProgramLog();

}  // namespace veldrix
