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

template <typename Record, typename Call>
unsigned ModuleCalls::Fill(const char* entry, bool exported, Record* records, unsigned capacity, Call&& call,
                           unsigned* answered) const {
  if (answered) *answered = 0;
  if (!records || capacity == 0) return 0;
  std::memset(records, 0, sizeof(Record) * capacity);
  if (!exported) return 0;
  unsigned count = 0;
  if (!Guard(entry, [&] { count = call(); })) return 0;
  if (answered) *answered = count;
  return std::min(count, capacity);
}

template <typename Fetch>
std::vector<PluginRow> ModuleCalls::FetchAllRows(unsigned capacity, Fetch&& fetch) const {
  std::vector<PluginRow> rows(capacity);
  unsigned answered = 0;
  unsigned count = fetch(rows.data(), capacity, &answered);
  if (answered > capacity) {
    const unsigned all = std::min(answered, VELDRIX_XRC_PAGE_ROW_LIMIT);
    rows.assign(all, PluginRow{});
    count = fetch(rows.data(), all, &answered);
  }
  rows.resize(count);
  return rows;
}

std::vector<PluginRow> ModuleCalls::GetAllMainRows(unsigned capacity) const {
  return FetchAllRows(capacity, [this](PluginRow* rows, unsigned room, unsigned* answered) {
    return GetMainRows(rows, room, answered);
  });
}

std::vector<PluginRow> ModuleCalls::GetAllRowsForControl(const wxString& control, unsigned capacity) const {
  return FetchAllRows(capacity, [this, &control](PluginRow* rows, unsigned room, unsigned* answered) {
    return GetRowsForControl(control, rows, room, answered);
  });
}

unsigned ModuleCalls::GetMainRows(PluginRow* rows, unsigned capacity, unsigned* answered) const {
  return Fill("VeldrixPluginGetMainRows", entry_.getMainRows != nullptr, rows, capacity,
              [&] { return entry_.getMainRows(rows, capacity); }, answered);
}

unsigned ModuleCalls::GetRowsForControl(const wxString& control, PluginRow* rows, unsigned capacity,
                                        unsigned* answered) const {
  const std::wstring name = control.ToStdWstring();
  return Fill("VeldrixPluginGetRowsForControl", entry_.getRowsForControl != nullptr, rows, capacity,
              [&] { return entry_.getRowsForControl(name.c_str(), rows, capacity); }, answered);
}

template <typename Call>
PluginTextPairs ModuleCalls::CopyValues(const char* entry, bool exported, Call&& call) const {
  std::vector<PluginValuePair> values(VELDRIX_XRC_VALUES);
  const unsigned count =
      Fill(entry, exported, values.data(), VELDRIX_XRC_VALUES, [&] { return call(values.data(), VELDRIX_XRC_VALUES); });
  PluginTextPairs pairs;
  pairs.reserve(count);
  for (unsigned i = 0; i < count; ++i) pairs.emplace_back(ModuleText(values[i].first), ModuleText(values[i].second));
  return pairs;
}

PluginTextPairs ModuleCalls::GetSettingsXrcValues() const {
  return CopyValues("VeldrixPluginGetSettingsXrcValues", entry_.getSettingsXrcValues != nullptr,
                    [this](PluginValuePair* values, unsigned room) { return entry_.getSettingsXrcValues(values, room); });
}

PluginTextPairs ModuleCalls::GetMainXrcValues() const {
  return CopyValues("VeldrixPluginGetMainXrcValues", entry_.getMainXrcValues != nullptr,
                    [this](PluginValuePair* values, unsigned room) { return entry_.getMainXrcValues(values, room); });
}

unsigned ModuleCalls::GetColumnsForControl(const wxString& control, PluginColumn* columns, unsigned capacity) const {
  const std::wstring name = control.ToStdWstring();
  return Fill("VeldrixPluginGetColumnsForControl", entry_.getColumnsForControl != nullptr, columns, capacity,
              [&] { return entry_.getColumnsForControl(name.c_str(), columns, capacity); });
}

bool ModuleCalls::GetImage(const wxString& name, const void** data, unsigned* size) const {
  if (!entry_.getImage || !data || !size) return false;
  int found = 0;
  const std::wstring text = name.ToStdWstring();
  if (!Guard("VeldrixPluginGetImage", [&] { found = entry_.getImage(text.c_str(), data, size); })) return false;
  return found != 0 && *data && *size > 0;
}

}  // namespace veldrix
