// The database archive: a SQLite database copied while another connection writes
// to it, zipped with its description and read back; failures leave no archive and
// no temporary copy behind.
#include "dbsetup/database_archive.h"

#include "app/common/paths.h"
#include "stopped_child.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/mstream.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <map>
#include <memory>
#include <thread>
#include <vector>

using veldrix::JoinPath;
using veldrix::test::ScopedEnv;
using veldrix::test::TempDir;

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

struct Entry {
  wxString name;
  std::string bytes;
};

std::vector<Entry> ReadZip(const wxString& path) {
  std::vector<Entry> entries;
  wxFFileInputStream file(path);
  if (!file.IsOk()) return entries;
  wxZipInputStream zip(file);
  std::unique_ptr<wxZipEntry> entry;
  while (entry.reset(zip.GetNextEntry()), entry) {
    Entry read{entry->GetName(), std::string()};
    char buffer[65536];
    while (zip.Read(buffer, sizeof buffer).LastRead() > 0) read.bytes.append(buffer, zip.LastRead());
    entries.push_back(std::move(read));
  }
  return entries;
}

wxArrayString FilesIn(const wxString& folder) {
  wxArrayString names;
  for (const wxString& name : veldrix::SortedFolderEntries(folder, wxDIR_FILES | wxDIR_DIRS | wxDIR_HIDDEN)) {
    names.Add(name);
  }
  return names;
}

class Sqlite {
 public:
  explicit Sqlite(const wxString& path) {
    sqlite3_open(path.utf8_str(), &db_);
    sqlite3_busy_timeout(db_, 10000);
  }
  ~Sqlite() { sqlite3_close(db_); }
  bool Exec(const std::string& sql) { return sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK; }
  // Rows of "select id, payload ..." as id -> payload.
  std::map<long long, std::string> Rows(const std::string& sql) {
    std::map<long long, std::string> rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return rows;
    while (sqlite3_step(statement) == SQLITE_ROW) {
      rows[sqlite3_column_int64(statement, 0)] = reinterpret_cast<const char*>(sqlite3_column_text(statement, 1));
    }
    sqlite3_finalize(statement);
    return rows;
  }
  // The first column of the first row.
  std::string Text(const std::string& sql) {
    std::string text;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK) return text;
    if (sqlite3_step(statement) == SQLITE_ROW) text = reinterpret_cast<const char*>(sqlite3_column_text(statement, 0));
    sqlite3_finalize(statement);
    return text;
  }

 private:
  sqlite3* db_ = nullptr;
};

class ArchiveTest : public ::testing::Test {
 protected:
  ArchiveTest() : tmpdir_("TMPDIR", temp_.path()) {
    EXPECT_TRUE(wxFileName::Mkdir(work_.file("kopie")));
    database_ = work_.file(U8("firma łódź.db"));
    Sqlite db(database_);
    EXPECT_TRUE(db.Exec("create table t(id integer primary key, payload text)"));
    EXPECT_TRUE(db.Exec("with recursive n(i) as (select 1 union all select i+1 from n where i<5000) "
                        "insert into t(payload) select printf('wiersz %d ', i) || hex(randomblob(40)) from n"));
  }

  wxString Archive(const wxString& name = "archiwum.zip") { return JoinPath(work_.path(), "kopie", name); }

  TempDir work_;
  TempDir temp_;  // the system's temporary folder while a test runs
  ScopedEnv tmpdir_;
  wxString database_;
};

