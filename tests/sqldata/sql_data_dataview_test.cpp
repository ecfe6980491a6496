// SQLData::InsertRowsDataView on a real SQLite file into a real DVModel.
#include "sqldata/dv_model.h"
#include "sqldata/sql_data.h"

#include "app/common/paths.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dataview.h>
#include <wx/log.h>

#include <memory>

namespace {

class InsertRowsDataViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    db_ = std::make_unique<SQLData>(veldrix::JoinPath(folders_.root(), "lista.db"));
    ASSERT_TRUE(db_->IniciujBazeDanych());
    ASSERT_EQ(db_->DeleteData("create table towar(nazwa text, cena real, aktywny integer, ilosc integer,"
                              " uwagi text, id integer primary key)"),
              0);
    ASSERT_EQ(db_->DeleteData(wxString::FromUTF8("insert into towar values ('Młotek', 12.5, 1, 3, 'stal', 7),"
                                                 " ('Klucz', NULL, 0, NULL, NULL, 12),"
                                                 " ('Śruba', 0.1, 5, -4, 'x', 30)")),
              3);
    model_ = wxObjectDataPtr<DVModel>(new DVModel);
  }

  // text, decimal, flag, integer, text, integer: the shape of the towar table.
  void AddTowarColumns() {
    for (int kind : {DVColumnText, DVColumnDecimal, DVColumnFlag, DVColumnInteger, DVColumnText, DVColumnInteger})
      model_->AddColumn(kind, 0);
  }

  wxVariant At(unsigned row, unsigned column) const {
    wxVariant value;
    model_->GetValueByRow(value, row, column);
    return value;
  }

  static const char* const kTowar;
  veldrix::test::IsolatedFolders folders_;
  std::unique_ptr<SQLData> db_;
  wxObjectDataPtr<DVModel> model_;
  wxLogNull quiet_;  // failures also go to wxLogError
};

const char* const InsertRowsDataViewTest::kTowar = "select nazwa,cena,aktywny,ilosc,uwagi,id from towar order by id";

}  // namespace

TEST_F(InsertRowsDataViewTest, ReadsEachColumnByItsKind) {
  veldrix::test::ScopedLocale locale("C");
  AddTowarColumns();
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, kTowar, ""), -1);
  EXPECT_FALSE(db_->errorFlag);
  EXPECT_EQ(model_->rowCount, 3);
  EXPECT_EQ(model_->GetCount(), 3u);

  EXPECT_EQ(At(0, 0).GetString(), wxString::FromUTF8("Młotek"));
  EXPECT_EQ(At(0, 1).GetString(), "12.50");
  EXPECT_TRUE(At(0, 2).GetBool());
  EXPECT_EQ(At(0, 3).GetLong(), 3);
  EXPECT_EQ(At(0, 5).GetLong(), 7);
  // NULLs: an empty text, a zero amount and number.
  EXPECT_EQ(At(1, 1).GetString(), "0.00");
  EXPECT_EQ(At(1, 3).GetLong(), 0);
  EXPECT_EQ(At(1, 4).GetString(), "");
  EXPECT_FALSE(At(1, 2).GetBool());
  // Any flag value other than 0 is set.
  EXPECT_TRUE(At(2, 2).GetBool());
  EXPECT_EQ(At(2, 1).GetString(), "0.10");
  EXPECT_EQ(At(2, 3).GetLong(), -4);
}

TEST_F(InsertRowsDataViewTest, DecimalsFollowThePolishLocale) {
  veldrix::test::ScopedLocale locale("pl_PL.UTF-8");
  if (!locale.ok()) {
    if (veldrix::test::RunningInCi()) FAIL() << "pl_PL.UTF-8 is not available";
    GTEST_SKIP();
  }
  AddTowarColumns();
  db_->InsertRowsDataView(model_, false, kTowar, "");
  EXPECT_EQ(At(0, 1).GetString(), "12,50");
}

TEST_F(InsertRowsDataViewTest, FindsTheRowOfTheKeyInTheLastColumn) {
  AddTowarColumns();
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, kTowar, "12"), 1);
  // A numeric key is compared as a number.
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, kTowar, "007"), 0);
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, kTowar, "99"), -1);
  EXPECT_EQ(model_->rowCount, 3);

  // A text key is compared exactly, and the last matching row wins.
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, "select nazwa,uwagi,nazwa from towar order by id", "Klucz"), 1);
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, "select nazwa,uwagi,nazwa from towar order by id", "klucz"), -1);
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, "select nazwa,uwagi,'same' from towar order by id", "same"), 2);
}

