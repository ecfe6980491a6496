#include "sqldata/db_log.h"

#include "app/common/paths.h"
#include "db/connection_info.h"
#include "db/db_connection.h"
#include "sqldata/sql_data.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/log.h>
#include <wx/regex.h>
#include <wx/tokenzr.h>
#include <wx/wxsqlite3.h>

#include <sys/stat.h>

#include <thread>

using veldrix::test::IsolatedFolders;
using veldrix::test::ReadFileBytes;

namespace {

wxString ReadText(const wxString& path) { return wxString::FromUTF8(ReadFileBytes(path)); }

wxArrayString Lines(const wxString& path) { return wxSplit(ReadText(path), '\n', '\0'); }

// Turns the trace on for one test and off again whatever the test does.
class TraceOn {
 public:
  TraceOn() { SqlTraceEnabled = true; }
  ~TraceOn() { SqlTraceEnabled = false; }
};

const char kStampPattern[] = "^[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} ";

}  // namespace

TEST(DbLog, AppendsDatedUtf8LinesInTheUserDataFolder) {
  IsolatedFolders folders;
  LogDbMessage(L"IniciujBazeDanych | Nie można otworzyć bazy: /x/y.db");
  LogDbMessage("second");
  const wxString path = veldrix::JoinPath(veldrix::UserDataFolder(), "veldrix_db.log");
  EXPECT_EQ(DbLogFilePath(), path);
  const wxArrayString lines = Lines(path);
  ASSERT_EQ(lines.size(), 3u);  // two lines and what follows the last "\n"
  wxRegEx stamp(kStampPattern, wxRE_EXTENDED);
  EXPECT_TRUE(stamp.Matches(lines[0])) << lines[0];
  EXPECT_EQ(lines[0].Mid(20), L"IniciujBazeDanych | Nie można otworzyć bazy: /x/y.db");
  EXPECT_EQ(lines[1].Mid(20), "second");
  EXPECT_EQ(lines[2], "");
}

TEST(DbLog, ErrorLinesCarryTheStatementOnlyWhenThereIsOne) {
  IsolatedFolders folders;
  wxLogNull quiet;
  LogDbError("FrameData", "", "timeout");
  EXPECT_EQ(Lines(DbLogFilePath()).size(), 2u);
  LogDbWarning("SprawdzBazeDanych", "select wersja from baza", "no such table: baza\r\n");
  const wxArrayString lines = Lines(DbLogFilePath());
  ASSERT_EQ(lines.size(), 4u);
  EXPECT_EQ(lines[0].Mid(20), "FrameData | timeout");
  EXPECT_EQ(lines[1].Mid(20), "SprawdzBazeDanych | no such table: baza");
  EXPECT_EQ(lines[2].Mid(20), "QUERY: select wersja from baza");
}

TEST(DbLog, NeverWritesAConnectionStringPassword) {
  IsolatedFolders folders;
  wxLogNull quiet;
  const wxString connection =
      "Driver=PostgreSQL;ServerType=PostgreSQL;Server=127.0.0.1;Port=5432;Database=veldrix;User ID=app;"
      "Password=s3cret!;SSL=0;";
  LogDbError("IniciujBazeDanych", connection, "connection refused");
  LogDbMessage("pwd = hunter2;x=1");
  AppendDbLogLine("PASSWORD=abc");
  const wxString text = ReadText(DbLogFilePath());
  EXPECT_EQ(text.Find("s3cret"), wxNOT_FOUND);
  EXPECT_EQ(text.Find("hunter2"), wxNOT_FOUND);
  EXPECT_EQ(text.Find("abc"), wxNOT_FOUND);
  EXPECT_NE(text.Find("User ID=app;Password=***;SSL=0;"), wxNOT_FOUND);
  EXPECT_NE(text.Find("pwd =***;x=1"), wxNOT_FOUND);
  // Columns that merely end in "password" are no connection keys.
  EXPECT_EQ(MaskConnectionPasswords("SET password_hash='x'"), "SET password_hash='x'");
  EXPECT_EQ(MaskConnectionPasswords("SET old_password='x'"), "SET old_password='x'");
}

