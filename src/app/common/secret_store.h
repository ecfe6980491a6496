// Protected secrets of the current operating-system user: remembered database
// passwords and the automatic login. Bytes are sealed with AES-256-GCM under a key
// kept in a file only this user may read, in the configuration folder.
#pragma once

#include <wx/string.h>

#include <vector>

namespace veldrix {

// Seals and opens secrets. The purpose is bound to the record, so a record sealed for
// one purpose does not open under another.
class ISecretStore {
 public:
  virtual ~ISecretStore() = default;
  virtual bool Protect(const std::vector<unsigned char>& plain, const wxString& purpose,
                       std::vector<unsigned char>* sealed, wxString* error) = 0;
  // False for a record sealed under another key or purpose, or altered in any byte.
  virtual bool Unprotect(const std::vector<unsigned char>& sealed, const wxString& purpose,
                         std::vector<unsigned char>* plain, wxString* error) = 0;
};

// The key lives in ConfigFolder()/secret.key (or the given file): 32 random bytes,
// mode 0600, created exclusively on the first Protect. Unprotect never creates it.
// A key file that other users may read, or that is not exactly 32 bytes, is refused.
class FileKeySecretStore : public ISecretStore {
 public:
  FileKeySecretStore() = default;
  explicit FileKeySecretStore(const wxString& keyFile) : keyFile_(keyFile) {}

  bool Protect(const std::vector<unsigned char>& plain, const wxString& purpose,
               std::vector<unsigned char>* sealed, wxString* error) override;
  bool Unprotect(const std::vector<unsigned char>& sealed, const wxString& purpose,
                 std::vector<unsigned char>* plain, wxString* error) override;

  // The key file in use: the one given, else ConfigFolder()/secret.key as it is now.
  wxString KeyFilePath() const;

 private:
  wxString keyFile_;
};

// The process-wide store (a FileKeySecretStore unless replaced).
ISecretStore& SecretStore();
// Replaces the process-wide store (not owned) and returns the previous replacement;
// null restores the default. For tests.
ISecretStore* SetSecretStore(ISecretStore* store);

// Overwrites the bytes with zeros in a way the compiler keeps.
void WipeBytes(std::vector<unsigned char>* bytes);

}  // namespace veldrix
