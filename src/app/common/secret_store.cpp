#include "app/common/secret_store.h"

#include "app/common/i18n.h"
#include "app/common/paths.h"

#include <wx/filename.h>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

namespace veldrix {
namespace {

constexpr size_t kKeyBytes = 32;
constexpr size_t kNonceBytes = 12;
constexpr size_t kTagBytes = 16;
constexpr unsigned char kFormat = 1;
// Bound with the purpose as associated data; the format byte is part of it, so a
// record cannot be replayed under a later format either.
constexpr char kContext[] = "Veldrix protected secret";

struct CipherCtxFree {
  void operator()(EVP_CIPHER_CTX* ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherCtx = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;

// 32 key bytes that wipe themselves.
struct Key {
  unsigned char bytes[kKeyBytes] = {};
  ~Key() { OPENSSL_cleanse(bytes, sizeof bytes); }
};

std::string AssociatedData(const wxString& purpose) {
  std::string data(kContext);
  data.push_back('\0');
  data.push_back(static_cast<char>(kFormat));
  const wxScopedCharBuffer utf8 = purpose.utf8_str();
  data.append(utf8.data(), utf8.length());
  return data;
}

// Moves all size bytes through read or write, resuming after short transfers and
// signals; false on an error or an early end of file.
template <typename Byte, typename Transfer>
bool TransferAll(int fd, Byte* data, size_t size, Transfer transfer) {
  while (size > 0) {
    const ssize_t n = transfer(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool WriteAll(int fd, const unsigned char* data, size_t size) { return TransferAll(fd, data, size, ::write); }

bool ReadAll(int fd, unsigned char* data, size_t size) { return TransferAll(fd, data, size, ::read); }

// Reads the key; *missing tells a file that is not there from one that is unusable.
bool ReadKey(const wxString& path, Key* key, bool* missing, wxString* error) {
  *missing = false;
  const int fd = ::open(path.fn_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    const int openErrno = errno;
    if (openErrno == ENOENT) {
      *missing = true;
      if (error) *error = wxString::Format(_("Brak klucza danych chronionych: %s"), path);
    } else if (error) {
      *error = FailureOnPath(_("Nie można odczytać klucza danych chronionych %s: %s"), path, openErrno);
    }
    return false;
  }
  struct stat info {};
  bool ok = ::fstat(fd, &info) == 0;
  if (ok && (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0)) {
    // A key others could read no longer binds anything to this user.
    if (error) *error = wxString::Format(_("Klucz danych chronionych %s jest dostępny dla innych użytkowników."), path);
    ::close(fd);
    return false;
  }
  ok = ok && info.st_size == static_cast<off_t>(kKeyBytes) && ReadAll(fd, key->bytes, kKeyBytes);
  ::close(fd);
  if (!ok && error) *error = wxString::Format(_("Plik klucza danych chronionych %s jest uszkodzony."), path);
  return ok;
}

// Writes a fresh key beside the final name and links it into place, so the name never
// shows a half-written file and two processes creating it at once agree on one key.
bool CreateKey(const wxString& path, Key* key, wxString* error) {
  const wxString failed = wxString::Format(_("Nie można utworzyć klucza danych chronionych %s."), path);
  // Creating the parents races with another thread or process doing the same (one of
  // them sees a parent vanish into existence and gives up); a second try settles it.
  const wxString folder = wxFileName(path).GetPath();
  if (!EnsureFolder(folder) && !EnsureFolder(folder)) {
    if (error) *error = failed;
    return false;
  }
  if (RAND_bytes(key->bytes, static_cast<int>(kKeyBytes)) != 1) {
    if (error) *error = failed;
    return false;
  }
  static std::atomic<unsigned> counter{0};
  const wxString temp = wxString::Format("%s.%ld.%u.new", path, static_cast<long>(::getpid()), ++counter);
  const int fd = ::open(temp.fn_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) {
    if (error) *error = failed;
    return false;
  }
  const bool written = ::fchmod(fd, S_IRUSR | S_IWUSR) == 0 && WriteAll(fd, key->bytes, kKeyBytes) && ::fsync(fd) == 0;
  ::close(fd);
  if (!written) {
    ::unlink(temp.fn_str());
    if (error) *error = failed;
    return false;
  }
  const int linked = ::link(temp.fn_str(), path.fn_str());
  const int linkErrno = errno;
  ::unlink(temp.fn_str());
  if (linked == 0) return true;
  if (linkErrno == EEXIST) {
    bool missing = false;
    return ReadKey(path, key, &missing, error);
  }
  if (error) *error = failed;
  return false;
}

// AES-256-GCM over size bytes with the purpose as associated data. Encrypting writes
// the tag; decrypting checks it, so any changed byte, another key or another purpose
// fails here.
bool RunGcm(bool encrypt, const Key& key, const unsigned char* nonce, const wxString& purpose,
            const unsigned char* in, size_t size, unsigned char* out, unsigned char* tag) {
  const std::string aad = AssociatedData(purpose);
  CipherCtx ctx(EVP_CIPHER_CTX_new());
  int length = 0;
  unsigned char scratch[16];  // GCM's final step writes nothing; this only keeps the pointer valid
  const int mode = encrypt ? 1 : 0;
  return ctx && EVP_CipherInit_ex(ctx.get(), EVP_aes_256_gcm(), nullptr, key.bytes, nonce, mode) == 1 &&
         EVP_CipherUpdate(ctx.get(), nullptr, &length, reinterpret_cast<const unsigned char*>(aad.data()),
                          static_cast<int>(aad.size())) == 1 &&
         (size == 0 || EVP_CipherUpdate(ctx.get(), out, &length, in, static_cast<int>(size)) == 1) &&
         (encrypt || EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_SET_TAG, static_cast<int>(kTagBytes), tag) == 1) &&
         EVP_CipherFinal_ex(ctx.get(), scratch, &length) == 1 &&
         (!encrypt || EVP_CIPHER_CTX_ctrl(ctx.get(), EVP_CTRL_GCM_GET_TAG, static_cast<int>(kTagBytes), tag) == 1);
}

std::atomic<ISecretStore*>& StoreOverride() {
  static std::atomic<ISecretStore*> store{nullptr};
  return store;
}

}  // namespace

wxString FileKeySecretStore::KeyFilePath() const {
  return keyFile_.empty() ? JoinPath(ConfigFolder(), "secret.key") : keyFile_;
}

bool FileKeySecretStore::Protect(const std::vector<unsigned char>& plain, const wxString& purpose,
                                 std::vector<unsigned char>* sealed, wxString* error) {
  if (!sealed) return false;
  const wxString path = KeyFilePath();
  Key key;
  bool missing = false;
  if (!ReadKey(path, &key, &missing, error) && !(missing && CreateKey(path, &key, error))) return false;

  // format byte | nonce | ciphertext | tag
  std::vector<unsigned char> out(1 + kNonceBytes + plain.size() + kTagBytes);
  out[0] = kFormat;
  unsigned char* nonce = out.data() + 1;
  unsigned char* body = nonce + kNonceBytes;
  if (RAND_bytes(nonce, static_cast<int>(kNonceBytes)) != 1 ||
      !RunGcm(true, key, nonce, purpose, plain.data(), plain.size(), body, body + plain.size())) {
    WipeBytes(&out);
    if (error) *error = _("Nie można zaszyfrować danych chronionych.");
    return false;
  }
  WipeBytes(sealed);
  sealed->swap(out);
  return true;
}

bool FileKeySecretStore::Unprotect(const std::vector<unsigned char>& sealed, const wxString& purpose,
                                   std::vector<unsigned char>* plain, wxString* error) {
  if (!plain) return false;
  const wxString notReadable = _("Nie można odczytać danych chronionych.");
  if (sealed.size() < 1 + kNonceBytes + kTagBytes || sealed[0] != kFormat) {
    if (error) *error = notReadable;
    return false;
  }
  Key key;
  bool missing = false;
  if (!ReadKey(KeyFilePath(), &key, &missing, error)) return false;

  const unsigned char* nonce = sealed.data() + 1;
  const unsigned char* body = nonce + kNonceBytes;
  const size_t bodySize = sealed.size() - 1 - kNonceBytes - kTagBytes;
  unsigned char tag[kTagBytes];
  std::memcpy(tag, body + bodySize, kTagBytes);
  std::vector<unsigned char> out(bodySize);
  if (!RunGcm(false, key, nonce, purpose, body, bodySize, out.data(), tag)) {
    WipeBytes(&out);
    if (error) *error = notReadable;
    return false;
  }
  WipeBytes(plain);
  plain->swap(out);
  return true;
}

ISecretStore& SecretStore() {
  if (ISecretStore* replaced = StoreOverride().load()) return *replaced;
  static FileKeySecretStore store;
  return store;
}

ISecretStore* SetSecretStore(ISecretStore* store) { return StoreOverride().exchange(store); }

void WipeBytes(std::vector<unsigned char>* bytes) {
  if (bytes && !bytes->empty()) OPENSSL_cleanse(bytes->data(), bytes->size());
}

}  // namespace veldrix
