// The database configuration dialog as a user drives it, under Xvfb: on the real
// saved-connection store and configuration file, real SQLite files, the real
// database worker and, where the servers run, PostgreSQL and MariaDB on loopback.
// Each state leaves a screenshot.
#include "dbsetup/database_config_dialog.h"

#include "app/common/config_access.h"
#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "app/connection_settings.h"
#include "app/program_config.h"
#include "auth/auth_service.h"
#include "dbsetup/database_probe.h"
#include "dbsetup/db_worker_relay.h"
#include "dbsetup/schema_checks.h"
#include "dbsetup/server_database.h"
#include "gui_support.h"
#include "modal_script.h"
#include "server_support.h"
#include "sqldata/sql_data.h"
#include "tcp_relay.h"
#include "worker_test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/clipbrd.h>
#include <wx/fileconf.h>
#include <wx/filedlg.h>
#include <wx/gauge.h>
#include <wx/listbox.h>
#include <wx/log.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/zipstrm.h>
#include <wx/wfstream.h>

#include <chrono>
#include <memory>

using veldrix::JoinPath;
using veldrix::MessageBoxRecorder;
using veldrix::test::ModalScript;
using veldrix::test::PumpEvents;
using veldrix::test::SaveScreenshot;
using veldrix::test::WaitFor;

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

class DatabaseConfigDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    veldrix::test::CopyShippedScripts(folders_.programFolder());
    veldrix::SetProgramFolderOverride(folders_.programFolder());
    delete veldrix::InstallConfig(OpenProgramConfig());
    database_ = JoinPath(folders_.programFolder(), "veldrix.db");
    store_.SetDefaultDatabasePath(database_);
  }

  void TearDown() override {
    dialog_.reset();
    PumpEvents(20);
    delete veldrix::InstallConfig(nullptr);
    veldrix::SetProgramFolderOverride(wxString());
  }

  // A program database with one administrator "admin" / "haslo-admina".
  void CreateDatabaseWithAdministrator() {
    const auto events = veldrix::test::RunWorker(false, database_, workers_);
    ASSERT_FALSE(events.empty());
    ASSERT_EQ(events.back().kind, DbWorkerInformation) << events.back().text;
    users_ = std::make_unique<SQLData>(database_);
    ASSERT_TRUE(users_->IniciujBazeDanych());
    auth_ = std::make_unique<AuthService>(users_.get());
    AuthUser admin;
    admin.username = "admin";
    admin.display_name = "Administrator";
    admin.is_admin = admin.is_active = true;
    wxString error;
    ASSERT_TRUE(auth_->CreateUser(admin, "haslo-admina", &error)) << error;
  }

  // Opens the dialog, with the user service when there is one (ordinary mode).
  DatabaseConfigDialog* Open(DatabaseProbeFunction probe = ProbeDatabase) {
    AdministratorCheckFunction verify;
    if (auth_) {
      verify = [this](const wxString& user, const wxString& password, wxString* error) {
        return auth_->VerifyAdministrator(user, password, error);
      };
    }
    dialog_ = std::make_unique<DatabaseConfigDialog>(nullptr, verify, &store_, probe, EnsureProgramDatabase);
    dialog_->Show();
    WaitFor([&] { return dialog_->IsShownOnScreen(); });
    return dialog_.get();
  }

  template <typename T>
  T* Control(const char* name) {
    auto* control = dynamic_cast<T*>(wxWindow::FindWindowByName(name, dialog_.get()));
    EXPECT_NE(control, nullptr) << name;
    return control;
  }
  bool Enabled(const char* name) { return Control<wxWindow>(name)->IsEnabled(); }
  wxString Text(const char* name) {
    if (auto* field = dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(name, dialog_.get()))) {
      return field->GetValue();
    }
    return Control<wxWindow>(name)->GetLabel();
  }
  void Type(const char* name, const wxString& text) { Control<wxTextCtrl>(name)->SetValue(text); }
  void ChooseType(const wxString& type) {
    auto* choice = Control<wxChoice>("serverTypeChoice");
    choice->SetStringSelection(type);
    wxCommandEvent event(wxEVT_CHOICE, choice->GetId());
    event.SetEventObject(choice);
    choice->GetEventHandler()->ProcessEvent(event);
  }
  // A click as the user makes it: only on an enabled button.
  void Click(const char* name) {
    auto* button = Control<wxButton>(name);
    ASSERT_TRUE(button->IsEnabled()) << name;
    wxCommandEvent event(wxEVT_BUTTON, button->GetId());
    event.SetEventObject(button);
    button->GetEventHandler()->ProcessEvent(event);
  }
  // A command that reaches the dialog whatever the button's state.
  void Command(int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    dialog_->GetEventHandler()->ProcessEvent(event);
  }
  // GTK animates a button's change between enabled and disabled: wait it out.
  void Screenshot(const wxString& name) {
    PumpEvents(400);
    SaveScreenshot(dialog_.get(), name);
  }
  bool WaitUntilIdle() { return WaitFor([&] { return !dialog_->IsBusy(); }, 60000); }
  wxString Log() { return Text("logPane"); }

  veldrix::test::IsolatedFolders folders_;
  veldrix::test::ScopedWorkerRegistry workers_;
  wxLogNull quiet_;
  ConnectionSettings store_;
  wxString database_;
  std::unique_ptr<SQLData> users_;
  std::unique_ptr<AuthService> auth_;
  std::unique_ptr<DatabaseConfigDialog> dialog_;
};

