#include "pluginmanager/plugin_module.h"

#include <wx/dynlib.h>

namespace veldrix {

void DetachLibrary::operator()(wxDynamicLibrary* library) const {
  if (!library) return;
  library->Detach();
  delete library;
}

wxString ModuleText(const wchar_t* text) { return text ? wxString(text) : wxString(); }

wxString BufferText(const wchar_t* buffer, std::size_t capacity) {
  if (!buffer) return wxString();
  std::size_t length = 0;
  while (length < capacity && buffer[length] != L'\0') ++length;
  return wxString(buffer, length);
}

wxString PluginModule::Id() const { return ModuleText(info.id); }
wxString PluginModule::Name() const { return ModuleText(info.name); }
wxString PluginModule::Version() const { return ModuleText(info.version); }

wxString PluginModule::LogName() const {
  const wxString id = Id();
  return id.empty() ? libraryPath : id;
}

}  // namespace veldrix
