#include "dbsetup/database_archive.h"

#include "app/common/crash_point.h"
#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "app/common/private_file.h"
#include "app/common/work_files.h"

#include <wx/file.h>
#include <wx/filename.h>
#include <wx/wfstream.h>
#include <wx/wxsqlite3.h>
#include <wx/zipstrm.h>

#include <unistd.h>

#include <cstdio>
#include <vector>

namespace {

// Deflate level of both entries.
constexpr int kZipLevel = 9;

bool IsSqlite(const DbConnectionInfo& info) { return ServerTypeOf(info).IsSameAs("SQLite", false); }

// Prefix of the archive's work file beside the chosen archive.
const char kArchiveWorkPrefix[] = ".veldrix-archiwum.";

// A folder only this user can read, removed with everything in it when the object
// goes; those that killed runs left go first.
class PrivateTempFolder {
 public:
  explicit PrivateTempFolder(const char* prefix) {
    veldrix::CreateWorkFolder(wxFileName::GetTempDir(), prefix, &path_);
  }
  ~PrivateTempFolder() {
    if (!path_.empty()) wxFileName::Rmdir(path_, wxPATH_RMDIR_RECURSIVE);
  }
  PrivateTempFolder(const PrivateTempFolder&) = delete;
  PrivateTempFolder& operator=(const PrivateTempFolder&) = delete;

  bool ok() const { return !path_.empty(); }
  wxString file(const wxString& name) const { return veldrix::JoinPath(path_, name); }

 private:
  wxString path_;
};

bool CopyIntoEntry(wxFile& input, wxZipOutputStream& zip) {
  std::vector<char> buffer(1 << 20);
  for (;;) {
    const ssize_t got = input.Read(buffer.data(), buffer.size());
    if (got == wxInvalidOffset) return false;
    if (got == 0) return true;
    zip.Write(buffer.data(), static_cast<size_t>(got));
    if (zip.LastWrite() != static_cast<size_t>(got) || !zip.IsOk()) return false;
  }
}

// Both entries into the open temporary file; false when any step failed.
bool WriteEntries(wxFile& output, const wxString& sourceFile, const wxString& entryName,
                  const wxString& information) {
  wxFileOutputStream stream(output);
  wxFile input;
  if (!stream.IsOk() || !wxFileName::FileExists(sourceFile) || !input.Open(sourceFile, wxFile::read)) return false;
  const wxFileOffset size = input.Length();
  if (size == wxInvalidOffset) return false;

  wxZipOutputStream zip(stream, kZipLevel, wxConvUTF8);
  bool ok = zip.PutNextEntry(new wxZipEntry(entryName, wxDateTime::Now(), size)) && CopyIntoEntry(input, zip) &&
            zip.CloseEntry();
  if (ok) {
    ok = zip.PutNextEntry(new wxZipEntry("informacje.txt", wxDateTime::Now()));
    const wxScopedCharBuffer text = information.utf8_str();
    if (ok && text.length() > 0) {
      zip.Write(text.data(), text.length());
      ok = zip.LastWrite() == text.length();
    }
    ok = ok && zip.IsOk() && zip.CloseEntry();
  }
  ok = zip.Close() && ok;
  return ok && stream.GetLastError() == wxSTREAM_NO_ERROR;
}

}  // namespace

bool WriteZipArchive(const wxString& sourceFile, const wxString& entryName, const wxString& archivePath,
                     const wxString& information, wxString* error) {
  const wxFileName target(archivePath);
  const wxString folder = target.GetPath().empty() ? wxString(".") : target.GetPath();
  // Hidden and unique beside the target: the final rename stays within one file system.
  wxString temporary;
  const int fd = veldrix::CreateWorkFile(folder, kArchiveWorkPrefix, &temporary);
  bool ok = fd >= 0;
  if (ok) {
    wxFile output;
    output.Attach(fd);
    ok = WriteEntries(output, sourceFile, entryName, information);
    // The rename must not publish data still in the page cache.
    ok = ::fsync(output.fd()) == 0 && ok;
    ok = output.Close() && ok;
    veldrix::CrashPoint("archive writing");
    ok = ok && std::rename(temporary.fn_str(), archivePath.fn_str()) == 0;
    if (ok) {
      veldrix::SyncFolder(folder);
    } else {
      wxRemoveFile(temporary);
    }
  }
  if (!ok) {
    if (error) *error = _("Nie udało się zapisać archiwum ZIP.");
    return false;
  }
  if (error) error->clear();
  return true;
}

