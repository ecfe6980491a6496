#include "app/common/shared_config_file.h"

#include "app/common/folder_lock.h"
#include "app/common/i18n.h"
#include "app/common/paths.h"
#include "app/common/private_file.h"
#include "app/common/scoped_flag.h"

#include <wx/filename.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace veldrix {
namespace {

// Names of the entries and subgroups of the config's current group.
void ListGroup(wxConfigBase* config, std::vector<wxString>* entries, std::vector<wxString>* groups) {
  wxString name;
  long cookie = 0;
  for (bool more = config->GetFirstEntry(name, cookie); more; more = config->GetNextEntry(name, cookie)) {
    entries->push_back(name);
  }
  for (bool more = config->GetFirstGroup(name, cookie); more; more = config->GetNextGroup(name, cookie)) {
    groups->push_back(name);
  }
}

// Every entry below the group, with its absolute path.
void CollectEntries(wxConfigBase* config, const wxString& group, std::vector<wxString>* paths) {
  const wxString saved = config->GetPath();
  config->SetPath(group.empty() ? wxString("/") : group);
  std::vector<wxString> entries;
  std::vector<wxString> groups;
  ListGroup(config, &entries, &groups);
  config->SetPath(saved);
  for (const wxString& entry : entries) paths->push_back(group + "/" + entry);
  for (const wxString& sub : groups) CollectEntries(config, group + "/" + sub, paths);
}

// Reads an entry as written, without expanding environment variables in it.
wxString RawValue(wxConfigBase* config, const wxString& path) {
  const bool expanding = config->IsExpandingEnvVars();
  config->SetExpandEnvVars(false);
  wxString value;
  config->Read(path, &value);
  config->SetExpandEnvVars(expanding);
  return value;
}

std::unique_ptr<wxFileConfig> ParseConfigText(const std::string& bytes) {
  wxLogNull quiet;  // a file that does not parse is an empty configuration, not an error box
  wxMemoryInputStream stream(bytes.data(), bytes.size());
  return std::make_unique<wxFileConfig>(stream, wxConvAuto());
}

}  // namespace

SharedConfigFile::FileStamp SharedConfigFile::FileStamp::Of(const struct stat& info) {
  FileStamp stamp;
  stamp.exists = true;
  stamp.device = info.st_dev;
  stamp.inode = info.st_ino;
  stamp.size = info.st_size;
  stamp.modifiedNs = static_cast<long long>(info.st_mtim.tv_sec) * 1000000000LL + info.st_mtim.tv_nsec;
  return stamp;
}

SharedConfigFile::FileStamp SharedConfigFile::FileStamp::OfPath(const wxString& path) {
  struct stat info {};
  return ::stat(path.fn_str(), &info) == 0 ? Of(info) : FileStamp();
}

bool SharedConfigFile::FileStamp::operator==(const FileStamp& other) const {
  return exists == other.exists && device == other.device && inode == other.inode && size == other.size &&
         modifiedNs == other.modifiedNs;
}

// The base starts empty (from an empty stream, so it knows no file of its own and
// never writes one); the content comes from Refresh.
SharedConfigFile::SharedConfigFile(const wxString& path)
    : wxFileConfig(*std::make_unique<wxMemoryInputStream>("", 0)), path_(path) {
  DisableAutoSave();
  stamp_.exists = true;  // nothing read yet: a stamp no file has
  Refresh();
}

SharedConfigFile::~SharedConfigFile() { Flush(); }

wxString SharedConfigFile::Absolute(const wxString& key) const {
  wxConfigPathChanger change(this, key);
  return GetPath() + "/" + change.Name();
}

void SharedConfigFile::Record(Change::Kind kind, const wxString& path) {
  if (!loading_) changes_.push_back(Change{kind, path});
}

bool SharedConfigFile::DoWriteString(const wxString& key, const wxString& value) {
  if (!wxFileConfig::DoWriteString(key, value)) return false;
  Record(Change::Entry, Absolute(key));
  return true;
}

bool SharedConfigFile::DoWriteLong(const wxString& key, long value) {
  if (!wxFileConfig::DoWriteLong(key, value)) return false;
  Record(Change::Entry, Absolute(key));
  return true;
}

bool SharedConfigFile::DoWriteBinary(const wxString& key, const wxMemoryBuffer& buffer) {
  if (!wxFileConfig::DoWriteBinary(key, buffer)) return false;
  Record(Change::Entry, Absolute(key));
  return true;
}

bool SharedConfigFile::DeleteEntry(const wxString& key, bool groupIfEmptyAlso) {
  const wxString path = Absolute(key);
  if (!wxFileConfig::DeleteEntry(key, groupIfEmptyAlso)) return false;
  Record(Change::Entry, path);
  return true;
}

bool SharedConfigFile::DeleteGroup(const wxString& key) {
  const wxString path = Absolute(key);
  if (!wxFileConfig::DeleteGroup(key)) return false;
  Record(Change::Group, path);
  return true;
}

