#include "app/password_protection.h"

#include "app/common/base64.h"
#include "app/common/secret_store.h"

#include <vector>

namespace {
const char kPurpose[] = "Veldrix database password";
}

bool ProtectDatabasePassword(const wxString& password, wxString* record) {
  if (!record) return false;
  const wxScopedCharBuffer utf8 = password.utf8_str();
  std::vector<unsigned char> plain(utf8.data(), utf8.data() + utf8.length());
  std::vector<unsigned char> sealed;
  const bool ok = veldrix::SecretStore().Protect(plain, kPurpose, &sealed, nullptr);
  veldrix::WipeBytes(&plain);
  if (!ok) return false;
  *record = veldrix::EncodeBase64(sealed.data(), sealed.size());
  return true;
}

bool UnprotectDatabasePassword(const wxString& record, wxString* password) {
  if (!password) return false;
  wxMemoryBuffer decoded = veldrix::DecodeBase64(record);
  if (decoded.GetDataLen() == 0) return false;
  const auto* bytes = static_cast<const unsigned char*>(decoded.GetData());
  const std::vector<unsigned char> sealed(bytes, bytes + decoded.GetDataLen());
  std::vector<unsigned char> plain;
  if (!veldrix::SecretStore().Unprotect(sealed, kPurpose, &plain, nullptr)) return false;
  *password = wxString::FromUTF8(reinterpret_cast<const char*>(plain.data()), plain.size());
  veldrix::WipeBytes(&plain);
  return true;
}