TEST_F(DatabaseConfigDialogTest, OrdinaryModeIsReadOnlyUntilAnAdministratorUnlocksIt) {
  CreateDatabaseWithAdministrator();
  MessageBoxRecorder boxes(wxID_OK);
  Open();
  Screenshot("dbconfig_01_ordinary_mode");
  EXPECT_FALSE(dialog_->IsAdminMode());
  for (const char* name : {"nameField", "serverTypeChoice", "serverField", "portField", "databaseField",
                           "newButton", "duplicateButton", "deleteButton", "saveButton", "createButton",
                           "upgradeButton", "archiveButton", "rememberPasswordCheck", "logSqlCheck"}) {
    EXPECT_FALSE(Enabled(name)) << name;
  }
  for (const char* name : {"connectionList", "connectButton", "adminButton", "closeButton"}) {
    EXPECT_TRUE(Enabled(name)) << name;
  }
  EXPECT_TRUE(Log().Contains(U8("Otwarto konfigurację w trybie zwykłego użytkownika.")));

  // A guarded command that reaches the dialog anyway is refused and logged.
  Command(kDbConfigNew);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Ta operacja wymaga uprawnień administratora."));
  EXPECT_TRUE(Log().Contains(U8("brak uprawnień: utworzenie nowego połączenia")));

  // The connection can be tested in ordinary mode.
  Click("connectButton");
  EXPECT_EQ(Text("statusLabel"), "Status bazy: Baza poprawna");

  ModalScript script;
  script
      .Then("AdministratorAuthorizationDialog",
            [](wxDialog* authorization) {
              dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("userField", authorization))->SetValue(" admin ");
              dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("passwordField", authorization))
                  ->SetValue("zle-haslo");
              SaveScreenshot(authorization, "dbconfig_02_authorization");
              ModalScript::Click(authorization, wxID_OK);
            })
      .Then("AdministratorAuthorizationDialog", [](wxDialog* authorization) {
        dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("userField", authorization))->SetValue(" admin ");
        dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("passwordField", authorization))->SetValue("haslo-admina");
        ModalScript::Click(authorization, wxID_OK);
      });
  boxes.Clear();
  Click("adminButton");
  EXPECT_FALSE(dialog_->IsAdminMode());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Nieprawidłowy użytkownik lub hasło administratora."));
  EXPECT_TRUE(Log().Contains(U8("Nieudana próba odblokowania trybu administratora.")));
  Screenshot("dbconfig_03_unlock_refused");

  Click("adminButton");
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(script.Unexpected(), 0);
  EXPECT_TRUE(dialog_->IsAdminMode());
  EXPECT_TRUE(Log().Contains(U8("Tryb administratora został odblokowany.")));
  for (const char* name : {"nameField", "serverField", "newButton", "saveButton", "archiveButton"}) {
    EXPECT_TRUE(Enabled(name)) << name;
  }
  EXPECT_FALSE(Enabled("adminButton"));
  // SQLite: no port, login or password.
  EXPECT_FALSE(Enabled("portField"));
  EXPECT_FALSE(Enabled("passwordField"));
  Screenshot("dbconfig_04_administrator_mode");

  Click("closeButton");
  EXPECT_FALSE(dialog_->IsShown());
  EXPECT_FALSE(dialog_->IsAdminMode());
  EXPECT_FALSE(dialog_->WasSaved());
}