TEST_F(InsertRowsDataViewTest, NumbersTheRowsInTheFirstColumn) {
  AddTowarColumns();
  db_->InsertRowsDataView(model_, true, kTowar, "");
  EXPECT_EQ(At(0, 0).GetString(), "1");
  EXPECT_EQ(At(1, 0).GetString(), "2");
  EXPECT_EQ(At(2, 0).GetString(), "3");
  EXPECT_EQ(At(2, 4).GetString(), "x");
}

TEST_F(InsertRowsDataViewTest, ReloadReplacesTheRowsAndKeepsTheColumns) {
  AddTowarColumns();
  db_->InsertRowsDataView(model_, false, kTowar, "");
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, "select nazwa,cena,aktywny,ilosc,uwagi,id from towar where id>10 "
                                                   "order by id",
                                    "30"),
            1);
  EXPECT_EQ(model_->rowCount, 2);
  EXPECT_EQ(model_->GetCount(), 2u);
  EXPECT_EQ(model_->GetColumnCount(), 6u);
  EXPECT_EQ(At(0, 0).GetString(), "Klucz");
}

TEST_F(InsertRowsDataViewTest, ModelAndResultOfDifferentWidths) {
  // The model shows fewer columns than the query: the rest are skipped, but the key
  // is still the query's last column.
  model_->AddColumn(DVColumnText, 0);
  model_->AddColumn(DVColumnDecimal, 0);
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, kTowar, "30"), 2);
  EXPECT_EQ(At(2, 0).GetString(), wxString::FromUTF8("Śruba"));

  // The model has more columns than the query: the extra ones stay empty and reading
  // them leaves the value alone.
  model_->Clear(true);
  AddTowarColumns();
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, "select nazwa,cena from towar order by id", ""), -1);
  EXPECT_EQ(model_->rowCount, 3);
  wxVariant untouched("keep");
  model_->GetValueByRow(untouched, 0, 5);
  EXPECT_EQ(untouched.GetString(), "keep");
}

TEST_F(InsertRowsDataViewTest, FailuresAreRecordedAndLogged) {
  AddTowarColumns();
  db_->InsertRowsDataView(model_, false, kTowar, "");
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, "select nope from towar", "7"), -1);
  EXPECT_TRUE(db_->errorFlag);
  EXPECT_TRUE(db_->lastError.StartsWith("InsertRowsDataView | SQL error ")) << db_->lastError;
  EXPECT_EQ(model_->rowCount, 0);
  EXPECT_EQ(model_->GetCount(), 0u);
  const std::string log = veldrix::test::ReadFileBytes(veldrix::JoinPath(veldrix::UserDataFolder(), "veldrix_db.log"));
  EXPECT_NE(log.find("InsertRowsDataView | SQL error"), std::string::npos) << log;
  EXPECT_NE(log.find("select nope from towar"), std::string::npos);

  db_->ZamknijBazeDanych();
  db_->errorFlag = false;
  EXPECT_EQ(db_->InsertRowsDataView(model_, false, kTowar, ""), -1);
  EXPECT_TRUE(db_->errorFlag);
  EXPECT_EQ(db_->lastError, "InsertRowsDataView | DB not open");
  EXPECT_EQ(model_->GetColumnCount(), 6u);

  wxObjectDataPtr<DVModel> none;
  EXPECT_EQ(db_->InsertRowsDataView(none, false, kTowar, ""), -1);
}

// The driver path (every engine but SQLite): the SQLite driver behind IDbConnection
// stands in for a server, so every cell arrives as text and is read by the kind.
TEST_F(InsertRowsDataViewTest, ReadsDriverTextByKindOnTheConnectionPath) {
  veldrix::test::ScopedLocale locale("C");
  db_->ZamknijBazeDanych();
  SQLData server("Driver=SQLite (sqlite3);ServerType=PostgreSQL;Server=" +
                 veldrix::JoinPath(folders_.root(), "lista.db") + ";Database=veldrix;");
  ASSERT_EQ(server.GetEngine(), "PostgreSQL");
  ASSERT_TRUE(server.IniciujBazeDanych()) << server.lastError;
  AddTowarColumns();
  EXPECT_EQ(server.InsertRowsDataView(model_, false, kTowar, "0030"), 2);
  EXPECT_EQ(model_->rowCount, 3);
  EXPECT_EQ(At(0, 1).GetString(), "12.50");
  EXPECT_EQ(At(1, 1).GetString(), "0.00");
  EXPECT_TRUE(At(2, 2).GetBool());
  EXPECT_EQ(At(2, 3).GetLong(), -4);
  EXPECT_EQ(At(1, 4).GetString(), "");

  EXPECT_EQ(server.InsertRowsDataView(model_, true, "select nope from towar", ""), -1);
  EXPECT_TRUE(server.errorFlag);
  EXPECT_TRUE(server.lastError.StartsWith("InsertRowsDataView | ")) << server.lastError;
}