TEST_F(ArchiveTest, ACopyMadeWhileAnotherConnectionWritesIsConsistentAndComplete) {
  std::atomic<bool> stop{false};
  std::atomic<int> written{0};
  std::thread writer([&] {
    Sqlite db(database_);
    while (!stop) {
      if (db.Exec("begin; insert into t(payload) values('a'); insert into t(payload) values('b'); commit;")) {
        written += 2;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  });
  while (written < 20) std::this_thread::yield();

  DbConnectionInfo info;
  info.server = database_;
  info.options["server_type"] = "SQLite";
  const wxDateTime when(8, wxDateTime::Dec, 2026, 8, 16, 1);
  wxString error;
  const bool archived = BackupSqliteToTemp(database_, Archive(), ArchiveInformationText(info, when), &error);
  const int writtenDuringBackup = written;
  stop = true;
  writer.join();
  ASSERT_TRUE(archived) << error;
  EXPECT_TRUE(error.empty());
  EXPECT_GT(written.load(), writtenDuringBackup - 1);

  const std::vector<Entry> entries = ReadZip(Archive());
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].name, U8("firma łódź.db"));
  EXPECT_EQ(entries[1].name, "informacje.txt");
  const wxArrayString lines = wxSplit(wxString::FromUTF8(entries[1].bytes.data(), entries[1].bytes.size()), '\n');
  ASSERT_EQ(lines.size(), 7u);  // six lines, each ended
  EXPECT_EQ(lines[0], U8("Veldrix — archiwum bazy danych"));
  EXPECT_EQ(lines[1], "Rodzaj serwera: SQLite");
  EXPECT_EQ(lines[2], U8("Serwer źródłowy: ") + database_);
  EXPECT_EQ(lines[3], U8("Baza źródłowa: ") + database_);
  EXPECT_EQ(lines[4], "Data utworzenia: 2026-12-08 08:16:01");
  EXPECT_TRUE(lines[5].StartsWith(U8("Zawartość: spójna kopia"))) << lines[5];
  EXPECT_TRUE(lines[6].empty());

  const wxString copy = work_.file("odczyt.db");
  veldrix::test::WriteFileBytes(copy, entries[0].bytes);
  Sqlite restored(copy);
  EXPECT_EQ(restored.Text("pragma integrity_check"), "ok");
  // The copy is the database as it stood at one moment: the first rows as they
  // are in the source, and only whole transactions of the writer.
  const auto copied = restored.Rows("select id, payload from t order by id");
  Sqlite source(database_);
  const auto original = source.Rows("select id, payload from t order by id");
  ASSERT_GE(copied.size(), 5000u);
  EXPECT_EQ(copied.size() % 2, 0u);
  EXPECT_EQ(copied.rbegin()->first, static_cast<long long>(copied.size()));
  for (const auto& [id, payload] : copied) {
    ASSERT_EQ(original.count(id), 1u) << id;
    ASSERT_EQ(original.at(id), payload) << id;
  }

  EXPECT_TRUE(FilesIn(temp_.path()).empty()) << wxJoin(FilesIn(temp_.path()), ' ');
  EXPECT_EQ(FilesIn(work_.file("kopie")), wxArrayString(1, "archiwum.zip"));
}

TEST_F(ArchiveTest, AFolderThatCannotBeWrittenLeavesNoFileAndNoTemporaryCopy) {
  wxString error;
  EXPECT_FALSE(BackupSqliteToTemp(database_, "/proc/veldrix_archiwum.zip", "x", &error));
  EXPECT_EQ(error, U8("Nie udało się zapisać archiwum ZIP."));
  EXPECT_FALSE(wxFileName::FileExists("/proc/veldrix_archiwum.zip"));
  EXPECT_TRUE(FilesIn(temp_.path()).empty());

  if (geteuid() != 0) {  // permissions do not stop root
    const wxString locked = work_.file("kopie");
    ASSERT_EQ(chmod(locked.fn_str(), 0555), 0);
    EXPECT_FALSE(BackupSqliteToTemp(database_, Archive(), "x", &error));
    chmod(locked.fn_str(), 0755);
    EXPECT_TRUE(FilesIn(locked).empty());
    EXPECT_TRUE(FilesIn(temp_.path()).empty());
  }
}

