// Letter case and Polish marks folded away for searches.
#include "app/common/text_folding.h"

#include <gtest/gtest.h>

namespace {

TEST(FoldedSearch, FindsTheNeedleInAnyLetterCaseWithOrWithoutPolishMarks) {
  struct Case {
    const wchar_t* text;
    const wchar_t* needle;  // as FoldText gives it
    bool found;
  } const cases[] = {
      {L"\u0141\u0104KA NAD WIS\u0141\u0104", L"laka", true},  // a non-ASCII first letter
      {L"Biuro \u015aL\u0104SK", L"slask", true},
      {L"Gda\u0144sk", L"GDA", false},  // the needle must be folded already
      {L"Abc", L"abcd", false},
      {L"", L"", true},
      {L"xxABCyy", L"abc", true},
      {L"\u017bywiec", L"zywiec", true},  // Polish letters without their marks
      {L"Pan \u017b\u00f3\u0142\u0107", L"zolc", true},
      {L"Zo\u0142za", L"zolc", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(veldrix::ContainsFolded(c.text, c.needle), c.found) << wxString(c.text);
  }
}

}  // namespace
