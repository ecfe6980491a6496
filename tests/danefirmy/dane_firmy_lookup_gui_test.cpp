// "Pobierz z GUS" in the company editor, against a loopback HTTPS stand-in of the
// DataPort service: an empty form is filled, a filled one asks first and honours
// each answer, a failure is shown, and closing the editor mid-lookup is safe.
#include "danefirmy/dane_firmy.h"
#include "danefirmy/dane_firmy_main_panel.h"

#include "app/common/config_access.h"
#include "app/common/message_box.h"
#include "app/common/worker_registry.h"
#include "company/company_lookup.h"
#include "company_schema.h"
#include "failure_box_check.h"
#include "danefirmy/company_application.h"
#include "gui_support.h"
#include "http_test_server.h"
#include "sqldata/dv_model.h"
#include "sqldata/sql_data.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/combobox.h>
#include <wx/config.h>
#include <wx/dataview.h>
#include <wx/frame.h>
#include <wx/log.h>
#include <wx/textctrl.h>

#include <mutex>

using veldrix::MessageBoxRecorder;
using veldrix::test::HttpTestRequest;
using veldrix::test::HttpTestResponse;
using veldrix::test::HttpTestServer;
using veldrix::test::PumpEvents;
using veldrix::test::SaveScreenshot;
using veldrix::test::WaitFor;

namespace {

class LookupApplication : public ICompanyApplication {
 public:
  explicit LookupApplication(const wxString& database) : database_(database) {}
  wxString GetActiveConnection() override { return "Data Source=" + database_ + ";Version=3;"; }
  wxString GetWorkingCompanyId() override { return "0"; }
  void SetWorkingCompanyId(const wxString&) override {}
  void SwitchWorkingCompany(const wxString&) override {}
  wxConfigBase* GetConfig() override { return nullptr; }
  void EnableToolbar(bool, bool) override {}
  void RequestTabClose() override {}
  ICompanyEvents* GetCompanyEvents() override { return nullptr; }

 private:
  wxString database_;
};

const char kFullAnswer[] =
    R"({"success":true,"data":{"nip":"5261040828","regon":"000331501","nazwa":"Główny Urząd Testowy",)"
    R"("ulica":"al. Niepodległości","numer_budynku":"208","numer_lokalu":"2","kod_pocztowy":"00-925",)"
    R"("miasto":"Warszawa"}})";

class CompanyLookupGui : public ::testing::Test {
 protected:
  void SetUp() override {
    const wxString dbPath = folders.root() + "/program.db";
    wxString message;
    ASSERT_TRUE(veldrix::test::CreateProgramDatabase(folders, dbPath, &message)) << message;
    app = std::make_unique<LookupApplication>(dbPath);
    {
      veldrix::ConfigAccess config;
      ASSERT_TRUE(config);
      config->Write(kDataPortUrlKey, wxString(server.BaseUrl()));
      config->Write(kDataPortApiKeyKey, "configured-key");
    }
    frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(1500, 900));
    tab = DaneFirmyMainPanel::CreateWithEditor(frame, app.get());
    editor = dynamic_cast<DaneFirmy*>(tab->GetEditor());
    ASSERT_NE(editor, nullptr);
    frame->Show();
    frame->Layout();
    PumpEvents(300);
  }

  void TearDown() override {
    if (frame) frame->Destroy();
    PumpEvents(50);
    veldrix::ConfigAccess config;
    config->DeleteGroup("/CompanyLookup");
  }

  wxTextCtrl* Text(const char* name) { return dynamic_cast<wxTextCtrl*>(wxWindow::FindWindowByName(name, tab)); }
  wxString Value(const char* name) { return Text(name)->GetValue(); }
  void Type(const char* name, const char* utf8) { Text(name)->SetValue(wxString::FromUTF8(utf8)); }

  void Answer(int status, const std::string& body) {
    std::lock_guard<std::mutex> guard(lock);
    answer = HttpTestResponse{status, {{"Content-Type", "application/json"}}, body};
  }

  void PressFetch() {
    auto* button = dynamic_cast<wxButton*>(wxWindow::FindWindowByLabel(wxString::FromUTF8("Pobierz z GUS"), tab));
    ASSERT_NE(button, nullptr);
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->HandleWindowEvent(click);
  }

