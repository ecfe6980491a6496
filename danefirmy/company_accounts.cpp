#include "danefirmy/company_accounts.h"

#include "danefirmy/bank_account.h"
#include "sqldata/dv_model.h"

#include <wx/variant.h>

#include <algorithm>

namespace {

bool HasRow(const DVModel& model, int row) { return row >= 0 && row < model.rowCount; }

wxString Text(const DVModel& model, int row, unsigned int column) {
  wxVariant value;
  model.GetValueByRow(value, row, column);
  return value.GetString();
}

bool Flag(const DVModel& model, int row, unsigned int column) {
  wxVariant value;
  model.GetValueByRow(value, row, column);
  return VariantToBool(value);
}

long IdOf(const DVModel& model, int row) {
  long id = 0;
  return Text(model, row, AccountColId).ToLong(&id, 10) ? id : 0;
}

void SetFlag(DVModel& model, int row, unsigned int column, bool value) {
  model.SetValueByRow(wxVariant(value), row, column);
  model.RowChanged(row);
}

// The nine edited values of the row, in column order; state and id stay.
void WriteFields(DVModel& model, int row, const CompanyAccountRow& a) {
  model.SetValueByRow(wxVariant(a.domyslny), row, AccountColDomyslny);
  model.SetValueByRow(a.nazwa, row, AccountColNazwa);
  model.SetValueByRow(a.numer, row, AccountColNumer);
  model.SetValueByRow(a.nazwaBanku, row, AccountColBank);
  model.SetValueByRow(a.waluta, row, AccountColWaluta);
  model.SetValueByRow(a.swift, row, AccountColSwift);
  model.SetValueByRow(a.iban, row, AccountColIban);
  model.SetValueByRow(wxVariant(a.aktywny), row, AccountColAktywny);
  model.SetValueByRow(a.opis, row, AccountColOpis);
}

}  // namespace

CompanyAccountRow ReadAccountRow(const DVModel& model, int row) {
  CompanyAccountRow account;
  if (!HasRow(model, row) || model.GetColumnCount() < AccountColCount) return account;
  account.domyslny = Flag(model, row, AccountColDomyslny);
  account.nazwa = Text(model, row, AccountColNazwa);
  account.numer = Text(model, row, AccountColNumer);
  account.nazwaBanku = Text(model, row, AccountColBank);
  account.waluta = Text(model, row, AccountColWaluta);
  account.swift = Text(model, row, AccountColSwift);
  account.iban = Text(model, row, AccountColIban);
  account.aktywny = Flag(model, row, AccountColAktywny);
  account.opis = Text(model, row, AccountColOpis);
  account.rodzaj = Text(model, row, AccountColRodzaj);
  account.idRachunku = IdOf(model, row);
  return account;
}

std::vector<CompanyAccountRow> AccountRowsFromModel(const DVModel& model) {
  std::vector<CompanyAccountRow> rows;
  if (model.GetColumnCount() < AccountColCount) return rows;
  for (int row = 0; row < model.rowCount; ++row) rows.push_back(ReadAccountRow(model, row));
  return rows;
}

void WriteAccountRow(DVModel& model, int row, const CompanyAccountRow& account) {
  if (!HasRow(model, row)) return;
  WriteFields(model, row, account);
  model.SetValueByRow(account.rodzaj, row, AccountColRodzaj);
  model.SetValueByRow(wxString::Format("%ld", account.idRachunku), row, AccountColId);
  model.RowChanged(row);
}

int AppendAccountRow(DVModel& model, const CompanyAccountRow& a) {
  model.AppendValue(wxVariant(a.domyslny), AccountColDomyslny);
  model.AppendValue(a.nazwa, AccountColNazwa);
  model.AppendValue(a.numer, AccountColNumer);
  model.AppendValue(a.nazwaBanku, AccountColBank);
  model.AppendValue(a.waluta, AccountColWaluta);
  model.AppendValue(a.swift, AccountColSwift);
  model.AppendValue(a.iban, AccountColIban);
  model.AppendValue(wxVariant(a.aktywny), AccountColAktywny);
  model.AppendValue(a.opis, AccountColOpis);
  model.AppendValue(a.rodzaj, AccountColRodzaj);
  model.AppendValue(wxString::Format("%ld", a.idRachunku), AccountColId);
  ++model.rowCount;
  model.RowAppended();
  return model.rowCount - 1;
}

void MarkAccountRowChanged(DVModel& model, int row) {
  if (!HasRow(model, row)) return;
  if (IdOf(model, row) > 0 && Text(model, row, AccountColRodzaj) == kAccountLoaded) {
    model.SetValueByRow(wxString(kAccountChanged), row, AccountColRodzaj);
  }
}

void MakeOnlyDefaultAccount(DVModel& model, int row) {
  if (row < 0) return;
  for (int other = 0; other < model.rowCount; ++other) {
    const bool shouldBeDefault = other == row;
    if (Flag(model, other, AccountColDomyslny) == shouldBeDefault) continue;
    SetFlag(model, other, AccountColDomyslny, shouldBeDefault);
    MarkAccountRowChanged(model, other);
  }
}

void AccountDefaultToggled(DVModel& model, int row) {
  if (!HasRow(model, row)) return;
  if (Flag(model, row, AccountColDomyslny)) MakeOnlyDefaultAccount(model, row);
  MarkAccountRowChanged(model, row);
}

void CopyFieldsIntoAccountRow(DVModel& model, int row, const CompanyAccountRow& fields) {
  if (!HasRow(model, row)) return;
  if (fields.domyslny) {
    MakeOnlyDefaultAccount(model, row);
  } else if (Flag(model, row, AccountColDomyslny)) {
    SetFlag(model, row, AccountColDomyslny, false);
  }
  CompanyAccountRow values = fields;
  values.domyslny = Flag(model, row, AccountColDomyslny);
  WriteFields(model, row, values);
  MarkAccountRowChanged(model, row);
  model.RowChanged(row);
}

int RemoveAccountRow(DVModel& model, int row, std::vector<long>* removedIds) {
  if (!HasRow(model, row)) return -1;
  const long id = IdOf(model, row);
  if (id > 0 && removedIds && std::find(removedIds->begin(), removedIds->end(), id) == removedIds->end()) {
    removedIds->push_back(id);
  }
  model.DeleteRow(model.GetItem(row));
  if (model.rowCount <= 0) return -1;
  return std::min(row, model.rowCount - 1);
}

bool IsBlankAccount(const CompanyAccountRow& account) {
  for (wxString text : {account.nazwa, account.numer, account.nazwaBanku, account.swift, account.iban, account.opis}) {
    if (!text.Trim(true).Trim(false).empty()) return false;
  }
  return true;
}

AccountNumberField AccountNumberSource(const CompanyAccountRow& account) {
  wxString iban(account.iban);
  return iban.Trim(true).empty() ? AccountNumberField::Numer : AccountNumberField::Iban;
}

bool HasValidAccountNumber(const CompanyAccountRow& account) {
  return IsValidBankAccount(AccountNumberSource(account) == AccountNumberField::Iban ? account.iban : account.numer);
}

int FirstInvalidAccountToWrite(const std::vector<CompanyAccountRow>& rows) {
  for (size_t i = 0; i < rows.size(); ++i) {
    const bool written = rows[i].rodzaj == kAccountAdded || rows[i].rodzaj == kAccountChanged;
    if (written && !HasValidAccountNumber(rows[i])) return static_cast<int>(i);
  }
  return -1;
}
