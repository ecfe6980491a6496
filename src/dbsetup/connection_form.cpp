#include "dbsetup/connection_form.h"

#include "app/common/i18n.h"
#include "db/sql_server_address.h"

namespace {

void Fail(wxString* error, const wxString& text) {
  if (error) *error = text;
}

}  // namespace

bool FitsConnectionString(const wxString& value, const char* label, wxString* error) {
  // A connection string has no quoting: a ";" would end the value and start a pair
  // of its own (a password "x;Server=..." would redirect the connection, and the
  // log's password mask would stop at the ";" and show the rest).
  if (!value.Contains(";")) return true;
  Fail(error, wxString::Format(_("Pole „%s” nie może zawierać znaku „;”."), _(label)));
  return false;
}

bool ReadConnectionForm(const ConnectionForm& form, ConnectionProfile* out, wxString* error) {
  if (!out) return false;
  ConnectionProfile entry;
  entry.name = TrimmedText(form.name);
  DbConnectionInfo& info = entry.info;
  info.driver = DriverNameForChoice(form.serverType);
  const wxString serverInput = TrimmedText(form.server);
  info.options["server_type"] = form.serverType;
  info.options["authentication"] = form.windowsAuth ? "windows" : "sql";
  info.options["charset"] = "UTF-8";
  info.options["server_input"] = serverInput;
  info.server = serverInput;
  info.database = TrimmedText(form.database);
  info.user = TrimmedText(form.login);
  info.password = form.password;
  entry.rememberPassword = form.rememberPassword;
  entry.logSqlQueries = form.logSqlQueries;

  const wxString portText = TrimmedText(form.port);
  info.port = 0;
  if (!portText.empty() && !ParsePortNumber(portText, &info.port)) {
    Fail(error, _("Port musi być liczbą od 1 do 65535."));
    return false;
  }

  const bool sqlite = form.serverType.IsSameAs("SQLite", false);
  if (form.serverType.IsSameAs("SQL Server", false)) {
    const int slash = info.server.Find('\\');
    if (slash != wxNOT_FOUND) {
      info.options["server_instance"] = info.server.Mid(static_cast<size_t>(slash) + 1);
      info.server = info.server.Left(static_cast<size_t>(slash));
    }
    if (info.server == "." || info.server.IsSameAs("(local)", false)) info.server = "localhost";
  }
  if (sqlite) {
    info.database.clear();
    info.port = 0;
  }
  if (sqlite || form.windowsAuth) {
    info.user.clear();
    info.password.clear();
    entry.rememberPassword = false;
  }

  if (info.driver.empty()) {
    Fail(error, _("Sterownik wybranego rodzaju serwera nie jest dostępny w tej wersji programu."));
    return false;
  }
  if (info.server.empty()) {
    Fail(error, sqlite ? _("Podaj ścieżkę pliku SQLite.") : _("Podaj nazwę serwera lub adres IP."));
    return false;
  }
  if (!sqlite && info.database.empty()) {
    Fail(error, _("Podaj nazwę bazy programu."));
    return false;
  }
  const struct {
    const wxString& value;
    const char* label;
  } carried[] = {{serverInput, "Serwer/IP lub plik"}, {info.database, "Baza"}, {info.user, "Login"},
                 {info.password, "Hasło"}};
  for (const auto& field : carried) {
    if (!FitsConnectionString(field.value, field.label, error)) return false;
  }
  // The connection string trims its values: the password tested here must be the
  // password the saved connection logs in with.
  if (info.password != TrimmedText(info.password)) {
    Fail(error, _("Pole „Hasło” nie może zaczynać się ani kończyć spacją."));
    return false;
  }

  if (entry.name.empty()) entry.name = ConnectionDisplayLabel(entry);
  *out = std::move(entry);
  if (error) error->clear();
  return true;
}

ConnectionForm FillConnectionForm(const ConnectionProfile& profile) {
  const DbConnectionInfo& info = profile.info;
  ConnectionForm form;
  form.name = profile.name;
  const wxString type = ServerTypeOf(info);
  form.serverType = ServerTypeChoices().front();
  for (const wxString& choice : ServerTypeChoices()) {
    if (choice.IsSameAs(type, false)) form.serverType = choice;
  }
  form.server = info.server;
  const wxString instance = GetConnectionOption(info.options, "server_instance");
  if (!instance.empty()) form.server << "\\" << instance;
  if (info.port > 0) form.port = wxString::Format("%d", info.port);
  form.login = info.user;
  form.password = info.password;
  form.database = info.database;
  form.windowsAuth = GetConnectionOption(info.options, "authentication").IsSameAs("windows", false);
  form.rememberPassword = profile.rememberPassword;
  form.logSqlQueries = profile.logSqlQueries;
  return form;
}
