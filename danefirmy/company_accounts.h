// The company's bank accounts as the editor holds them until the company is saved:
// rows of its account list model (laid out as AccountModelColumn) with their edit
// state, one default account, removal into the list of removed ids, and the number
// check of every row a save writes. No windows: the editor maps its fields to a
// CompanyAccountRow and calls these.
#pragma once

#include "danefirmy/company_record.h"

#include <vector>

class DVModel;

// Every row of the model, in list order.
std::vector<CompanyAccountRow> AccountRowsFromModel(const DVModel& model);
// The row's values; a row outside the model gives a default row.
CompanyAccountRow ReadAccountRow(const DVModel& model, int row);
// Overwrites every column of the row, state and id included, and refreshes it.
void WriteAccountRow(DVModel& model, int row, const CompanyAccountRow& account);
// Appends the row, tells the list, and returns its index.
int AppendAccountRow(DVModel& model, const CompanyAccountRow& account);

// A stored row as loaded ("b") becomes changed ("a"); new and changed rows stay.
void MarkAccountRowChanged(DVModel& model, int row);
// Makes the row the only default account; every row whose flag changes is marked
// changed. A negative row does nothing.
void MakeOnlyDefaultAccount(DVModel& model, int row);
// The list has just toggled the row's default flag (the model holds the new value):
// a row that became default becomes the only one; the row is marked changed.
void AccountDefaultToggled(DVModel& model, int row);
// Copies the editor's fields (all but state and id) into the row as the user types,
// with the one-default rule, and marks the row changed. The number is not checked.
void CopyFieldsIntoAccountRow(DVModel& model, int row, const CompanyAccountRow& fields);
// Removes the row; the id of a stored row goes into removedIds, never twice.
// Returns the row to show next (the one now at the same place, or the new last),
// -1 when no row is left or the row did not exist.
int RemoveAccountRow(DVModel& model, int row, std::vector<long>* removedIds);

// Whether nothing is typed into the account's text fields (blanks count as nothing).
bool IsBlankAccount(const CompanyAccountRow& account);

// The field an account number is read from: "IBAN" unless it is blank, else "Numer".
enum class AccountNumberField { Numer, Iban };
AccountNumberField AccountNumberSource(const CompanyAccountRow& account);
// Whether the account's number (from AccountNumberSource) is valid; empty is valid.
bool HasValidAccountNumber(const CompanyAccountRow& account);
// The first row a save writes (new or changed) whose number is not valid; -1 when
// every such row is valid. Rows kept as loaded are not judged.
int FirstInvalidAccountToWrite(const std::vector<CompanyAccountRow>& rows);
