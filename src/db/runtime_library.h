// A client library loaded at run time (libpq, ODPI-C): the first candidate file that
// loads is kept for the rest of the process and its entry points are resolved by
// name. Loading is tried once; a failure is repeated to every later caller.
#pragma once

#include <wx/string.h>

#include <mutex>
#include <utility>
#include <vector>

class RuntimeLibrary {
 public:
  // Entry point name and the slot that receives its address.
  using Symbols = std::vector<std::pair<const char*, void**>>;

  struct Texts {
    wxString notFound;       // no candidate file loaded
    wxString missingSymbol;  // format with one %s: the first missing name
  };

  RuntimeLibrary() = default;
  ~RuntimeLibrary();
  RuntimeLibrary(const RuntimeLibrary&) = delete;
  RuntimeLibrary& operator=(const RuntimeLibrary&) = delete;

  // Loads on the first call and answers every later call with the same outcome. On a
  // missing entry point the library is unloaded and the slots are cleared again.
  bool ensureLoaded(const std::vector<wxString>& candidates, const Symbols& symbols, const Texts& texts,
                    wxString* error);

 private:
  void* handle_ = nullptr;
  mutable std::mutex lock_;
  bool loaded_ = false;
  bool attempted_ = false;
  wxString lastError_;
};

// The library file beside the executable (when its folder is known), then the bare
// name, which the system's library search resolves.
std::vector<wxString> LibraryCandidatePaths(const wxString& fileName);

// Stores the address in a function-pointer slot: POSIX guarantees that object and
// function pointers share one representation.
template <typename Fn>
std::pair<const char*, void**> EntryPoint(const char* name, Fn* slot) {
  return {name, reinterpret_cast<void**>(slot)};
}
