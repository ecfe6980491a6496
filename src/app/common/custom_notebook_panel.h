// Base of a record editor shown in a tab of the main notebook. The hosting tab (its
// toolbar: New, Save, Cancel, Refresh, Delete, search) holds the editor as a
// CustomNotebookPanel and drives it only through these operations, so one tab can
// host editors of different tables. The derived editor keeps the record, its id and
// the modified flag; the base keeps no state. Record ids travel as text, "0" = none.
#pragma once

#include <wx/panel.h>
#include <wx/string.h>

class CustomNotebookPanel : public wxPanel {
 public:
  CustomNotebookPanel() = default;
  CustomNotebookPanel(wxWindow* parent, wxWindowID id = wxID_ANY, const wxPoint& pos = wxDefaultPosition,
                      const wxSize& size = wxDefaultSize, long style = wxTAB_TRAVERSAL,
                      const wxString& name = wxPanelNameStr)
      : wxPanel(parent, id, pos, size, style, name) {}
  ~CustomNotebookPanel() override;

  // The order of these operations is fixed: module libraries built against this
  // header rely on the slots. The unnamed ones have no caller and stay empty.

  // Empties the form for a new record (the host has settled unsaved changes).
  virtual void NewRecord() {}
  virtual void ReservedOperation2() {}
  // Validates and stores the record; true when stored. The host then calls
  // RecordSaved(GetRecordId()) and re-runs its search.
  virtual bool SaveRecord() { return false; }
  virtual void ReservedOperation4() {}
  virtual void ReservedOperation5(wxString) {}
  // Deletes the record; asking the user for confirmation is the editor's business.
  virtual void DeleteRecord() {}
  // Shows the record with this id; true when found and shown (Refresh and Cancel).
  virtual bool LoadRecord(const wxString& id) { return false; }
  virtual void ReservedOperation8(int) {}
  // Fills the editor's list with the records whose value in the search column
  // (the index of the host's column choice, from 0) matches the text.
  virtual void SearchRecords(int column, const wxString& text) {}
  virtual void ReservedOperation10() {}
  // The id of the record on screen; "0" when none is stored.
  virtual wxString GetRecordId() { return "0"; }
  // Tells the editor the id under which its record was just stored.
  virtual void RecordSaved(const wxString& id) {}
  virtual void ReservedOperation13(int, int) {}
  // True while the form holds changes not yet stored (asked before New, Refresh, Cancel).
  virtual bool IsModified() { return false; }
  virtual void ReservedOperation15() {}
};
