#include "sqldata/row_merge.h"

#include <gtest/gtest.h>

namespace {

wxString Joined(const wxArrayString& columns) { return wxJoin(columns, ','); }

wxString Joined(const RowValues& row) {
  wxString text;
  for (const auto& [column, value] : row) text += (text.empty() ? "" : ",") + column + "=" + value;
  return text;
}

TEST(RowMerge, WritesOnlyThisUsersChangesOverWhatIsStored) {
  // One row: a = the phone, b = the e-mail, c = a flag. "loaded" is what the editor
  // read, "edited" what its user leaves, "stored" what the row holds at the save.
  const struct {
    const char* what;
    RowValues loaded, edited, stored;
    const char* written;
    const char* conflicts;
    const char* merged;
  } cases[] = {
      {"alone, nothing changed", {{"a", "1"}, {"b", "x"}}, {{"a", "1"}, {"b", "x"}}, {{"a", "1"}, {"b", "x"}}, "", "",
       "a=1,b=x"},
      {"alone, one change", {{"a", "1"}, {"b", "x"}}, {{"a", "2"}, {"b", "x"}}, {{"a", "1"}, {"b", "x"}}, "a", "",
       "a=2,b=x"},
      {"other fields changed elsewhere", {{"a", "1"}, {"b", "x"}, {"c", "0"}}, {{"a", "2"}, {"b", "x"}, {"c", "0"}},
       {{"a", "1"}, {"b", "y"}, {"c", "1"}}, "a", "", "a=2,b=y,c=1"},
      {"the same field changed elsewhere", {{"a", "1"}, {"b", "x"}}, {{"a", "2"}, {"b", "z"}},
       {{"a", "3"}, {"b", "x"}}, "b", "a", "a=3,b=z"},
      {"the same change on both sides", {{"a", "1"}}, {{"a", "2"}}, {{"a", "2"}}, "", "", "a=2"},
      {"changed back elsewhere", {{"a", "1"}}, {{"a", "1"}}, {{"a", "5"}}, "", "", "a=5"},
      {"cleared on this side", {{"a", "1"}}, {{"a", ""}}, {{"a", "1"}}, "a", "", "a="},
      {"a column stored but not edited", {{"a", "1"}}, {{"a", "2"}}, {{"a", "1"}, {"logo", "png"}}, "a", "",
       "a=2,logo=png"},
      {"a column not read counts as empty", {}, {{"a", "2"}}, {}, "a", "", "a=2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const RowMerge merge = MergeRow(c.loaded, c.edited, c.stored);
    EXPECT_EQ(Joined(merge.written), c.written);
    EXPECT_EQ(Joined(merge.conflicts), c.conflicts);
    EXPECT_EQ(merge.HasConflict(), *c.conflicts != '\0');
    if (!merge.HasConflict()) {
      EXPECT_EQ(Joined(merge.merged), c.merged);
    }
  }
}

}  // namespace