TEST(DbLog, MasksWhateverTheConnectionStringReaderTakesForThePassword) {
  // Each text holds a password the connection-string reader reads as "tajne..."
  // (it trims every blank and reads a value up to the next ";").
  const wxString texts[] = {
      "Server=s;Password=tajne\nhaslo;SSL=0;",
      "Server=s;Password\v=tajne;SSL=0;",
      "Server=s;\fPassword =tajne;SSL=0;",
      "Server=s;Password=\r\ntajne drugi wiersz",
      "QUERY:\vpwd\f= tajne;",
  };
  for (const wxString& text : texts) {
    DbConnectionInfo info;
    if (!text.StartsWith("QUERY")) {
      ASSERT_TRUE(ParseConnectionInfo(text, &info, nullptr));
      ASSERT_TRUE(info.password.StartsWith("tajne")) << text;
    }
    const wxString masked = MaskConnectionPasswords(text);
    EXPECT_EQ(masked.Find("tajne"), wxNOT_FOUND) << masked;
    EXPECT_EQ(masked.Find("haslo"), wxNOT_FOUND) << masked;
    EXPECT_EQ(masked.Find("drugi"), wxNOT_FOUND) << masked;
  }
}

TEST(DbLog, LogsTracesAndTheProgramDatabaseAreTheUsersOnly) {
  IsolatedFolders folders;
  wxLogNull quiet;
  TraceOn trace;
  const mode_t previous = ::umask(022);
  LogDbMessage("x");
  LogSqlStatement("FrameData", "SQLite", "select * from kontrahent");
  const wxString database = veldrix::JoinPath(folders.root(), "program.db");
  {
    SQLData db(database);
    EXPECT_TRUE(db.IniciujBazeDanych());
  }
  const wxString driverFile = veldrix::JoinPath(folders.root(), "driver.db");
  std::shared_ptr<IDbConnection> connection;
  EXPECT_TRUE(OpenConnection("Data Source=" + driverFile + ";Version=3;", &connection, nullptr, nullptr));
  ::umask(previous);
  for (const wxString& path : {DbLogFilePath(), SqlLogFilePath(""), SqlLogFilePath("kontrahenci"), database, driverFile}) {
    struct stat info {};
    ASSERT_EQ(::stat(path.fn_str(), &info), 0) << path;
    EXPECT_EQ(info.st_mode & 0777, 0600u) << path;
  }
}

TEST(DbLog, TracesSecretParametersAsStars) {
  IsolatedFolders folders;
  TraceOn trace;
  SQLData db(veldrix::JoinPath(folders.root(), "program.db"));
  ASSERT_TRUE(db.IniciujBazeDanych());
  db.DeleteData("CREATE TABLE konto(login TEXT, hash TEXT)");
  db.ExecPrepared("INSERT INTO konto(login, hash) VALUES (?, ?)", {SqlValue("jan"), SqlValue::Secret("c2VrcmV0")});
  const wxString text = ReadText(SqlLogFilePath(""));
  EXPECT_NE(text.Find("PARAMS: 1='jan', 2=***"), wxNOT_FOUND) << text;
  EXPECT_EQ(text.Find("c2VrcmV0"), wxNOT_FOUND) << text;
}

TEST(DbLog, WholeLinesFromManyThreads) {
  IsolatedFolders folders;
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      for (int i = 0; i < 50; ++i) AppendDbLogLine(wxString::Format("thread %d line %d", t, i));
    });
  }
  for (auto& thread : threads) thread.join();
  const wxArrayString lines = Lines(DbLogFilePath());
  ASSERT_EQ(lines.size(), 201u);
  wxRegEx whole("^thread [0-3] line [0-9]+$", wxRE_EXTENDED);
  for (size_t i = 0; i < 200; ++i) EXPECT_TRUE(whole.Matches(lines[i])) << lines[i];
}

TEST(DbErrorText, KeepsDistinctLinesInFirstSeenOrder) {
  EXPECT_EQ(NormalizeDbErrorText("A\r\n\r\nA\r\nB\r\n"), "A\nB");
  EXPECT_EQ(NormalizeDbErrorText("  A \rB\n\n\nC"), "A\nB\nC");
  EXPECT_EQ(NormalizeDbErrorText("   "), "   ");
  EXPECT_EQ(FormatDbError("IniciujBazeDanych", "timeout"), "IniciujBazeDanych | timeout");
  EXPECT_EQ(FormatSqliteError("FrameData", wxSQLite3Exception(1, "boom")).BeforeFirst(':'),
            "FrameData | SQL error 1");
}

