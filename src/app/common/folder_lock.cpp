#include "app/common/folder_lock.h"

#include "app/common/i18n.h"
#include "app/common/paths.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace veldrix {

FolderLock::FolderLock(const wxString& folder, bool wait)
    : folder_(folder), fd_(::open(folder.fn_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (fd_ < 0) {
    error_ = errno;
    return;
  }
  int result;
  do {
    result = ::flock(fd_, wait ? LOCK_EX : LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    error_ = errno;
    ::close(fd_);
    fd_ = -1;
  }
}

FolderLock::~FolderLock() {
  if (fd_ >= 0) ::close(fd_);
}

bool FolderLock::busy() const { return error_ == EWOULDBLOCK; }

wxString FolderLock::FailureText() const {
  return FailureOnPath(_("Nie udało się zablokować katalogu %s: %s"), folder_, error_);
}

}  // namespace veldrix
