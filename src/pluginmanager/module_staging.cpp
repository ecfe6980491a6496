#include "pluginmanager/module_staging.h"

#include "app/common/crash_point.h"
#include "app/common/folder_lock.h"
#include "app/common/hex_text.h"
#include "app/common/i18n.h"

#include <openssl/evp.h>

#include <wx/dir.h>
#include <wx/ffile.h>
#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/log.h>
#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace veldrix {
namespace {

constexpr std::size_t kBlockSize = 65536;

void SetError(wxString* error, const wxString& text) {
  if (error) *error = text;
}

// The operation's own line, and below it why the lock was not taken when it was not.
wxString WithLockFailure(const wxString& line, const FolderLock& lock) {
  return lock.held() ? line : line + "\n" + lock.FailureText();
}

// The extension of the last path component; a component whose only dot is its
// first character has none.
wxString Extension(const wxString& name) {
  const wxString last = name.AfterLast('/');
  const int dot = last.Find('.', true);
  if (dot == wxNOT_FOUND || dot == 0) return wxString();
  return last.Mid(dot + 1);
}

std::uint32_t Le32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

unsigned Le16(const unsigned char* p) { return static_cast<unsigned>(p[0]) | (static_cast<unsigned>(p[1]) << 8); }

// The entry names exactly as the archive's central directory stores them. The ZIP
// reader hands out cleaned names (a leading "/" or "./" dropped, "\" turned into
// "/"), which would hide an archive that tries to write outside its folder.
// Empty when the central directory cannot be found; the reader then decides.
std::vector<wxString> RawEntryNames(wxFFile& file) {
  std::vector<wxString> names;
  const wxFileOffset length = file.Length();
  if (length < 22) return names;
  const wxFileOffset tail = std::min<wxFileOffset>(length, 22 + 65535);
  std::vector<unsigned char> end(static_cast<std::size_t>(tail));
  if (!file.Seek(length - tail) || file.Read(end.data(), end.size()) != end.size()) return names;
  std::size_t eocd = end.size() - 22 + 1;
  while (eocd-- > 0) {
    if (end[eocd] == 'P' && end[eocd + 1] == 'K' && end[eocd + 2] == 5 && end[eocd + 3] == 6) break;
  }
  if (eocd == static_cast<std::size_t>(-1)) return names;
  const std::uint32_t size = Le32(&end[eocd + 12]);
  const std::uint32_t offset = Le32(&end[eocd + 16]);
  if (size == 0xffffffffu || offset == 0xffffffffu || static_cast<wxFileOffset>(offset) + size > length) return names;
  std::vector<unsigned char> directory(size);
  if (!file.Seek(offset) || file.Read(directory.data(), size) != size) return names;
  for (std::size_t at = 0; at + 46 <= directory.size();) {
    const unsigned char* header = &directory[at];
    if (Le32(header) != 0x02014b50u) break;
    const std::size_t nameLength = Le16(header + 28);
    const std::size_t next = at + 46 + nameLength + Le16(header + 30) + Le16(header + 32);
    if (at + 46 + nameLength > directory.size()) break;
    const char* raw = reinterpret_cast<const char*>(header + 46);
    wxString name = wxString::FromUTF8(raw, nameLength);
    if (name.empty() && nameLength > 0) name = wxString::From8BitData(raw, nameLength);
    names.push_back(name);
    at = next;
  }
  return names;
}

}  // namespace

wxString JoinModulePath(const wxString& folder, const wxString& name) {
  return folder + wxFileName::GetPathSeparator() + name;
}

wxString GetPendingInstallDir(const wxString& root, const wxString& code) {
  return JoinModulePath(JoinModulePath(root, ".pending"), code);
}

wxString GetPendingRemovalMarker(const wxString& root, const wxString& code) {
  return JoinModulePath(JoinModulePath(root, ".pending-remove"), code);
}

bool MakeModuleFolder(const wxString& folder) {
  if (wxDirExists(folder)) return true;
  wxLogNull quiet;
  return wxFileName::Mkdir(folder, 0770, wxPATH_MKDIR_FULL);
}

