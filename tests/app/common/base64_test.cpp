// Base64 of binary values kept as text.
#include "app/common/base64.h"

#include <gtest/gtest.h>

#include <string>

#include "test_locales.h"

using veldrix::DecodeBase64;
using veldrix::EncodeBase64;
using veldrix::test::ForEachTestLocale;

namespace {

std::string Bytes(const wxMemoryBuffer& buffer) {
  return std::string(static_cast<const char*>(buffer.GetData()), buffer.GetDataLen());
}

}  // namespace

TEST(Base64, EncodesWithPaddingAndNoLineBreaks) {
  ForEachTestLocale([] {
    EXPECT_EQ(EncodeBase64("", 0), "");
    EXPECT_EQ(EncodeBase64("a", 1), "YQ==");
    EXPECT_EQ(EncodeBase64("ab", 2), "YWI=");
    EXPECT_EQ(EncodeBase64("abc", 3), "YWJj");
    const std::string long_text(200, 'x');
    const wxString encoded = EncodeBase64(long_text.data(), long_text.size());
    EXPECT_EQ(encoded.length(), 268u);
    EXPECT_EQ(encoded.Find('\n'), wxNOT_FOUND);
  });
}

TEST(Base64, RoundTripsEveryByteValue) {
  std::string bytes;
  for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
  const wxString text = EncodeBase64(bytes.data(), bytes.size());
  EXPECT_EQ(Bytes(DecodeBase64(text, wxBase64DecodeMode_Strict)), bytes);
}

TEST(Base64, StrictModeRejectsLineBreaksThatSkipWhitespaceAccepts) {
  ForEachTestLocale([] {
    const wxString wrapped = "YWJj\nZGVm\r\n";
    EXPECT_EQ(DecodeBase64(wrapped, wxBase64DecodeMode_Strict).GetDataLen(), 0u);
    EXPECT_EQ(Bytes(DecodeBase64(wrapped, wxBase64DecodeMode_SkipWS)), "abcdef");
    EXPECT_EQ(Bytes(DecodeBase64(" YWJj ", wxBase64DecodeMode_SkipWS)), "abc");
  });
}

TEST(Base64, InvalidTextGivesAnEmptyBuffer) {
  EXPECT_EQ(DecodeBase64("YW*j", wxBase64DecodeMode_Strict).GetDataLen(), 0u);
  // A character outside ASCII never decodes, in either mode.
  EXPECT_EQ(DecodeBase64(L"YWJ\u0105", wxBase64DecodeMode_Strict).GetDataLen(), 0u);
  EXPECT_EQ(DecodeBase64(L"YWJ\u0105", wxBase64DecodeMode_SkipWS).GetDataLen(), 0u);
}