TEST(SqlTrace, WritesNothingWhileOff) {
  IsolatedFolders folders;
  ASSERT_FALSE(SqlTraceEnabled);
  LogSqlStatement("FrameData", "SQLite", "SELECT * FROM kontrahent");
  EXPECT_FALSE(wxFileExists(SqlLogFilePath("")));
  EXPECT_FALSE(wxFileExists(SqlLogFilePath("kontrahenci")));
}

TEST(SqlTrace, EntryFormatWithAndWithoutParameters) {
  IsolatedFolders folders;
  TraceOn on;
  LogSqlStatement("FrameData", "SQLite", "");  // an empty statement is never traced
  EXPECT_FALSE(wxFileExists(SqlLogFilePath("")));

  std::vector<SqlValue> params{SqlValue(5), SqlValue::Null(), SqlValue("x")};
  LogSqlStatement("ExecPrepared", "", "UPDATE t SET a=?, b=?, c=?", &params);
  std::vector<SqlValue> none;
  LogSqlStatement("DeleteData", "MySQL", "DELETE FROM t", &none);

  const wxArrayString lines = Lines(SqlLogFilePath(""));
  ASSERT_EQ(lines.size(), 8u);
  wxRegEx stamp(kStampPattern, wxRE_EXTENDED);
  EXPECT_TRUE(stamp.Matches(lines[0]));
  EXPECT_EQ(lines[0].Mid(20), "SQL ExecPrepared [?]");
  EXPECT_EQ(lines[1], "UPDATE t SET a=?, b=?, c=?");
  EXPECT_EQ(lines[2], "PARAMS: 1=5, 2=NULL, 3='x'");
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4].Mid(20), "SQL DeleteData [MySQL]");
  EXPECT_EQ(lines[5], "DELETE FROM t");
  EXPECT_EQ(lines[6], "");
}

TEST(SqlTrace, ParameterValuesAreLocaleIndependent) {
  veldrix::test::ScopedLocale polish("pl_PL.UTF-8");
  if (!polish.ok() && !veldrix::test::RunningInCi()) GTEST_SKIP() << "pl_PL.UTF-8 not generated";
  ASSERT_TRUE(polish.ok());
  std::vector<SqlValue> params{SqlValue::Double(1.5), SqlValue::Int64(9000000000LL), SqlValue(true),
                               SqlValue(false), SqlValue("O'Hara")};
  EXPECT_EQ(FormatSqlParams(params), "1=1.5000000000, 2=9000000000, 3=true, 4=false, 5='O''Hara'");
}

TEST(SqlTrace, AreaFilesTakeTheFirstMatchingRule) {
  EXPECT_EQ(SqlLogAreaOf("UPDATE Kontrahent SET a=1"), "kontrahenci");
  EXPECT_EQ(SqlLogAreaOf("SELECT * FROM dokument_pozycja JOIN artykul"), "faktury");
  EXPECT_EQ(SqlLogAreaOf("SELECT * FROM jpk_naglowek"), "jpk_vat");
  EXPECT_EQ(SqlLogAreaOf("SELECT * FROM ksef_ustawienia"), "ksef");
  EXPECT_EQ(SqlLogAreaOf("SELECT * FROM veldrix_rola"), "uprawnienia");
  EXPECT_EQ(SqlLogAreaOf("SELECT * FROM firma"), "");

  IsolatedFolders folders;
  TraceOn on;
  LogSqlStatement("DeleteData", "SQLite", "UPDATE kontrahent SET nazwa='a'");
  LogSqlStatement("FrameData", "SQLite", "SELECT * FROM dokument_pozycja JOIN artykul");
  EXPECT_EQ(SqlLogFilePath("kontrahenci"), veldrix::JoinPath(veldrix::UserDataFolder(), "veldrix_sql_kontrahenci.log"));
  EXPECT_EQ(ReadText(SqlLogFilePath("kontrahenci")).Mid(20), "SQL DeleteData [SQLite]\nUPDATE kontrahent SET nazwa='a'\n\n");
  EXPECT_NE(ReadText(SqlLogFilePath("faktury")).Find("dokument_pozycja"), wxNOT_FOUND);
  EXPECT_FALSE(wxFileExists(SqlLogFilePath("artykuly")));
  EXPECT_EQ(ReadText(SqlLogFilePath("")).Freq('\n'), 6u);
}
