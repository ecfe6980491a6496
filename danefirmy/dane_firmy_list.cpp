// The company editor's company list, left of the form: its columns, the search that
// fills it, and following its selection, which the program's own moves of it do not
// count as the user's.
#include "danefirmy/dane_firmy.h"

#include "app/common/i18n.h"
#include "app/common/scoped_flag.h"
#include "danefirmy/company_form_controls.h"
#include "danefirmy/company_record.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "sqldata/dv_model.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <wx/wupdlock.h>

using namespace company_form;
using veldrix::ScopedFlag;

namespace {

wxObjectDataPtr<DVModel> NewCompanyModel() { return NewModel(std::vector<int>(6, DVColumnText)); }

// The list's rows become those read: the control keeps its one model.
void TakeRows(DVModel& list, const DVModel& read) {
  list.Clear(false);
  list.InitStorage();
  const unsigned int columns = list.GetColumnCount();
  for (int row = 0; row < read.rowCount; ++row) {
    for (unsigned int column = 0; column < columns; ++column) {
      wxVariant value;
      read.GetValueByRow(value, static_cast<unsigned int>(row), column);
      list.AppendValue(value, column);
    }
    ++list.rowCount;
  }
  list.Reset(static_cast<unsigned int>(list.rowCount));
}

}  // namespace

void DaneFirmy::LoadCompanyList() {
  companyModel_ = NewCompanyModel();
  companyList_->AssociateModel(companyModel_.get());
  ReadCompanyList(wxString(), wxString(), nullptr);
  AppendTextColumns(companyList_, {{_("Nazwa"), 210},
                                   {_("NIP"), 105},
                                   {_("Miejscowość"), 135},
                                   {_("Aktywna"), 70},
                                   {_("Dom."), 55}});
}

wxString DaneFirmy::IdOfRow(int row) const {
  if (row < 0 || row >= companyModel_->rowCount) return wxString();
  wxVariant value;
  companyModel_->GetValueByRow(value, row, companyModel_->GetColumnCount() - 1);
  return value.GetString();
}

int DaneFirmy::RowOfId(const wxString& id) const {
  for (int row = 0; row < companyModel_->rowCount; ++row) {
    if (IdOfRow(row) == id) return row;
  }
  return -1;
}

bool DaneFirmy::ReadCompanyList(const wxString& condition, const wxString& key, int* row) {
  wxObjectDataPtr<DVModel> read = NewCompanyModel();
  int found = -1;
  const bool ok = Read([&] { found = db_->InsertRowsDataView(read, false, Querys::SelectFirma("", condition), key); });
  // A list that could not be read says nothing of the companies: it keeps the rows
  // it showed, greyed, and nothing acts on them ("Wybierz", "Usuń", a click on a
  // row) until a read succeeds.
  companyList_->Enable(ok);
  if (!ok) {
    currentCompanyItem_ = wxDataViewItem();
    EnableDeleteTool(false);
    if (host_) host_->EnableChooseTool(false);
    return false;
  }
  {
    ScopedFlag quiet(selecting_);
    TakeRows(*companyModel_, *read);
  }
  if (row) *row = found;
  return true;
}

void DaneFirmy::SelectItemQuietly(const wxDataViewItem& item) {
  ScopedFlag quiet(selecting_);
  SelectOnly(companyList_, item);
}

void DaneFirmy::SelectCompanyRow(int row) {
  if (companyModel_->rowCount <= 0) {
    currentId_ = "0";
    return;
  }
  currentCompanyItem_ = row >= 0 && row < companyModel_->rowCount ? companyModel_->GetItem(row) : wxDataViewItem();
  SelectItemQuietly(currentCompanyItem_);
  if (!currentCompanyItem_.IsOk()) {
    // The form keeps its record, but no row is there to delete.
    EnableDeleteTool(false);
    return;
  }
  ShowSelectedCompany();
  companyList_->SetFocus();
  companyList_->EnsureVisible(currentCompanyItem_);
  EnableDeleteTool(true);
}

void DaneFirmy::OnCompanySelected(wxDataViewEvent& event) {
  if (selecting_ || !event.GetItem().IsOk()) return;
  const wxString chosenId = IdOfRow(companyModel_->GetRow(event.GetItem()));
  if (event.GetItem() == currentCompanyItem_ && chosenId == currentId_) return;
  if (host_ && !host_->ConfirmSaveChanges()) {
    SelectItemQuietly(currentCompanyItem_);
    if (currentCompanyItem_.IsOk()) companyList_->EnsureVisible(currentCompanyItem_);
    return;
  }
  // A save in the question refills the list, so the row is found again by its id.
  const int row = RowOfId(chosenId);
  if (row < 0) return;
  currentCompanyItem_ = companyModel_->GetItem(row);
  SelectItemQuietly(currentCompanyItem_);
  ShowSelectedCompany();
}

void DaneFirmy::SearchRecords(int column, const wxString& text) {
  wxWindowUpdateLocker selfLock(this);
  int row = -1;
  // Unread, the form keeps the record it showed rather than offering a new one, as
  // the default company.
  if (!ReadCompanyList(CompanySearchCondition(column, text), currentId_, &row)) return;
  if (companyModel_->rowCount > 0) {
    SelectCompanyRow(row);
    return;
  }
  currentCompanyItem_ = wxDataViewItem();
  ClearForm(false);
  EnableDeleteTool(false);
}
