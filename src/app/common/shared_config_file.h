// The program's configuration file as several copies of the program share it:
// each copy keeps the file in memory (wxFileConfig), and a flush writes only what
// this copy changed on top of what the file holds by then, under a lock over the
// folder, into a new file renamed over the old one. What another copy wrote
// survives, and no reader ever finds half a file. ConfigAccess takes in what other
// copies wrote each time the configuration is taken.
#pragma once

#include <wx/fileconf.h>

#include <sys/stat.h>
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace veldrix {

class SharedConfigFile : public wxFileConfig {
 public:
  // Reads the file (none is an empty configuration); nothing is written until a change is flushed.
  explicit SharedConfigFile(const wxString& path);
  // Flushes what is still pending, as wxFileConfig does.
  ~SharedConfigFile() override;

  // Takes in the file as other copies left it, when it changed since this object
  // last read or wrote it; this object's changes not flushed yet stay.
  void Refresh();

  // On failure this copy's changes stay pending and FlushError says why.
  bool Flush(bool currentOnly = false) override;
  const wxString& FlushError() const { return flushError_; }
  // Drops the changes not flushed yet: the content is again what the file held
  // when this object last read or wrote it, even when the file cannot be read now.
  void DiscardChanges();
  bool RenameEntry(const wxString& oldName, const wxString& newName) override;
  bool RenameGroup(const wxString& oldName, const wxString& newName) override;
  bool DeleteEntry(const wxString& key, bool groupIfEmptyAlso = true) override;
  bool DeleteGroup(const wxString& key) override;
  bool DeleteAll() override;

 protected:
  bool DoWriteString(const wxString& key, const wxString& value) override;
  bool DoWriteLong(const wxString& key, long value) override;
  bool DoWriteBinary(const wxString& key, const wxMemoryBuffer& buffer) override;

 private:
  // One change of this copy, replayed onto the file's content at a flush: an
  // entry takes its value in memory (or goes when it is gone), a group is deleted,
  // or everything is.
  struct Change {
    enum Kind { Entry, Group, Everything } kind;
    wxString path;  // absolute
  };
  struct FileStamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    long long modifiedNs = 0;
    static FileStamp Of(const struct stat& info);
    static FileStamp OfPath(const wxString& path);  // no file: exists false
    bool operator==(const FileStamp& other) const;
  };

  wxString Absolute(const wxString& key) const;
  void Record(Change::Kind kind, const wxString& path);
  // The file's content, read in one go, with its bytes and its stamp; null when it
  // cannot be read, with the reason in *error.
  std::unique_ptr<wxFileConfig> ReadFile(FileStamp* stamp, std::string* bytes, wxString* error) const;
  void ApplyChanges(wxFileConfig* target);
  // Makes this object's content a copy of the source's.
  void LoadFrom(wxFileConfig* source);

  wxString path_;
  FileStamp stamp_;
  std::vector<Change> changes_;
  std::string baseBytes_;  // what the file held when last read or written
  wxString flushError_;
  bool loading_ = false;
};

}  // namespace veldrix
