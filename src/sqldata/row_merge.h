// A save that merges its user's edit of one row with what other workstations stored
// after the row was loaded. The editor keeps the row as it loaded it; the save reads
// the row again under a row lock in its own transaction and, column by column,
// writes only what its user changed, unless another workstation has changed the same
// column to something else. The company, its accounts, the dictionary entries and the
// custom-field definitions save this way. Which row of a set holds its default flag
// (the default company, a company's default account, a dictionary's default entry)
// merges the same way, as one value of its own.
#pragma once

#include <wx/arrstr.h>
#include <wx/string.h>

#include <map>

class SQLData;

// One row's values by column name, as text in one form on every side (a flag "1" or
// "0", a number in decimal), so that equal values compare equal.
using RowValues = std::map<wxString, wxString>;

struct RowMerge {
  // Edited columns whose stored value the save changes, in column-name order.
  wxArrayString written;
  // Columns this user changed while another workstation stored something else.
  wxArrayString conflicts;
  // The row after the save: the stored values with this user's changes over them.
  RowValues merged;

  bool HasConflict() const { return !conflicts.empty(); }
};

// How one value merges, from the loaded, the edited and the stored one.
enum class ValueMerge {
  Unchanged,      // left as loaded: the stored value stays
  Write,          // changed here while the stored one is still the loaded one
  AlreadyStored,  // another workstation stored the same value
  Conflict,       // changed here and, to something else, on another workstation
};
ValueMerge MergeValue(const wxString& loaded, const wxString& edited, const wxString& stored);

// Compares the edited columns: one the user left as loaded keeps what is stored; one
// the user changed is written while the stored value is still the loaded one, is
// already in place when another workstation stored the same value, and conflicts
// otherwise. Stored columns that were not edited stay as stored. A column missing
// from a side counts as an empty text there.
RowMerge MergeRow(const RowValues& loaded, const RowValues& edited, const RowValues& stored);

// The columns of either row whose values differ, in column-name order.
wxArrayString DifferingColumns(const RowValues& a, const RowValues& b);

// Which rows hold a default flag, as one value: their ids, sorted and joined, each
// row the save inserts as kNewDefaultRow; empty for none.
extern const char kNewDefaultRow[];
wxString DefaultRowsValue(wxArrayString ids);

// The DefaultRowsValue of the ids in idColumn of the table's rows that match the
// condition, read under a row lock (LockedSelectStatement) inside the caller's
// transaction; a failed read leaves the database object's error state set.
wxString ReadLockedDefaultRows(SQLData& db, const wxString& idColumn, const wxString& table,
                               const wxString& condition);
