#include "sqldata/dv_model.h"

#include "dv_model_rows.h"

#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/dataview.h>

namespace {

// Records what the model announces to a view.
class RecordingNotifier : public wxDataViewModelNotifier {
 public:
  bool ItemAdded(const wxDataViewItem&, const wxDataViewItem&) override { return true; }
  bool ItemDeleted(const wxDataViewItem&, const wxDataViewItem& item) override {
    ++deleted;
    return true;
  }
  bool ItemChanged(const wxDataViewItem&) override { return true; }
  bool ValueChanged(const wxDataViewItem&, unsigned int) override { return true; }
  bool Cleared() override {
    ++cleared;
    return true;
  }
  void Resort() override {}
  int deleted = 0;
  int cleared = 0;
};

// A model with one column of each kind: text, decimal, flag, integer.
wxObjectDataPtr<DVModel> FourKindModel() {
  wxObjectDataPtr<DVModel> model(new DVModel);
  model->AddColumn(DVColumnText, 10);
  model->AddColumn(DVColumnDecimal, 11);
  model->AddColumn(DVColumnFlag, 12);
  model->AddColumn(DVColumnInteger, 13);
  model->InitStorage();
  return model;
}

wxVariant ValueAt(const DVModel& model, unsigned row, unsigned column) {
  wxVariant value;
  model.GetValueByRow(value, row, column);
  return value;
}

}  // namespace

TEST(DVModel, HandsEachKindToTheViewInItsForm) {
  veldrix::test::ScopedLocale locale("C");
  wxObjectDataPtr<DVModel> model = FourKindModel();
  AppendFourKindRow(*model, "Alfa", 0.1 + 0.2, true, 42);
  AppendFourKindRow(*model, "Beta", 1234.5, false, -7);
  model->Reset(model->rowCount);

  EXPECT_EQ(model->GetColumnCount(), 4u);
  EXPECT_EQ(model->GetCount(), 2u);
  for (unsigned c = 0; c < 4; ++c) EXPECT_EQ(model->GetColumnType(c), "string");

  EXPECT_EQ(ValueAt(*model, 0, 0).GetString(), "Alfa");
  EXPECT_EQ(ValueAt(*model, 0, 1).GetType(), "string");
  EXPECT_EQ(ValueAt(*model, 0, 1).GetString(), "0.30");
  EXPECT_EQ(ValueAt(*model, 1, 1).GetString(), "1234.50");
  EXPECT_EQ(ValueAt(*model, 0, 2).GetType(), "bool");
  EXPECT_TRUE(ValueAt(*model, 0, 2).GetBool());
  EXPECT_FALSE(ValueAt(*model, 1, 2).GetBool());
  EXPECT_EQ(ValueAt(*model, 1, 3).GetType(), "long");
  EXPECT_EQ(ValueAt(*model, 1, 3).GetLong(), -7);
  EXPECT_EQ(model->ColumnTag(2), 12);
  EXPECT_EQ(model->ColumnKind(3), DVColumnInteger);
}

TEST(DVModel, DecimalColumnFollowsThePolishLocale) {
  veldrix::test::ScopedLocale locale("pl_PL.UTF-8");
  if (!locale.ok()) {
    if (veldrix::test::RunningInCi()) FAIL() << "pl_PL.UTF-8 is not available";
    GTEST_SKIP();
  }
  wxObjectDataPtr<DVModel> model = FourKindModel();
  AppendFourKindRow(*model, "x", 2.675, true, 1);
  EXPECT_EQ(ValueAt(*model, 0, 1).GetString(), "2,68");
}

TEST(DVModel, ColumnsOfOneKindKeepTheirOwnValues) {
  wxObjectDataPtr<DVModel> model(new DVModel);
  model->AddColumn(DVColumnInteger, 0);
  model->AddColumn(DVColumnText, 0);
  model->AddColumn(DVColumnInteger, 0);
  model->InitStorage();
  model->AppendValue(wxVariant(1L), 0);
  model->AppendValue(wxVariant("t"), 1);
  model->AppendValue(wxVariant(2L), 2);
  EXPECT_EQ(ValueAt(*model, 0, 0).GetLong(), 1);
  EXPECT_EQ(ValueAt(*model, 0, 2).GetLong(), 2);
  // A typed appender refuses a column of another kind.
  EXPECT_FALSE(model->AppendText(0, "x"));
  EXPECT_FALSE(model->AppendInteger(1, 5));
  EXPECT_TRUE(model->AppendText(1, "u"));
}

TEST(DVModel, RowAccessorsCheckTheirBounds) {
  wxObjectDataPtr<DVModel> model = FourKindModel();
  AppendFourKindRow(*model, "only", 1, true, 1);
  model->Reset(model->rowCount);

  wxVariant untouched("keep");
  model->GetValueByRow(untouched, 1, 0);
  model->GetValueByRow(untouched, 0, 4);
  model->GetValueByRow(untouched, 100000, 1);
  EXPECT_EQ(untouched.GetString(), "keep");

  EXPECT_FALSE(model->SetValueByRow(wxVariant("x"), 1, 0));
  EXPECT_FALSE(model->SetValueByRow(wxVariant("x"), 0, 9));
  EXPECT_FALSE(model->AppendValue(wxVariant("x"), 4));
  EXPECT_FALSE(model->AddColumn(4, 0));
  EXPECT_FALSE(model->AddColumn(-1, 0));
  EXPECT_EQ(model->GetColumnCount(), 4u);

  // A model that is not ready holds no values and takes none.
  wxObjectDataPtr<DVModel> empty(new DVModel);
  empty->AddColumn(DVColumnText, 0);
  EXPECT_FALSE(empty->AppendValue(wxVariant("x"), 0));
  empty->GetValueByRow(untouched, 0, 0);
  EXPECT_EQ(untouched.GetString(), "keep");
}

