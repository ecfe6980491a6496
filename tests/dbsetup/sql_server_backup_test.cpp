// The SQL Server archive path against a stand-in server on loopback that speaks
// TDS: what is sent, where the server is taken to run, and what is left behind.
// The stand-in writes the .bak itself, as a server on this computer would.
#include "dbsetup/sql_server_backup.h"

#include "../db/fake_tds_server.h"
#include "app/common/paths.h"
#include "db/driver_registry.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dir.h>
#include <wx/filename.h>
#include <wx/utils.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include <memory>

using faketds::Done;
using faketds::Message;
using faketds::Reply;
using veldrix::JoinPath;
using veldrix::test::ScopedEnv;
using veldrix::test::TempDir;

namespace {

bool Has(const std::string& batch, const char* text) { return batch.find(text) != std::string::npos; }

// One VARCHAR cell.
faketds::Bytes TextRow(const std::string& name, const std::string& value) {
  const std::string collation("\x09\x04\xD0\x00\x34", 5);
  faketds::Bytes cell;
  faketds::PutU16(cell, static_cast<unsigned>(value.size()));
  cell += value;
  return faketds::Rows({{name, std::string("\xA7\x80\x00", 3) + collation}}, {{cell}});
}

// The path inside the first N'...' of a statement, quotes undoubled.
std::string QuotedPath(const std::string& batch) {
  const std::size_t start = batch.find("N'");
  std::string path;
  for (std::size_t i = start + 2; i < batch.size(); ++i) {
    if (batch[i] == '\'') {
      if (i + 1 < batch.size() && batch[i + 1] == '\'') {
        path += '\'';
        ++i;
        continue;
      }
      break;
    }
    path += batch[i];
  }
  return path;
}

// How the stand-in behaves; the defaults make a backup on this computer succeed.
struct ServerScript {
  std::string machineName = wxGetHostName().ToStdString();
  bool machineNameFails = false;
  int isDirectory = 1;
  bool backupFails = false;
  bool writesFile = true;
  bool verifyFails = false;
};

Reply Answer(const ServerScript& script, const std::string& batch) {
  Reply reply;
  if (batch == faketds::kLogin) return reply;
  if (Has(batch, "SERVERPROPERTY('MachineName')")) {
    reply.tokens = script.machineNameFails ? Message(true, 195, 15, "Not a recognized function.") + Done(0x02)
                                           : TextRow("", script.machineName);
  } else if (Has(batch, "xp_fileexist")) {
    reply.tokens = Done(0x11, 1) + faketds::IntRows({"IsDirectory"}, {{script.isDirectory}});
  } else if (Has(batch, "BACKUP DATABASE")) {
    if (script.backupFails) {
      reply.tokens = Message(true, 3201, 16, "Cannot open backup device. Operating system error 5.") + Done(0x02);
    } else {
      if (script.writesFile) veldrix::test::WriteFileBytes(wxString::FromUTF8(QuotedPath(batch)), "kopia .bak");
      reply.tokens = Message(false, 4035, 0, "Processed 360 pages.") + Done(0);
    }
  } else if (Has(batch, "RESTORE VERIFYONLY")) {
    reply.tokens = script.verifyFails ? Message(true, 3241, 16, "The media family is incorrectly formed.") + Done(0x02)
                                      : Message(false, 3262, 0, "The backup set is valid.") + Done(0);
  } else {
    reply.tokens = Done(0);
  }
  return reply;
}

class SqlServerBackupTest : public ::testing::Test {
 protected:
  SqlServerBackupTest() : tdsVersion_("TDSVER", "7.1") { RegisterBuiltinDrivers(); }

  DbConnectionInfo At(const faketds::Server& server) {
    DbConnectionInfo info;
    info.driver = "SQL Server (FreeTDS)";
    info.server = "127.0.0.1";
    info.port = server.port();
    info.user = "sa";
    info.password = "secret";
    info.database = "Firma]1";
    info.options["server_type"] = "SQL Server";
    return info;
  }

  // Runs the backup against a stand-in following the script.
  bool Backup(const ServerScript& script, wxString* error, std::vector<std::string>* batches = nullptr) {
    faketds::Server server([&script](const std::string& batch) { return Answer(script, batch); });
    EXPECT_TRUE(server.ok());
    const bool done = BackupSqlServerDatabase(At(server), archive_, "opis", error);
    if (batches) *batches = server.batches();
    return done;
  }

  std::vector<wxString> FilesLeft() const { return veldrix::SortedFolderEntries(folder_.path(), wxDIR_FILES); }

