// The start tab "Pulpit" (label "dashboard"), opened after every login and never
// closed while a user is logged in. For now it greets the user and names the
// working company; the module tiles come with the full start page.
#pragma once

#include <wx/panel.h>

class VeldrixFrame;
class wxStaticText;

class DashboardPanel : public wxPanel {
 public:
  DashboardPanel(wxWindow* parent, VeldrixFrame* frame);

  // Shows the working company again (after a company switch or a return to the tab).
  void RefreshDashboard();

 private:
  VeldrixFrame* frame_;
  wxStaticText* company_ = nullptr;
};
