// The connection form of the database configuration dialog read into a saved
// connection and shown again, and the names of saved connections.
#include "dbsetup/connection_form.h"

#include <gtest/gtest.h>

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

ConnectionForm Form(const wxString& type, const wxString& server, const wxString& port = "",
                    const wxString& database = "veldrix") {
  ConnectionForm form;
  form.serverType = type;
  form.server = server;
  form.port = port;
  form.database = database;
  form.login = "ksiegowa";
  form.password = "taj ne";
  form.rememberPassword = true;
  return form;
}

// The error of a form that must be refused; the entry handed in stays as it was.
wxString Refusal(const ConnectionForm& form) {
  ConnectionProfile entry;
  entry.name = "untouched";
  wxString error;
  EXPECT_FALSE(ReadConnectionForm(form, &entry, &error));
  EXPECT_EQ(entry.name, "untouched");
  return error;
}

ConnectionProfile Read(const ConnectionForm& form) {
  ConnectionProfile entry;
  wxString error = "stale";
  EXPECT_TRUE(ReadConnectionForm(form, &entry, &error)) << error;
  EXPECT_TRUE(error.empty());
  return entry;
}

ConnectionProfile Named(const wxString& name) {
  ConnectionProfile profile;
  profile.name = name;
  return profile;
}

TEST(ConnectionForm, PortMustBeANumberFrom1To65535OrEmpty) {
  for (const char* bad : {"0", "65536", "12a", "-1", "99999999999", "0000", "00065536"}) {
    EXPECT_EQ(Refusal(Form("PostgreSQL", "db1", bad)), U8("Port musi być liczbą od 1 do 65535.")) << bad;
  }
  EXPECT_EQ(Read(Form("SQL Server", "db1", " 1433 ")).info.port, 1433);
  EXPECT_EQ(Read(Form("PostgreSQL", "db1", "0005432")).info.port, 5432);
  EXPECT_EQ(Read(Form("PostgreSQL", "db1", "65535")).info.port, 65535);
  EXPECT_EQ(Read(Form("PostgreSQL", "db1", "")).info.port, 0);
}

TEST(ConnectionForm, SqlServerInstanceIsSplitOffAndLocalNamesBecomeLocalhost) {
  const ConnectionProfile named = Read(Form("SQL Server", "(LOCAL)\\SQLEXPRESS", "1433"));
  EXPECT_EQ(named.info.server, "localhost");
  EXPECT_EQ(GetConnectionOption(named.info.options, "server_instance"), "SQLEXPRESS");
  EXPECT_EQ(GetConnectionOption(named.info.options, "server_input"), "(LOCAL)\\SQLEXPRESS");
  EXPECT_EQ(FillConnectionForm(named).server, "localhost\\SQLEXPRESS");

  EXPECT_EQ(Read(Form("SQL Server", " . ")).info.server, "localhost");
  EXPECT_EQ(Read(Form("SQL Server", "..")).info.server, "..");
  // Only SQL Server knows instances: another engine keeps the text.
  EXPECT_EQ(Read(Form("PostgreSQL", "host\\x")).info.server, "host\\x");
}

TEST(ConnectionForm, RequiredFieldsAreCheckedInOrder) {
  ConnectionForm form = Form("SQLite", "  ");
  EXPECT_EQ(Refusal(form), U8("Podaj ścieżkę pliku SQLite."));
  EXPECT_EQ(Refusal(Form("MySQL", "")), U8("Podaj nazwę serwera lub adres IP."));
  EXPECT_EQ(Refusal(Form("MySQL", "db1", "", " ")), U8("Podaj nazwę bazy programu."));
  // The port is checked before the server.
  EXPECT_EQ(Refusal(Form("MySQL", "", "x")), U8("Port musi być liczbą od 1 do 65535."));
  EXPECT_EQ(Refusal(Form("Informix", "db1")),
            U8("Sterownik wybranego rodzaju serwera nie jest dostępny w tej wersji programu."));
}

TEST(ConnectionForm, SqliteAndWindowsAuthenticationStoreNoCredentials) {
  const ConnectionProfile sqlite = Read(Form("SQLite", "/dane/firma.db", ""));
  EXPECT_EQ(sqlite.info.server, "/dane/firma.db");
  EXPECT_TRUE(sqlite.info.database.empty());
  EXPECT_TRUE(sqlite.info.user.empty());
  EXPECT_TRUE(sqlite.info.password.empty());
  EXPECT_EQ(sqlite.info.port, 0);
  EXPECT_FALSE(sqlite.rememberPassword);

  ConnectionForm windows = Form("SQL Server", "srv", "1433");
  windows.windowsAuth = true;
  const ConnectionProfile entry = Read(windows);
  EXPECT_EQ(GetConnectionOption(entry.info.options, "authentication"), "windows");
  EXPECT_TRUE(entry.info.user.empty());
  EXPECT_TRUE(entry.info.password.empty());
  EXPECT_FALSE(entry.rememberPassword);

  // The password is kept as typed, blanks within it included.
  EXPECT_EQ(Read(Form("PostgreSQL", "db1")).info.password, "taj ne");
}

