#include "app/command_line.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/cmdline.h>

#include <string>
#include <vector>

using veldrix::test::TempDir;

namespace {

// Parses args (without the program name) as VeldrixApp does; returns Parse's result.
int Parse(wxCmdLineParser& parser, const std::vector<wxString>& args) {
  static std::vector<std::wstring> storage;
  storage.assign(1, L"veldrix");
  for (const wxString& arg : args) storage.push_back(arg.ToStdWstring());
  std::vector<wchar_t*> argv;
  for (std::wstring& arg : storage) argv.push_back(arg.data());
  argv.push_back(nullptr);
  parser.SetCmdLine(static_cast<int>(storage.size()), argv.data());
  DescribeCommandLine(parser);
  return parser.Parse(false);
}

}  // namespace

TEST(CommandLine, TableNamesHelpSwitchAndDatabaseOption) {
  const CommandLineEntry* table = CommandLineTable();
  EXPECT_EQ(table[0].kind, wxCMD_LINE_SWITCH);
  EXPECT_STREQ(table[0].shortName, "?");
  EXPECT_STREQ(table[0].longName, "pomoc");
  EXPECT_EQ(table[0].flags, wxCMD_LINE_OPTION_HELP);
  EXPECT_EQ(table[1].kind, wxCMD_LINE_OPTION);
  EXPECT_STREQ(table[1].shortName, "bd");
  EXPECT_STREQ(table[1].longName, "baza_danych");
  EXPECT_EQ(table[1].flags, 0);
  EXPECT_EQ(table[2].kind, wxCMD_LINE_NONE);
}

TEST(CommandLine, UsageCarriesThePolishDescriptions) {
  wxCmdLineParser parser;
  Parse(parser, {});
  const wxString usage = parser.GetUsageString();
  EXPECT_NE(usage.Find(wxString::FromUTF8("wyświetla pomoc na temat parametrów wiersza poleceń")), wxNOT_FOUND);
  EXPECT_NE(usage.Find(wxString::FromUTF8("pełna sciezka do pliku bazy danych")), wxNOT_FOUND);
}

TEST(CommandLine, RefusesUnknownOptionsPositionalParametersAndMissingValue) {
  {
    wxCmdLineParser parser;
    EXPECT_NE(Parse(parser, {"-x"}), 0);
  }
  {
    wxCmdLineParser parser;
    EXPECT_NE(Parse(parser, {"plik.db"}), 0);
  }
  {
    wxCmdLineParser parser;
    EXPECT_NE(Parse(parser, {"-bd"}), 0);
  }
  {
    wxCmdLineParser parser;
    EXPECT_NE(Parse(parser, {"/bd", "x.db"}), 0);  // "-" is the only switch character
  }
  {
    wxCmdLineParser parser;
    EXPECT_EQ(Parse(parser, {"-?"}), -1);  // help: usage, start-up stops
  }
}

TEST(CommandLine, DefaultDatabaseIsVeldrixDbInTheProgramFolder) {
  TempDir program;
  wxCmdLineParser parser;
  ASSERT_EQ(Parse(parser, {}), 0);
  wxString path;
  wxString message;
  ASSERT_TRUE(ResolveDatabasePath(parser, program.path(), &path, &message));
  EXPECT_EQ(path, program.path() + "/veldrix.db");
}

TEST(CommandLine, DatabaseOptionReplacesTheDefaultWithoutTrailingBlanks) {
  TempDir program;
  for (const std::vector<wxString>& args : std::vector<std::vector<wxString>>{
           {"-bd", "/srv/dane firmy/baza.db  \t "}, {"--baza_danych=/srv/dane firmy/baza.db   "}}) {
    wxCmdLineParser parser;
    ASSERT_EQ(Parse(parser, args), 0);
    wxString path;
    ASSERT_TRUE(ResolveDatabasePath(parser, program.path(), &path, nullptr));
    EXPECT_EQ(path, "/srv/dane firmy/baza.db");
  }
}

TEST(CommandLine, UnusableProgramFolderStopsStartUpEvenWithDatabaseOption) {
  TempDir elsewhere;
  const wxString missing = elsewhere.file("brak");
  wxCmdLineParser parser;
  ASSERT_EQ(Parse(parser, {"-bd", elsewhere.file("baza.db")}), 0);
  wxString path = "unchanged";
  wxString message;
  EXPECT_FALSE(ResolveDatabasePath(parser, missing, &path, &message));
  EXPECT_EQ(path, "unchanged");
  EXPECT_TRUE(message.StartsWith(wxString::FromUTF8("Brak zapisu w katalogu bazy danych: ") + missing));
  EXPECT_NE(message.Find(wxString::FromUTF8("zmień lokalizacje programu.")), wxNOT_FOUND);
}
