// The first-administrator and login dialogs, loaded from their real layouts and
// filled through their controls, over a real AuthService on SQLite files.
#include "../auth/auth_fixture.h"
#include "app/common/message_box.h"
#include "auth_dialog_steps.h"
#include "authdialogs/auth_dialogs.h"
#include "gui_support.h"
#include "modal_script.h"

#include <wx/combobox.h>
#include <wx/stattext.h>

#include <vector>

using auth_test::U8;
using veldrix::test::ModalScript;
using veldrix::test::SaveScreenshot;

namespace {

class AuthDialogs : public auth_test::AuthDatabase {
 protected:
  static wxString ErrorLabel(wxDialog* dialog) {
    auto* label = ModalScript::Find<wxStaticText>(dialog, "AuthLoginError");
    return label ? label->GetLabel() : wxString("<no label>");
  }

  static ModalScript::Action LogIn(const wxString& name, const wxString& password, const wxString& screenshot = "") {
    return veldrix::test::LogInStep(name, password, screenshot);
  }
  static ModalScript::Action CreateAdmin(const wxString& name, const wxString& password, const wxString& confirmation,
                                         const wxString& screenshot = "") {
    return veldrix::test::CreateAdministratorStep(name, password, confirmation, screenshot);
  }

  veldrix::MessageBoxRecorder boxes{wxID_OK};
};

TEST_F(AuthDialogs, SetupRefusesDifferingPasswordsThenCreatesTheAdministrator) {
  ModalScript script;
  script.Then("AuthSetupDialog", CreateAdmin("anna", "tajne-haslo-1", "tajne-haslo-2", "auth_setup_filled"))
      .Then("AuthSetupDialog", CreateAdmin("anna", "tajne-haslo-1", "tajne-haslo-1"));

  ASSERT_TRUE(ShowAuthSetupDialog(nullptr, service.get()));
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(script.Unexpected(), 0);
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Podane hasła nie są takie same."));

  wxString error;
  ASSERT_TRUE(service->Login("anna", "tajne-haslo-1", &error)) << error;
  EXPECT_TRUE(service->currentUser.is_admin);
  EXPECT_EQ(service->currentUser.display_name, "Anna Nowak");
}

TEST_F(AuthDialogs, SetupShowsTheServiceRefusalKeepsTheFieldsAndCancelReturnsFalse) {
  CreateAdministrator();
  wxString keptName;
  ModalScript script;
  script.Then("AuthSetupDialog", CreateAdmin("drugi", "haslo-drugie", "haslo-drugie"))
      .Then("AuthSetupDialog", [&](wxDialog* dialog) {
        keptName = ModalScript::Find<wxTextCtrl>(dialog, "AuthSetupUsername")->GetValue();
        ModalScript::Cancel(dialog);
      });

  EXPECT_FALSE(ShowAuthSetupDialog(nullptr, service.get()));
  EXPECT_TRUE(script.Done());
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, "Administrator zostal juz utworzony.");
  EXPECT_EQ(keptName, "drugi");
  EXPECT_EQ(Count("select count(*) from veldrix_users"), 1);
}

TEST_F(AuthDialogs, LoginRemembersTheStoredNameAndPrefillsItNextTime) {
  CreateAdministrator("admin", "haslo-admina");
  ModalScript script;
  script.Then("AuthLoginDialog", LogIn("admin", "haslo-admina", "auth_login_filled"));
  ASSERT_EQ(ShowAuthLoginDialog(nullptr, service.get(), wxArrayString(), -1, nullptr, {}, {}), kAuthLoginDone);
  EXPECT_TRUE(service->loggedIn);
  EXPECT_EQ(ReadLastLoginName(), "admin");

  wxString prefilled;
  wxString selector;
  int entries = -1;
  script.Then("AuthLoginDialog", [&](wxDialog* dialog) {
    prefilled = ModalScript::Find<wxTextCtrl>(dialog, "AuthLoginUsername")->GetValue();
    auto* combo = ModalScript::Find<wxComboBox>(dialog, "AuthLoginDatabaseChoice");
    entries = static_cast<int>(combo->GetCount());
    selector = combo->GetStringSelection();
    SaveScreenshot(dialog, "auth_login_prefilled");
    ModalScript::Cancel(dialog);
  });
  EXPECT_EQ(ShowAuthLoginDialog(nullptr, service.get(), wxArrayString(), -1, nullptr, {}, {}), kAuthLoginNone);
  EXPECT_EQ(prefilled, "admin");
  EXPECT_EQ(entries, 1);
  EXPECT_EQ(selector, U8("Bieżąca baza programu"));
  EXPECT_EQ(script.Unexpected(), 0);
}