bool SharedConfigFile::DeleteAll() {
  if (!wxFileConfig::DeleteAll()) return false;
  SetPath("/");  // see LoadFrom
  Record(Change::Everything, wxString());
  return true;
}

bool SharedConfigFile::RenameEntry(const wxString& oldName, const wxString& newName) {
  const wxString oldPath = Absolute(oldName);
  const wxString newPath = Absolute(newName);
  if (!wxFileConfig::RenameEntry(oldName, newName)) return false;
  Record(Change::Entry, oldPath);
  Record(Change::Entry, newPath);
  return true;
}

bool SharedConfigFile::RenameGroup(const wxString& oldName, const wxString& newName) {
  const wxString oldPath = Absolute(oldName);
  const wxString newPath = Absolute(newName);
  if (!wxFileConfig::RenameGroup(oldName, newName)) return false;
  Record(Change::Group, oldPath);
  Record(Change::Group, newPath);
  std::vector<wxString> moved;
  CollectEntries(this, newPath, &moved);
  for (const wxString& path : moved) Record(Change::Entry, path);
  return true;
}

std::unique_ptr<wxFileConfig> SharedConfigFile::ReadFile(FileStamp* stamp, std::string* bytes,
                                                        wxString* error) const {
  *stamp = FileStamp();
  bytes->clear();
  const int fd = ::open(path_.fn_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int openErrno = errno;
    if (openErrno != ENOENT) {
      *error = FailureOnPath(_("Nie udało się odczytać pliku %s: %s"), path_, openErrno);
      return nullptr;
    }
  } else {
    struct stat info {};
    bool ok = ::fstat(fd, &info) == 0;
    if (ok) {
      *stamp = FileStamp::Of(info);
      char buffer[8192];
      ssize_t got;
      while ((got = ::read(fd, buffer, sizeof buffer)) > 0) bytes->append(buffer, static_cast<size_t>(got));
      ok = got == 0;
    }
    const int readErrno = errno;
    ::close(fd);
    if (!ok) {
      *error = FailureOnPath(_("Nie udało się odczytać pliku %s: %s"), path_, readErrno);
      return nullptr;
    }
  }
  return ParseConfigText(*bytes);
}

void SharedConfigFile::ApplyChanges(wxFileConfig* target) {
  for (const Change& change : changes_) {
    switch (change.kind) {
      case Change::Entry:
        if (HasEntry(change.path)) {
          target->Write(change.path, RawValue(this, change.path));
        } else if (target->HasEntry(change.path)) {
          target->DeleteEntry(change.path);
        }
        break;
      case Change::Group:
        target->DeleteGroup(change.path);
        break;
      case Change::Everything:
        target->DeleteAll();
        break;
    }
  }
}

void SharedConfigFile::LoadFrom(wxFileConfig* source) {
  const ScopedFlag loading(loading_);
  const wxString current = GetPath();
  wxFileConfig::DeleteAll();
  // DeleteAll makes the root current but keeps the path text: a write whose group
  // equals that text would not change groups and would land in the root.
  SetPath("/");
  std::vector<wxString> paths;
  CollectEntries(source, wxString(), &paths);
  for (const wxString& path : paths) wxFileConfig::DoWriteString(path, RawValue(source, path));
  SetPath(current);
}

void SharedConfigFile::Refresh() {
  if (FileStamp::OfPath(path_) == stamp_) return;
  FileStamp read;
  std::string bytes;
  wxString error;
  std::unique_ptr<wxFileConfig> file = ReadFile(&read, &bytes, &error);
  if (!file) return;
  ApplyChanges(file.get());
  LoadFrom(file.get());
  stamp_ = read;
  baseBytes_ = std::move(bytes);
}

void SharedConfigFile::DiscardChanges() {
  changes_.clear();
  LoadFrom(ParseConfigText(baseBytes_).get());
}

bool SharedConfigFile::Flush(bool) {
  flushError_.clear();
  if (changes_.empty()) return true;
  const wxString folder = wxFileName(path_).GetPath();
  if (!EnsureFolder(folder, &flushError_)) return false;
  FolderLock lock(folder);
  if (!lock.held()) {
    flushError_ = lock.FailureText();
    return false;
  }
  FileStamp read;
  std::string bytes;
  std::unique_ptr<wxFileConfig> file = ReadFile(&read, &bytes, &flushError_);
  if (!file) return false;
  ApplyChanges(file.get());
  wxMemoryOutputStream out;
  if (!file->Save(out, wxConvUTF8)) {
    flushError_ = wxString::Format(_("Nie udało się zapisać pliku %s"), path_);
    return false;
  }
  bytes.assign(out.GetLength(), '\0');
  out.CopyTo(&bytes[0], bytes.size());
  if (!ReplaceFileAtomically(path_, bytes, &flushError_)) return false;
  changes_.clear();
  LoadFrom(file.get());
  baseBytes_ = std::move(bytes);
  // What was just written: the next Refresh reads again only when another copy writes.
  stamp_ = FileStamp::OfPath(path_);
  return true;
}

}  // namespace veldrix
