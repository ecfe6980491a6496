// Module packages for the staging tests: ZIP archives written with wxZipOutputStream,
// and byte patches for what that writer will not produce (absolute names, sizes
// that lie).
#pragma once

#include "test_support.h"

#include <wx/wfstream.h>
#include <wx/zipstrm.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace veldrix::test {

struct PackageEntry {
  std::string name;
  std::string data;
  bool folder = false;
};

inline void WritePackage(const wxString& path, const std::vector<PackageEntry>& entries) {
  wxFFileOutputStream file(path, "wb");
  wxZipOutputStream zip(file, -1, wxConvUTF8);
  for (const PackageEntry& entry : entries) {
    const wxString name = wxString::FromUTF8(entry.name.c_str());
    if (entry.folder) {
      zip.PutNextDirEntry(name);
      continue;
    }
    zip.PutNextEntry(name);
    zip.Write(entry.data.data(), entry.data.size());
  }
  zip.Close();
  file.Close();
}

// Replaces every occurrence of `from` by `to` (same length) in the file.
inline void ReplaceInFile(const wxString& path, const std::string& from, const std::string& to) {
  std::string bytes = ReadFileBytes(path);
  for (std::size_t at = bytes.find(from); at != std::string::npos; at = bytes.find(from, at + to.size())) {
    bytes.replace(at, from.size(), to);
  }
  WriteFileBytes(path, bytes);
}

// Sets the uncompressed size that the local and central headers of the entry
// `name` declare.
inline void SetDeclaredSize(const wxString& path, const std::string& name, std::uint32_t size) {
  std::string bytes = ReadFileBytes(path);
  auto put32 = [&bytes](std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
  };
  auto get16 = [&bytes](std::size_t at) {
    return static_cast<std::size_t>(static_cast<unsigned char>(bytes[at])) |
           (static_cast<std::size_t>(static_cast<unsigned char>(bytes[at + 1])) << 8);
  };
  for (std::size_t at = 0; at + 46 < bytes.size(); ++at) {
    if (bytes.compare(at, 4, "PK\x03\x04") == 0 && bytes.compare(at + 30, name.size(), name) == 0 &&
        get16(at + 26) == name.size()) {
      put32(at + 22, size);
    } else if (bytes.compare(at, 4, "PK\x01\x02") == 0 && bytes.compare(at + 46, name.size(), name) == 0 &&
               get16(at + 28) == name.size()) {
      put32(at + 24, size);
    }
  }
  WriteFileBytes(path, bytes);
}

}  // namespace veldrix::test
