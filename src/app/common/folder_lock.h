// An exclusive lock over a folder, held while one process changes what is in it:
// the configuration file's merge and write, a module staging. Released when the
// object goes, and by the system when the process dies.
#pragma once

#include <wx/string.h>

namespace veldrix {

class FolderLock {
 public:
  // Waits for the lock (a signal does not end the wait), or with wait false takes
  // it only when it is free.
  explicit FolderLock(const wxString& folder, bool wait = true);
  ~FolderLock();
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

  // False when the folder could not be opened or locked or, without waiting, another holds it.
  bool held() const { return fd_ >= 0; }
  // Without waiting, another holds it: not held, but nothing failed.
  bool busy() const;
  // Why it is not held, for the user: the folder and the system's message.
  wxString FailureText() const;

 private:
  wxString folder_;
  int fd_;
  int error_ = 0;
};

}  // namespace veldrix
