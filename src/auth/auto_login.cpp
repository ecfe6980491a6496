#include "auth/auto_login.h"

#include "app/common/base64.h"
#include "app/common/config_access.h"
#include "app/common/i18n.h"
#include "app/common/secret_store.h"
#include "auth/auth_service.h"
#include "auth/auth_service_internal.h"

#include <wx/config.h>
#include <wx/log.h>

#include <algorithm>

using auth_detail::CellFlag;
using auth_detail::Guarded;

const wxString kAutoLoginGroup = "/Security/AutoLogin";
const wxString kAutoLoginPurpose = "Veldrix automatic login";

namespace {

// Overwrites the characters before the text is released.
void WipeText(wxString* text) {
  for (wxString::iterator it = text->begin(); it != text->end(); ++it) *it = wxUniChar('\0');
  text->clear();
}

struct AutoLoginRecord {
  wxString username;
  wxString credential;
};

// Reads the record; the path is always set back to "/".
AutoLoginRecord ReadRecord(wxConfigBase* config, bool credentialOnlyWithName) {
  AutoLoginRecord record;
  config->SetPath(kAutoLoginGroup);
  record.username = config->Read("Username", wxString());
  if (!credentialOnlyWithName || !record.username.empty()) record.credential = config->Read("Credential", wxString());
  config->SetPath("/");
  return record;
}

}  // namespace

bool ProtectAutoLoginPassword(const wxString& password, wxString* credential, wxString* error) {
  const wxScopedCharBuffer utf8 = password.utf8_str();
  std::vector<unsigned char> plain(utf8.data(), utf8.data() + utf8.length());
  std::fill(const_cast<char*>(utf8.data()), const_cast<char*>(utf8.data()) + utf8.length(), '\0');
  std::vector<unsigned char> sealed;
  const bool ok = veldrix::SecretStore().Protect(plain, kAutoLoginPurpose, &sealed, nullptr);
  veldrix::WipeBytes(&plain);
  if (!ok || !credential) {
    if (error) *error = _("Nie można zabezpieczyc danych autologowania.");
    return false;
  }
  *credential = veldrix::EncodeBase64(sealed.data(), sealed.size());
  veldrix::WipeBytes(&sealed);
  return true;
}

bool UnprotectAutoLoginPassword(const wxString& credential, wxString* password, wxString* error) {
  const wxMemoryBuffer decoded = veldrix::DecodeBase64(credential);
  if (decoded.GetDataLen() == 0) {
    if (error) *error = _("Zapis autologowania jest uszkodzony.");
    return false;
  }
  const unsigned char* bytes = static_cast<const unsigned char*>(decoded.GetData());
  std::vector<unsigned char> plain;
  if (!veldrix::SecretStore().Unprotect(std::vector<unsigned char>(bytes, bytes + decoded.GetDataLen()),
                                        kAutoLoginPurpose, &plain, nullptr)) {
    if (error) *error = _("Nie można odczytać danych autologowania na tym koncie Linux.");
    return false;
  }
  if (password) {
    *password = wxString::FromUTF8(reinterpret_cast<const char*>(plain.data()), plain.size());
  }
  veldrix::WipeBytes(&plain);
  return true;
}

bool AuthService::GetAutoLoginUser(AuthUser* user, wxString* error) {
  return Guarded(error, [&] {
    if (!CheckDatabase(error)) return false;
    const std::vector<wxString> cells = Read(auth_detail::kUserListQuery);
    if (cells.empty()) {
      if (error) *error = _("Autologowanie wymaga dokładnie jednego użytkownika.");
      return false;
    }
    if (cells.size() != 5) {
      if (error) *error = _("Autologowanie jest dostępne tylko wtedy, gdy istnieje jedno konto.");
      return false;
    }
    if (!CellFlag(cells[3])) {
      if (error) *error = _("Jedyne konto musi być aktywne, aby włączyć autologowanie.");
      return false;
    }
    if (user) *user = auth_detail::UserFromRow(cells, 0);
    return true;
  });
}

bool AuthService::EnableAutoLogin(const wxString& username, const wxString& password, wxString* error) {
  AuthUser account;
  if (!GetAutoLoginUser(&account, error)) return false;
  if (!username.IsSameAs(account.username, false)) {
    if (error) *error = _("Autologowanie można włączyć tylko dla jedynego aktywnego konta.");
    return false;
  }
  // The stored spelling: the name was matched ignoring case above, while the database
  // may compare names exactly (SQLite does).
  wxString loginError;
  if (!Login(account.username, password, &loginError)) {
    if (error) *error = loginError;
    return false;
  }
  wxString credential;
  if (!ProtectAutoLoginPassword(password, &credential, error)) return false;
  veldrix::ConfigAccess access;
  wxConfigBase* config = access.get();
  if (!config) {
    if (error) *error = _("Brak konfiguracji programu.");
    return false;
  }
  config->SetPath(kAutoLoginGroup);
  config->Write("Username", account.username);
  config->Write("Credential", credential);
  config->SetPath("/");
  // A record the file never received would leave the user believing it is on.
  return veldrix::FlushConfig(config, error);
}

void AuthService::DisableAutoLogin() {
  veldrix::ConfigAccess access;
  wxConfigBase* config = access.get();
  if (!config) return;
  config->SetPath("/Security");
  config->DeleteGroup("AutoLogin");
  config->SetPath("/");
  // The record stays as the file keeps it, so IsAutoLoginEnabled tells the caller.
  wxString error;
  if (!veldrix::FlushConfig(config, &error)) wxLogError("Automatic login was not switched off: %s", error);
}

bool AuthService::IsAutoLoginEnabled() {
  veldrix::ConfigAccess access;
  wxConfigBase* config = access.get();
  if (!config) return false;
  const AutoLoginRecord record = ReadRecord(config, true);
  return !record.username.empty() && !record.credential.empty();
}

bool AuthService::TryAutoLogin(wxString* error) {
  if (!IsAutoLoginEnabled()) return false;
  AuthUser account;
  if (!GetAutoLoginUser(&account, error)) {
    DisableAutoLogin();
    return false;
  }
  AutoLoginRecord record = ReadRecord(veldrix::ConfigAccess().get(), false);
  if (!record.username.IsSameAs(account.username, false)) {
    DisableAutoLogin();
    if (error) *error = _("Zapis autologowania nie pasuje do aktywnego użytkownika.");
    return false;
  }
  wxString password;
  if (!UnprotectAutoLoginPassword(record.credential, &password, error)) {
    DisableAutoLogin();
    return false;
  }
  const bool loggedInNow = Login(account.username, password, error);
  WipeText(&password);
  if (!loggedInNow) DisableAutoLogin();
  return loggedInNow;
}
