// What the whole process shares, held by the application object: the connection
// settings, the working company and the list of running worker threads. Code that
// runs without the application object (tests, tools) gets a process-wide default.
#pragma once

#include "app/common/worker_registry.h"
#include "app/connection_settings.h"
#include "pluginmanager/host_application.h"

#include <wx/string.h>

#include <mutex>

class ApplicationState : public ConnectionSettings,
                         public veldrix::WorkerRegistry,
                         public veldrix::IHostApplication {
 public:
  wxString GetActiveConnection() const override { return ConnectionSettings::GetActiveConnection(); }
  // Decimal id (column id_firmy) of the company the user works for; "0" means none.
  wxString GetWorkingCompanyId() const override;
  void SetWorkingCompanyId(const wxString& id);

 private:
  mutable std::mutex companyLock_;
  wxString workingCompanyId_{"0"};
};

// The installed state (the running VeldrixApp), else the process-wide default.
ApplicationState& AppState();
void InstallAppState(ApplicationState* state);