  veldrix::test::IsolatedFolders folders;
  wxLogNull quiet;
  std::mutex lock;
  HttpTestResponse answer{200, {}, kFullAnswer};
  HttpTestServer server{[this](const HttpTestRequest&) {
                          std::lock_guard<std::mutex> guard(lock);
                          return answer;
                        },
                        HttpTestServer::Tls::Trusted};
  veldrix::test::ScopedCaFile trust{server.CaFile()};
  std::unique_ptr<LookupApplication> app;
  wxFrame* frame = nullptr;
  DaneFirmyMainPanel* tab = nullptr;
  DaneFirmy* editor = nullptr;
};

}  // namespace

TEST_F(CompanyLookupGui, FillsAnEmptyFormWithoutAsking) {
  MessageBoxRecorder boxes(wxID_OK);
  dynamic_cast<wxComboBox*>(wxWindow::FindWindowByName("kraj", tab))->SetStringSelection("DE");
  Type("nip", "PL 526-104-08-28");
  PressFetch();
  ASSERT_TRUE(WaitFor([&] { return !Value("nazwa").empty(); }));
  PumpEvents(100);
  SaveScreenshot(frame, "danefirmy_lookup_filled");

  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Value("nazwa"), wxString::FromUTF8("Główny Urząd Testowy"));
  EXPECT_EQ(Value("nazwa_pelna"), wxString::FromUTF8("Główny Urząd Testowy"));
  EXPECT_EQ(Value("nip"), "5261040828");
  EXPECT_EQ(Value("regon"), "000331501");
  EXPECT_EQ(Value("ulica"), wxString::FromUTF8("al. Niepodległości 208/2"));
  EXPECT_EQ(Value("kod"), "00-925");
  EXPECT_EQ(Value("miejscowosc"), "Warszawa");
  EXPECT_TRUE(Value("wojewodztwo").empty());
  EXPECT_EQ(dynamic_cast<wxComboBox*>(wxWindow::FindWindowByName("kraj", tab))->GetStringSelection(), "PL");
  EXPECT_TRUE(editor->IsModified());
  EXPECT_EQ(editor->GetTitleText(), wxString::FromUTF8("Główny Urząd Testowy"));

  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, "/api/v1/company/5261040828?format=full");
  EXPECT_EQ(requests[0].Header("X-API-Key"), "configured-key");
}

TEST_F(CompanyLookupGui, FilledFormAsksAndHonoursEachAnswer) {
  struct Case {
    int answer;
    const char* screenshot;
    std::string body;
    // nazwa, miejscowosc, kod, nip after the answer (UTF-8)
    const char* expected[4];
  } cases[] = {
      {wxID_YES, "danefirmy_lookup_overwrite", kFullAnswer,
       {"Główny Urząd Testowy", "Warszawa", "00-925", "5261040828"}},
      {wxID_NO, "danefirmy_lookup_only_empty", kFullAnswer, {"Moja firma", "Kraków", "00-925", "5261040828"}},
      {wxID_CANCEL, "danefirmy_lookup_cancelled", kFullAnswer, {"Moja firma", "Kraków", "", "526-104-08-28"}},
      // An answer without NIP or city overwrites neither.
      {wxID_YES, "danefirmy_lookup_overwrite_partial", R"({"success":true,"data":{"nazwa":"Inna"}})",
       {"Inna", "Kraków", "", "526-104-08-28"}},
  };
  for (const Case& c : cases) {
    editor->NewRecord();
    Type("nazwa", "Moja firma");
    Type("miejscowosc", "Kraków");
    Type("nip", "526-104-08-28");
    Answer(200, c.body);
    MessageBoxRecorder boxes(c.answer);
    PressFetch();
    ASSERT_TRUE(WaitFor([&] { return !boxes.shown().empty(); })) << c.screenshot;
    PumpEvents(100);
    SaveScreenshot(frame, c.screenshot);

    ASSERT_EQ(boxes.shown().size(), 1u);
    const veldrix::MessageBoxLook& box = boxes.shown()[0];
    EXPECT_EQ(box.message, wxString::FromUTF8("Czy nadpisać obecne dane danymi z GUS?"));
    EXPECT_EQ(box.caption, "Pobierz z GUS");
    EXPECT_EQ(box.yesLabel, "Nadpisz");
    EXPECT_EQ(box.noLabel, "Tylko puste");
    EXPECT_EQ(box.cancelLabel, "Anuluj");
    EXPECT_EQ(box.style & (wxYES_NO | wxCANCEL | wxICON_EXCLAMATION), wxYES_NO | wxCANCEL | wxICON_EXCLAMATION);

    const char* fields[] = {"nazwa", "miejscowosc", "kod", "nip"};
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(Value(fields[i]), wxString::FromUTF8(c.expected[i])) << c.screenshot;
    EXPECT_EQ(Value("nazwa_pelna").empty(), c.answer == wxID_CANCEL) << c.screenshot;
  }
}

