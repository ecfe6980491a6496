// A program folder as a new installation has it (the database scripts and nothing
// else), a temporary HOME, and the main window the tests open in it.
#pragma once

#include "../dbsetup/worker_test_support.h"
#include "app/application_state.h"
#include "app/common/paths.h"
#include "app/veldrix_frame.h"
#include "gui_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/log.h>

class ProgramStartTest : public ::testing::Test {
 protected:
  void SetUp() override {
    veldrix::test::CopyShippedScripts(folders.programFolder());
    veldrix::SetProgramFolderOverride(folders.programFolder());
    database = veldrix::JoinPath(folders.programFolder(), "veldrix.db");
    AppState().SetDefaultDatabasePath(database);
    AppState().SetActiveConnection(wxString());
  }

  void TearDown() override {
    CloseFrame();
    veldrix::SetProgramFolderOverride(wxString());
    AppState().SetWorkingCompanyId("0");
  }

  VeldrixFrame* OpenFrame() {
    frame = new VeldrixFrame();
    frame->Show();
    veldrix::test::WaitFor([&] { return frame->IsShownOnScreen(); });
    return frame;
  }

  void CloseFrame() {
    if (!frame) return;
    frame->Destroy();
    frame = nullptr;
    // The next window must not meet this one's destructor in a later idle time:
    // each installs the process configuration of its own.
    wxTheApp->ProcessIdle();
  }

  veldrix::test::IsolatedFolders folders;
  veldrix::test::ScopedWorkerRegistry registry;
  wxLogNull quiet;
  wxString database;
  VeldrixFrame* frame = nullptr;
};
