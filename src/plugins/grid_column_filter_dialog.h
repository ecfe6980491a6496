// The filter of one module grid column: a check list of the column's values with a
// search box, and a text the cells must contain. The module page opens it from the
// column header and applies the result when it fills the grid again.
#pragma once

#include "plugins/column_filter.h"

#include <wx/arrstr.h>
#include <wx/dialog.h>

class wxCheckListBox;
class wxDC;
class wxRect;
class wxSearchCtrl;
class wxTextCtrl;

namespace veldrix {

class GridColumnFilterDialog : public wxDialog {
 public:
  // `values` in the order the list shows them; `current` is the column's filter now.
  GridColumnFilterDialog(wxWindow* parent, const wxString& title, const wxArrayString& values,
                         const ColumnFilter& current);

  // The result after wxID_OK: empty and inactive when "Wyczyść filtr" was chosen;
  // otherwise the typed text and the checked values the list shows now.
  ColumnFilter GetFilter() const;

  // Refills the list with the values the search leaves, keeping what is checked
  // (or, when nothing visible is checked, the filter's own values).
  void RefreshValueList();

  wxSearchCtrl* GetSearchControl() const { return search_; }
  wxCheckListBox* GetValueList() const { return list_; }
  wxTextCtrl* GetTextControl() const { return text_; }

 private:
  void CheckAll(bool check);

  wxArrayString values_;
  ColumnFilter current_;
  wxSearchCtrl* search_ = nullptr;
  wxCheckListBox* list_ = nullptr;
  wxTextCtrl* text_ = nullptr;
  bool clearRequested_ = false;
};

// The funnel mark of a column header, centred in `rect`: red when the column is
// filtered, grey otherwise.
void DrawFilterMark(wxDC& dc, const wxRect& rect, bool active);

}  // namespace veldrix
