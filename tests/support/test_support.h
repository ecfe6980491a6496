// Helpers shared by the test suites: temporary folders, isolated program folders,
// environment and locale switches.
#pragma once

#include <wx/string.h>

#include <string>

namespace veldrix::test {

// A fresh folder under the system temporary folder, removed with its content.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const wxString& path() const { return path_; }
  wxString file(const wxString& name) const;  // path()/name

 private:
  wxString path_;
};

// Sets an environment variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const wxString& value);
  ~ScopedEnv();

 private:
  std::string name_;
  bool hadValue_;
  wxString oldValue_;
};

// Points the program, configuration and user data folders at temporary ones:
// program/, config/ (XDG_CONFIG_HOME) and data/ (XDG_DATA_HOME), with HOME at the root.
class IsolatedFolders {
 public:
  IsolatedFolders();
  ~IsolatedFolders();

  wxString root() const { return temp_.path(); }
  wxString programFolder() const;

 private:
  TempDir temp_;
  ScopedEnv home_;
  ScopedEnv config_;
  ScopedEnv data_;
};

// Switches the C and C++ locale (LC_ALL) for the lifetime of the object.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name);
  ~ScopedLocale();
  bool ok() const { return ok_; }

 private:
  std::string old_;
  bool ok_;
};

bool LocaleAvailable(const char* name);

// Whether the run must not skip tests that need the servers or the Polish locale.
bool RunningInCi();

// Source tree root (set by CTest), for test data files.
wxString SourceDir();

// The build's output folder of the executable and what lies beside it.
wxString OutputDir();

// Folder for files a person reviews after the run (screenshots and the like).
wxString ArtifactsDir();

// A failed check of wxWidgets (an assertion, on any thread) fails the running test
// with its text and place. The library's own handler opens a modal window in a GUI
// program, which would hold the test until ctest's time-out. Called by the mains.
void FailTestsOnLibraryChecks();

std::string ReadFileBytes(const wxString& path);
void WriteFileBytes(const wxString& path, const std::string& bytes);

}  // namespace veldrix::test
