// Version texts as the store compares them: numbers, not characters.
#include "store/store_versions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace veldrix {
namespace {

TEST(StoreVersions, ParsesEveryRunOfDigits) {
  const struct {
    const char* text;
    std::vector<std::int32_t> numbers;
  } cases[] = {
      {"1.2.3", {1, 2, 3}},        {"v2.0-beta1", {2, 0, 1}}, {"0.25.9", {0, 25, 9}}, {"", {}},
      {"abc", {}},                 {"007", {7}},              {"1..2", {1, 2}},       {"0.25.9 Alpha", {0, 25, 9}},
      {"99999999999.1", {2147483647, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseVersionNumbers(c.text), c.numbers) << c.text;
  // Digits of other scripts only separate runs.
  EXPECT_EQ(ParseVersionNumbers(wxString::FromUTF8("1\xd9\xa3" "2")), (std::vector<std::int32_t>{1, 2}));
}

TEST(StoreVersions, ComparesNumberByNumberWithMissingOnesAsZero) {
  const struct {
    const char* a;
    const char* b;
    int order;
  } cases[] = {
      {"0.25.9", "0.25.10", -1}, {"10", "9", 1},         {"", "0.0", 0},       {"1.2", "1.2.0", 0},
      {"1.10", "1.9", 1},        {"2.0-beta1", "2.0", 1}, {"2.0-rc", "2.0", 0}, {"1.2.3", "1.2.3", 0},
      {"0", "0.1", -1},          {"0.25.9 Alpha", "0.25", 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CompareVersions(c.a, c.b), c.order) << c.a << " vs " << c.b;
    EXPECT_EQ(CompareVersions(c.b, c.a), -c.order) << c.b << " vs " << c.a;
  }
}

}  // namespace
}  // namespace veldrix
