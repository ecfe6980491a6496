// The application object: start-up (command line, locale and catalog, updater swap,
// image handlers, main window) and the state the whole process shares, which it
// holds as the installed ApplicationState and worker registry.
#pragma once

#include "app/application_state.h"

#include <wx/app.h>
#include <wx/intl.h>

class VeldrixApp : public wxApp, public ApplicationState {
 public:
  VeldrixApp();
  ~VeldrixApp() override;

  bool OnInit() override;
  int OnExit() override;
  void OnInitCmdLine(wxCmdLineParser& parser) override;
  bool OnCmdLineParsed(wxCmdLineParser& parser) override;

 private:
  static void OnTerminateSignal(int signal);

  wxLocale locale_;
};

