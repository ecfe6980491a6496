#include "auth/password_record.h"

#include "app/common/i18n.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace {

constexpr size_t kKeyBytes = 32;
constexpr size_t kSaltBytes = 16;

// Length as the rule counts it: UTF-16 code units, so a Polish letter counts once and
// a character outside the Basic Multilingual Plane twice.
size_t Utf16Length(const wxString& text) {
  size_t length = 0;
  for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
    length += (static_cast<wxUint32>(*it) > 0xFFFF) ? 2 : 1;
  }
  return length;
}

}  // namespace

bool DerivePasswordKey(const wxString& password, const std::vector<unsigned char>& salt, int iterations,
                       std::vector<unsigned char>* key) {
  if (!key || iterations < 1) return false;
  const wxScopedCharBuffer utf8 = password.utf8_str();
  // A text that does not encode (a stray surrogate) converts to nothing; deriving from
  // that would make it equal to the empty password.
  if (!password.empty() && utf8.length() == 0) return false;
  key->assign(kKeyBytes, 0);
  const unsigned char* saltBytes = salt.empty() ? nullptr : salt.data();
  static const unsigned char kNoSalt = 0;
  const int ok = PKCS5_PBKDF2_HMAC(utf8.data(), static_cast<int>(utf8.length()), saltBytes ? saltBytes : &kNoSalt,
                                   static_cast<int>(salt.size()), iterations, EVP_sha256(),
                                   static_cast<int>(kKeyBytes), key->data());
  OPENSSL_cleanse(const_cast<char*>(utf8.data()), utf8.length());
  return ok == 1;
}

bool HashPassword(const wxString& password, wxString* hashHex, wxString* saltHex, int* iterations,
                  wxString* error) {
  if (Utf16Length(password) < 8) {
    if (error) *error = _("Hasło musi mieć co najmniej 8 znaków.");
    return false;
  }
  std::vector<unsigned char> salt(kSaltBytes);
  if (RAND_bytes(salt.data(), static_cast<int>(salt.size())) != 1) {
    if (error) *error = _("Nie można wygenerować bezpiecznej soli hasła.");
    return false;
  }
  std::vector<unsigned char> key;
  if (!DerivePasswordKey(password, salt, kPasswordIterations, &key)) {
    if (error) *error = _("Nie można obliczyć skrótu hasła.");
    return false;
  }
  *hashHex = EncodeHex(key);
  *saltHex = EncodeHex(salt);
  *iterations = kPasswordIterations;
  OPENSSL_cleanse(key.data(), key.size());
  return true;
}

bool VerifyPassword(const wxString& password, const wxString& hashHex, const wxString& saltHex, int iterations,
                    wxString* error) {
  std::vector<unsigned char> salt;
  std::vector<unsigned char> stored;
  // A negative count never comes out of HashPassword; AuthService::LoadUser also maps an
  // unreadable count column to -1, so both are a damaged record rather than a mismatch.
  if (!DecodeHex(saltHex, &salt) || !DecodeHex(hashHex, &stored) || iterations < 0) {
    if (error) *error = _("Zapis hasla jest uszkodzony.");
    return false;
  }
  std::vector<unsigned char> derived;
  if (!DerivePasswordKey(password, salt, iterations, &derived)) {
    if (error) *error = _("Nie można zweryfikowac hasla.");
    return false;
  }
  if (derived.size() != stored.size()) return false;
  unsigned char difference = 0;
  for (size_t i = 0; i < derived.size(); ++i) difference |= static_cast<unsigned char>(derived[i] ^ stored[i]);
  OPENSSL_cleanse(derived.data(), derived.size());
  return difference == 0;
}
