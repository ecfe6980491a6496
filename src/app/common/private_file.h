// Files that hold what only the user may read (the logs, with statements and
// connection details; the program's SQLite database; the configuration): created
// owner-only whatever the umask, and replaced or moved so that no reader ever
// finds half a file and nothing already there is overwritten by accident.
#pragma once

#include <wx/string.h>

#include <string>

namespace veldrix {

// Appends the bytes in one write, creating the file owner-only (0600), and its
// folder, when missing and taking group and other access away from one that has it.
bool AppendToPrivateFile(const wxString& path, const char* data, size_t size);

// Creates an empty owner-only file when there is none; true when one exists afterwards.
bool CreatePrivateFile(const wxString& path);

// Writes the bytes to a new owner-only file beside `path`, flushed to disk, and
// renames it over `path` in one step: a reader sees the old file or the new one.
bool ReplaceFileAtomically(const wxString& path, const std::string& bytes, wxString* error = nullptr);

// Renames `from` to `to` unless `to` exists, atomically: a file that appears at
// `to` meanwhile is never replaced. On failure *targetExists tells that case apart.
bool MoveWithoutReplacing(const wxString& from, const wxString& to, bool* targetExists, wxString* error = nullptr);

// Makes a rename or creation in the folder survive a crash.
void SyncFolder(const wxString& folder);

}  // namespace veldrix
