#include "app/veldrix_app.h"

#include "app/command_line.h"
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "app/common/program_log.h"
#include "app/program_locale.h"
#include "app/updater_swap.h"
#include "app/veldrix_frame.h"
#include "db/driver_registry.h"
#include "sqldata/db_log.h"

#include <wx/cmdline.h>
#include <wx/config.h>
#include <wx/image.h>

#include <csignal>
#include <cstdlib>

VeldrixApp::VeldrixApp() {
  InstallAppState(this);
  veldrix::InstallWorkerRegistry(this);
  veldrix::InstallHostApplication(this);
}

VeldrixApp::~VeldrixApp() {
  veldrix::InstallHostApplication(nullptr);
  veldrix::InstallWorkerRegistry(nullptr);
  InstallAppState(nullptr);
}

bool VeldrixApp::OnInit() {
  // First thing once the library is up (it drops a target set before): its own
  // target would show every record in a modal box.
  veldrix::InstallProgramLog();
  // Only the main window's file is ever the configuration (see config_access.h).
  wxConfigBase::DontCreateOnDemand();
  RegisterBuiltinDrivers();
  // Before the command line is read, so the library's usage and errors are Polish.
  SetUpPolishLocale(locale_);
  if (!wxApp::OnInit()) return false;
  SetWorkingCompanyId("0");
  SwapUpdater(veldrix::ProgramFolder());
  wxInitAllImageHandlers();

  // A desktop session ending (or a plain kill) sends SIGTERM: close the window as the
  // user would, so the configuration is written and the workers are told to stop.
  // The handler runs from the main loop, so it is in place before the window is
  // built and finds it then.
  SetSignalHandler(SIGTERM, &VeldrixApp::OnTerminateSignal);
  auto* frame = new VeldrixFrame();
  frame->Show();
  SetTopWindow(frame);
  // The login runs once the window is on screen and the main loop turns.
  frame->CallAfter(&VeldrixFrame::StartLogin);
  return true;
}

void VeldrixApp::OnTerminateSignal(int) {
  if (wxWindow* top = wxTheApp ? wxTheApp->GetTopWindow() : nullptr) {
    top->Close(true);
    // The window is deleted at the next idle time, which a signal does not bring.
    wxWakeUpIdle();
  } else if (wxTheApp) {
    wxTheApp->ExitMainLoop();
  }
}

// The library is torn down once this returns, so every worker must have left it
// by then; they stop at their next checkpoint. One that is stuck (a server that
// stopped answering) keeps the process no longer than a minute: it then ends
// without the tear-down, as a killed one would, which its transaction survives.
int VeldrixApp::OnExit() {
  RequestShutdown();
  if (!WaitUntilIdle(60000)) {
    LogDbMessage(wxString::Format("Exit: %zu worker thread(s) still running; leaving without waiting for them.",
                                  RunningCount()));
    std::_Exit(0);
  }
  return 0;
}

void VeldrixApp::OnInitCmdLine(wxCmdLineParser& parser) { DescribeCommandLine(parser); }

bool VeldrixApp::OnCmdLineParsed(wxCmdLineParser& parser) {
  wxString path;
  wxString message;
  if (!ResolveDatabasePath(parser, veldrix::ProgramFolder(), &path, &message)) {
    veldrix::ShowMessageBox(message, _("Błąd"), wxOK | wxICON_ERROR, nullptr);
    return false;
  }
  SetDefaultDatabasePath(path);
  return true;
}
