#include "app/common/private_file.h"

#include "app/common/crash_point.h"
#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "app/common/work_files.h"

#include <wx/filename.h>

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace veldrix {
namespace {

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

wxString SystemError(int code) { return wxString::FromUTF8(std::strerror(code)); }

void SetError(wxString* error, const wxString& text) {
  if (error) *error = text;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Takes group and other access away from a file created before it was kept private.
void RestrictToOwner(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) == 0 && (info.st_mode & 077) != 0) ::fchmod(fd, info.st_mode & 0700);
}

}  // namespace

void SyncFolder(const wxString& folder) {
  const int fd = ::open(folder.fn_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

bool AppendToPrivateFile(const wxString& path, const char* data, size_t size) {
  if (!EnsureFolder(wxFileName(path).GetPath())) return false;
  const int fd = ::open(path.fn_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, kOwnerOnly);
  if (fd < 0) return false;
  RestrictToOwner(fd);
  const bool written = WriteAll(fd, data, size);
  ::close(fd);
  return written;
}

bool CreatePrivateFile(const wxString& path) {
  const int fd = ::open(path.fn_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kOwnerOnly);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  return errno == EEXIST;
}

bool ReplaceFileAtomically(const wxString& path, const std::string& bytes, wxString* error) {
  const wxFileName target(path);
  const wxString folder = target.GetPath();
  // The copies a writer killed before its rename left go at the next write.
  wxString workFile;
  const int fd = CreateWorkFile(folder, target.GetFullName() + ".", &workFile);
  if (fd < 0) {
    const int createErrno = errno;
    SetError(error, FailureOnPath(_("Nie udało się utworzyć pliku obok %s: %s"), path, createErrno));
    return false;
  }
  const std::string temp(workFile.fn_str());
  const bool written = WriteAll(fd, bytes.data(), bytes.size()) && ::fsync(fd) == 0;
  const int writeErrno = errno;
  ::close(fd);
  if (!written) {
    ::unlink(temp.c_str());
    SetError(error, FailureOnPath(_("Nie udało się zapisać pliku %s: %s"), path, writeErrno));
    return false;
  }
  CrashPoint("file replacement");
  if (std::rename(temp.c_str(), path.fn_str()) != 0) {
    const int renameErrno = errno;
    ::unlink(temp.c_str());
    SetError(error, FailureOnPath(_("Nie udało się zastąpić pliku %s: %s"), path, renameErrno));
    return false;
  }
  SyncFolder(folder);
  return true;
}

bool MoveWithoutReplacing(const wxString& from, const wxString& to, bool* targetExists, wxString* error) {
  if (targetExists) *targetExists = false;
  int result = ::renameat2(AT_FDCWD, from.fn_str(), AT_FDCWD, to.fn_str(), RENAME_NOREPLACE);
  if (result != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
    // A file system without the flag: a hard link refuses an existing name as well.
    result = ::link(from.fn_str(), to.fn_str());
    if (result == 0) ::unlink(from.fn_str());
  }
  if (result != 0) {
    const int code = errno;
    if (targetExists) *targetExists = code == EEXIST;
    SetError(error, SystemError(code));
    return false;
  }
  SyncFolder(wxFileName(to).GetPath());
  return true;
}

}  // namespace veldrix
