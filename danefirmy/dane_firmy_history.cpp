// The company editor's page "Historia": the company's identity data as they stood,
// each row from its date on; a list to read, not to edit.
#include "danefirmy/dane_firmy.h"

#include "app/common/i18n.h"
#include "danefirmy/company_form_controls.h"
#include "sqldata/dv_model.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <wx/panel.h>
#include <wx/sizer.h>

using namespace company_form;

namespace {

const wxWindowID kHistoryListId = wxWindow::NewControlId();

}  // namespace

wxWindow* DaneFirmy::BuildHistoryPage(wxWindow* parent) {
  auto* page = new wxPanel(parent);
  historyList_ = NewList(page, kHistoryListId);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(historyList_, 1, wxEXPAND | wxALL, 8);
  page->SetSizer(sizer);
  return page;
}

void DaneFirmy::LoadHistoryList() {
  historyModel_ = NewModel(std::vector<int>(10, DVColumnText));
  Read([&] { db_->InsertRowsDataView(historyModel_, false, Querys::SelectFirmaHistoria("", ""), ""); });
  historyList_->AssociateModel(historyModel_.get());
  AppendTextColumns(historyList_, {{_("Obowiązuje od"), 120},
                                   {_("Nazwa krótka"), 150},
                                   {_("Pełna nazwa"), 250},
                                   {_("NIP"), 100},
                                   {_("Regon"), 100},
                                   {_("Ulica, lokal"), 200},
                                   {_("Kod pocztowy"), 90},
                                   {_("Miejscowość"), 100},
                                   {_("Województwo"), 100}});
}

void DaneFirmy::ShowHistory() {
  Read([&] { db_->InsertRowsDataView(historyModel_, false, Querys::SelectFirmaHistoria(currentId_, ""), ""); });
}
