// The company tab on a real SQLite file built from the program's scripts, with an
// application that records what the tab asks of it: the fixture of the company
// editor's GUI tests.
#pragma once

#include "danefirmy/dane_firmy.h"
#include "danefirmy/dane_firmy_main_panel.h"

#include "app/common/message_box.h"
#include "company_schema.h"
#include "danefirmy/company_application.h"
#include "gui_support.h"
#include "sqldata/dv_model.h"
#include "sqldata/sql_data.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/aui/auibar.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/fileconf.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/srchctrl.h>
#include <wx/textctrl.h>

#include <memory>
#include <vector>

namespace {

class RecordingEvents : public ICompanyEvents {
 public:
  bool NotifyCompanyCreated(int companyId, wxString* error) override {
    created.push_back(companyId);
    if (fail && error) *error = wxString::FromUTF8("Moduł: brak danych");
    return !fail;
  }
  std::vector<int> created;
  bool fail = false;
};

class FakeApplication : public ICompanyApplication {
 public:
  FakeApplication(const wxString& database, const wxString& configFile)
      : database_(database),
        config_(wxString(), wxString(), configFile, wxString(), wxCONFIG_USE_LOCAL_FILE) {}

  wxString GetActiveConnection() override {
    return connectionString.empty() ? "Data Source=" + database_ + ";Version=3;" : connectionString;
  }
  wxString GetWorkingCompanyId() override { return workingId; }
  void SetWorkingCompanyId(const wxString& id) override { workingId = id; }
  void SwitchWorkingCompany(const wxString& id) override { switches.push_back(id); }
  wxConfigBase* GetConfig() override { return &config_; }
  void EnableToolbar(bool enable, bool openCompanyPage) override {
    toolbarCalls.push_back(wxString::Format("%d%d", enable, openCompanyPage));
  }
  void RequestTabClose() override { ++closeRequests; }
  ICompanyEvents* GetCompanyEvents() override { return &events; }

  wxString workingId = "0";
  wxString connectionString;  // a server's, in place of the SQLite file
  std::vector<wxString> toolbarCalls;
  int closeRequests = 0;
  std::vector<wxString> switches;  // the companies the tab asked the application to switch to
  RecordingEvents events;

 private:
  wxString database_;
  wxFileConfig config_;
};

class CompanyTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dbPath = folders.root() + "/program.db";
    wxString message;
    ASSERT_TRUE(veldrix::test::CreateProgramDatabase(folders, dbPath, &message)) << message;
    db = std::make_unique<SQLData>(dbPath);
    ASSERT_TRUE(db->IniciujBazeDanych());
    app = std::make_unique<FakeApplication>(dbPath, folders.root() + "/veldrix.ini");
  }

  void TearDown() override {
    if (frame) frame->Destroy();
    veldrix::test::PumpEvents(50);
  }

  void OpenTab() {
    frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(1500, 900));
    tab = DaneFirmyMainPanel::CreateWithEditor(frame, app.get());
    editor = dynamic_cast<DaneFirmy*>(tab->GetEditor());
    ASSERT_NE(editor, nullptr);
    frame->Show();
    frame->Layout();
    veldrix::test::PumpEvents(300);
  }

  template <typename T>
  T* Find(const wxString& name) {
    T* window = dynamic_cast<T*>(wxWindow::FindWindowByName(name, tab));
    EXPECT_NE(window, nullptr) << name;
    return window;
  }

  void Type(const wxString& name, const wxString& text) { Find<wxTextCtrl>(name)->SetValue(text); }

  void Click(wxButton* button) {
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->HandleWindowEvent(click);
    veldrix::test::PumpEvents(20);
  }

  void PressTool(wxWindowID id) {
    wxCommandEvent press(wxEVT_MENU, id);
    press.SetEventObject(tab->GetLeftToolBar());
    tab->GetLeftToolBar()->HandleWindowEvent(press);
    veldrix::test::PumpEvents(20);
  }

  void Search(const wxString& text) {
    tab->GetSearchCtrl()->SetValue(text);
    wxCommandEvent search(wxEVT_SEARCH, tab->GetSearchCtrl()->GetId());
    search.SetEventObject(tab->GetSearchCtrl());
    search.SetString(text);
    tab->GetSearchCtrl()->HandleWindowEvent(search);
    veldrix::test::PumpEvents(20);
  }

  // Ticks or clears a check box as a click does.
  void Check(const wxString& name, bool value) {
    auto* box = Find<wxCheckBox>(name);
    box->SetValue(value);
    wxCommandEvent click(wxEVT_CHECKBOX, box->GetId());
    click.SetEventObject(box);
    click.SetInt(value);
    box->HandleWindowEvent(click);
  }

  void ChooseSearchColumn(wxWindowID id) {
    wxCommandEvent choose(wxEVT_MENU, id);
    choose.SetEventObject(tab->GetSearchCtrl());
    tab->GetSearchCtrl()->HandleWindowEvent(choose);
    veldrix::test::PumpEvents(20);
  }

  // Selects a row of the company list as a click does.
  void ClickRow(int row) {
    wxDataViewCtrl* list = editor->GetCompanyList();
    const wxDataViewItem item = editor->GetCompanyModel()->GetItem(row);
    list->Select(item);
    wxDataViewEvent selected(wxEVT_DATAVIEW_SELECTION_CHANGED, list, item);
    list->HandleWindowEvent(selected);
    veldrix::test::PumpEvents(20);
  }

  // Clicks a row with the pointer, as the user does: the list's own keyboard cursor
  // moves to the row too.
  void ClickRowOnScreen(int row) {
    wxDataViewCtrl* list = editor->GetCompanyList();
    const wxRect rect = list->GetItemRect(editor->GetCompanyModel()->GetItem(row));
    veldrix::test::ClickOnScreen(list->GetMainWindow(), rect.GetPosition() + wxPoint(20, rect.height / 2));
  }

  void TypeCompany(const wxString& name, const wxString& nip) {
    Type("nazwa", name);
    Type("nazwa_pelna", name + " sp. z o.o.");
    Type("nip", nip);
    Type("kod", "00-950");
    Type("miejscowosc", "Warszawa");
    Type("ulica", wxString::FromUTF8("Długa 1"));
  }

  // Two complete companies, "Alfa" (id 1, the default) and "Beta" (id 2).
  void InsertAlfaAndBeta() {
    ASSERT_GE(db->DeleteData("insert into firma(nazwa,nazwa_pelna,nip,kod,miejscowosc,ulica,domyslna,data_od) values"
                             "('Alfa','Alfa SA','5260250274','00-001','Gdynia','Morska 1',1,'2024-01-01'),"
                             "('Beta','Beta SA','7251801126','00-002','Sopot','Plac 2',0,'2024-01-01')"),
              0);
  }

  wxString Cell(const wxString& sql) {
    const wxArrayString cells = db->FrameData(sql);
    return cells.empty() ? wxString("<none>") : cells[0];
  }

  veldrix::test::IsolatedFolders folders;
  wxLogNull quiet;
  wxString dbPath;
  std::unique_ptr<SQLData> db;
  std::unique_ptr<FakeApplication> app;
  wxFrame* frame = nullptr;
  DaneFirmyMainPanel* tab = nullptr;
  DaneFirmy* editor = nullptr;
};

}  // namespace
