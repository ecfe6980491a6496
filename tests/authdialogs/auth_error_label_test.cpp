#include "app/common/paths.h"
#include "authdialogs/auth_dialogs.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filename.h>

TEST(AuthErrorText, ShowsUpTo86CharactersWhole) {
  wxString shown;
  wxString tooltip = "old";
  const wxString text(wxUniChar(L'ż'), 86);
  FormatAuthErrorText(text, &shown, &tooltip);
  EXPECT_EQ(shown, text);
  EXPECT_TRUE(tooltip.empty());
}

TEST(AuthErrorText, CutsLongerTextsTo83CharactersAndDotsWithTheWholeAsTooltip) {
  wxString shown;
  wxString tooltip;
  const wxString text = wxString('a', 80) + wxString('b', 7);
  FormatAuthErrorText(text, &shown, &tooltip);
  EXPECT_EQ(shown, wxString('a', 80) + "bbb...");
  EXPECT_EQ(shown.length(), 86u);
  EXPECT_EQ(tooltip, text);
}

TEST(AuthErrorText, LineBreaksBecomeBlanksAndAnEmptyTextOneBlank) {
  wxString shown;
  wxString tooltip;
  FormatAuthErrorText("\r\n\n", &shown, &tooltip);
  EXPECT_EQ(shown, " ");
  FormatAuthErrorText(wxString(), &shown, &tooltip);
  EXPECT_EQ(shown, " ");
  FormatAuthErrorText(wxString::FromUTF8(" Błąd\nbazy\r\n"), &shown, &tooltip);
  EXPECT_EQ(shown, wxString::FromUTF8("Błąd bazy"));
  EXPECT_TRUE(tooltip.empty());
}

TEST(AuthUiFile, PrefersTheWorkingFolderOverTheSourceTreeAndNamesTheProgramFolderWhenNoneExists) {
  veldrix::test::TempDir folder;
  ASSERT_TRUE(wxFileName::Mkdir(folder.file("ui")));
  const wxString layout = veldrix::JoinPath(folder.path(), "ui", "auth_login.xrc");
  veldrix::test::WriteFileBytes(layout, "<resource/>");
  const wxString previous = wxGetCwd();
  ASSERT_TRUE(wxSetWorkingDirectory(folder.path()));
  const wxString found = FindAuthUiFile("auth_login.xrc");
  const wxString missing = FindAuthUiFile("no_such_layout.xrc");
  wxSetWorkingDirectory(previous);

  EXPECT_TRUE(wxFileName(found).SameAs(wxFileName(layout))) << found;
  EXPECT_EQ(wxFileName(missing).GetFullName(), "no_such_layout.xrc");
  EXPECT_EQ(wxFileName(missing).GetDirs().Last(), "ui");
  EXPECT_FALSE(wxFileName(missing).GetPath().StartsWith(folder.path()));
}
