// The process entry of Veldrix: wxWidgets' assertion reports off, log level
// "information", then the GUI library runs VeldrixApp.
#include "app/veldrix_app.h"

#include <wx/log.h>

wxIMPLEMENT_APP_NO_MAIN(VeldrixApp);

int main(int argc, char** argv) {
  wxSetAssertHandler(nullptr);
  wxLog::SetLogLevel(wxLOG_Info);
  return wxEntry(argc, argv);
}