bool RemoveDirIfExists(const wxString& folder) {
  if (!wxDirExists(folder)) return true;
  wxLogNull quiet;
  return wxFileName::Rmdir(folder, wxPATH_RMDIR_RECURSIVE) && !wxDirExists(folder);
}

bool IsValidModuleCode(const wxString& text) {
  if (text.empty() || text.length() > 80) return false;
  for (wxUniChar c : text) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
    if (!ok) return false;
  }
  return true;
}

bool IsSafePackagePath(wxString name) {
  name.Replace("\\", "/");
  if (name.empty() || name[0] == '/') return false;
  if (name.length() > 2 && name[1] == ':' && wxIsalpha(name[0])) return false;
  for (const wxString& part : wxSplit(name, '/', '\0')) {
    if (part == "." || part == "..") return false;
  }
  return true;
}

bool ComputeFileSha256(const wxString& path, wxString* hex, wxString* error) {
  if (hex) hex->clear();
  if (error) error->clear();
  std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), &EVP_MD_CTX_free);
  if (!context) {
    SetError(error, _("Nie udało się uruchomić weryfikacji SHA-256."));
    return false;
  }
  if (EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
    SetError(error, _("Nie udało się utworzyć skrótu SHA-256."));
    return false;
  }
  wxFFile file;
  {
    wxLogNull quiet;
    if (!file.Open(path, "rb")) {
      SetError(error, _("Nie udało się odczytać pobranej paczki."));
      return false;
    }
  }
  std::vector<unsigned char> block(kBlockSize);
  for (;;) {
    const std::size_t count = std::fread(block.data(), 1, block.size(), file.fp());
    if (count == 0) {
      if (std::ferror(file.fp())) {
        SetError(error, _("Błąd odczytu pobranej paczki."));
        return false;
      }
      break;
    }
    if (EVP_DigestUpdate(context.get(), block.data(), count) != 1) {
      SetError(error, _("Nie udało się obliczyć skrótu paczki."));
      return false;
    }
  }
  file.Close();
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) {
    SetError(error, _("Nie udało się zakończyć weryfikacji paczki."));
    return false;
  }
  if (hex) *hex = EncodeHex(digest, length);
  return true;
}

bool StagePackage(const wxString& root, const wxString& code, const wxString& packagePath,
                  const wxString& publishedSha256, wxString* error) {
  return StagePackage(root, code, packagePath, publishedSha256, PackageLimits(), error);
}