TEST(DVModel, SetValueReplacesByKind) {
  veldrix::test::ScopedLocale locale("C");
  wxObjectDataPtr<DVModel> model = FourKindModel();
  AppendFourKindRow(*model, "a", 1, false, 1);
  EXPECT_TRUE(model->SetValueByRow(wxVariant("b"), 0, 0));
  EXPECT_TRUE(model->SetValueByRow(wxVariant(9.999), 0, 1));
  EXPECT_TRUE(model->SetValueByRow(wxVariant(true), 0, 2));
  EXPECT_TRUE(model->SetValueByRow(wxVariant(77L), 0, 3));
  EXPECT_EQ(ValueAt(*model, 0, 0).GetString(), "b");
  EXPECT_EQ(ValueAt(*model, 0, 1).GetString(), "10.00");
  EXPECT_TRUE(ValueAt(*model, 0, 2).GetBool());
  EXPECT_EQ(ValueAt(*model, 0, 3).GetLong(), 77);
}

TEST(DVModel, ConvertsValuesOfAnotherTypeToTheColumnKind) {
  veldrix::test::ScopedLocale locale("C");
  wxObjectDataPtr<DVModel> model = FourKindModel();
  EXPECT_TRUE(model->AppendValue(wxVariant(42L), 0));
  EXPECT_TRUE(model->AppendValue(wxVariant("2.5"), 1));
  EXPECT_TRUE(model->AppendValue(wxVariant(3L), 2));
  EXPECT_TRUE(model->AppendValue(wxVariant(7.9), 3));
  ++model->rowCount;
  AppendFourKindRow(*model, "x", 0, false, 0);
  // Text that is no number becomes 0 rather than a failed conversion.
  EXPECT_TRUE(model->SetValueByRow(wxVariant("abc"), 1, 1));
  EXPECT_TRUE(model->SetValueByRow(wxVariant(), 1, 3));
  EXPECT_EQ(ValueAt(*model, 0, 0).GetString(), "42");
  EXPECT_EQ(ValueAt(*model, 0, 1).GetString(), "2.50");
  EXPECT_TRUE(ValueAt(*model, 0, 2).GetBool());
  EXPECT_EQ(ValueAt(*model, 0, 3).GetLong(), 7);
  EXPECT_EQ(ValueAt(*model, 1, 1).GetString(), "0.00");
  EXPECT_EQ(ValueAt(*model, 1, 3).GetLong(), 0);
}

TEST(DVModel, ClearKeepsOrForgetsTheColumns) {
  wxObjectDataPtr<DVModel> model = FourKindModel();
  AppendFourKindRow(*model, "a", 1, false, 1);
  model->Reset(model->rowCount);

  EXPECT_TRUE(model->Clear(false));
  EXPECT_FALSE(model->IsReady());
  EXPECT_EQ(model->rowCount, 0);
  EXPECT_EQ(model->GetCount(), 0u);
  EXPECT_EQ(model->GetColumnCount(), 4u);
  model->InitStorage();
  AppendFourKindRow(*model, "again", 2, true, 2);
  EXPECT_EQ(ValueAt(*model, 0, 0).GetString(), "again");

  EXPECT_TRUE(model->Clear(true));
  model->AddColumn(DVColumnInteger, 0);
  model->InitStorage();
  EXPECT_EQ(model->GetColumnCount(), 1u);
  EXPECT_EQ(model->ColumnKind(0), DVColumnInteger);
  EXPECT_TRUE(model->AppendValue(wxVariant(5L), 0));

  // Forgetting the columns also works before the storage was ever made.
  wxObjectDataPtr<DVModel> fresh(new DVModel);
  fresh->AddColumn(DVColumnText, 0);
  fresh->Clear(true);
  fresh->AddColumn(DVColumnFlag, 0);
  EXPECT_EQ(fresh->GetColumnCount(), 1u);
  EXPECT_EQ(fresh->ColumnKind(0), DVColumnFlag);
}

TEST(DVModel, DeleteRowRemovesOneRowFromEveryColumn) {
  wxObjectDataPtr<DVModel> model = FourKindModel();
  RecordingNotifier* notifier = new RecordingNotifier;
  model->AddNotifier(notifier);
  AppendFourKindRow(*model, "a", 1, true, 1);
  AppendFourKindRow(*model, "b", 2, false, 2);
  AppendFourKindRow(*model, "c", 3, true, 3);
  model->Reset(model->rowCount);

  model->DeleteRow(model->GetItem(1));
  EXPECT_EQ(model->rowCount, 2);
  EXPECT_EQ(model->GetCount(), 2u);
  EXPECT_EQ(notifier->deleted, 1);
  EXPECT_EQ(ValueAt(*model, 1, 0).GetString(), "c");
  EXPECT_EQ(ValueAt(*model, 1, 3).GetLong(), 3);
  EXPECT_TRUE(ValueAt(*model, 1, 2).GetBool());

  // An item past the last row, or no item at all, changes nothing.
  model->DeleteRow(wxDataViewItem(wxUIntToPtr(3 + 1)));
  model->DeleteRow(wxDataViewItem());
  EXPECT_EQ(model->rowCount, 2);
  EXPECT_EQ(notifier->deleted, 1);
  EXPECT_EQ(ValueAt(*model, 0, 0).GetString(), "a");
}
