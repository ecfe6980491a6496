// DVModel: the virtual list model behind every wxDataViewCtrl list filled from a
// query (SQLData::InsertRowsDataView or a screen). Columns are typed; values are
// stored column by column in storage of the column's kind.
#pragma once

#include <wx/dataview.h>

#include <vector>

// The kind of a DVModel column; the numbers are part of the callers' contract.
enum DVModelColumnKind : int {
  DVColumnText = 0,     // shown as the text
  DVColumnDecimal = 1,  // stored as double, shown by FormatDecimal with 2 decimals
  DVColumnFlag = 2,     // stored as 0/1, shown as bool (a checkbox)
  DVColumnInteger = 3,  // stored as int, shown as long
};

// Loading: AddColumn for each column, InitStorage, then one value per column per
// row (AppendValue or the typed appenders), raising rowCount after each row, and
// finally Reset(rowCount) so the view learns the size. Reloading with the same
// columns starts with Clear(false) and InitStorage.
class DVModel : public wxDataViewVirtualListModel {
 public:
  DVModel();
  ~DVModel() override;

  unsigned int GetColumnCount() const override;
  // Always "string": the renderers are chosen by the screens, not by the model.
  wxString GetColumnType(unsigned int column) const override;
  // Out-of-range rows or columns leave `value` unchanged.
  void GetValueByRow(wxVariant& value, unsigned int row, unsigned int column) const override;
  // False (and nothing stored) for a row or column outside the stored values.
  bool SetValueByRow(const wxVariant& value, unsigned int row, unsigned int column) override;
  bool GetAttrByRow(unsigned int row, unsigned int column, wxDataViewItemAttr& attr) const override;

  // Appends a column of `kind` (a DVModelColumnKind); `tag` is kept for the caller
  // and never read here. False for an unknown kind.
  bool AddColumn(int kind, int tag);
  // Creates one empty storage list per column; the model is then ready for values.
  bool InitStorage();
  // Appends one cell to `column`, converted to the column's kind; a value that does
  // not convert (text into a decimal column) is stored as 0. False when the model
  // is not ready or the column is unknown.
  bool AppendValue(const wxVariant& value, unsigned int column);
  // Typed appenders for bulk loading: the value goes to `column` only when the
  // column is of that kind (false otherwise).
  bool AppendText(unsigned int column, const wxString& text);
  bool AppendText(unsigned int column, wxString&& text);
  bool AppendDecimal(unsigned int column, double value);
  bool AppendFlag(unsigned int column, bool value);
  bool AppendInteger(unsigned int column, long value);
  // Drops every row (and with forgetColumns every column definition); the model is
  // no longer ready until InitStorage.
  bool Clear(bool forgetColumns);
  // Erases the item's row from every column; a row at or past rowCount is ignored.
  void DeleteRow(const wxDataViewItem& item);

  bool IsReady() const { return ready_; }
  // The column's DVModelColumnKind, or -1 for an unknown column.
  int ColumnKind(unsigned int column) const;
  int ColumnTag(unsigned int column) const;

  // Rows appended so far; the loader raises it after each complete row.
  int rowCount = 0;

 private:
  struct Column {
    int kind;
    int tag;
    unsigned int indexInKind;  // position of its list among the lists of its kind
  };

  // Bounds-checked access to the storage slot of (row, column); null when absent.
  const Column* FindColumn(unsigned int column) const;
  bool HasRow(const Column& column, unsigned int row) const;

  std::vector<std::vector<wxString>> texts_;
  std::vector<std::vector<double>> decimals_;
  std::vector<std::vector<int>> integers_;
  std::vector<std::vector<short>> flags_;
  unsigned int kindCounts_[4] = {0, 0, 0, 0};
  std::vector<Column> columns_;
  bool ready_ = false;
};
