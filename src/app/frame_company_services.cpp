// What the company tab asks of the main window (ICompanyApplication): the
// connection, the working company, the configuration, the toolbar, closing its
// tab, and telling the modules about a new company.
#include "app/application_state.h"
#include "app/dashboard_panel.h"
#include "app/veldrix_frame.h"
#include "pluginmanager/plugin_manager.h"

#include <wx/fileconf.h>

wxString VeldrixFrame::GetActiveConnection() { return AppState().GetActiveConnection(); }

wxString VeldrixFrame::GetWorkingCompanyId() { return AppState().GetWorkingCompanyId(); }

void VeldrixFrame::SetWorkingCompanyId(const wxString& id) {
  AppState().SetWorkingCompanyId(id);
  // A company chosen or saved on the company tab may be newer than the list.
  if (FindCurrentCompanyIndex() == -1) LoadCompanyList();
  const int index = FindCurrentCompanyIndex();
  if (index != -1) currentCompanyIndex_ = index;
  if (startPage_) startPage_->RefreshDashboard();
}

// The switch closes the tab that asks for it, so it waits for that tab's handler.
void VeldrixFrame::SwitchWorkingCompany(const wxString& id) {
  CallAfter([this, id] {
    // A company saved on the tab may be newer than the list.
    int index = FindCompanyIndex(id);
    if (index == -1 && LoadCompanyList()) index = FindCompanyIndex(id);
    if (index != -1) SwitchCompany(static_cast<unsigned>(index));
  });
}

wxConfigBase* VeldrixFrame::GetConfig() { return config_; }

void VeldrixFrame::RequestTabClose() { StartTabClosing(); }

ICompanyEvents* VeldrixFrame::GetCompanyEvents() { return pluginManager_ ? this : nullptr; }

bool VeldrixFrame::NotifyCompanyCreated(int companyId, wxString* error) {
  return pluginManager_ ? pluginManager_->NotifyCompanyCreated(companyId, error) : true;
}