  TempDir folder_;
  wxString archive_ = JoinPath(folder_.path(), "Firma_archiwum.zip");
  ScopedEnv tdsVersion_;
};

TEST_F(SqlServerBackupTest, ALocalServerBacksUpVerifiesAndTheBakIsZippedAndRemoved) {
  wxString error;
  std::vector<std::string> batches;
  ASSERT_TRUE(Backup(ServerScript(), &error, &batches)) << error;

  const std::string bak = JoinPath(folder_.path(), "Firma_archiwum_veldrix_temp.bak").ToStdString();
  std::vector<std::string> sent;
  for (const std::string& batch : batches) {
    if (Has(batch, "MachineName") || Has(batch, "xp_fileexist") || Has(batch, "BACKUP") || Has(batch, "RESTORE")) {
      sent.push_back(batch);
    }
  }
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_TRUE(Has(sent[1], ("xp_fileexist N'" + folder_.path().ToStdString() + "'").c_str())) << sent[1];
  EXPECT_EQ(sent[2], "BACKUP DATABASE [Firma]]1] TO DISK = N'" + bak + "' WITH COPY_ONLY, INIT, CHECKSUM");
  EXPECT_EQ(sent[3], "RESTORE VERIFYONLY FROM DISK = N'" + bak + "'");

  wxFFileInputStream file(archive_);
  wxZipInputStream zip(file);
  std::unique_ptr<wxZipEntry> first(zip.GetNextEntry());
  ASSERT_TRUE(first);
  EXPECT_EQ(first->GetName(), "Firma]1.bak");
  char content[64] = {};
  zip.Read(content, sizeof content - 1);
  EXPECT_STREQ(content, "kopia .bak");
  std::unique_ptr<wxZipEntry> second(zip.GetNextEntry());
  ASSERT_TRUE(second);
  EXPECT_EQ(second->GetName(), "informacje.txt");
  EXPECT_EQ(FilesLeft(), std::vector<wxString>{"Firma_archiwum.zip"});
}

TEST_F(SqlServerBackupTest, EachFailureIsExplainedAndLeavesNothingBehind) {
  const struct {
    const char* what;
    void (*change)(ServerScript&);
    const char* errorPart;
    bool backupSent;
  } cases[] = {
      {"remote server, local folder", [](ServerScript& s) { s.machineName = "zdalny-serwer.firma.local"; },
       "(zdalny-serwer.firma.local)", false},
      {"folder not seen by the service", [](ServerScript& s) { s.isDirectory = 0; }, "nie widzi wybranego katalogu",
       false},
      {"backup refused", [](ServerScript& s) { s.backupFails = true; }, "Operating system error 5", true},
      {"verification failed", [](ServerScript& s) { s.verifyFails = true; }, "RESTORE VERIFYONLY: ", true},
      {"file not readable here", [](ServerScript& s) { s.writesFile = false; }, "nie może odczytać", true},
  };
  for (const auto& c : cases) {
    wxString error;
    std::vector<std::string> batches;
    ServerScript script;
    c.change(script);
    EXPECT_FALSE(Backup(script, &error, &batches)) << c.what;
    EXPECT_TRUE(error.Contains(wxString::FromUTF8(c.errorPart))) << c.what << ": " << error;
    bool backupSent = false;
    for (const std::string& batch : batches) backupSent = backupSent || Has(batch, "BACKUP DATABASE");
    EXPECT_EQ(backupSent, c.backupSent) << c.what;
    EXPECT_TRUE(FilesLeft().empty()) << c.what;
  }
}

TEST_F(SqlServerBackupTest, WithoutTheMachineNameTheServerFieldDecidesWhetherTheServerIsLocal) {
  ServerScript script;
  script.machineNameFails = true;
  faketds::Server server([&script](const std::string& batch) { return Answer(script, batch); });
  ASSERT_TRUE(server.ok());
  std::shared_ptr<IDbConnection> connection;
  wxString error;
  ASSERT_TRUE(OpenConnection(BuildConnectionString(At(server)), &connection, nullptr, &error)) << error;
  const struct {
    wxString server;
    bool local;
  } cases[] = {{"localhost\\SQLEXPRESS", true}, {".", true},  {"(local)\\X", true},  {"127.0.0.1", true},
               {"::1", true},                   {wxGetHostName() + ".firma.local", true}, {"zdalny", false}};
  for (const auto& c : cases) {
    bool known = false;
    wxString machine = "stale";
    EXPECT_EQ(IsLocalSqlServer(connection.get(), c.server, &known, &machine), c.local) << c.server;
    EXPECT_EQ(known, c.local) << c.server;
    EXPECT_TRUE(machine.empty());
  }
  connection->close();

  // A remote server that does not tell its name: the folder check and the backup decide.
  wxString backupError;
  std::vector<std::string> batches;
  EXPECT_TRUE(Backup(script, &backupError, &batches)) << backupError;
}

TEST(SqlServerBackupNames, TemporaryPathHostNamesAndQuoting) {
  EXPECT_EQ(SqlServerBackupTempPath("/kopie/Firma_2026.zip"), "/kopie/Firma_2026_veldrix_temp.bak");
  EXPECT_EQ(ShortHostName("  Serwer.Firma.LOCAL "), "serwer");
  EXPECT_EQ(SqlServerVerifySql("/kopie/O'Brien/a.bak"), "RESTORE VERIFYONLY FROM DISK = N'/kopie/O''Brien/a.bak'");
}

}  // namespace
