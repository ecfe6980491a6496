// Reading string values and sub-key names of the Windows registry, where SQL Server
// keeps its client aliases and the TCP ports of its instances. This platform has no
// registry: the system reader finds nothing. Tests put a reader of their own keys in
// its place to drive the lookups that sit on top of it.
#pragma once

#include <wx/string.h>

#include <vector>

enum class RegistryRoot { LocalMachine, CurrentUser };
// The 64-bit view, the 32-bit view and the caller's default view, in lookup order.
enum class RegistryView { Registry64, Registry32, Default };

class IRegistryReader {
 public:
  virtual ~IRegistryReader() = default;
  // The data of a string value (REG_SZ or REG_EXPAND_SZ, not expanded); false when
  // the key, the value or a string type is missing.
  virtual bool readString(RegistryRoot root, RegistryView view, const wxString& keyPath, const wxString& valueName,
                          wxString* value) const = 0;
  // The names of the key's sub-keys in enumeration order; false when the key does not open.
  virtual bool subKeyNames(RegistryRoot root, RegistryView view, const wxString& keyPath,
                           std::vector<wxString>* names) const = 0;
};

// The registry of this computer: on this platform it holds nothing.
const IRegistryReader& SystemRegistryReader();

// One root and one view: the value up to its first zero character, trimmed; false
// when it is missing or empty.
bool ReadRegistryString(const IRegistryReader& registry, RegistryRoot root, const wxString& keyPath,
                        const wxString& valueName, RegistryView view, wxString* value);
// The first non-empty value under HKEY_LOCAL_MACHINE in the 64-bit, 32-bit and
// default views.
bool ReadMachineRegistryString(const IRegistryReader& registry, const wxString& keyPath, const wxString& valueName,
                               wxString* value);
