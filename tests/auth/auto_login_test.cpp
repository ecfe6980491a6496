// The automatic login: the sealed record in the configuration file and when it logs in.
#include "auth/auto_login.h"

#include "app/common/paths.h"
#include "app/common/secret_store.h"
#include "auth_fixture.h"

#include <wx/base64.h>

#include <sys/stat.h>

using auth_test::Account;
using auth_test::AuthDatabase;
using auth_test::U8;

namespace {

const char kPassword[] = "Tajne-Hasło-42";

class AutoLogin : public AuthDatabase {
 protected:
  void SetUp() override {
    AuthDatabase::SetUp();
    CreateAdministrator("admin", U8(kPassword));
  }

  wxString Stored(const wxString& key) {
    wxConfigBase* config = wxConfigBase::Get(false);
    config->SetPath(kAutoLoginGroup);
    const wxString value = config->Read(key, wxString());
    config->SetPath("/");
    return value;
  }

  void Store(const wxString& key, const wxString& value) {
    wxConfigBase* config = wxConfigBase::Get(false);
    config->SetPath(kAutoLoginGroup);
    config->Write(key, value);
    config->SetPath("/");
    config->Flush();
  }

  // A fresh service, as at the next start of the program.
  void Restart() { service = std::make_unique<AuthService>(db.get()); }

  wxString ConfigFileText() { return wxString::FromUTF8(veldrix::test::ReadFileBytes(configPath)); }
};

std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back(digits[c >> 4]);
    out.push_back(digits[c & 15]);
  }
  return out;
}

}  // namespace

TEST_F(AutoLogin, EnabledRecordLogsInAtTheNextStart) {
  wxString error;
  EXPECT_FALSE(service->IsAutoLoginEnabled());
  EXPECT_FALSE(service->TryAutoLogin(&error));
  EXPECT_TRUE(error.empty());

  ASSERT_TRUE(service->EnableAutoLogin("ADMIN", U8(kPassword), &error)) << error;
  EXPECT_TRUE(service->loggedIn);
  EXPECT_TRUE(service->IsAutoLoginEnabled());
  EXPECT_EQ(Stored("Username"), "admin");

  Restart();
  ASSERT_TRUE(service->TryAutoLogin(&error)) << error;
  EXPECT_TRUE(service->loggedIn);
  EXPECT_EQ(service->currentUser.username, "admin");
  EXPECT_TRUE(service->IsAutoLoginEnabled());

  service->DisableAutoLogin();
  EXPECT_FALSE(service->IsAutoLoginEnabled());
  EXPECT_FALSE(ConfigFileText().Contains("Credential"));
}