TEST(ConnectionForm, AValueThatWouldBreakTheConnectionStringIsRefused) {
  // "x;Server=inny" would end the password and point the connection elsewhere.
  ConnectionForm form = Form("PostgreSQL", "db1", "5432");
  form.password = "x;Server=inny";
  EXPECT_TRUE(Refusal(form).Contains(U8("Hasło"))) << Refusal(form);
  form = Form("PostgreSQL", "db1;Port=1", "5432");
  EXPECT_TRUE(Refusal(form).Contains("Serwer")) << Refusal(form);
  // The saved connection would log in with the password trimmed, not as tested.
  for (const char* password : {" tajne", "tajne ", "\ttajne", " "}) {
    form = Form("MySQL", "db1", "3306");
    form.password = password;
    EXPECT_TRUE(Refusal(form).Contains(U8("Hasło"))) << password;
    form.serverType = "SQLite";  // which keeps no password
    EXPECT_EQ(Read(form).info.password, "");
  }
}

TEST(ConnectionForm, AnEmptyNameBecomesTheServerTypeAndTheServerAsTyped) {
  const ConnectionProfile entry = Read(Form("MySQL", " serwer1 ", "3306"));
  EXPECT_EQ(entry.name, "MySQL - serwer1");
  ConnectionForm named = Form("MySQL", "serwer1");
  named.name = "  Biuro  ";
  EXPECT_EQ(Read(named).name, "Biuro");
}

TEST(ConnectionForm, TheFormWritesItsOwnOptionsOnlyAndShowsThemBack) {
  ConnectionProfile stored;
  stored.info.driver = DriverNameForChoice("PostgreSQL");
  stored.info.server = "db1";
  stored.info.port = 5433;
  stored.info.database = "biuro";
  stored.info.options["server_type"] = "postgresql";
  stored.info.options["application_name"] = "inny";
  stored.logSqlQueries = true;
  const ConnectionForm form = FillConnectionForm(stored);
  EXPECT_EQ(form.serverType, "PostgreSQL");
  EXPECT_EQ(form.port, "5433");
  EXPECT_TRUE(form.logSqlQueries);

  const ConnectionProfile again = Read(form);
  EXPECT_EQ(again.info.port, 5433);
  EXPECT_EQ(again.info.database, "biuro");
  EXPECT_TRUE(GetConnectionOption(again.info.options, "application_name").empty());
  EXPECT_EQ(GetConnectionOption(again.info.options, "charset"), "UTF-8");
  EXPECT_EQ(GetConnectionOption(again.info.options, "authentication"), "sql");

  ConnectionProfile unknown = stored;
  unknown.info.options["server_type"] = "Informix";
  unknown.info.port = 0;
  EXPECT_EQ(FillConnectionForm(unknown).serverType, "SQL Server");
  EXPECT_TRUE(FillConnectionForm(unknown).port.empty());
}

TEST(ConnectionNames, DuplicatesAreNumberedIgnoringCase) {
  std::vector<ConnectionProfile> profiles{Named("Biuro")};
  EXPECT_EQ(UniqueConnectionName(profiles, "Biuro"), "Biuro kopia");
  profiles.push_back(Named("Biuro kopia"));
  EXPECT_EQ(UniqueConnectionName(profiles, "Biuro"), "Biuro kopia 2");
  profiles.push_back(Named("biuro KOPIA 2"));
  EXPECT_EQ(UniqueConnectionName(profiles, " Biuro "), "Biuro kopia 3");
  EXPECT_EQ(UniqueConnectionName({}, "  "), U8("Połączenie kopia"));
}

TEST(ConnectionNames, AnUnnamedEntryIsLabelledByItsConnection) {
  ConnectionProfile entry = Read(Form("SQLite", "/dane/firma.db"));
  entry.name.clear();
  EXPECT_EQ(ConnectionDisplayLabel(entry), "SQLite - /dane/firma.db");
  EXPECT_EQ(UniqueConnectionName({entry}, ConnectionDisplayLabel(entry)), "SQLite - /dane/firma.db kopia");
}

TEST(ConnectionNames, EachServerTypeHasItsPortAndAnInstalledDriver) {
  const struct {
    const char* type;
    int port;
  } cases[] = {{"SQL Server", 1433}, {"sqlite", 0}, {"MySQL", 3306}, {"postgresql", 5432}, {"Oracle", 1521},
               {"Informix", 0}};
  for (const auto& c : cases) EXPECT_EQ(DefaultPortForChoice(c.type), c.port) << c.type;
  for (const wxString& type : ServerTypeChoices()) {
    const wxString driver = DriverNameForChoice(type);
    EXPECT_TRUE(driver.Lower().Contains(type.Lower())) << type << " -> " << driver;
  }
  EXPECT_TRUE(DriverNameForChoice("Informix").empty());
}

}  // namespace
