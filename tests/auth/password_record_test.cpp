#include "auth/password_record.h"

#include <gtest/gtest.h>

namespace {

wxString HexOf(const char* text) {
  const std::string s(text);
  return EncodeHex(std::vector<unsigned char>(s.begin(), s.end()));
}

}  // namespace

// Published PBKDF2-HMAC-SHA-256 vectors (32-byte prefix of the longer ones).
TEST(PasswordRecord, KnownVectorsVerify) {
  struct Vector {
    const char* password;
    const char* salt;
    int iterations;
    const char* key;
  };
  const Vector vectors[] = {
      {"password", "salt", 1, "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b"},
      {"password", "salt", 2, "ae4d0c95af6b46d32d0adff928f06dd02a303f8ef3c251dfd6e2d85a95474c43"},
      {"password", "salt", 4096, "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"},
      {"passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096,
       "348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1"},
      {"passwd", "salt", 1, "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc"},
  };
  for (const Vector& v : vectors) {
    SCOPED_TRACE(v.password);
    std::vector<unsigned char> salt;
    ASSERT_TRUE(DecodeHex(HexOf(v.salt), &salt));
    std::vector<unsigned char> key;
    ASSERT_TRUE(DerivePasswordKey(v.password, salt, v.iterations, &key));
    EXPECT_EQ(EncodeHex(key), v.key);

    wxString error;
    EXPECT_TRUE(VerifyPassword(v.password, v.key, HexOf(v.salt), v.iterations, &error));
    EXPECT_TRUE(VerifyPassword(v.password, wxString(v.key).Upper(), HexOf(v.salt).Upper(), v.iterations, &error));
    EXPECT_TRUE(error.empty());
  }
}

TEST(PasswordRecord, WrongPasswordSaltOrCountDoesNotVerify) {
  const wxString key = "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a";
  const wxString salt = HexOf("salt");
  wxString error;
  EXPECT_FALSE(VerifyPassword("passworD", key, salt, 4096, &error));
  EXPECT_FALSE(VerifyPassword("password", key, HexOf("salT"), 4096, &error));
  EXPECT_FALSE(VerifyPassword("password", key, salt, 4095, &error));
  EXPECT_FALSE(VerifyPassword("password", key, salt, 210000, &error));
  // A plain mismatch leaves the caller to word it.
  EXPECT_TRUE(error.empty());
  // A stored key of another length (31 bytes) never verifies, also silently.
  EXPECT_FALSE(VerifyPassword("password", key.Left(62), salt, 4096, &error));
  EXPECT_FALSE(VerifyPassword("password", "", salt, 4096, &error));
  EXPECT_TRUE(error.empty());
}

TEST(PasswordRecord, NewRecordsUseFreshSaltAndTheStandardCount) {
  wxString hash1, salt1, hash2, salt2;
  int iterations1 = 0, iterations2 = 0;
  wxString error;
  ASSERT_TRUE(HashPassword(wxString::FromUTF8("tajne hasło"), &hash1, &salt1, &iterations1, &error)) << error;
  ASSERT_TRUE(HashPassword(wxString::FromUTF8("tajne hasło"), &hash2, &salt2, &iterations2, &error)) << error;
  EXPECT_EQ(iterations1, 210000);
  EXPECT_EQ(hash1.length(), 64u);
  EXPECT_EQ(salt1.length(), 32u);
  EXPECT_EQ(hash1, hash1.Lower());
  EXPECT_NE(salt1, salt2);
  EXPECT_NE(hash1, hash2);
  EXPECT_TRUE(VerifyPassword(wxString::FromUTF8("tajne hasło"), hash1, salt1, iterations1, &error));
  EXPECT_TRUE(VerifyPassword(wxString::FromUTF8("tajne hasło"), hash2, salt2, iterations2, &error));
  EXPECT_FALSE(VerifyPassword("tajne haslo", hash1, salt1, iterations1, &error));
}