TEST_F(ArchiveTest, AWriteThatFailsHalfWayKeepsTheOldArchiveAndLeavesNoPartOfTheNewOne) {
  // A file that will not compress, larger than the file size limit set below.
  const wxString source = work_.file("duzy.bin");
  std::string noise(4 << 20, '\0');
  unsigned state = 12345;
  for (char& byte : noise) byte = static_cast<char>((state = state * 1103515245u + 12345u) >> 24);
  veldrix::test::WriteFileBytes(source, noise);
  veldrix::test::WriteFileBytes(Archive(), "poprzednie archiwum");

  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit limited = old;
  limited.rlim_cur = 1 << 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  wxString error;
  const bool written = WriteZipArchive(source, "duzy.bin", Archive(), "x", &error);
  setrlimit(RLIMIT_FSIZE, &old);

  EXPECT_FALSE(written);
  EXPECT_EQ(error, U8("Nie udało się zapisać archiwum ZIP."));
  EXPECT_EQ(veldrix::test::ReadFileBytes(Archive()), "poprzednie archiwum");
  EXPECT_EQ(FilesIn(work_.file("kopie")), wxArrayString(1, "archiwum.zip"));
}

TEST_F(ArchiveTest, AMissingDatabaseIsNamedAndNothingIsWritten) {
  wxString error;
  EXPECT_FALSE(BackupSqliteToTemp(work_.file("brak.db"), Archive(), "x", &error));
  EXPECT_EQ(error, U8("Nie znaleziono pliku bazy SQLite: ") + work_.file("brak.db"));
  EXPECT_TRUE(FilesIn(work_.file("kopie")).empty());
  EXPECT_FALSE(wxFileName::FileExists(work_.file("brak.db")));
}

TEST_F(ArchiveTest, TheNextArchiveRemovesWhatAKilledOneLeftAndNothingOfARunningOne) {
  using veldrix::test::FilesOf;
  using veldrix::test::StoppedChild;
  StoppedChild killed("archive writing", [this] { BackupSqliteToTemp(database_, Archive("a.zip"), "x", nullptr); });
  StoppedChild running("archive writing", [this] { BackupSqliteToTemp(database_, Archive("b.zip"), "x", nullptr); });
  ASSERT_TRUE(killed.stopped());
  ASSERT_TRUE(running.stopped());
  killed.Kill();
  // Each left its copy of the database and its unfinished archive.
  ASSERT_EQ(FilesIn(temp_.path()).size(), 2u);
  ASSERT_EQ(FilesIn(work_.file("kopie")).size(), 2u);

  wxString error;
  ASSERT_TRUE(BackupSqliteToTemp(database_, Archive("c.zip"), "x", &error)) << error;
  ASSERT_EQ(FilesIn(temp_.path()).size(), 1u);
  EXPECT_EQ(FilesOf(temp_.path(), running.pid()).size(), 1u);
  const wxArrayString archives = FilesIn(work_.file("kopie"));
  ASSERT_EQ(archives.size(), 2u);
  EXPECT_EQ(FilesOf(work_.file("kopie"), running.pid()), std::vector<wxString>{archives[0]});
  EXPECT_EQ(archives[1], "c.zip");
}

TEST(ArchiveNames, FileNamePartsAndDefaultNames) {
  const struct {
    const char* text;
    const char* part;
  } parts[] = {{"  Firma  ", "Firma"}, {"   ", "baza"}, {"\\/:*?\"<>|", "_________"}, {"a]b'c", "a]b'c"}};
  for (const auto& p : parts) EXPECT_EQ(SafeFileNamePart(U8(p.text)), U8(p.part)) << p.text;

  const wxDateTime when(8, wxDateTime::Dec, 2026, 8, 16, 1);
  DbConnectionInfo sqlite;
  sqlite.server = "/dane/firma.db";
  sqlite.options["server_type"] = "SQLite";
  EXPECT_EQ(DefaultArchiveFileName(sqlite, when), "firma_2026-12-08_08-16-01_SQLite.zip");
  DbConnectionInfo server;
  server.database = "Firma";
  server.options["server_type"] = "SQL Server";
  EXPECT_EQ(DefaultArchiveFileName(server, when), "Firma_2026-12-08_08-16-01_SQL Server.zip");

  EXPECT_EQ(SqliteArchiveEntryName("/dane/firma"), "firma");
  EXPECT_EQ(ArchivePathWithZipExtension("/kopie/a.7z"), "/kopie/a.zip");
  EXPECT_EQ(ArchivePathWithZipExtension("/kopie/a"), "/kopie/a.zip");
}

}  // namespace
