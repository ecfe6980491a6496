// SQLData::ComboBoxData filling a real choice control.
#include "sqldata/sql_data.h"

#include "gui_support.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/frame.h>
#include <wx/log.h>

using veldrix::test::IsolatedFolders;

TEST(SqlDataComboBox, FillsNamesIdsValuesAndSelectsTheDefaultRow) {
  IsolatedFolders folders;
  wxLogNull quiet;
  SQLData db(folders.root() + "/combo.db");
  ASSERT_TRUE(db.IniciujBazeDanych());
  db.DeleteData("CREATE TABLE stawka_vat(id INTEGER PRIMARY KEY, domyslna INTEGER, nazwa TEXT, stawka TEXT)");
  db.DeleteData(L"INSERT INTO stawka_vat VALUES (4, 0, '23%', '23'), (7, 1, '8%', '8,00'), (9, 0, 'zw', NULL)");

  auto* frame = new wxFrame(nullptr, wxID_ANY, "ComboBoxData", wxDefaultPosition, wxSize(300, 120));
  auto* choice = new wxChoice(frame, wxID_ANY);
  choice->Append("stale");
  wxArrayInt ids;
  ids.Add(99);

  // Two columns (name, id).
  EXPECT_EQ(db.ComboBoxData("SELECT nazwa, id FROM stawka_vat ORDER BY id", choice, &ids, nullptr, false, false), 0);
  ASSERT_EQ(choice->GetCount(), 3u);
  EXPECT_EQ(choice->GetString(1), "8%");
  ASSERT_EQ(ids.size(), 3u);
  EXPECT_EQ(ids[2], 9);

  // Default flag first, the name second, a value third, the id last.
  wxArrayDouble values;
  const int selected = db.ComboBoxData("SELECT domyslna, nazwa, stawka, id FROM stawka_vat ORDER BY id", choice, &ids,
                                       &values, true, true);
  EXPECT_EQ(selected, 1);
  EXPECT_EQ(choice->GetSelection(), 1);
  EXPECT_EQ(choice->GetString(0), "23%");
  ASSERT_EQ(values.size(), 3u);
  EXPECT_DOUBLE_EQ(values[0], 23.0);
  EXPECT_DOUBLE_EQ(values[1], 8.0);
  EXPECT_DOUBLE_EQ(values[2], 0.0);
  EXPECT_EQ(ids[1], 7);

  frame->Show();
  veldrix::test::WaitFor([&] { return frame->IsShownOnScreen(); });
  veldrix::test::SaveScreenshot(frame, "sqldata_combobox");

  // A failing query leaves the cleared control and answers 0.
  EXPECT_EQ(db.ComboBoxData("SELECT nazwa FROM missing", choice, &ids, nullptr, false, true), 0);
  EXPECT_EQ(choice->GetCount(), 0u);
  EXPECT_TRUE(db.errorFlag);
  EXPECT_TRUE(db.lastError.StartsWith("ComboBoxData | SQL error 1: ")) << db.lastError;
  EXPECT_EQ(db.ComboBoxData("SELECT 1", nullptr, &ids, nullptr, false, false), 0);

  frame->Destroy();
  veldrix::test::PumpEvents(20);
}
