// The fourteen callbacks of the host service table. Every one tolerates null
// arguments. The settings, log, SQL, company, connection, data-folder, image and
// module-state services may be called from a module's worker threads; the ones
// that touch windows (pages, closing, permissions, page creation) answer failure
// there, as they do for a context whose host is gone.
#include "app/common/i18n.h"
#include "app/common/images.h"
#include "app/common/paths.h"
#include "pluginmanager/host_application.h"
#include "pluginmanager/host_buffer.h"
#include "pluginmanager/host_session.h"
#include "pluginmanager/host_sql.h"
#include "pluginmanager/module_settings_store.h"
#include "pluginmanager/plugin_manager.h"

#include <wx/log.h>
#include <wx/thread.h>

namespace veldrix {
namespace {

wxString Text(const wchar_t* text) { return text ? wxString(text) : wxString(); }

// The host behind the context, for the callbacks that touch windows.
PluginManager* GuiManager(void* context) { return wxThread::IsMain() ? HostSessionManager(context) : nullptr; }

wxString ActiveConnection() {
  IHostApplication* app = HostApplication();
  return app ? app->GetActiveConnection() : wxString();
}

unsigned VELDRIX_CALL HostGetSetting(void* context, const wchar_t* path, const wchar_t* key,
                                     const wchar_t* defaultValue, wchar_t* buffer, unsigned capacity) {
  const wxString fallback = Text(defaultValue);
  const wxString value = (path && key) ? ModuleSettingsStore::Get(path, key, fallback) : fallback;
  CopyToWideBuffer(value, buffer, capacity);
  return static_cast<unsigned>(value.length() + 1);
}

void VELDRIX_CALL HostSetSetting(void* context, const wchar_t* path, const wchar_t* key, const wchar_t* value) {
  if (!path || !key) return;
  wxString error;
  // The module has no way to hear of it: the log keeps it.
  if (!ModuleSettingsStore::Set(path, key, Text(value), &error)) {
    wxLogError("Module setting %s/%s was not stored: %s", wxString(path), wxString(key), error);
  }
}

void VELDRIX_CALL HostLogMessage(void* context, const wchar_t* text) {
  if (!text) return;
  if (!wxLog::IsLevelEnabled(wxLOG_Message, wxLOG_COMPONENT)) return;
  wxLogMessage("%s", wxString(text));
}

int VELDRIX_CALL HostOpenPage(void* context, const wchar_t* pageKey, const wchar_t* argument) {
  PluginManager* manager = GuiManager(context);
  if (!manager || !pageKey) return 0;
  return manager->OpenHostPage(pageKey, Text(argument)) ? 1 : 0;
}

int VELDRIX_CALL HostExecuteSql(void* context, const wchar_t* sql, wchar_t* error, unsigned capacity) {
  wxString reason;
  const bool ok = ExecuteModuleSql(ActiveConnection(), sql, &reason);
  CopyToWideBuffer(reason, error, capacity);
  return ok ? 1 : 0;
}

int VELDRIX_CALL HostQuerySql(void* context, const wchar_t* sql, unsigned columns, PluginRowCallback callback,
                              void* userData, wchar_t* error, unsigned capacity) {
  wxString reason;
  const int rows = QueryModuleSql(ActiveConnection(), sql, columns, callback, userData, &reason);
  CopyToWideBuffer(reason, error, capacity);
  return rows;
}

int VELDRIX_CALL HostGetCurrentCompanyId(void* context) { return static_cast<int>(WorkingCompanyId()); }

int VELDRIX_CALL HostGetConnectionString(void* context, wchar_t* buffer, unsigned capacity) {
  const wxString text = ActiveConnection();
  CopyToWideBuffer(text, buffer, capacity);
  return text.empty() ? 0 : 1;
}

int VELDRIX_CALL HostGetDataDirectory(void* context, wchar_t* buffer, unsigned capacity) {
  const wxString folder = UserDataFolder();
  CopyToWideBuffer(folder, buffer, capacity);
  return folder.empty() ? 0 : 1;
}

int VELDRIX_CALL HostGetImage(void* context, const wchar_t* name, const void** data, unsigned* size) {
  if (!name || !data || !size) return 0;
  EmbeddedImage image{};
  if (!FindEmbeddedImage(name, &image) || !image.data) return 0;
  *data = image.data;
  *size = image.size;
  return 1;
}

void VELDRIX_CALL HostClosePage(void* context, wxWindow* page) {
  PluginManager* manager = GuiManager(context);
  if (manager && page) manager->RequestPageClose(page);
}

int VELDRIX_CALL HostHasPermission(void* context, const wchar_t* permissionKey) {
  PluginManager* manager = GuiManager(context);
  if (!manager || !permissionKey || permissionKey[0] == L'\0') return 0;
  return manager->HasPermission(permissionKey) ? 1 : 0;
}

wxWindow* VELDRIX_CALL HostCreateModulePage(void* context, const wchar_t* moduleId, wxWindow* parent,
                                            const wchar_t* pageKey, const wchar_t* argument, void* pageContext) {
  PluginManager* manager = GuiManager(context);
  if (!manager || !moduleId || !parent || !pageKey) return nullptr;
  return manager->CreateModulePage(moduleId, parent, pageKey, Text(argument),
                                   static_cast<const PluginPageContext*>(pageContext));
}

int VELDRIX_CALL HostIsModuleActive(void* context, const wchar_t* moduleId) {
  if (!moduleId) return 0;
  return IsModuleActiveInSession(context, moduleId) ? 1 : 0;
}

}  // namespace

void FillHostCallbacks(HostApi& table) {
  table.getSetting = &HostGetSetting;
  table.setSetting = &HostSetSetting;
  table.logMessage = &HostLogMessage;
  table.openPage = &HostOpenPage;
  table.executeSql = &HostExecuteSql;
  table.querySql = &HostQuerySql;
  table.getCurrentCompanyId = &HostGetCurrentCompanyId;
  table.getConnectionString = &HostGetConnectionString;
  table.getDataDirectory = &HostGetDataDirectory;
  table.getImage = &HostGetImage;
  table.closePage = &HostClosePage;
  table.hasPermission = &HostHasPermission;
  table.createModulePage = &HostCreateModulePage;
  table.isModuleActive = &HostIsModuleActive;
}

}  // namespace veldrix
