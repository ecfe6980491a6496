// DVModel behind a real wxDataViewCtrl: the view shows every kind of column, follows
// a deleted row, a reload and a fill from a SQLite file.
#include "sqldata/dv_model.h"
#include "sqldata/sql_data.h"

#include "app/common/paths.h"
#include "dv_model_rows.h"
#include "gui_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dataview.h>
#include <wx/frame.h>
#include <wx/sizer.h>

namespace {

struct ListWindow {
  ListWindow() {
    frame = new wxFrame(nullptr, wxID_ANY, "DVModel", wxDefaultPosition, wxSize(520, 240));
    view = new wxDataViewCtrl(frame, wxID_ANY);
    model = wxObjectDataPtr<DVModel>(new DVModel);
    model->AddColumn(DVColumnText, 0);
    model->AddColumn(DVColumnDecimal, 0);
    model->AddColumn(DVColumnFlag, 0);
    model->AddColumn(DVColumnInteger, 0);
    model->InitStorage();
    view->AssociateModel(model.get());
    view->AppendTextColumn(L"Nazwa", 0, wxDATAVIEW_CELL_INERT, 200);
    view->AppendTextColumn(L"Kwota", 1, wxDATAVIEW_CELL_INERT, 100, wxALIGN_RIGHT);
    view->AppendToggleColumn(L"Aktywna", 2, wxDATAVIEW_CELL_INERT, 80);
    view->AppendColumn(new wxDataViewColumn(
        L"Numer", new wxDataViewTextRenderer("long", wxDATAVIEW_CELL_INERT, wxALIGN_RIGHT), 3, 80));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(view, 1, wxEXPAND);
    frame->SetSizer(sizer);
  }
  ~ListWindow() {
    frame->Destroy();
    veldrix::test::PumpEvents(20);
  }

  bool RowShown(unsigned row) const { return !view->GetItemRect(model->GetItem(row), view->GetColumn(0)).IsEmpty(); }

  wxFrame* frame;
  wxDataViewCtrl* view;
  wxObjectDataPtr<DVModel> model;
};

}  // namespace

TEST(DVModelView, ShowsEveryKindOfColumn) {
  veldrix::test::ScopedLocale locale("pl_PL.UTF-8");
  if (!locale.ok() && veldrix::test::RunningInCi()) FAIL() << "pl_PL.UTF-8 is not available";
  ListWindow window;
  AppendFourKindRow(*window.model, L"Zakład Usługowy „Żuraw”", 1234.5, true, 12);
  AppendFourKindRow(*window.model, L"Piekarnia Łódź", 0.1 + 0.2, false, 7);
  AppendFourKindRow(*window.model, "Kowalski i Syn", -2.675, true, 3);
  window.model->Reset(window.model->rowCount);
  window.frame->Show();
  ASSERT_TRUE(veldrix::test::WaitFor([&] { return window.frame->IsShownOnScreen(); }));
  ASSERT_TRUE(veldrix::test::WaitFor([&] { return window.RowShown(2); }));

  // What the view reads for a cell is what the model formats.
  wxVariant amount;
  window.view->GetModel()->GetValue(amount, window.model->GetItem(0), 1);
  EXPECT_EQ(amount.GetString(), locale.ok() ? "1234,50" : "1234.50");

  window.view->Select(window.model->GetItem(1));
  EXPECT_EQ(window.model->GetRow(window.view->GetSelection()), 1u);
  veldrix::test::SaveScreenshot(window.frame, "dv_model_four_kinds");
}

TEST(DVModelView, FollowsADeletedRowAndAReload) {
  ListWindow window;
  for (int i = 0; i < 5; ++i) AppendFourKindRow(*window.model, wxString::Format("Wiersz %d", i + 1), i * 1.5, i % 2, i);
  window.model->Reset(window.model->rowCount);
  window.frame->Show();
  ASSERT_TRUE(veldrix::test::WaitFor([&] { return window.RowShown(4); }));

  window.model->DeleteRow(window.model->GetItem(4));
  veldrix::test::PumpEvents(50);
  EXPECT_EQ(window.model->GetCount(), 4u);
  EXPECT_TRUE(window.RowShown(3));

  // Reload with the same columns, as a screen does after a search.
  window.model->Clear(false);
  window.model->InitStorage();
  AppendFourKindRow(*window.model, "Jedyny", 9.99, true, 99);
  window.model->Reset(window.model->rowCount);
  veldrix::test::PumpEvents(50);
  EXPECT_EQ(window.model->GetCount(), 1u);
  EXPECT_TRUE(window.RowShown(0));
  wxVariant name;
  window.view->GetModel()->GetValue(name, window.model->GetItem(0), 0);
  EXPECT_EQ(name.GetString(), "Jedyny");
  veldrix::test::SaveScreenshot(window.frame, "dv_model_reloaded");
}

TEST(DVModelView, ShowsWhatInsertRowsDataViewRead) {
  veldrix::test::ScopedLocale locale("pl_PL.UTF-8");
  if (!locale.ok() && veldrix::test::RunningInCi()) FAIL() << "pl_PL.UTF-8 is not available";
  veldrix::test::IsolatedFolders folders;
  SQLData db(veldrix::JoinPath(folders.root(), "firmy.db"));
  ASSERT_TRUE(db.IniciujBazeDanych());
  db.DeleteData("create table firma(nazwa text, saldo real, aktywna integer, id_firmy integer primary key)");
  db.DeleteData(wxString::FromUTF8("insert into firma values ('Hurtownia Żak', 1500.255, 1, 4),"
                                   " ('Biuro Rachunkowe Sowa', -20, 0, 9), ('Kwiaciarnia Róża', NULL, 1, 15)"));
  ListWindow window;
  const int row = db.InsertRowsDataView(window.model, false,
                                        "select nazwa,saldo,aktywna,id_firmy from firma order by nazwa", "9");
  EXPECT_EQ(row, 0) << db.lastError;
  window.view->Select(window.model->GetItem(static_cast<unsigned>(row)));
  window.frame->Show();
  ASSERT_TRUE(veldrix::test::WaitFor([&] { return window.RowShown(2); }));
  EXPECT_EQ(window.model->GetCount(), 3u);
  wxVariant name;
  window.view->GetModel()->GetValue(name, window.view->GetSelection(), 0);
  EXPECT_EQ(name.GetString(), "Biuro Rachunkowe Sowa");
  wxVariant amount;
  window.view->GetModel()->GetValue(amount, window.model->GetItem(1), 1);
  EXPECT_EQ(amount.GetString(), locale.ok() ? "1500,26" : "1500.26");
  veldrix::test::SaveScreenshot(window.frame, "dv_model_from_sqlite");
}