TEST_F(AutoLogin, RecordHoldsNoFormOfThePasswordAndTheKeyIsPrivate) {
  wxString error;
  ASSERT_TRUE(service->EnableAutoLogin("admin", U8(kPassword), &error)) << error;
  const std::string file = veldrix::test::ReadFileBytes(configPath);
  const std::string utf8 = kPassword;
  const wxString password = U8(kPassword);
  std::string utf16;
  for (wxUniChar c : password) {
    utf16.push_back(static_cast<char>(static_cast<wxUint32>(c) & 0xFF));
    utf16.push_back(static_cast<char>(static_cast<wxUint32>(c) >> 8));
  }
  const std::string forms[] = {
      utf8,
      "Tajne-Has",
      std::string(wxBase64Encode(utf8.data(), utf8.size()).utf8_str()),
      std::string(wxBase64Encode(utf16.data(), utf16.size()).utf8_str()),
      Hex(utf8),
      Hex(utf16),
  };
  for (const std::string& form : forms) EXPECT_EQ(file.find(form), std::string::npos) << form;

  // The credential is Base64 of a sealed record, not of the password.
  const wxMemoryBuffer sealed = wxBase64Decode(Stored("Credential"), wxBase64DecodeMode_Strict);
  ASSERT_GT(sealed.GetDataLen(), utf8.size());
  const std::string bytes(static_cast<const char*>(sealed.GetData()), sealed.GetDataLen());
  EXPECT_EQ(bytes.find("Tajne"), std::string::npos);

  struct stat info {};
  ASSERT_EQ(::stat(veldrix::JoinPath(veldrix::ConfigFolder(), "secret.key").fn_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(AutoLogin, OnlyForTheOneActiveAccount) {
  wxString error;
  EXPECT_FALSE(service->EnableAutoLogin("admin", "zle-haslo", &error));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło."));
  EXPECT_FALSE(service->EnableAutoLogin("inny", U8(kPassword), &error));
  EXPECT_EQ(error, U8("Autologowanie można włączyć tylko dla jedynego aktywnego konta."));
  EXPECT_FALSE(service->IsAutoLoginEnabled());
  EXPECT_FALSE(ConfigFileText().Contains("AutoLogin"));

  ASSERT_TRUE(service->Login("admin", U8(kPassword), &error));
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error));
  EXPECT_FALSE(service->EnableAutoLogin("admin", U8(kPassword), &error));
  EXPECT_EQ(error, U8("Autologowanie jest dostępne tylko wtedy, gdy istnieje jedno konto."));
  EXPECT_FALSE(service->IsAutoLoginEnabled());

  AuthUser user;
  ASSERT_GE(db->DeleteData("DELETE FROM veldrix_user_roles WHERE username='anna'"), 0);
  ASSERT_GE(db->DeleteData("DELETE FROM veldrix_users WHERE username='anna'"), 0);
  ASSERT_GE(db->DeleteData("UPDATE veldrix_users SET is_active=0"), 0);
  EXPECT_FALSE(service->GetAutoLoginUser(&user, &error));
  EXPECT_EQ(error, U8("Jedyne konto musi być aktywne, aby włączyć autologowanie."));
  ASSERT_GE(db->DeleteData("DELETE FROM veldrix_user_roles"), 0);
  ASSERT_GE(db->DeleteData("DELETE FROM veldrix_users"), 0);
  EXPECT_FALSE(service->GetAutoLoginUser(&user, &error));
  EXPECT_EQ(error, U8("Autologowanie wymaga dokładnie jednego użytkownika."));
}

TEST_F(AutoLogin, SecondAccountEndsItForGood) {
  wxString error;
  ASSERT_TRUE(service->EnableAutoLogin("admin", U8(kPassword), &error)) << error;
  ASSERT_TRUE(service->CreateUser(Account("anna", "Anna", false), "haslo-anny", &error)) << error;
  Restart();
  EXPECT_FALSE(service->TryAutoLogin(&error));
  EXPECT_EQ(error, U8("Autologowanie jest dostępne tylko wtedy, gdy istnieje jedno konto."));
  EXPECT_FALSE(service->loggedIn);
  EXPECT_FALSE(service->IsAutoLoginEnabled());
  EXPECT_FALSE(ConfigFileText().Contains("Credential"));
}

TEST_F(AutoLogin, TamperedOrForeignRecordIsRemoved) {
  wxString error;
  ASSERT_TRUE(service->EnableAutoLogin("admin", U8(kPassword), &error)) << error;
  const wxString good = Stored("Credential");
  const wxMemoryBuffer sealed = wxBase64Decode(good, wxBase64DecodeMode_Strict);
  std::string bytes(static_cast<const char*>(sealed.GetData()), sealed.GetDataLen());
  bytes[bytes.size() / 2] ^= 0x20;
  const wxString tampered = wxBase64Encode(bytes.data(), bytes.size());

  // A record sealed for another purpose (say a remembered database password).
  std::vector<unsigned char> other;
  const std::string utf8 = kPassword;
  ASSERT_TRUE(veldrix::SecretStore().Protect({utf8.begin(), utf8.end()}, "Veldrix database password", &other, &error));
  const wxString otherPurpose = wxBase64Encode(other.data(), other.size());

  const struct {
    wxString credential;
    wxString text;
  } cases[] = {
      {tampered, U8("Nie można odczytać danych autologowania na tym koncie Linux.")},
      {otherPurpose, U8("Nie można odczytać danych autologowania na tym koncie Linux.")},
      {"to nie jest base64!", U8("Zapis autologowania jest uszkodzony.")},
  };
  for (const auto& c : cases) {
    Store("Username", "admin");
    Store("Credential", c.credential);
    ASSERT_TRUE(service->IsAutoLoginEnabled());
    Restart();
    error.clear();
    EXPECT_FALSE(service->TryAutoLogin(&error));
    EXPECT_EQ(error, c.text);
    EXPECT_FALSE(service->loggedIn);
    EXPECT_FALSE(service->IsAutoLoginEnabled()) << c.credential;
  }

  // Another user's key: the configuration file copied to another account.
  Store("Username", "admin");
  Store("Credential", good);
  ASSERT_TRUE(wxRemoveFile(veldrix::JoinPath(veldrix::ConfigFolder(), "secret.key")));
  std::vector<unsigned char> unused;
  ASSERT_TRUE(veldrix::SecretStore().Protect({1, 2, 3}, "x", &unused, &error));  // a new key
  Restart();
  EXPECT_FALSE(service->TryAutoLogin(&error));
  EXPECT_EQ(error, U8("Nie można odczytać danych autologowania na tym koncie Linux."));
  EXPECT_FALSE(service->IsAutoLoginEnabled());

  // A record naming someone else, and a password changed since.
  ASSERT_TRUE(service->EnableAutoLogin("admin", U8(kPassword), &error)) << error;
  Store("Username", "ktos");
  Restart();
  EXPECT_FALSE(service->TryAutoLogin(&error));
  EXPECT_EQ(error, U8("Zapis autologowania nie pasuje do aktywnego użytkownika."));
  EXPECT_FALSE(service->IsAutoLoginEnabled());
  ASSERT_TRUE(service->EnableAutoLogin("admin", U8(kPassword), &error)) << error;
  ASSERT_TRUE(service->UpdateUser("admin", "Administrator", true, true, "inne-haslo-admina", &error, 0)) << error;
  Restart();
  EXPECT_FALSE(service->TryAutoLogin(&error));
  EXPECT_EQ(error, U8("Nieprawidłowy użytkownik lub hasło."));
  EXPECT_FALSE(service->IsAutoLoginEnabled());
}

TEST_F(AutoLogin, HalfRecordIsOffAndLeftAlone) {
  Store("Username", "admin");
  Store("Credential", "");
  wxString error;
  EXPECT_FALSE(service->IsAutoLoginEnabled());
  EXPECT_FALSE(service->TryAutoLogin(&error));
  EXPECT_TRUE(error.empty());
  EXPECT_EQ(Stored("Username"), "admin");
}

TEST_F(AutoLogin, FailuresOfTheStoreAndTheConfiguration) {
  struct RefusingStore : veldrix::ISecretStore {
    bool Protect(const std::vector<unsigned char>&, const wxString&, std::vector<unsigned char>*,
                 wxString*) override {
      return false;
    }
    bool Unprotect(const std::vector<unsigned char>&, const wxString&, std::vector<unsigned char>*,
                   wxString*) override {
      return false;
    }
  } refusing;
  wxString error;
  veldrix::SetSecretStore(&refusing);
  EXPECT_FALSE(service->EnableAutoLogin("admin", U8(kPassword), &error));
  veldrix::SetSecretStore(nullptr);
  EXPECT_EQ(error, U8("Nie można zabezpieczyc danych autologowania."));
  EXPECT_FALSE(service->IsAutoLoginEnabled());

  wxConfigBase* config = wxConfigBase::Set(nullptr);
  EXPECT_FALSE(service->EnableAutoLogin("admin", U8(kPassword), &error));
  EXPECT_EQ(error, U8("Brak konfiguracji programu."));
  EXPECT_FALSE(service->IsAutoLoginEnabled());
  service->DisableAutoLogin();
  EXPECT_FALSE(service->TryAutoLogin(&error));
  wxConfigBase::Set(config);
}
