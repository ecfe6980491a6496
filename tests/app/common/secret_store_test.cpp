#include "app/common/paths.h"
#include "app/common/secret_store.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filename.h>

#include <sys/stat.h>

#include <string>
#include <thread>

using veldrix::FileKeySecretStore;
using veldrix::test::IsolatedFolders;

namespace {

std::vector<unsigned char> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

std::string Text(const std::vector<unsigned char>& bytes) { return {bytes.begin(), bytes.end()}; }

mode_t ModeOf(const wxString& path) {
  struct stat info {};
  EXPECT_EQ(::stat(path.fn_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

}  // namespace

TEST(SecretStore, RoundTripAndKeyFileCreatedPrivateOnFirstUse) {
  IsolatedFolders folders;
  FileKeySecretStore store;
  const wxString keyFile = veldrix::JoinPath(veldrix::ConfigFolder(), "secret.key");
  EXPECT_EQ(store.KeyFilePath(), keyFile);

  std::vector<unsigned char> plain;
  wxString error;
  // Opening never creates a key.
  EXPECT_FALSE(store.Unprotect(Bytes(std::string(40, 'x')), "p", &plain, &error));
  EXPECT_FALSE(wxFileName::FileExists(keyFile));

  std::vector<unsigned char> sealed;
  ASSERT_TRUE(store.Protect(Bytes("Haslo-123 zażółć"), "db password", &sealed, &error)) << error;
  ASSERT_TRUE(wxFileName::FileExists(keyFile));
  EXPECT_EQ(ModeOf(keyFile), 0600u);
  EXPECT_EQ(veldrix::test::ReadFileBytes(keyFile).size(), 32u);
  EXPECT_EQ(Text(sealed).find("Haslo-123"), std::string::npos);

  ASSERT_TRUE(store.Unprotect(sealed, "db password", &plain, &error)) << error;
  EXPECT_EQ(Text(plain), "Haslo-123 zażółć");

  // Same key on the next use, fresh nonce every time.
  std::vector<unsigned char> again;
  ASSERT_TRUE(store.Protect(Bytes("Haslo-123 zażółć"), "db password", &again, &error));
  EXPECT_NE(again, sealed);
  ASSERT_TRUE(FileKeySecretStore().Unprotect(again, "db password", &plain, &error)) << error;

  std::vector<unsigned char> empty;
  ASSERT_TRUE(store.Protect({}, "x", &empty, &error));
  ASSERT_TRUE(store.Unprotect(empty, "x", &plain, &error));
  EXPECT_TRUE(plain.empty());
}

TEST(SecretStore, RecordOpensOnlyUnchangedUnderItsPurposeAndKey) {
  IsolatedFolders folders;
  FileKeySecretStore store;
  std::vector<unsigned char> sealed, plain;
  wxString error;
  ASSERT_TRUE(store.Protect(Bytes("sekret"), "Veldrix automatic login", &sealed, &error));

  EXPECT_FALSE(store.Unprotect(sealed, "Veldrix database password", &plain, &error));
  EXPECT_FALSE(error.empty());
  for (size_t i = 0; i < sealed.size(); ++i) {
    std::vector<unsigned char> changed = sealed;
    changed[i] ^= 0x01;
    EXPECT_FALSE(store.Unprotect(changed, "Veldrix automatic login", &plain, nullptr)) << "byte " << i;
  }
  std::vector<unsigned char> cut(sealed.begin(), sealed.end() - 1);
  EXPECT_FALSE(store.Unprotect(cut, "Veldrix automatic login", &plain, nullptr));
  EXPECT_FALSE(store.Unprotect({}, "Veldrix automatic login", &plain, nullptr));

  // Another user's key (another configuration folder) cannot open it.
  veldrix::test::TempDir other;
  FileKeySecretStore foreign(other.file("secret.key"));
  std::vector<unsigned char> unused;
  ASSERT_TRUE(foreign.Protect(Bytes("x"), "y", &unused, &error));
  EXPECT_FALSE(foreign.Unprotect(sealed, "Veldrix automatic login", &plain, &error));
}

TEST(SecretStore, UnsafeOrDamagedKeyFileIsRefusedAndKept) {
  IsolatedFolders folders;
  FileKeySecretStore store;
  std::vector<unsigned char> sealed, plain;
  wxString error;
  ASSERT_TRUE(store.Protect(Bytes("sekret"), "p", &sealed, &error));
  const wxString keyFile = store.KeyFilePath();
  const std::string key = veldrix::test::ReadFileBytes(keyFile);

  ASSERT_EQ(::chmod(keyFile.fn_str(), 0644), 0);
  error.clear();
  EXPECT_FALSE(store.Unprotect(sealed, "p", &plain, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(store.Protect(Bytes("x"), "p", &plain, &error));
  EXPECT_EQ(veldrix::test::ReadFileBytes(keyFile), key);

  ASSERT_EQ(::chmod(keyFile.fn_str(), 0600), 0);
  veldrix::test::WriteFileBytes(keyFile, key.substr(0, 31));
  ASSERT_EQ(::chmod(keyFile.fn_str(), 0600), 0);
  EXPECT_FALSE(store.Unprotect(sealed, "p", &plain, &error));
  EXPECT_FALSE(store.Protect(Bytes("x"), "p", &plain, &error));
  EXPECT_EQ(veldrix::test::ReadFileBytes(keyFile).size(), 31u);
}

TEST(SecretStore, ConcurrentFirstUseAgreesOnOneKey) {
  IsolatedFolders folders;
  std::vector<unsigned char> sealed[8];
  bool ok[8] = {};
  wxString errors[8];
  std::vector<std::thread> threads;
  for (int i = 0; i < 8; ++i) {
    threads.emplace_back([&, i] { ok[i] = FileKeySecretStore().Protect(Bytes("s"), "p", &sealed[i], &errors[i]); });
  }
  for (auto& t : threads) t.join();
  FileKeySecretStore store;
  for (int i = 0; i < 8; ++i) {
    ASSERT_TRUE(ok[i]) << errors[i];
    std::vector<unsigned char> plain;
    EXPECT_TRUE(store.Unprotect(sealed[i], "p", &plain, nullptr)) << i;
  }
  wxArrayString leftovers;
  EXPECT_EQ(wxDir::GetAllFiles(veldrix::ConfigFolder(), &leftovers), 1u);
}

TEST(SecretStore, ProcessWideStoreCanBeReplaced) {
  veldrix::test::TempDir temp;
  FileKeySecretStore replacement(temp.file("other.key"));
  veldrix::ISecretStore* before = &veldrix::SecretStore();
  EXPECT_EQ(veldrix::SetSecretStore(&replacement), nullptr);
  EXPECT_EQ(&veldrix::SecretStore(), &replacement);
  EXPECT_EQ(veldrix::SetSecretStore(nullptr), &replacement);
  EXPECT_EQ(&veldrix::SecretStore(), before);
}
