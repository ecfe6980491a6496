// The host service table's callbacks. The settings, log, company, connection,
// data-folder, module-state, permission and page-closing services are complete;
// page, SQL and image services answer failure until the module page host provides them.
#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "app/common/permission_check.h"
#include "app/common/tab_closing.h"
#include "pluginmanager/host_application.h"
#include "pluginmanager/host_buffer.h"
#include "pluginmanager/module_settings_store.h"
#include "pluginmanager/plugin_manager.h"

#include <wx/log.h>
#include <wx/thread.h>

namespace veldrix {
namespace {

PluginManager* Manager(void* context) { return static_cast<PluginManager*>(context); }

unsigned VELDRIX_CALL HostGetSetting(void* context, const wchar_t* path, const wchar_t* key,
                                     const wchar_t* defaultValue, wchar_t* buffer, unsigned capacity) {
  const wxString fallback = defaultValue ? wxString(defaultValue) : wxString();
  const wxString value = (path && key) ? ModuleSettingsStore::Get(path, key, fallback) : fallback;
  CopyToWideBuffer(value, buffer, capacity);
  return static_cast<unsigned>(value.length() + 1);
}

void VELDRIX_CALL HostSetSetting(void* context, const wchar_t* path, const wchar_t* key, const wchar_t* value) {
  if (!path || !key) return;
  ModuleSettingsStore::Set(path, key, value ? wxString(value) : wxString());
}

void VELDRIX_CALL HostLogMessage(void* context, const wchar_t* text) {
  if (!text) return;
  if (!wxLog::IsLevelEnabled(wxLOG_Message, wxLOG_COMPONENT)) return;
  wxLogMessage("%s", wxString(text));
}

int VELDRIX_CALL HostOpenPage(void* context, const wchar_t* pageKey, const wchar_t* argument) { return 0; }

int VELDRIX_CALL HostExecuteSql(void* context, const wchar_t* sql, wchar_t* error, unsigned capacity) {
  if (!sql || sql[0] == L'\0') {
    CopyToWideBuffer(_("Brak zapytania SQL."), error, capacity);
    return 0;
  }
  CopyToWideBuffer(_("Nie udało się otworzyć bazy danych."), error, capacity);
  return 0;
}

int VELDRIX_CALL HostQuerySql(void* context, const wchar_t* sql, unsigned columns, PluginRowCallback callback,
                              void* userData, wchar_t* error, unsigned capacity) {
  if (!sql || sql[0] == L'\0' || columns == 0 || !callback) {
    CopyToWideBuffer(_("Niepelne parametry odczytu SQL."), error, capacity);
    return -1;
  }
  CopyToWideBuffer(_("Nie udało się otworzyć bazy danych."), error, capacity);
  return -1;
}

int VELDRIX_CALL HostGetCurrentCompanyId(void* context) { return static_cast<int>(WorkingCompanyId()); }

int VELDRIX_CALL HostGetConnectionString(void* context, wchar_t* buffer, unsigned capacity) {
  IHostApplication* app = HostApplication();
  const wxString text = app ? app->GetActiveConnection() : wxString();
  CopyToWideBuffer(text, buffer, capacity);
  return text.empty() ? 0 : 1;
}

int VELDRIX_CALL HostGetDataDirectory(void* context, wchar_t* buffer, unsigned capacity) {
  const wxString folder = UserDataFolder();
  CopyToWideBuffer(folder, buffer, capacity);
  return folder.empty() ? 0 : 1;
}

int VELDRIX_CALL HostGetImage(void* context, const wchar_t* name, const void** data, unsigned* size) { return 0; }

// The tab goes once the module's handler that asked has returned.
void VELDRIX_CALL HostClosePage(void* context, wxWindow* page) { RequestTabClose(page); }

int VELDRIX_CALL HostHasPermission(void* context, const wchar_t* permissionKey) {
  if (!permissionKey) return 0;
  return CurrentUserHasPermission(wxString(permissionKey)) ? 1 : 0;
}

wxWindow* VELDRIX_CALL HostCreateModulePage(void* context, const wchar_t* moduleId, wxWindow* parent,
                                            const wchar_t* pageKey, const wchar_t* argument, void* pageContext) {
  return nullptr;
}

int VELDRIX_CALL HostIsModuleActive(void* context, const wchar_t* moduleId) {
  if (!context || !moduleId) return 0;
  return Manager(context)->IsModuleActive(moduleId) ? 1 : 0;
}

}  // namespace

void FillHostApi(HostApi& host, PluginManager* manager) {
  host = HostApi{};
  host.version = VELDRIX_PLUGIN_API_VERSION;
  host.context = manager;
  host.mainWindow = manager ? manager->GetMainWindow() : nullptr;
  host.notebook = manager ? manager->GetNotebook() : nullptr;
  host.getSetting = &HostGetSetting;
  host.setSetting = &HostSetSetting;
  host.logMessage = &HostLogMessage;
  host.openPage = &HostOpenPage;
  host.executeSql = &HostExecuteSql;
  host.querySql = &HostQuerySql;
  host.getCurrentCompanyId = &HostGetCurrentCompanyId;
  host.getConnectionString = &HostGetConnectionString;
  host.getDataDirectory = &HostGetDataDirectory;
  host.getImage = &HostGetImage;
  host.closePage = &HostClosePage;
  host.hasPermission = &HostHasPermission;
  host.createModulePage = &HostCreateModulePage;
  host.isModuleActive = &HostIsModuleActive;
}

}  // namespace veldrix