TEST_F(DatabaseConfigDialogTest, EmergencyModeCreatesANewSqliteDatabaseAndSavesTheConnection) {
  // A module with many tables keeps the worker busy long enough to be watched.
  std::string tables;
  for (int i = 0; i < 3000; ++i) {
    tables += (i ? "," : "") + wxString::Format(R"J({"name":"m%d","sql":"create table m%d(x)"})J", i, i).ToStdString();
  }
  veldrix::test::WriteText(JoinPath(JoinPath(folders_.programFolder(), "Moduly", "Magazyn"), "baza.json"),
                           R"J({"version":"1.0","tables":[)J" + tables + "]}");
  MessageBoxRecorder boxes(wxID_OK);
  Open();
  EXPECT_TRUE(dialog_->IsAdminMode());
  EXPECT_FALSE(Enabled("adminButton"));
  EXPECT_TRUE(Log().Contains(U8("Otwarto konfigurację w trybie awaryjnym bez aktywnej bazy użytkowników.")));
  EXPECT_EQ(Text("serverField"), database_);
  EXPECT_FALSE(Enabled("createButton"));
  Screenshot("dbconfig_05_emergency_mode");

  Type("databaseField", "biuro");
  Click("createButton");
  // The worker reports to the dialog; until its end the dialog cannot be closed.
  ASSERT_TRUE(dialog_->IsBusy());
  EXPECT_TRUE(WaitFor([&] { return Control<wxGauge>("progressGauge")->GetValue() > 0; }));
  EXPECT_FALSE(Enabled("closeButton"));
  EXPECT_FALSE(Enabled("connectionList"));
  EXPECT_TRUE(Enabled("copyLogButton"));
  dialog_->Close();
  wxKeyEvent escape(wxEVT_CHAR_HOOK);
  escape.m_keyCode = WXK_ESCAPE;
  dialog_->GetEventHandler()->ProcessEvent(escape);
  EXPECT_TRUE(dialog_->IsShown());
  EXPECT_TRUE(Log().Contains(U8("Okno można zamknąć po jej zakończeniu.")));
  Screenshot("dbconfig_06_creating");

  ASSERT_TRUE(WaitUntilIdle());
  for (const auto& box : boxes.shown()) ADD_FAILURE() << box.message;
  const wxString created = JoinPath(folders_.programFolder(), "biuro.db");
  EXPECT_TRUE(wxFileExists(created));
  EXPECT_EQ(Text("serverField"), created);
  EXPECT_EQ(Text("statusLabel"), "Status bazy: Baza poprawna");
  EXPECT_EQ(Control<wxGauge>("progressGauge")->GetValue(), 10000);
  EXPECT_TRUE(Log().Contains(U8("Sukces: Baza danych została utworzona.")));
  EXPECT_TRUE(Log().Contains("Weryfikacja po operacji: Baza poprawna, wersja 1"));
  EXPECT_FALSE(Enabled("createButton"));
  EXPECT_TRUE(Enabled("archiveButton"));
  EXPECT_TRUE(dialog_->WasSaved());
  // The created database is the active connection now.
  EXPECT_EQ(store_.GetActiveConnectionInfo().server, created);
  Screenshot("dbconfig_07_created");

  // Creating it once more (the button is off now) finds it and runs nothing.
  Type("databaseField", "biuro.db");
  EXPECT_FALSE(Enabled("createButton"));
  Command(kDbConfigCreate);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Baza o podanej nazwie już istnieje."));
  EXPECT_FALSE(dialog_->IsBusy());

  // Idle, Escape is "Zamknij".
  dialog_->GetEventHandler()->ProcessEvent(escape);
  EXPECT_TRUE(WaitFor([&] { return !dialog_->IsShown(); }));
  EXPECT_FALSE(dialog_->IsAdminMode());
}

