#include "company/json_field_scanner.h"
#include "company/lookup_http.h"

#include <gtest/gtest.h>

namespace {

struct FieldCase {
  const char* json;
  const char* key;
  bool found;
  const wchar_t* value;
};

TEST(JsonFieldScanner, StringFieldsFollowTheFirstOccurrenceAndDecodeEscapes) {
  const FieldCase cases[] = {
      {R"({"data":{"nip":"inner"},"nip":"outer"})", "nip", true, L"inner"},
      {R"({"note":"\"nip\": fake","nip":"real"})", "nip", true, L"real"},
      {R"({"opis":"nip","nip":"x"})", "nip", true, L"x"},
      {"{\"nip\"  \t\r\n:  \"spaced\"}", "nip", true, L"spaced"},
      {R"({"a":"\u0041\u017c\n\/\\\"\q"})", "a", true, L"A\u017c\n/\\\"q"},
      {R"({"a":"\ud83d\ude00"})", "a", true, L"\U0001F600"},
      {R"({"a":"\ud83d."})", "a", true, L"\uFFFD."},
      {R"({"a":"\u00"})", "a", false, nullptr},
      {R"({"a":"\u00zz"})", "a", false, nullptr},
      {R"({"a":12})", "a", false, nullptr},
      {R"({"a":null})", "a", false, nullptr},
      {R"({"A":"case"})", "a", false, nullptr},
      {"", "a", false, nullptr},
  };
  for (const FieldCase& c : cases) {
    wxString value = "untouched";
    EXPECT_EQ(GetJsonStringField(wxString::FromUTF8(c.json), c.key, value), c.found) << c.json;
    if (c.found) {
      EXPECT_EQ(value, wxString(c.value)) << c.json;
    }
  }
}

TEST(JsonFieldScanner, CutOffStringKeepsWhatWasRead) {
  wxString value;
  std::size_t position = 0;
  EXPECT_FALSE(ReadJsonString("\"abc", position, value));
  EXPECT_EQ(value, "abc");
  position = 0;
  ASSERT_TRUE(ReadJsonString("\"ab\"cd", position, value));
  EXPECT_EQ(position, 4u);
}

TEST(JsonFieldScanner, ObjectFieldIsReturnedWholeWithBracesInStrings) {
  const wxString json = R"({"success":true,"data":{"nazwa":"A } \" {","inner":{"x":1}},"tail":{}})";
  wxString object = "untouched";
  ASSERT_TRUE(GetJsonObjectField(json, "data", object));
  EXPECT_EQ(object, R"({"nazwa":"A } \" {","inner":{"x":1}})");
  EXPECT_FALSE(GetJsonObjectField(R"({"data":{"a":"b")", "data", object));
  EXPECT_FALSE(GetJsonObjectField(R"({"data":"text"})", "data", object));
  EXPECT_EQ(object, R"({"nazwa":"A } \" {","inner":{"x":1}})");
}

TEST(LookupText, DigitsOnlyKeepsTheTaxNumberDigits) {
  EXPECT_EQ(DigitsOnly("PL 526-104-08 28"), "5261040828");
  EXPECT_EQ(DigitsOnly(wxString::FromUTF8("٣ x")), "");  // other scripts' digits are not 0 to 9
}

}  // namespace
