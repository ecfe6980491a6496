#include "test_support.h"

#include "app/common/paths.h"

#include <gtest/gtest.h>
#include <wx/debug.h>
#include <wx/dir.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/utils.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>
#include <stdexcept>

namespace veldrix::test {

TempDir::TempDir() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/veldrix-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = wxString::FromUTF8(pattern.c_str());
}

TempDir::~TempDir() { wxFileName::Rmdir(path_, wxPATH_RMDIR_RECURSIVE); }

wxString TempDir::file(const wxString& name) const { return JoinPath(path_, name); }

ScopedEnv::ScopedEnv(const char* name, const wxString& value) : name_(name) {
  hadValue_ = wxGetEnv(name, &oldValue_);
  wxSetEnv(name, value);
}

ScopedEnv::~ScopedEnv() {
  if (hadValue_) {
    wxSetEnv(name_, oldValue_);
  } else {
    wxUnsetEnv(name_);
  }
}

IsolatedFolders::IsolatedFolders()
    : home_("HOME", temp_.path()),
      config_("XDG_CONFIG_HOME", temp_.file("config")),
      data_("XDG_DATA_HOME", temp_.file("data")) {
  wxFileName::Mkdir(programFolder(), wxS_DIR_DEFAULT, wxPATH_MKDIR_FULL);
  SetProgramFolderOverride(programFolder());
}

IsolatedFolders::~IsolatedFolders() { SetProgramFolderOverride(wxString()); }

wxString IsolatedFolders::programFolder() const { return temp_.file("program"); }

ScopedLocale::ScopedLocale(const char* name) {
  const char* current = std::setlocale(LC_ALL, nullptr);
  old_ = current ? current : "C";
  ok_ = std::setlocale(LC_ALL, name) != nullptr;
}

ScopedLocale::~ScopedLocale() { std::setlocale(LC_ALL, old_.c_str()); }

bool LocaleAvailable(const char* name) {
  ScopedLocale probe(name);
  return probe.ok();
}

bool RunningInCi() {
  const char* ci = std::getenv("CI");
  return ci && *ci && std::string(ci) != "0" && std::string(ci) != "false";
}

namespace {
wxString EnvOr(const char* name, const wxString& fallback) {
  wxString value;
  return wxGetEnv(name, &value) && !value.empty() ? value : fallback;
}
}  // namespace

wxString SourceDir() { return EnvOr("VELDRIX_TEST_SOURCE_DIR", wxGetCwd()); }

wxString OutputDir() { return EnvOr("VELDRIX_TEST_OUTPUT_DIR", wxGetCwd()); }

wxString ArtifactsDir() {
  const wxString dir = EnvOr("VELDRIX_TEST_ARTIFACTS", JoinPath(wxGetCwd(), "test-artifacts"));
  EnsureFolder(dir);
  return dir;
}

std::string ReadFileBytes(const wxString& path) {
  std::ifstream in(path.fn_str(), std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void WriteFileBytes(const wxString& path, const std::string& bytes) {
  std::ofstream out(path.fn_str(), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

void FailTheTest(const wxString& file, int line, const wxString& function, const wxString& condition,
                 const wxString& message) {
  const std::string where = file.utf8_string();
  ADD_FAILURE_AT(where.c_str(), line) << "wxWidgets assertion " << condition.utf8_string() << " failed in "
                                      << function.utf8_string() << "(): " << message.utf8_string();
}

}  // namespace

void FailTestsOnLibraryChecks() { wxSetAssertHandler(FailTheTest); }

}  // namespace veldrix::test