TEST_F(DatabaseConfigDialogTest, ANewDatabaseNameTheConnectionCannotCarryIsRefused) {
  MessageBoxRecorder boxes(wxID_OK);
  Open();
  // The saved connection could not name "biuro;x.db": nothing is created.
  Type("databaseField", "biuro;x");
  Click("createButton");
  EXPECT_FALSE(dialog_->IsBusy());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.shown()[0].message.Contains(U8("„Baza”"))) << boxes.shown()[0].message;
  EXPECT_EQ(boxes.shown()[0].caption, "Tworzenie bazy");
  EXPECT_EQ(wxFindFirstFile(JoinPath(folders_.programFolder(), "biuro*")), "");
  EXPECT_FALSE(dialog_->WasSaved());
}

TEST_F(DatabaseConfigDialogTest, AnAdministratorUpgradesADatabaseThatNeedsIt) {
  CreateDatabaseWithAdministrator();
  // A later program version brings one more step.
  const wxString upgrade = JoinPath(folders_.programFolder(), "baza_aktualizacja.json");
  wxString script = wxString::FromUTF8(veldrix::test::ReadFileBytes(upgrade));
  const int last = script.Find(']', true);
  script = script.Left(static_cast<size_t>(last)).BeforeLast('}') +
           R"J(}, {"version":"1.1","statements":[{"name":"uwagi","sql":"create table uwagi(id integer primary key, tekst text)"},)J"
           R"J({"name":"baza","sql":"update baza set wersja=@wersja"}]}]})J";
  veldrix::test::WriteFileBytes(upgrade, script.ToStdString());

  MessageBoxRecorder boxes(wxID_OK);
  Open();
  dialog_->SetFocus();
  ModalScript unlock;
  unlock.Then("AdministratorAuthorizationDialog", [](wxDialog* authorization) {
    dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("userField", authorization))->SetValue("admin");
    dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName("passwordField", authorization))->SetValue("haslo-admina");
    ModalScript::Click(authorization, wxID_OK);
  });
  Click("adminButton");
  ASSERT_TRUE(dialog_->IsAdminMode());

  EXPECT_FALSE(Enabled("upgradeButton"));
  Command(kDbConfigUpgrade);
  EXPECT_TRUE(Log().Contains("Aktualizacja nie jest wymagana dla wybranej bazy."));
  Click("connectButton");
  EXPECT_EQ(Text("statusLabel"), "Status bazy: Wymagana aktualizacja");
  Screenshot("dbconfig_08_upgrade_required");

  Click("upgradeButton");
  EXPECT_TRUE(dialog_->IsBusy());
  ASSERT_TRUE(WaitUntilIdle());
  for (const auto& box : boxes.shown()) ADD_FAILURE() << box.message;
  EXPECT_TRUE(Log().Contains(U8("Aktualizacja bazy do wersji: 1.10")));
  EXPECT_TRUE(Log().Contains(U8("Sukces: Aktualizacja zakończona pomyślnie.")));
  EXPECT_EQ(Text("statusLabel"), "Status bazy: Baza poprawna");
  EXPECT_EQ(Text("versionLabel"), "Wersja bazy: 1.1");
  EXPECT_FALSE(Enabled("upgradeButton"));
  Screenshot("dbconfig_09_upgraded");
  SQLData check(database_);
  ASSERT_TRUE(check.IniciujBazeDanych());
  EXPECT_TRUE(check.IsExistsData("select name from sqlite_master where name='uwagi'"));
}