TEST_F(CompanyLookupGui, FailureIsShownAndLeavesTheForm) {
  Type("nazwa", "Moja firma");
  Type("nip", "5261040828");
  Answer(403, R"({"success":false,"message":"Zły klucz API"})");
  MessageBoxRecorder boxes(wxID_OK);
  PressFetch();
  ASSERT_TRUE(WaitFor([&] { return !boxes.shown().empty(); }));
  ExpectPolishLeadThenDetail(boxes.shown()[0].message, wxString::FromUTF8("DataPort (403): Zły klucz API"));
  EXPECT_EQ(boxes.shown()[0].caption, "Dane firmy");
  EXPECT_TRUE(boxes.shown()[0].style & wxICON_ERROR);
  EXPECT_EQ(Value("nazwa"), "Moja firma");
  EXPECT_TRUE(Value("regon").empty());

  Type("nip", "526104082");
  PressFetch();
  ASSERT_TRUE(WaitFor([&] { return boxes.shown().size() == 2; }));
  EXPECT_EQ(boxes.shown()[1].message, "Podaj poprawny NIP (10 cyfr).");
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(CompanyLookupGui, AnAnswerForACompanyNoLongerShownIsDropped) {
  {
    SQLData db(app->GetActiveConnection());
    ASSERT_TRUE(db.IniciujBazeDanych());
    ASSERT_GT(db.InsertData("insert into firma(nazwa,nip,data_od) values ('Alfa','5261040828','2024-01-01')"), 0);
    ASSERT_GT(db.InsertData("insert into firma(nazwa,nip,data_od) values ('Beta','7251801126','2024-01-01')"), 0);
  }
  editor->SearchRecords(0, wxString());
  ASSERT_EQ(editor->GetCompanyModel()->rowCount, 2);
  const auto clickRow = [&](int row) {
    const wxDataViewItem item = editor->GetCompanyModel()->GetItem(row);
    editor->GetCompanyList()->Select(item);
    wxDataViewEvent selected(wxEVT_DATAVIEW_SELECTION_CHANGED, editor->GetCompanyList(), item);
    editor->GetCompanyList()->HandleWindowEvent(selected);
    PumpEvents(20);
  };
  clickRow(0);
  ASSERT_EQ(Value("nazwa"), "Alfa");
  MessageBoxRecorder boxes(wxID_YES);
  server.Hold(true);
  PressFetch();
  ASSERT_TRUE(WaitFor([&] { return server.Requests().size() == 1; }));
  // The user chooses the other company in the list before the service answers.
  clickRow(1);
  ASSERT_EQ(Value("nazwa"), "Beta");
  server.Hold(false);
  PumpEvents(1500);
  EXPECT_TRUE(boxes.shown().empty());
  EXPECT_EQ(Value("nazwa"), "Beta");
  EXPECT_EQ(Value("nip"), "7251801126");
  EXPECT_FALSE(editor->IsModified());
}

TEST_F(CompanyLookupGui, ClosingTheEditorWhileALookupRunsIsSafe) {
  veldrix::WorkerRegistry workers;
  veldrix::InstallWorkerRegistry(&workers);
  MessageBoxRecorder boxes(wxID_YES);
  Type("nip", "5261040828");
  server.Hold(true);
  PressFetch();
  ASSERT_TRUE(WaitFor([&] { return server.Requests().size() == 1; }));
  EXPECT_EQ(workers.RunningCount(), 1u);
  frame->Destroy();
  frame = nullptr;
  PumpEvents(50);

  server.Hold(false);
  EXPECT_TRUE(WaitFor([&] { return workers.RunningCount() == 0; }));
  PumpEvents(200);
  EXPECT_TRUE(boxes.shown().empty());
  veldrix::InstallWorkerRegistry(nullptr);
}
