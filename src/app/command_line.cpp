#include "app/command_line.h"

#include "app/common/i18n.h"
#include "app/common/paths.h"

#include <wx/cmdline.h>
#include <wx/filename.h>

namespace {

const CommandLineEntry kTable[] = {
    {wxCMD_LINE_SWITCH, "?", "pomoc", "wyświetla pomoc na temat parametrów wiersza poleceń", wxCMD_LINE_VAL_NONE,
     wxCMD_LINE_OPTION_HELP},
    {wxCMD_LINE_OPTION, "bd", "baza_danych", "pełna sciezka do pliku bazy danych, zawierajaca nazwe pliku",
     wxCMD_LINE_VAL_STRING, 0},
    {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, wxCMD_LINE_VAL_NONE, 0},
};

}  // namespace

const CommandLineEntry* CommandLineTable() { return kTable; }

void DescribeCommandLine(wxCmdLineParser& parser) {
  // wxCmdLineEntryDesc would decode the descriptions with the C library's encoding;
  // the entries are added one by one so the Polish texts arrive as UTF-8.
  for (const CommandLineEntry* entry = kTable; entry->kind != wxCMD_LINE_NONE; ++entry) {
    const wxString description = _(entry->description);
    if (entry->kind == wxCMD_LINE_SWITCH) {
      parser.AddSwitch(entry->shortName, entry->longName, description, entry->flags);
    } else {
      parser.AddOption(entry->shortName, entry->longName, description,
                       static_cast<wxCmdLineParamType>(entry->valueType), entry->flags);
    }
  }
  parser.SetSwitchChars("-");
}

wxString DefaultDatabasePathIn(const wxString& programFolder) {
  return veldrix::JoinPath(programFolder, "veldrix.db");
}

bool CheckDatabaseFolderAccess(const wxString& folder, wxString* message) {
  if (wxFileName::IsDirReadable(folder) && wxFileName::IsDirWritable(folder)) return true;
  if (message) {
    *message = wxString::Format(_("Brak zapisu w katalogu bazy danych: %s\nDodaj uprawnienia do zapisu dla katalogu "
                                  "bazy danych lub zmień lokalizacje programu."),
                                folder);
  }
  return false;
}

bool ResolveDatabasePath(const wxCmdLineParser& parser, const wxString& programFolder, wxString* databasePath,
                         wxString* message) {
  wxString path = DefaultDatabasePathIn(programFolder);
  if (!CheckDatabaseFolderAccess(wxFileName(path).GetPath(), message)) return false;
  wxString given;
  if (parser.Found("bd", &given)) path = given;
  path.Trim(true);
  if (databasePath) *databasePath = path;
  return true;
}