TEST_F(DatabaseConfigDialogTest, SavedConnectionsAreAddedDuplicatedChosenAndDeleted) {
  MessageBoxRecorder boxes(wxID_OK);
  Open();
  ASSERT_EQ(Control<wxListBox>("connectionList")->GetCount(), 1u);
  EXPECT_FALSE(Enabled("deleteButton"));

  Click("newButton");
  EXPECT_EQ(Control<wxListBox>("connectionList")->GetSelection(), wxNOT_FOUND);
  EXPECT_TRUE(Enabled("connectButton"));
  ChooseType("PostgreSQL");
  EXPECT_EQ(Text("portField"), "5432");
  EXPECT_TRUE(Enabled("passwordField"));
  Type("serverField", "serwer1");
  Type("loginField", "ksiegowa");
  Type("passwordField", "Tajne#Haslo1");
  auto* show = Control<wxCheckBox>("showPasswordCheck");
  show->SetValue(true);
  wxCommandEvent toggle(wxEVT_CHECKBOX, show->GetId());
  toggle.SetEventObject(show);
  show->GetEventHandler()->ProcessEvent(toggle);
  EXPECT_FALSE(Control<wxTextCtrl>("passwordField")->HasFlag(wxTE_PASSWORD));
  Screenshot("dbconfig_10_new_connection_password_shown");
  Click("saveButton");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Podaj nazwę bazy programu."));
  Type("databaseField", "biuro");
  Click("saveButton");
  ASSERT_EQ(Control<wxListBox>("connectionList")->GetCount(), 2u);
  EXPECT_EQ(Control<wxListBox>("connectionList")->GetString(1), "PostgreSQL - serwer1");

  Click("duplicateButton");
  ASSERT_EQ(Control<wxListBox>("connectionList")->GetCount(), 3u);
  EXPECT_EQ(Control<wxListBox>("connectionList")->GetString(2), "PostgreSQL - serwer1 kopia");
  Screenshot("dbconfig_11_saved_connections");

  // What was saved is what the next reading of the configuration gives, without
  // the password in clear anywhere in the file.
  const std::vector<ConnectionProfile> stored = store_.ReadConnectionProfiles();
  ASSERT_EQ(stored.size(), 3u);
  EXPECT_EQ(stored[2].name, "PostgreSQL - serwer1 kopia");
  EXPECT_EQ(stored[2].info.database, "biuro");
  const std::string file = veldrix::test::ReadFileBytes(veldrix::ConfigFilePath());
  EXPECT_EQ(file.find("Tajne#Haslo1"), std::string::npos);

  // Choosing an entry in administrator mode makes it the active connection.
  auto* list = Control<wxListBox>("connectionList");
  list->SetSelection(0);
  wxCommandEvent select(wxEVT_LISTBOX, list->GetId());
  select.SetEventObject(list);
  select.SetInt(0);
  list->GetEventHandler()->ProcessEvent(select);
  EXPECT_EQ(store_.GetActiveConnectionInfo().server, database_);
  EXPECT_TRUE(Log().Contains(U8("Wybrano i zapisano aktywne połączenie: ")));

  list->SetSelection(2);
  select.SetInt(2);
  list->GetEventHandler()->ProcessEvent(select);
  Click("deleteButton");
  EXPECT_EQ(list->GetCount(), 2u);
  EXPECT_EQ(list->GetSelection(), 1);
  EXPECT_EQ(store_.ReadConnectionProfiles().size(), 2u);
  EXPECT_FALSE(Log().Contains("Tajne#Haslo1"));
}

