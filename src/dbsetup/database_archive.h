// The database archive: a ZIP file holding a consistent copy of the program
// database and "informacje.txt" describing it. The SQLite copy is made with the
// online backup, so the program (and others) may go on writing meanwhile. Used by
// the database configuration dialog's "Archiwizuj".
#pragma once

#include "db/connection_info.h"

#include <wx/datetime.h>
#include <wx/string.h>

// Writes the archive: the source file as entry `entryName`, then the information
// text as "informacje.txt". The ZIP is built under a temporary name beside the
// target and renamed onto it only when complete, so a failure leaves neither a
// partial archive nor a changed old one.
bool WriteZipArchive(const wxString& sourceFile, const wxString& entryName, const wxString& archivePath,
                     const wxString& information, wxString* error);

// Archives a SQLite database file through a backup copy in a private temporary
// folder, which is removed whatever happens.
bool BackupSqliteToTemp(const wxString& sqliteFile, const wxString& archivePath, const wxString& information,
                        wxString* error);

// The archive's database entry for a SQLite file: its own file name, "baza.db" without one.
wxString SqliteArchiveEntryName(const wxString& sqliteFile);

// Trimmed, each of \ / : * ? " < > | replaced by "_", "baza" when nothing is left.
wxString SafeFileNamePart(const wxString& text);

// "<base>_<YYYY-MM-DD_HH-MM-SS>_<engine>.zip"; base is the SQLite file's name
// without folder and extension, or the server database's name.
wxString DefaultArchiveFileName(const DbConnectionInfo& info, const wxDateTime& now);

// The six lines of "informacje.txt".
wxString ArchiveInformationText(const DbConnectionInfo& info, const wxDateTime& now);

// The path the archive is written to: the chosen path with the extension "zip".
wxString ArchivePathWithZipExtension(const wxString& chosenPath);
