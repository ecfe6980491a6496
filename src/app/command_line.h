// The command line of the veldrix executable ("-?"/"-pomoc", "-bd"/"-baza_danych")
// and the start-up decisions taken on it: the default database path and the check
// that the program folder can hold the database. No display needed.
#pragma once

#include <wx/string.h>

class wxCmdLineParser;

// One row of the command-line table; descriptions are UTF-8 source text.
struct CommandLineEntry {
  int kind;  // wxCMD_LINE_SWITCH, wxCMD_LINE_OPTION or wxCMD_LINE_NONE (end)
  const char* shortName;
  const char* longName;
  const char* description;
  int valueType;
  int flags;
};

// The table, ending with a wxCMD_LINE_NONE row. No positional parameters, so the
// parser refuses any.
const CommandLineEntry* CommandLineTable();

// Gives the parser the table (descriptions through the translation lookup) and
// makes "-" the only switch character.
void DescribeCommandLine(wxCmdLineParser& parser);

// "veldrix.db" in the program folder.
wxString DefaultDatabasePathIn(const wxString& programFolder);

// True when the folder can be read and written; otherwise message receives the text
// start-up shows before it stops.
bool CheckDatabaseFolderAccess(const wxString& folder, wxString* message);

// After a successful parse: checks the program folder (always that one, even when
// "-bd" names a file elsewhere), then gives the database path: the "-bd" value or
// the default, without trailing white space. False with the message when the folder
// is not usable.
bool ResolveDatabasePath(const wxCmdLineParser& parser, const wxString& programFolder, wxString* databasePath,
                         wxString* message);