TEST_F(DatabaseConfigDialogTest, AnArchiveIsWrittenWhereTheUserChoseIt) {
  CreateDatabaseWithAdministrator();
  MessageBoxRecorder boxes(wxID_OK);
  auth_.reset();  // emergency mode
  Open();
  EXPECT_FALSE(Enabled("archiveButton"));
  Click("connectButton");
  ASSERT_TRUE(Enabled("archiveButton"));

  // The file dialog answers as a user who typed "kopia.7z" would.
  const wxString chosen = JoinPath(folders_.root(), "kopia.7z");
  wxString proposed;
  dialog_->SetArchivePathChooser([&](wxWindow*, const wxString& name) {
    proposed = name;
    return chosen;
  });
  Click("archiveButton");
  EXPECT_TRUE(proposed.StartsWith("veldrix_")) << proposed;
  EXPECT_TRUE(proposed.EndsWith("_SQLite.zip")) << proposed;
  const wxString archive = JoinPath(folders_.root(), "kopia.zip");
  ASSERT_TRUE(wxFileExists(archive)) << Log();
  EXPECT_FALSE(wxFileExists(chosen));
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Archiwum bazy zostało zapisane:\n") + archive);
  wxFFileInputStream file(archive);
  wxZipInputStream zip(file);
  std::unique_ptr<wxZipEntry> entry(zip.GetNextEntry());
  ASSERT_TRUE(entry);
  EXPECT_EQ(entry->GetName(), "veldrix.db");
  Screenshot("dbconfig_12_archived");
}

TEST_F(DatabaseConfigDialogTest, ADialogDestroyedWhileItsWorkerRunsReceivesNothing) {
  MessageBoxRecorder boxes(wxID_OK);
  Open();
  Type("databaseField", "porzucona");
  Click("createButton");
  ASSERT_TRUE(dialog_->IsBusy());
  ASSERT_EQ(DbWorkerRelay::LiveCount(), 1);
  // A close the dialog could not refuse (the program going away).
  dialog_->Hide();
  dialog_.reset();
  workers_.WaitUntilIdle();
  EXPECT_TRUE(WaitFor([] {
    wxTheApp->ProcessIdle();
    return DbWorkerRelay::LiveCount() == 0;
  }));
  EXPECT_TRUE(wxFileExists(JoinPath(folders_.programFolder(), "porzucona.db")));
  EXPECT_TRUE(boxes.shown().empty());
}

// The same on the servers: a new database created on the server and given the
// program's structure, and a database left empty by a failed create completed.
class DatabaseConfigOnServer : public DatabaseConfigDialogTest,
                               public ::testing::WithParamInterface<veldrix::test::TestServer> {
 protected:
  void SetUp() override {
    DatabaseConfigDialogTest::SetUp();
    VELDRIX_REQUIRE_SERVER(GetParam().variable, connection_);
    ASSERT_TRUE(ParseConnectionInfo(connection_, &server_, nullptr));
  }
  void TearDown() override {
    DatabaseConfigDialogTest::TearDown();
    for (const wxString& name : created_) RunOnServer("DROP DATABASE IF EXISTS " + name);
  }

  // A statement on the server itself (no program database).
  void RunOnServer(const wxString& sql) {
    DbConnectionInfo info = server_;
    info.database = SameEngine(ServerTypeOf(info), "MySQL") ? wxString() : wxString("postgres");
    std::shared_ptr<IDbConnection> connection;
    wxString error;
    ASSERT_TRUE(OpenConnection(BuildConnectionString(info), &connection, nullptr, &error)) << error;
    DbQueryResult result;
    EXPECT_TRUE(connection->execute(sql, &result, &error)) << error;
    connection->close();
  }

  // The server typed into a new saved connection, saved.
  void EnterServerConnection(const wxString& database) {
    Click("newButton");
    ChooseType(GetParam().engine);
    Type("nameField", wxString("Serwer ") + GetParam().engine);
    Type("serverField", server_.server);
    Type("portField", wxString::Format("%d", server_.port));
    Type("loginField", server_.user);
    Type("passwordField", server_.password);
    Type("databaseField", database);
    Click("saveButton");
  }

  wxString connection_;
  DbConnectionInfo server_;
  std::vector<wxString> created_;
};