TEST_F(AuthDialogs, FiveWrongPasswordsEndTheDialogWithTheClosingMessage) {
  CreateAdministrator("admin", "haslo-admina");
  std::vector<wxString> labels;
  ModalScript script;
  for (int i = 0; i < 5; ++i) {
    script.Then("AuthLoginDialog", [&, i](wxDialog* dialog) {
      if (i > 0) labels.push_back(ErrorLabel(dialog));
      if (i == 2) SaveScreenshot(dialog, "auth_login_wrong_password");
      LogIn("admin", "zle-haslo")(dialog);
    });
  }
  EXPECT_EQ(ShowAuthLoginDialog(nullptr, service.get(), wxArrayString(), -1, nullptr, {}, {}), kAuthLoginNone);
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(script.Unexpected(), 0);
  EXPECT_FALSE(service->loggedIn);
  ASSERT_EQ(labels.size(), 4u);
  for (const wxString& label : labels) EXPECT_NE(wxString(label).Trim(), "");
  ASSERT_EQ(boxes.shown().size(), 1u);
  EXPECT_EQ(boxes.shown()[0].message, U8("Przekroczono liczbę prób logowania. Program zostanie zamknięty."));
}

TEST_F(AuthDialogs, RefusalsOfTheAllowedCheckAreNoFailedAttempts) {
  CreateAdministrator("admin", "haslo-admina");
  int asked = 0;
  LoginAllowedCallback allowed = [&](wxWindow*, wxString* message) {
    ++asked;
    *message = U8("Baza programu wymaga aktualizacji.");
    return asked > 6;
  };
  wxString shownRefusal;
  ModalScript script;
  for (int i = 0; i < 7; ++i) {
    script.Then("AuthLoginDialog", [&, i](wxDialog* dialog) {
      if (i == 1) shownRefusal = ErrorLabel(dialog);
      LogIn("admin", "haslo-admina")(dialog);
    });
  }
  EXPECT_EQ(ShowAuthLoginDialog(nullptr, service.get(), wxArrayString(), -1, nullptr, {}, allowed), kAuthLoginDone);
  EXPECT_EQ(asked, 7);
  EXPECT_EQ(shownRefusal, U8("Baza programu wymaga aktualizacji."));
  EXPECT_TRUE(boxes.shown().empty());
}

TEST_F(AuthDialogs, TheDatabaseButtonAsksForTheConfigurationWhateverWasTyped) {
  CreateAdministrator();
  LoginDatabaseRequest request{false, 7};
  ModalScript script;
  script.Then("AuthLoginDialog", [](wxDialog* dialog) {
    ModalScript::Type(dialog, "AuthLoginPassword", "cokolwiek");
    ModalScript::Click(dialog, "AuthLoginDatabaseButton");
  });
  EXPECT_EQ(ShowAuthLoginDialog(nullptr, service.get(), wxArrayString(), -1, &request, {}, {}),
            kAuthLoginConfiguration);
  EXPECT_TRUE(request.openConfiguration);
  EXPECT_EQ(request.index, -1);
  EXPECT_FALSE(service->loggedIn);
}

// A second program database, made by the database worker, with no user.
class AuthDialogsTwoDatabases : public AuthDialogs {
 protected:
  void SetUp() override {
    AuthDialogs::SetUp();
    const wxString file = veldrix::JoinPath(folders.programFolder(), "druga.db");
    const auto events = veldrix::test::RunWorker(false, file, workers);
    ASSERT_FALSE(events.empty());
    second = std::make_unique<SQLData>(file);
    ASSERT_TRUE(second->IniciujBazeDanych()) << second->lastError;
    CreateAdministrator("admin", "haslo-admina");
  }

