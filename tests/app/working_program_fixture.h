// A program database in daily use: an administrator, a bookkeeper whose role grants
// only the invoices, two companies ("Alfa Handel" with three invoices, "Beta Serwis"
// with one) and, on request, module libraries with start-page tiles in "Moduly".
#pragma once

#include "../authdialogs/auth_dialog_steps.h"
#include "app/common/paths.h"
#include "auth/auth_service.h"
#include "modal_script.h"
#include "program_start_fixture.h"
#include "sqldata/sql_data.h"

#include <wx/filefn.h>

#include <initializer_list>

class WorkingProgramTest : public ProgramStartTest {
 protected:
  void SetUp() override {
    ProgramStartTest::SetUp();
    ASSERT_FALSE(veldrix::test::RunWorker(false, database, registry).empty());
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    AuthService service(&db);
    wxString error;
    ASSERT_TRUE(service.CreateUser({"admin", "Administrator", true, true, 0}, "haslo-admina", &error)) << error;
    ASSERT_TRUE(service.CreateUser({"ksiegowa", "Ewa Kowalska", false, true, 0}, "haslo-ksiegowej", &error))
        << error;
    wxString role;
    ASSERT_TRUE(service.CreateRole("Faktury", &role, &error)) << error;
    ASSERT_TRUE(service.SetRolePermissions(role, {"faktury.view"}, &error, 0)) << error;
    ASSERT_TRUE(service.SetUserRole("ksiegowa", role, &error, 0)) << error;
    if (withCompanies) {
      ASSERT_GT(db.InsertData("INSERT INTO firma (nazwa) VALUES ('Beta Serwis')"), 0) << db.lastError;
      ASSERT_GT(db.InsertData("INSERT INTO firma (nazwa) VALUES ('Alfa Handel')"), 0) << db.lastError;
    }
    // The invoice module's table: three documents of Alfa Handel (id 2), one of Beta Serwis.
    ASSERT_GE(db.DeleteData("CREATE TABLE dokument_handlowy (id INTEGER PRIMARY KEY, id_firmy INTEGER)"), 0);
    ASSERT_GE(db.DeleteData("INSERT INTO dokument_handlowy (id_firmy) VALUES (2), (2), (2), (1)"), 0)
        << db.lastError;
    // The pictures the build puts beside the executable (menu tool and menu buttons).
    const wxString images = veldrix::JoinPath(folders.programFolder(), "images");
    ASSERT_TRUE(veldrix::EnsureFolder(images));
    for (const char* name : {"ikona2.png", "ustawienia.png", "firma.png", "info.png", "wylacz.png"}) {
      ASSERT_TRUE(wxCopyFile(veldrix::JoinPath(veldrix::JoinPath(veldrix::test::SourceDir(), "resources"), "images", name),
                             veldrix::JoinPath(images, name)));
    }
  }

  // Copies test modules (built by tests/pluginmanager) into the program's "Moduly".
  void InstallModules(std::initializer_list<const char*> names) {
    for (const char* name : names) {
      const wxString folder = veldrix::JoinPath(veldrix::JoinPath(folders.programFolder(), "Moduly"), name);
      ASSERT_TRUE(veldrix::EnsureFolder(folder));
      ASSERT_TRUE(wxCopyFile(veldrix::JoinPath(VELDRIX_TEST_MODULE_DIR, wxString(name) + ".so"),
                             veldrix::JoinPath(folder, wxString(name) + ".so")));
    }
  }

  void LogIn(const wxString& name, const wxString& password) {
    veldrix::test::ModalScript script;
    script.Then("AuthLoginDialog", veldrix::test::LogInStep(name, password));
    if (!frame) OpenFrame();
    frame->StartLogin();
    ASSERT_TRUE(frame->IsLoggedIn());
    ASSERT_TRUE(script.Done());
  }

  bool withCompanies = true;
};