TEST_P(DatabaseConfigOnServer, CreatesTheProgramDatabaseOnTheServer) {
  MessageBoxRecorder boxes(wxID_OK);
  Open();
  const wxString name = veldrix::test::UniqueServerName("dialog");
  created_.push_back(name);
  EnterServerConnection(name);
  Click("connectButton");
  EXPECT_EQ(Text("statusLabel"), "Status bazy: Baza nie istnieje");
  ASSERT_TRUE(Enabled("createButton"));
  Click("createButton");
  ASSERT_TRUE(WaitUntilIdle());
  for (const auto& box : boxes.shown()) ADD_FAILURE() << box.message;
  EXPECT_EQ(Text("statusLabel"), "Status bazy: Baza poprawna") << Log();
  EXPECT_TRUE(Log().Contains(U8("Sukces: Baza danych została utworzona.")));
  for (const char* name : {"closeButton", "newButton", "serverTypeChoice", "connectButton"}) {
    EXPECT_TRUE(Enabled(name)) << name;
  }
  Screenshot(wxString("dbconfig_13_created_on_") + GetParam().engine);

  // The password typed into the form is nowhere in clear.
  EXPECT_FALSE(Log().Contains(server_.password));
  EXPECT_FALSE(veldrix::test::DbLogText().Contains(server_.password));
  EXPECT_EQ(veldrix::test::ReadFileBytes(veldrix::ConfigFilePath()).find(server_.password.ToStdString()),
            std::string::npos);
  EXPECT_EQ(store_.GetActiveConnectionInfo().database, name);
}

TEST_P(DatabaseConfigOnServer, CompletesADatabaseThatWasLeftWithoutTables) {
  const wxString name = veldrix::test::UniqueServerName("pusta");
  created_.push_back(name);
  RunOnServer("CREATE DATABASE " + name);
  MessageBoxRecorder boxes(wxID_YES);
  Open();
  EnterServerConnection(name);
  Click("connectButton");
  EXPECT_EQ(Text("statusLabel"), "Status bazy: Brak tabel programu");
  EXPECT_FALSE(Enabled("archiveButton"));
  ASSERT_TRUE(Enabled("createButton"));
  Screenshot(wxString("dbconfig_14_empty_on_") + GetParam().engine);
  Click("createButton");
  ASSERT_TRUE(WaitUntilIdle());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_TRUE(boxes.shown()[0].message.Contains(U8("nie zawiera tabel programu")));
  EXPECT_EQ(Text("statusLabel"), "Status bazy: Baza poprawna") << Log();
}

// A server that takes the probe's question and then answers nothing: "Test
// połączenia" gives up within the probe's waits (short ones here, the screens' in
// the program), says so and leaves the window usable; the same server answering is
// probed as before.
TEST_P(DatabaseConfigOnServer, TestingAServerThatStopsAnsweringEndsInTime) {
  veldrix::test::TcpRelay relay(server_.server, server_.port);
  ServerWaits waits;
  waits.connectSeconds = 2;
  waits.answerMs = 2000;
  MessageBoxRecorder boxes(wxID_OK);
  Open([waits](const DbConnectionInfo& info, DatabaseProbeResult* result, wxString* error) {
    return ProbeDatabaseWithin(waits, info, result, error);
  });
  server_.server = "127.0.0.1";
  server_.port = relay.port();
  EnterServerConnection(server_.database);
  Click("connectButton");
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_TRUE(Text("statusLabel").StartsWith("Status bazy: ")) << Text("statusLabel");

  const bool mysql = SameEngine(GetParam().engine, "MySQL");
  relay.HoldOnceSent(veldrix::test::TcpRelay::Sender::Client, mysql ? "INFORMATION_SCHEMA.SCHEMATA" : "pg_database");
  const auto start = std::chrono::steady_clock::now();
  Click("connectButton");
  EXPECT_LT(veldrix::test::SecondsSince(start), (waits.answerMs + CutCancelMs(waits.answerMs)) / 1000.0 + 1.0);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].caption, U8("Test połączenia"));
  EXPECT_FALSE(dialog_->IsBusy());
  EXPECT_TRUE(Enabled("connectButton"));
  Screenshot(wxString("dbconfig_15_silent_server_") + GetParam().engine);
}

INSTANTIATE_TEST_SUITE_P(Servers, DatabaseConfigOnServer, ::testing::ValuesIn(veldrix::test::BothTestServers()),
                         veldrix::test::TestServerName);

}  // namespace
