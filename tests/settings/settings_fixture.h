// The settings tests' program database (a SQLite file the database worker builds
// from the shipped scripts) and the main window as the settings code sees it.
#pragma once

#include "../danefirmy/company_schema.h"
#include "gui_support.h"
#include "settings/settings_application.h"

#include <gtest/gtest.h>
#include <wx/bookctrl.h>
#include <wx/log.h>

#include <memory>

namespace veldrix::test {

// GTK animates state changes (a control enabled, a box ticked): the picture is
// taken once they have settled.
inline void SaveSettledScreenshot(wxWindow* window, const wxString& name) {
  PumpEvents(300);
  SaveScreenshot(window, name);
}

// Records what the settings tab asks of the main window.
class FakeSettingsApplication : public ISettingsApplication {
 public:
  wxString GetActiveConnection() override { return connection; }
  wxString DefaultSqliteConnection() override { return "Data Source=/opt/veldrix/veldrix.db;Version=3;"; }
  wxString GetWorkingCompanyId() override { return companyId; }
  void RequestTabClose() override { ++closeRequests; }
  bool ShowDatabaseConfigDialog() override {
    ++dialogsShown;
    return dialogSaves;
  }
  void AddSettingsPages(wxBookCtrlBase* tree, wxWindow* ledgerPage, int imageIndex) override {
    receivedLedgerPage = ledgerPage;
    receivedImageIndex = imageIndex;
    pagesAddedAt = static_cast<int>(tree->GetPageCount());
  }
  veldrix::PluginManager* GetPluginManager() const override { return nullptr; }

  wxString connection;
  wxString companyId = "1";
  bool dialogSaves = false;
  int dialogsShown = 0;
  int closeRequests = 0;
  wxWindow* receivedLedgerPage = nullptr;
  int receivedImageIndex = -1;
  int pagesAddedAt = -1;
};

// A fresh program database per test, opened as `db`, with the fake application on it.
class SettingsDatabaseTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path = folders.root() + "/program.db";
    wxString message;
    ASSERT_TRUE(CreateProgramDatabase(folders, path, &message)) << message;
    db = std::make_unique<SQLData>(path);
    ASSERT_TRUE(db->IniciujBazeDanych());
    app.connection = "Data Source=" + path + ";Version=3;";
  }

  wxString Cell(const wxString& sql) {
    const wxArrayString cells = db->FrameData(sql);
    return cells.empty() ? wxString("<none>") : cells[0];
  }

  IsolatedFolders folders;
  wxLogNull quiet;
  wxString path;
  std::unique_ptr<SQLData> db;
  FakeSettingsApplication app;
};

}  // namespace veldrix::test
