// A program folder as a new installation has it (the database scripts and nothing
// else), a temporary HOME, and the main window the tests open in it.
#pragma once

#include "../dbsetup/worker_test_support.h"
#include "app/application_state.h"
#include "app/common/config_access.h"
#include "app/common/paths.h"
#include "app/veldrix_frame.h"
#include "auth/auth_service.h"
#include "gui_support.h"
#include "http_test_server.h"
#include "sqldata/sql_data.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/aui/auibook.h>
#include <wx/config.h>
#include <wx/log.h>

#include <vector>

// A loopback module store whose catalogue offers "KPiR": the store tab's server, and
// its CA the trusted one, while it lives. Made once the main window is open.
struct StoreStandIn {
  StoreStandIn() {
    veldrix::ConfigAccess()->Write("/store/api_base_url", wxString::FromUTF8(server.BaseUrl() + "/api/v1"));
  }

  static veldrix::test::HttpTestResponse Catalogue(const veldrix::test::HttpTestRequest&) {
    return {200, {}, "{\"data\":{\"modules\":[{\"code\":\"kpir\",\"name\":\"KPiR\"}]}}"};
  }

  veldrix::test::HttpTestServer server{Catalogue, veldrix::test::HttpTestServer::Tls::Trusted};
  veldrix::test::ScopedCaFile trust{server.CaFile()};
};

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    veldrix::test::CopyShippedScripts(folders.programFolder());
    veldrix::SetProgramFolderOverride(folders.programFolder());
    database = veldrix::JoinPath(folders.programFolder(), "veldrix.db");
    AppState().SetDefaultDatabasePath(database);
    AppState().SetActiveConnection(wxString());
    ReferUpdateCheckToLoopback();
  }

  // No test talks to the real update server: this one refuses at once.
  static void ReferUpdateCheckToLoopback() {
    ASSERT_TRUE(veldrix::EnsureFolder(veldrix::ConfigFolder()));
    veldrix::test::WriteFileBytes(veldrix::ConfigFilePath(), "[veldrix]\nserwer_aktualizacji=http://127.0.0.1:1\n");
  }

  void TearDown() override {
    CloseFrame();
    veldrix::SetProgramFolderOverride(wxString());
    AppState().SetWorkingCompanyId("0");
  }

  // The program database made by the worker, with the administrator "admin"
  // (password "haslo-admina") and `user`, whose new role grants `permissions`.
  void CreateUsers(const AuthUser& user, const wxString& password, const wxString& role,
                   const std::vector<wxString>& permissions) {
    ASSERT_FALSE(veldrix::test::RunWorker(false, database, registry).empty());
    SQLData db(database);
    ASSERT_TRUE(db.IniciujBazeDanych());
    AuthService service(&db);
    wxString error;
    AuthUser admin{"admin", "Administrator", true, true, 0};
    ASSERT_TRUE(service.CreateUser(admin, "haslo-admina", &error)) << error;
    ASSERT_TRUE(service.CreateUser(user, password, &error)) << error;
    wxString roleKey;
    ASSERT_TRUE(service.CreateRole(role, &roleKey, &error)) << error;
    ASSERT_TRUE(service.SetRolePermissions(roleKey, permissions, &error, 0)) << error;
    ASSERT_TRUE(service.SetUserRole(user.username, roleKey, &error, 0)) << error;
  }

  VeldrixFrame* OpenFrame() {
    frame = new VeldrixFrame();
    frame->Show();
    veldrix::test::WaitFor([&] { return frame->IsShownOnScreen(); });
    return frame;
  }

  // Runs the login of a window that must close itself; true when it was destroyed.
  bool LoginClosesTheWindow() {
    VeldrixFrame* closing = frame;
    bool destroyed = false;
    frame->Bind(wxEVT_DESTROY, [&](wxWindowDestroyEvent& event) {
      if (event.GetEventObject() == closing) destroyed = true;
      event.Skip();
    });
    frame->StartLogin();
    frame = nullptr;
    wxTheApp->ProcessIdle();
    return destroyed;
  }

  void CloseFrame() {
    if (!frame) return;
    frame->Destroy();
    frame = nullptr;
    // The next window must not meet this one's destructor in a later idle time:
    // each installs the process configuration of its own.
    wxTheApp->ProcessIdle();
  }

  int TabsLabelled(const wxString& label) const {
    int count = 0;
    for (size_t i = 0; i < frame->GetNotebook()->GetPageCount(); ++i) {
      if (frame->GetNotebook()->GetPage(i)->GetLabel() == label) ++count;
    }
    return count;
  }

  veldrix::test::IsolatedFolders folders;
  veldrix::test::ScopedWorkerRegistry registry;
  wxLogNull quiet;
  wxString database;
  VeldrixFrame* frame = nullptr;
};
