#include "dbsetup/json_document.h"

#include <gtest/gtest.h>

using nlohmann::json;

TEST(JsonDocument, FirstOfRepeatedKeysCountsAtEveryDepth) {
  json doc;
  ASSERT_TRUE(ParseJsonText(R"J({"a":1,"a":2,"o":{"k":"first","k":"second","n":{"x":1,"x":{"y":2}}},
                               "list":[{"k":1,"k":2},{"k":3}],"o":{"k":"later object"}})J",
                            &doc));
  EXPECT_EQ(doc["a"], 1);
  EXPECT_EQ(doc["o"]["k"], "first");
  EXPECT_EQ(doc["o"]["n"]["x"], 1);
  EXPECT_EQ(doc["list"][0]["k"], 1);
  EXPECT_EQ(doc["list"][1]["k"], 3);
}

TEST(JsonDocument, SameKeyInSiblingObjectsIsNotARepeat) {
  json doc;
  ASSERT_TRUE(ParseJsonText(R"J({"p":{"name":"a"},"q":{"name":"b"},"r":[{"name":"c"},{"name":"d"}]})J", &doc));
  EXPECT_EQ(doc["q"]["name"], "b");
  EXPECT_EQ(doc["r"][1]["name"], "d");
}

TEST(JsonDocument, RejectsAnythingButStandardJson) {
  wxString error;
  EXPECT_FALSE(ParseJsonText(R"J({"a":1,})J", nullptr, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_FALSE(ParseJsonText("{\"a\":1 // note\n}", nullptr));
  EXPECT_FALSE(ParseJsonText("{'a':1}", nullptr));
  EXPECT_FALSE(ParseJsonText("", nullptr));
  EXPECT_FALSE(ParseJsonText("{\"a\":\"\xC3\x28\"}", nullptr));  // broken UTF-8
  EXPECT_FALSE(ParseJsonText(std::string("{\"a\":1}\0{", 9), nullptr));  // the text goes on past a NUL
}

TEST(JsonDocument, NestingIsLimitedTo64Levels) {
  EXPECT_TRUE(ParseJsonText(std::string(64, '[') + std::string(64, ']'), nullptr));
  EXPECT_FALSE(ParseJsonText(std::string(65, '[') + std::string(65, ']'), nullptr));
  EXPECT_TRUE(ParseJsonText("[\"" + std::string(65, '[') + "\"]", nullptr));  // brackets in a string do not nest
}

TEST(JsonDocument, FindJsonStringOnlyAnswersStrings) {
  const json doc = json::parse(R"J({"s":"t","n":1.25,"o":{}})J");
  EXPECT_EQ(FindJsonString(doc, "s").value_or(""), "t");
  EXPECT_FALSE(FindJsonString(doc, "n"));
  EXPECT_FALSE(FindJsonString(doc, "missing"));
  EXPECT_FALSE(FindJsonString(json::array({"s"}), "s"));
}
