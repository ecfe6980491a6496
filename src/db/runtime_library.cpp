#include "db/runtime_library.h"

#include "app/common/paths.h"

#include <dlfcn.h>

RuntimeLibrary::~RuntimeLibrary() {
  // The library stays mapped until the process ends: connections of other objects
  // may still hold handles made by it.
}

bool RuntimeLibrary::ensureLoaded(const std::vector<wxString>& candidates, const Symbols& symbols, const Texts& texts,
                                  wxString* error) {
  std::lock_guard<std::mutex> guard(lock_);
  if (loaded_) return true;
  if (attempted_) {
    if (error) *error = lastError_;
    return false;
  }
  attempted_ = true;
  for (const wxString& candidate : candidates) {
    handle_ = dlopen(candidate.utf8_str(), RTLD_NOW | RTLD_GLOBAL);
    if (handle_) break;
  }
  if (!handle_) {
    lastError_ = texts.notFound;
    if (error) *error = lastError_;
    return false;
  }
  for (const auto& symbol : symbols) {
    void* address = dlsym(handle_, symbol.first);
    if (!address) {
      lastError_ = wxString::Format(texts.missingSymbol, symbol.first);
      break;
    }
    *symbol.second = address;
  }
  if (lastError_.empty()) {
    loaded_ = true;
    return true;
  }
  for (const auto& symbol : symbols) *symbol.second = nullptr;
  dlclose(handle_);
  handle_ = nullptr;
  if (error) *error = lastError_;
  return false;
}

std::vector<wxString> LibraryCandidatePaths(const wxString& fileName) {
  std::vector<wxString> paths;
  const wxString folder = veldrix::ProgramFolder();
  if (!folder.empty()) paths.push_back(veldrix::JoinPath(folder, fileName));
  paths.push_back(fileName);
  return paths;
}