  // Switches the service as the main window does: index 0 the first database, 1 the second.
  ConnectionSwitchCallback Switcher() {
    return [this](int index, wxString* error) {
      switches.push_back(index);
      service->SetDatabase(index == 0 ? db.get() : second.get());
      return true;
    };
  }

  std::unique_ptr<SQLData> second;
  std::vector<int> switches;
  wxArrayString names{};
};

TEST_F(AuthDialogsTwoDatabases, SwitchingToAnEmptyDatabaseWithoutCreatingItsAdministratorRestoresThePrevious) {
  names.Add("Biuro");
  names.Add("Archiwum");
  wxString label;
  int selection = -1;
  ModalScript script;
  script.Then("AuthLoginDialog", [](wxDialog* dialog) { ModalScript::Choose(dialog, "AuthLoginDatabaseChoice", 1); })
      .Then("AuthSetupDialog", [](wxDialog* dialog) { ModalScript::Cancel(dialog); })
      .Then("AuthLoginDialog", [&](wxDialog* dialog) {
        label = ErrorLabel(dialog);
        selection = ModalScript::Find<wxComboBox>(dialog, "AuthLoginDatabaseChoice")->GetSelection();
        SaveScreenshot(dialog, "auth_login_switch_refused");
        LogIn("admin", "haslo-admina")(dialog);
      });
  EXPECT_EQ(ShowAuthLoginDialog(nullptr, service.get(), names, 0, nullptr, Switcher(), {}), kAuthLoginDone);
  EXPECT_EQ(switches, (std::vector<int>{1, 0}));
  EXPECT_EQ(label, U8("Nie zmieniono bazy, ponieważ nie utworzono administratora."));
  EXPECT_EQ(selection, 0);
  EXPECT_EQ(service->database, db.get());
  EXPECT_EQ(script.Unexpected(), 0);
}

TEST_F(AuthDialogsTwoDatabases, SwitchingToAnEmptyDatabaseOffersItsFirstAdministratorAndLogsInThere) {
  names.Add("Biuro");
  names.Add("Archiwum");
  ModalScript script;
  script.Then("AuthLoginDialog", [](wxDialog* dialog) { ModalScript::Choose(dialog, "AuthLoginDatabaseChoice", 1); })
      .Then("AuthSetupDialog", CreateAdmin("archiwista", "haslo-archiwum", "haslo-archiwum"))
      .Then("AuthLoginDialog", LogIn("archiwista", "haslo-archiwum"));
  // An active index out of range selects the first entry.
  EXPECT_EQ(ShowAuthLoginDialog(nullptr, service.get(), names, 5, nullptr, Switcher(), {}), kAuthLoginDone);
  EXPECT_EQ(switches, (std::vector<int>{1}));
  EXPECT_EQ(service->database, second.get());
  EXPECT_EQ(service->currentUser.username, "archiwista");
}

TEST_F(AuthDialogsTwoDatabases, ARefusedSwitchShowsItsReasonAndTheRestoreFailure) {
  names.Add("Biuro");
  names.Add("Archiwum");
  ConnectionSwitchCallback refuse = [this](int index, wxString* error) {
    switches.push_back(index);
    *error = index == 1 ? U8("Serwer nie odpowiada.") : U8("Plik zniknął.");
    return false;
  };
  wxString label;
  ModalScript script;
  script.Then("AuthLoginDialog", [](wxDialog* dialog) { ModalScript::Choose(dialog, "AuthLoginDatabaseChoice", 1); })
      .Then("AuthLoginDialog", [&](wxDialog* dialog) {
        label = ErrorLabel(dialog);
        ModalScript::Cancel(dialog);
      });
  EXPECT_EQ(ShowAuthLoginDialog(nullptr, service.get(), names, 0, nullptr, refuse, {}), kAuthLoginNone);
  EXPECT_EQ(switches, (std::vector<int>{1, 0}));
  EXPECT_EQ(label, U8("Serwer nie odpowiada. Nie udało się przywrócić poprzedniego połączenia: Plik zniknął."));
}

}  // namespace
