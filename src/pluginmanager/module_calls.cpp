#include "pluginmanager/module_calls.h"

#include "app/common/i18n.h"
#include "pluginmanager/host_session.h"
#include "pluginmanager/plugin_manager.h"

#include <wx/app.h>
#include <wx/log.h>
#include <wx/thread.h>

#include <algorithm>
#include <cstring>

namespace veldrix {
namespace {

void MarkFailedEverywhere(const wxString& moduleId, const wxString& message) {
  for (PluginManager* manager : LiveHostManagers()) manager->MarkModuleFailed(moduleId, message);
}

}  // namespace

wxString ModuleExceptionMessage(const char* entry, const wxString& what) {
  wxString text = wxString::Format(_("Moduł zgłosił wyjątek w %s"), wxString::FromUTF8(entry));
  if (!what.empty()) text += ": " + what;
  return text + ".";
}

wxString NoteModuleException(const wxString& moduleId, const char* entry, const wxString& what) {
  wxLogError("Module %s: exception from %s: %s", moduleId, wxString::FromUTF8(entry),
             what.empty() ? wxString("(unknown)") : what);
  return ModuleExceptionMessage(entry, what);
}

void ReportModuleFailure(const wxString& moduleId, const wxString& message) {
  if (wxThread::IsMain()) {
    MarkFailedEverywhere(moduleId, message);
    return;
  }
  // Managers live on the GUI thread; without an application nothing runs there.
  if (wxTheApp) wxTheApp->CallAfter([moduleId, message] { MarkFailedEverywhere(moduleId, message); });
}

template <typename Call>
bool ModuleCalls::Guard(const char* entry, Call&& call) const {
  wxString message;
  if (GuardModuleCall(moduleId_, entry, &message, std::forward<Call>(call))) return true;
  ReportModuleFailure(moduleId_, message);
  return false;
}

int ModuleCalls::RunAction(const wxString& action, wchar_t* out, unsigned capacity) const {
  if (out && capacity > 0) out[0] = L'\0';
  if (!entry_.runAction) return 0;
  int result = 0;
  const std::wstring text = action.ToStdWstring();
  if (!Guard("VeldrixPluginRunAction", [&] { result = entry_.runAction(text.c_str(), out, capacity); })) {
    if (out && capacity > 0) out[0] = L'\0';  // half-written text of a failed call is not shown
    return 0;
  }
  return result;
}

unsigned ModuleCalls::GetMainRows(PluginRow* rows, unsigned capacity) const {
  if (!rows || capacity == 0) return 0;
  std::memset(rows, 0, sizeof(PluginRow) * capacity);
  if (!entry_.getMainRows) return 0;
  unsigned count = 0;
  if (!Guard("VeldrixPluginGetMainRows", [&] { count = entry_.getMainRows(rows, capacity); })) return 0;
  return std::min(count, capacity);
}

unsigned ModuleCalls::GetSettingsXrcValues(PluginValuePair* values, unsigned capacity) const {
  if (!values || capacity == 0) return 0;
  std::memset(values, 0, sizeof(PluginValuePair) * capacity);
  if (!entry_.getSettingsXrcValues) return 0;
  unsigned count = 0;
  if (!Guard("VeldrixPluginGetSettingsXrcValues", [&] { count = entry_.getSettingsXrcValues(values, capacity); })) {
    return 0;
  }
  return std::min(count, capacity);
}

unsigned ModuleCalls::GetMainXrcValues(PluginValuePair* values, unsigned capacity) const {
  if (!values || capacity == 0) return 0;
  std::memset(values, 0, sizeof(PluginValuePair) * capacity);
  if (!entry_.getMainXrcValues) return 0;
  unsigned count = 0;
  if (!Guard("VeldrixPluginGetMainXrcValues", [&] { count = entry_.getMainXrcValues(values, capacity); })) return 0;
  return std::min(count, capacity);
}

unsigned ModuleCalls::GetRowsForControl(const wxString& control, PluginRow* rows, unsigned capacity) const {
  if (!rows || capacity == 0) return 0;
  std::memset(rows, 0, sizeof(PluginRow) * capacity);
  if (!entry_.getRowsForControl) return 0;
  unsigned count = 0;
  const std::wstring name = control.ToStdWstring();
  if (!Guard("VeldrixPluginGetRowsForControl", [&] { count = entry_.getRowsForControl(name.c_str(), rows, capacity); })) {
    return 0;
  }
  return std::min(count, capacity);
}

unsigned ModuleCalls::GetColumnsForControl(const wxString& control, PluginColumn* columns, unsigned capacity) const {
  if (!columns || capacity == 0) return 0;
  std::memset(columns, 0, sizeof(PluginColumn) * capacity);
  if (!entry_.getColumnsForControl) return 0;
  unsigned count = 0;
  const std::wstring name = control.ToStdWstring();
  if (!Guard("VeldrixPluginGetColumnsForControl",
             [&] { count = entry_.getColumnsForControl(name.c_str(), columns, capacity); })) {
    return 0;
  }
  return std::min(count, capacity);
}

bool ModuleCalls::GetImage(const wxString& name, const void** data, unsigned* size) const {
  if (!entry_.getImage || !data || !size) return false;
  int found = 0;
  const std::wstring text = name.ToStdWstring();
  if (!Guard("VeldrixPluginGetImage", [&] { found = entry_.getImage(text.c_str(), data, size); })) return false;
  return found != 0 && *data && *size > 0;
}

}  // namespace veldrix