bool StagePackage(const wxString& root, const wxString& code, const wxString& packagePath,
                  const wxString& publishedSha256, const PackageLimits& limits, wxString* error) {
  if (error) error->clear();
  if (!IsValidModuleCode(code)) {
    SetError(error, _("Nieprawidłowy kod modułu."));
    return false;
  }
  if (publishedSha256.length() != 64) {
    SetError(error, _("Paczka nie ma opublikowanej sumy kontrolnej SHA-256."));
    return false;
  }
  wxString computed;
  if (!ComputeFileSha256(packagePath, &computed, error)) return false;
  if (!computed.IsSameAs(publishedSha256, false)) {
    SetError(error, _("Suma SHA-256 paczki jest nieprawidłowa. Instalacja została przerwana."));
    return false;
  }

  const wxString pending = JoinModulePath(root, ".pending");
  const wxString unpacking = JoinModulePath(pending, code + ".new");
  const wxString staged = JoinModulePath(pending, code);
  const wxString previous = JoinModulePath(pending, code + ".old");
  MakeModuleFolder(pending);  // without it the lock is not held
  // Held until the commit: a copy of the program starting meanwhile leaves the
  // folder being unpacked alone instead of taking it for one a killed staging left.
  const FolderLock lock(pending);
  // Before the unpacking folder is cleared: after a killed commit it holds the confirmed version.
  if (lock.held()) FinishInterruptedStaging(root, code);
  if (!lock.held() || !RemoveDirIfExists(unpacking) || !MakeModuleFolder(unpacking)) {
    SetError(error, WithLockFailure(_("Nie udało się przygotować katalogu aktualizacji modułu."), lock));
    return false;
  }

  // From here on every failure removes the half-unpacked folder.
  auto fail = [&](const wxString& text) {
    SetError(error, text);
    RemoveDirIfExists(unpacking);
    return false;
  };

  wxLogNull quiet;  // the reader's own reports become the texts below
  wxFFileInputStream input(packagePath, "rb");
  if (!input.IsOk()) return fail(_("Nie udało się otworzyć paczki modułu."));
  for (const wxString& raw : RawEntryNames(*input.GetFile())) {
    if (!IsSafePackagePath(raw)) return fail(_("Paczka zawiera niedozwoloną ścieżkę."));
  }
  input.GetFile()->Seek(0);
  wxZipInputStream zip(input, wxConvUTF8);

  unsigned files = 0;
  std::uint64_t declaredTotal = 0;
  std::uint64_t writtenTotal = 0;
  bool hasLibrary = false;
  std::vector<char> buffer(kBlockSize);
  std::unique_ptr<wxZipEntry> entry;
  while (entry.reset(zip.GetNextEntry()), entry) {
    wxString name = entry->GetName(wxPATH_UNIX);
    name.Replace("\\", "/");
    if (!IsSafePackagePath(name)) return fail(_("Paczka zawiera niedozwoloną ścieżkę."));
    if (entry->IsDir()) continue;
    if (++files > limits.maxFiles) return fail(_("Paczka zawiera zbyt wiele plików."));
    const wxFileOffset declared = entry->GetSize();
    if (declared > 0) declaredTotal += static_cast<std::uint64_t>(declared);
    if (declaredTotal > limits.maxBytes) return fail(_("Rozpakowana paczka przekracza dozwolony rozmiar."));

    const wxString target = JoinModulePath(unpacking, name);
    if (!MakeModuleFolder(wxFileName(target).GetPath())) {
      return fail(_("Nie udało się utworzyć katalogu z paczki modułu."));
    }
    wxFFile output;
    if (!output.Open(target, "wb")) return fail(_("Nie udało się zapisać pliku z paczki modułu."));
    std::uint64_t written = 0;
    for (;;) {
      zip.Read(buffer.data(), buffer.size());
      const std::size_t count = zip.LastRead();
      if (count == 0) break;
      written += count;
      writtenTotal += count;
      // The declared sizes are the archive's word only; what is written counts too.
      if (writtenTotal > limits.maxBytes) {
        output.Close();
        return fail(_("Rozpakowana paczka przekracza dozwolony rozmiar."));
      }
      if (declared >= 0 && written > static_cast<std::uint64_t>(declared)) {
        output.Close();
        return fail(_("Paczka modułu jest uszkodzona."));
      }
      if (output.Write(buffer.data(), count) != count) {
        output.Close();
        return fail(_("Nie udało się zapisać pliku z paczki modułu."));
      }
    }
    const wxStreamError state = zip.GetLastError();
    if (state != wxSTREAM_NO_ERROR && state != wxSTREAM_EOF) {
      output.Close();
      return fail(_("Paczka modułu jest uszkodzona."));
    }
    if (!output.Close()) return fail(_("Nie udało się zapisać pliku z paczki modułu."));
    if (Extension(name).IsSameAs("so", false)) hasLibrary = true;
    CrashPoint("module staging unpack");
  }
  // A reader error after some entries means the rest of the package is missing;
  // an unreadable file with no entries at all is reported as holding no library.
  const wxStreamError state = zip.GetLastError();
  if (files > 0 && state != wxSTREAM_NO_ERROR && state != wxSTREAM_EOF) {
    return fail(_("Paczka modułu jest uszkodzona."));
  }
  if (!hasLibrary) return fail(_("Paczka nie zawiera biblioteki modułu dla Linux."));

  // Commit. The earlier staged version is moved aside rather than deleted, so a
  // failed rename can put it back; a process killed between the two renames leaves
  // what FinishInterruptedStaging completes.
  if (!RemoveDirIfExists(previous)) return fail(_("Nie udało się zatwierdzić oczekującej aktualizacji modułu."));
  const bool hadStaged = wxDirExists(staged);
  if (hadStaged && !RenameEntry(staged, previous)) {
    return fail(_("Nie udało się zatwierdzić oczekującej aktualizacji modułu."));
  }
  CrashPoint("module staging commit");
  if (!RenameEntry(unpacking, staged)) {
    if (hadStaged) RenameEntry(previous, staged);
    return fail(_("Nie udało się zatwierdzić oczekującej aktualizacji modułu."));
  }
  if (hadStaged) RemoveDirIfExists(previous);
  return true;
}