wxString SqliteArchiveEntryName(const wxString& sqliteFile) {
  const wxString name = wxFileName(sqliteFile).GetFullName();
  return name.empty() ? wxString("baza.db") : name;
}

bool BackupSqliteToTemp(const wxString& sqliteFile, const wxString& archivePath, const wxString& information,
                        wxString* error) {
  if (!wxFileName::FileExists(sqliteFile)) {
    if (error) *error = _("Nie znaleziono pliku bazy SQLite: ") + sqliteFile;
    return false;
  }
  PrivateTempFolder folder("veldrix_baza_");
  if (!folder.ok()) {
    if (error) *error = _("Nie udało się wykonać spójnej kopii SQLite: ") + _("brak folderu tymczasowego.");
    return false;
  }
  const wxString entryName = SqliteArchiveEntryName(sqliteFile);
  const wxString copy = folder.file(entryName);
  try {
    wxSQLite3Database db;
    // No create flag: a file removed meanwhile must not come back as an empty database.
    db.Open(sqliteFile, wxString(), WXSQLITE_OPEN_READWRITE);
    // One step holds one read transaction for the whole copy: stepping page by page
    // would restart each time another connection writes, and might never finish.
    db.SetBackupRestorePageCount(-1);
    db.Backup(copy);
    db.Close();
  } catch (const wxSQLite3Exception& exception) {
    if (error) *error = _("Nie udało się wykonać spójnej kopii SQLite: ") + exception.GetMessage();
    return false;
  }
  return WriteZipArchive(copy, entryName, archivePath, information, error);
}

wxString SafeFileNamePart(const wxString& text) {
  wxString part = text;
  part.Trim(true).Trim(false);
  for (wxString::iterator it = part.begin(); it != part.end(); ++it) {
    if (wxString("\\/:*?\"<>|").Find(*it) != wxNOT_FOUND) *it = '_';
  }
  return part.empty() ? wxString("baza") : part;
}

wxString DefaultArchiveFileName(const DbConnectionInfo& info, const wxDateTime& now) {
  const wxString base = IsSqlite(info) ? wxFileName(info.server).GetName() : info.database;
  return SafeFileNamePart(base) + "_" + now.Format("%Y-%m-%d_%H-%M-%S") + "_" + SafeFileNamePart(ServerTypeOf(info)) +
         ".zip";
}

wxString ArchiveInformationText(const DbConnectionInfo& info, const wxDateTime& now) {
  const bool sqlite = IsSqlite(info);
  wxString text;
  text << _("Veldrix — archiwum bazy danych") << "\n";
  text << _("Rodzaj serwera: ") << ServerTypeOf(info) << "\n";
  text << _("Serwer źródłowy: ") << info.server << "\n";
  text << _("Baza źródłowa: ") << (sqlite ? info.server : info.database) << "\n";
  text << _("Data utworzenia: ") << now.FormatISOCombined(' ') << "\n";
  text << (sqlite ? _("Zawartość: spójna kopia bazy wykonana mechanizmem backupu SQLite.")
                  : _("Zawartość: natywna kopia .bak zweryfikowana poleceniem RESTORE VERIFYONLY."))
       << "\n";
  return text;
}

wxString ArchivePathWithZipExtension(const wxString& chosenPath) {
  wxFileName path(chosenPath);
  path.SetExt("zip");
  return path.GetFullPath();
}
