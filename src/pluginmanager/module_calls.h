// Every call into module code passes a guard: a C++ exception that a module lets
// out is caught at the boundary, logged and turned into the call's failure, and the
// module is marked failed, so one broken module cannot end the program.
// ModuleCalls is what a host-built page keeps of its module: the entry points with
// each call guarded. Libraries stay loaded for the whole run, so it may be copied
// and kept (also by worker threads) without the pointers dangling.
#pragma once

#include "pluginmanager/plugin_module.h"

#include <wx/string.h>

#include <exception>
#include <utility>
#include <vector>

namespace veldrix {

// The module's message after an exception left `entry`; `what` may be empty.
wxString ModuleExceptionMessage(const char* entry, const wxString& what);

// Logs the exception and returns the module's message.
wxString NoteModuleException(const wxString& moduleId, const char* entry, const wxString& what);

// Marks the module failed in every live host, on the GUI thread (queued when
// called from another thread).
void ReportModuleFailure(const wxString& moduleId, const wxString& message);

// Runs `call`; false with the module's message in *message when it threw.
template <typename Call>
bool GuardModuleCall(const wxString& moduleId, const char* entry, wxString* message, Call&& call) {
  wxString text;
  try {
    std::forward<Call>(call)();
    return true;
  } catch (const std::exception& e) {
    text = NoteModuleException(moduleId, entry, wxString::FromUTF8(e.what()));
  } catch (...) {
    text = NoteModuleException(moduleId, entry, wxString());
  }
  if (message) *message = text;
  return false;
}

class ModuleCalls {
 public:
  ModuleCalls() = default;
  ModuleCalls(const wxString& moduleId, const PluginEntryPoints& entry) : moduleId_(moduleId), entry_(entry) {}
  explicit ModuleCalls(const PluginModule& module) : ModuleCalls(module.Id(), module.entry) {}

  const wxString& ModuleId() const { return moduleId_; }
  const PluginEntryPoints& Entry() const { return entry_; }

  // Each returns what the module answered, or the failure value (0, false) when the
  // entry point is not exported or threw; counts are clamped to the capacity. A
  // throw is reported with ReportModuleFailure. Out buffers are the caller's: text
  // buffers get their first unit set to 0, record buffers are zeroed first.
  bool HasRunAction() const { return entry_.runAction != nullptr; }
  int RunAction(const wxString& action, wchar_t* out, unsigned capacity) const;
  // *answered, when given, gets the count as the module gave it, before clamping.
  unsigned GetMainRows(PluginRow* rows, unsigned capacity, unsigned* answered = nullptr) const;
  unsigned GetRowsForControl(const wxString& control, PluginRow* rows, unsigned capacity,
                             unsigned* answered = nullptr) const;
  unsigned GetColumnsForControl(const wxString& control, PluginColumn* columns, unsigned capacity) const;
  bool GetImage(const wxString& name, const void** data, unsigned* size) const;

  // Every row of an XRC page's main list or grid, or of its control `control`:
  // asked with room for `capacity` rows first; a module that answers a larger count
  // is asked again with room for that many (at most VELDRIX_XRC_PAGE_ROW_LIMIT).
  // The texts stay the module's: copy them before the next call into it.
  std::vector<PluginRow> GetAllMainRows(unsigned capacity) const;
  std::vector<PluginRow> GetAllRowsForControl(const wxString& control, unsigned capacity) const;
  // The name and value pairs of an XRC settings page or main page, copied (at most
  // VELDRIX_XRC_VALUES; null texts read as empty).
  PluginTextPairs GetSettingsXrcValues() const;
  PluginTextPairs GetMainXrcValues() const;

 private:
  template <typename Call>
  bool Guard(const char* entry, Call&& call) const;
  // Zeroes the records, asks the module when `exported`, clamps its count; the
  // count as the module gave it goes to *answered (0 when it failed).
  template <typename Record, typename Call>
  unsigned Fill(const char* entry, bool exported, Record* records, unsigned capacity, Call&& call,
                unsigned* answered = nullptr) const;
  template <typename Fetch>
  std::vector<PluginRow> FetchAllRows(unsigned capacity, Fetch&& fetch) const;
  template <typename Call>
  PluginTextPairs CopyValues(const char* entry, bool exported, Call&& call) const;

  wxString moduleId_;
  PluginEntryPoints entry_;
};

}  // namespace veldrix
