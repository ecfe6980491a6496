#include "db/registry_reader.h"

namespace {

class NoRegistry : public IRegistryReader {
 public:
  bool readString(RegistryRoot, RegistryView, const wxString&, const wxString&, wxString*) const override {
    return false;
  }
  bool subKeyNames(RegistryRoot, RegistryView, const wxString&, std::vector<wxString>*) const override {
    return false;
  }
};

}  // namespace

const IRegistryReader& SystemRegistryReader() {
  static const NoRegistry registry;
  return registry;
}

bool ReadRegistryString(const IRegistryReader& registry, RegistryRoot root, const wxString& keyPath,
                        const wxString& valueName, RegistryView view, wxString* value) {
  wxString data;
  if (!registry.readString(root, view, keyPath, valueName, &data)) return false;
  const int zero = data.Find(wxUniChar(0));
  if (zero != wxNOT_FOUND) data.Truncate(static_cast<std::size_t>(zero));
  data.Trim(true).Trim(false);
  if (data.empty()) return false;
  if (value) *value = data;
  return true;
}

bool ReadMachineRegistryString(const IRegistryReader& registry, const wxString& keyPath, const wxString& valueName,
                               wxString* value) {
  for (RegistryView view : {RegistryView::Registry64, RegistryView::Registry32, RegistryView::Default}) {
    if (ReadRegistryString(registry, RegistryRoot::LocalMachine, keyPath, valueName, view, value)) return true;
  }
  return false;
}
