// The program's configuration file "veldrix.ini" in ConfigFolder(), the move of an
// older file kept directly in the user's configuration folder, and the values the
// main window reads from it at start-up.
#pragma once

#include <wx/string.h>

class wxConfigBase;
class wxFileConfig;

// "veldrix.ini" directly in the user's configuration folder ($XDG_CONFIG_HOME or
// ~/.config), where earlier versions kept it.
wxString OldConfigFilePath();

// Moves the old file to the new path when only the old one exists; a file already
// at the new path wins and the old one is left alone. True when a file was moved.
bool MigrateOldConfigFile(const wxString& oldPath, const wxString& newPath);

// Creates ConfigFolder(), migrates the old file and opens ConfigFilePath() as a
// veldrix::SharedConfigFile. Never fails: an unreadable file gives an empty
// configuration. The caller owns the object.
wxFileConfig* OpenProgramConfig();

// The working company id: "/veldrix/id_firmy", when that is empty
// "/VezoveVador/id_firmy", when that is empty too "0". A missing key leaves `current`.
wxString ReadWorkingCompanyId(wxConfigBase* config, const wxString& current);

// The program version "0.25.9", with "." whatever the locale's decimal separator.
wxString ProgramVersionNumber();
