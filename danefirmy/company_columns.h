// The columns of the firma and firma_rachunek rows that the company editor writes,
// by name: their bound values, their values as text for comparing what an editor
// loaded, what its user typed and what is stored by the save, and the editor's
// labels for them. The company save merges by these (see sqldata/row_merge.h).
#pragma once

#include "danefirmy/company_record.h"
#include "sqldata/row_merge.h"
#include "sqldata/sql_value.h"

#include <wx/arrstr.h>

// The 34 written columns of firma, in the order of CompanyBindValues.
const wxArrayString& CompanyColumnNames();
// The value bound to one of those columns; Null for any other name.
SqlValue CompanyColumnValue(const CompanyRecord& company, const wxString& column);
RowValues CompanyRowValues(const CompanyRecord& company);
// The editor's label of the column's field, translated; the name itself otherwise.
wxString CompanyColumnLabel(const wxString& column);
// What a form's edit amounts to: the loaded record with each value the user typed
// where it differs from what the form showed right after the load. A form shows
// some stored values in its own way (a date picker, the first entry for an unknown
// country code); that alone is no change.
CompanyRecord CompanyEditsOver(const CompanyRecord& loaded, const CompanyRecord& shown, const CompanyRecord& typed);

// The nine written columns of firma_rachunek, in the order of its update.
const wxArrayString& AccountColumnNames();
SqlValue AccountColumnValue(const CompanyAccountRow& account, const wxString& column);
RowValues AccountRowValues(const CompanyAccountRow& account);
// How the user knows the account: its name, else its number, IBAN or bank.
wxString AccountTitle(const CompanyAccountRow& account);
