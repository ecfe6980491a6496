#include "app/common/work_files.h"

#include "app/common/paths.h"

#include <wx/dir.h>

#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <string>

namespace veldrix {
namespace {

// The host's name as a name part: processes of another machine sharing the folder
// are not ours to judge.
wxString ReadHostPart() {
  char name[256] = {};
  if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0') return "localhost";
  std::string part;
  for (const char* c = name; *c; ++c) {
    const unsigned char u = static_cast<unsigned char>(*c);
    part += std::isalnum(u) || u == '-' || u == '_' ? *c : '_';
  }
  return wxString::FromAscii(part.c_str());
}

const wxString& HostPart() {
  static const wxString part = ReadHostPart();
  return part;
}

wxString OwnerPrefix(const wxString& prefix) { return prefix + HostPart() + "."; }

std::string Template(const wxString& folder, const wxString& prefix) {
  const wxString name = OwnerPrefix(prefix) + wxString::Format("%ld.XXXXXX", static_cast<long>(::getpid()));
  return std::string(JoinPath(folder, name).fn_str());
}

// A process that exists, ours or another user's (EPERM), still runs.
bool ProcessRuns(long pid) { return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM; }

// The owner's pid from "<pid>.<random>...", 0 when the rest is not of that form.
long OwnerPid(const wxString& rest) {
  const wxString digits = rest.BeforeFirst('.');
  if (digits.empty() || digits.length() > 9 || rest.AfterFirst('.').length() < 6) return 0;
  for (wxUniChar c : digits) {
    if (c < '0' || c > '9') return 0;
  }
  long pid = 0;
  return digits.ToLong(&pid) ? pid : 0;
}

int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
  std::remove(path);
  return 0;  // what cannot go stays; the rest still goes
}

}  // namespace

int CreateWorkFile(const wxString& folder, const wxString& prefix, wxString* path,
                   std::vector<wxString>* removed) {
  std::vector<wxString> gone = RemoveAbandonedWorkFiles(folder, prefix);
  if (removed) *removed = std::move(gone);
  std::string name = Template(folder, prefix);
  const int fd = ::mkostemp(&name[0], O_CLOEXEC);
  if (fd >= 0 && path) *path = wxString(name.c_str(), *wxConvFileName);
  return fd;
}

bool CreateWorkFolder(const wxString& folder, const wxString& prefix, wxString* path) {
  RemoveAbandonedWorkFiles(folder, prefix);
  std::string name = Template(folder, prefix);
  if (!::mkdtemp(&name[0])) return false;
  if (path) *path = wxString(name.c_str(), *wxConvFileName);
  return true;
}

std::vector<wxString> RemoveAbandonedWorkFiles(const wxString& folder, const wxString& prefix) {
  std::vector<wxString> removed;
  const wxString where = folder.empty() ? wxString(".") : folder;
  const wxString owner = OwnerPrefix(prefix);
  // Prefixes hold no wildcard, so the folder lists only this operation's names.
  for (const wxString& name : SortedFolderEntries(where, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN, owner + "*")) {
    const long pid = OwnerPid(name.Mid(owner.length()));
    if (pid <= 0 || ProcessRuns(pid)) continue;
    const wxString path = JoinPath(where, name);
    const std::string native(path.fn_str());
    struct stat info {};
    if (::lstat(native.c_str(), &info) != 0 || info.st_uid != ::geteuid()) continue;
    if (S_ISDIR(info.st_mode)) {
      ::nftw(native.c_str(), &RemoveOne, 16, FTW_DEPTH | FTW_PHYS | FTW_MOUNT);
    } else if (S_ISREG(info.st_mode)) {
      ::unlink(native.c_str());
    } else {
      continue;
    }
    removed.push_back(path);
  }
  return removed;
}

}  // namespace veldrix