TEST(PasswordRecord, StoredCountIsUsed) {
  std::vector<unsigned char> salt(16, 0x5a);
  std::vector<unsigned char> key;
  ASSERT_TRUE(DerivePasswordKey("starehaslo", salt, 1000, &key));
  EXPECT_TRUE(VerifyPassword("starehaslo", EncodeHex(key), EncodeHex(salt), 1000, nullptr));
}

TEST(PasswordRecord, MinimumLengthCountsCharacters) {
  wxString hash = "unchanged", salt = "unchanged", error;
  int iterations = -7;
  EXPECT_TRUE(HashPassword("12345678", &hash, &salt, &iterations, &error));

  hash = salt = "unchanged";
  iterations = -7;
  EXPECT_FALSE(HashPassword("1234567", &hash, &salt, &iterations, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Hasło musi mieć co najmniej 8 znaków."));
  EXPECT_EQ(hash, "unchanged");
  EXPECT_EQ(iterations, -7);

  // Seven Polish letters are 14 UTF-8 bytes but still seven characters.
  error.clear();
  EXPECT_FALSE(HashPassword(wxString::FromUTF8("zażółćę"), &hash, &salt, &iterations, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(HashPassword(wxString::FromUTF8("zażółćęź"), &hash, &salt, &iterations, &error));
  EXPECT_TRUE(VerifyPassword(wxString::FromUTF8("zażółćęź"), hash, salt, iterations, &error));
  // A character outside the BMP is two UTF-16 code units.
  EXPECT_TRUE(HashPassword(wxString::FromUTF8("abcdef\xF0\x9F\x94\x91"), &hash, &salt, &iterations, &error));
  EXPECT_FALSE(HashPassword(wxString::FromUTF8("abcde\xF0\x9F\x94\x91"), &hash, &salt, &iterations, &error));
}

TEST(PasswordRecord, DamagedRecordIsReportedNeverPassed) {
  const wxString key = "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a";
  const wxString damaged = "Zapis hasla jest uszkodzony.";
  const wxString cases[][2] = {
      {key, "73616c7"},              // odd salt
      {key, "73616czz"},             // not hexadecimal
      {key.Left(62) + "zz", "73616c74"},
      {key + "0", "73616c74"},       // odd hash
      {key.Left(63) + " ", "73616c74"},
  };
  for (const auto& c : cases) {
    wxString error;
    EXPECT_FALSE(VerifyPassword("password", c[0], c[1], 4096, &error));
    EXPECT_EQ(error, damaged) << c[0] << " / " << c[1];
  }
  wxString error;
  EXPECT_FALSE(VerifyPassword("password", key, "73616c74", -1, &error));
  EXPECT_EQ(error, damaged);
  error.clear();
  EXPECT_FALSE(VerifyPassword("password", key, "73616c74", 0, &error));
  EXPECT_EQ(error, wxString::FromUTF8("Nie można zweryfikowac hasla."));
  EXPECT_FALSE(VerifyPassword("password", key, "73616c7", 4096, nullptr));
}

TEST(PasswordRecord, HexRoundTrip) {
  const std::vector<unsigned char> bytes = {0x00, 0xAB, 0x0F};
  EXPECT_EQ(EncodeHex(bytes), "00ab0f");
  EXPECT_EQ(EncodeHex({}), "");
  std::vector<unsigned char> out = {1, 2};
  EXPECT_TRUE(DecodeHex("00AB0f", &out));
  EXPECT_EQ(out, bytes);
  EXPECT_TRUE(DecodeHex("", &out));
  EXPECT_TRUE(out.empty());
  EXPECT_FALSE(DecodeHex("abc", &out));
  EXPECT_FALSE(DecodeHex("0g", &out));
  EXPECT_FALSE(DecodeHex("+1", &out));
  EXPECT_FALSE(DecodeHex("00", nullptr));
}