bool PrepareModuleUninstall(const wxString& root, const wxString& code, wxString* error) {
  if (error) error->clear();
  if (!IsValidModuleCode(code)) {
    SetError(error, _("Nieprawidłowy kod modułu."));
    return false;
  }
  const wxString installed = JoinModulePath(root, code);
  const wxString staged = GetPendingInstallDir(root, code);
  const wxString pending = JoinModulePath(root, ".pending");
  const wxString notFound = _("Nie znaleziono plików zainstalowanego modułu.");
  // Without ".pending" nothing is staged: no folder is made for a module that is not there.
  if (!wxDirExists(installed) && !wxDirExists(pending)) {
    SetError(error, notFound);
    return false;
  }
  MakeModuleFolder(pending);  // without it the lock is not held
  // The marker is written under the lock the start applies markers under.
  const FolderLock lock(pending);
  if (!lock.held()) {
    SetError(error, WithLockFailure(_("Nie udało się przygotować odinstalowania modułu."), lock));
    return false;
  }
  FinishInterruptedStaging(root, code);
  if (!wxDirExists(installed) && !wxDirExists(staged)) {
    SetError(error, notFound);
    return false;
  }
  if (!RemoveDirIfExists(staged)) {
    SetError(error, _("Nie udało się anulować oczekującej instalacji modułu."));
    return false;
  }
  if (!MakeModuleFolder(JoinModulePath(root, ".pending-remove"))) {
    SetError(error, _("Nie udało się przygotować odinstalowania modułu."));
    return false;
  }
  wxFFile marker;
  bool written = false;
  {
    wxLogNull quiet;
    if (marker.Open(GetPendingRemovalMarker(root, code), "wb")) {
      const wxString line = code + "\n";
      const wxScopedCharBuffer text = line.utf8_str();
      written = marker.Write(text.data(), text.length()) == text.length();
      written = marker.Close() && written;
    }
  }
  if (!written) {
    SetError(error, _("Nie udało się zapisać polecenia odinstalowania modułu."));
    return false;
  }
  return true;
}

void FinishInterruptedStaging(const wxString& root, const wxString& code) {
  const wxString staged = GetPendingInstallDir(root, code);
  const wxString unpacking = staged + ".new";
  const wxString previous = staged + ".old";
  if (!IsValidModuleCode(code) || !wxDirExists(previous)) return;
  // Between the two renames the new version was complete and confirmed: it goes
  // in; without it the earlier one goes back.
  if (!wxDirExists(staged) && !(wxDirExists(unpacking) && RenameEntry(unpacking, staged))) {
    RenameEntry(previous, staged);
  }
  if (wxDirExists(staged)) RemoveDirIfExists(previous);
}

void FinishInterruptedStagings(const wxString& root) {
  const wxString pending = JoinModulePath(root, ".pending");
  for (const wxString& name : SortedFolderEntries(pending, wxDIR_DIRS, "*.old")) {
    FinishInterruptedStaging(root, name.BeforeLast('.'));
  }
  // What is left unpacking was killed before it was complete.
  for (const wxString& name : SortedFolderEntries(pending, wxDIR_DIRS, "*.new")) {
    if (IsValidModuleCode(name.BeforeLast('.'))) RemoveDirIfExists(JoinModulePath(pending, name));
  }
}

bool IsModuleInstallPending(const wxString& root, const wxString& code) {
  return IsValidModuleCode(code) && wxDirExists(GetPendingInstallDir(root, code));
}

bool IsModuleRemovalPending(const wxString& root, const wxString& code) {
  return IsValidModuleCode(code) && wxFileExists(GetPendingRemovalMarker(root, code));
}

bool RenameEntry(const wxString& from, const wxString& to) {
  return std::rename(from.fn_str(), to.fn_str()) == 0;
}

}  // namespace veldrix
