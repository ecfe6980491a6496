// The record-editor base: what a hosting tab sees of an editor that overrides
// nothing, and that it reaches a derived editor only through the base.
#include <gtest/gtest.h>
#include <wx/frame.h>

#include <vector>

#include "app/common/custom_notebook_panel.h"
#include "gui_support.h"

namespace {

// An editor of one in-memory record, as a derived editor would keep it.
class RecordEditor : public CustomNotebookPanel {
 public:
  using CustomNotebookPanel::CustomNotebookPanel;

  void NewRecord() override {
    calls.push_back("new");
    id = "0";
    modified = false;
  }
  bool SaveRecord() override {
    calls.push_back("save");
    if (!valid) return false;
    id = "17";
    modified = false;
    return true;
  }
  void DeleteRecord() override { calls.push_back("delete"); }
  bool LoadRecord(const wxString& wanted) override {
    calls.push_back("load " + wanted);
    return wanted == "17";
  }
  void SearchRecords(int column, const wxString& text) override {
    calls.push_back(wxString::Format("search %d %s", column, text));
  }
  wxString GetRecordId() override { return id; }
  void RecordSaved(const wxString& saved) override { calls.push_back("saved " + saved); }
  bool IsModified() override { return modified; }

  std::vector<wxString> calls;
  wxString id = "0";
  bool modified = true;
  bool valid = true;
};

// The hosting tab's Save tool: the stored id is announced only after a successful save.
void HostSave(CustomNotebookPanel* editor, int column, const wxString& text) {
  if (!editor->SaveRecord()) return;
  editor->RecordSaved(editor->GetRecordId());
  editor->SearchRecords(column, text);
}

class NotebookPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { frame = new wxFrame(nullptr, wxID_ANY, "Veldrix", wxDefaultPosition, wxSize(300, 200)); }
  void TearDown() override {
    frame->Destroy();
    veldrix::test::PumpEvents(20);
  }
  wxFrame* frame = nullptr;
};

}  // namespace

TEST_F(NotebookPanelTest, BaseThatOverridesNothingStoresNothingAndIsNeverModified) {
  CustomNotebookPanel* editor = new CustomNotebookPanel(frame);
  editor->NewRecord();
  editor->DeleteRecord();
  editor->SearchRecords(0, "abc");
  editor->RecordSaved("5");
  EXPECT_FALSE(editor->SaveRecord());
  EXPECT_FALSE(editor->LoadRecord("1"));
  EXPECT_EQ(editor->GetRecordId(), "0");
  EXPECT_FALSE(editor->IsModified());
  // The operations without a role are there and do nothing.
  editor->ReservedOperation2();
  editor->ReservedOperation4();
  editor->ReservedOperation5("x");
  editor->ReservedOperation8(1);
  editor->ReservedOperation10();
  editor->ReservedOperation13(1, 2);
  editor->ReservedOperation15();
  EXPECT_EQ(editor->GetParent(), frame);
}

TEST_F(NotebookPanelTest, HostReachesTheDerivedEditorThroughTheBase) {
  auto* derived = new RecordEditor(frame);
  CustomNotebookPanel* editor = derived;
  EXPECT_TRUE(editor->IsModified());
  HostSave(editor, 2, "Kowalski");
  EXPECT_FALSE(editor->IsModified());
  EXPECT_TRUE(editor->LoadRecord(editor->GetRecordId()));
  editor->NewRecord();
  EXPECT_EQ(editor->GetRecordId(), "0");
  editor->DeleteRecord();
  EXPECT_EQ(derived->calls,
            (std::vector<wxString>{"save", "saved 17", "search 2 Kowalski", "load 17", "new", "delete"}));
}

TEST_F(NotebookPanelTest, FailedSaveLeavesTheIdUnannounced) {
  auto* derived = new RecordEditor(frame);
  derived->valid = false;
  HostSave(derived, 0, "");
  EXPECT_EQ(derived->calls, std::vector<wxString>{"save"});
  EXPECT_TRUE(derived->IsModified());
}
