// The company editor's page "Rachunki": the account editor above the company's
// account list. Past the list's first read, nothing here touches the database:
// additions, changes and removals stay in the list's model and the removed ids until
// the company is saved.
#include "danefirmy/dane_firmy.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/scoped_flag.h"
#include "danefirmy/company_accounts.h"
#include "danefirmy/company_form_controls.h"
#include "sqldata/dv_model.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/textctrl.h>

using namespace company_form;
using veldrix::ScopedFlag;

wxWindow* DaneFirmy::BuildAccountsPage(wxWindow* parent) {
  auto* page = new wxPanel(parent);
  accountsPage_ = page;
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  auto* grid = LabelledGrid(2);
  auto add = [&](const wxString& label, wxWindow* control) { AddLabelled(grid, page, label, control); };
  accNazwa_ = NewText(page, "rachunek_nazwa");
  accNumer_ = NewText(page, "rachunek_numer");
  accBank_ = NewText(page, "rachunek_bank");
  accWaluta_ = ReadOnlyCombo(page, "rachunek_waluta", Choices(kCurrencies, WXSIZEOF(kCurrencies)));
  accSwift_ = NewText(page, "rachunek_swift");
  accIban_ = NewText(page, "rachunek_iban");
  accOpis_ = NewText(page, "rachunek_opis", wxString(), wxSize(-1, 48), wxTE_MULTILINE);
  add(_("Nazwa"), accNazwa_);
  add(_("Numer"), accNumer_);
  add(_("Bank"), accBank_);
  add(_("Waluta"), accWaluta_);
  add(_("SWIFT / BIC"), accSwift_);
  add(_("IBAN"), accIban_);
  add(_("Opis"), accOpis_);
  grid->AddSpacer(0);
  auto* checks = new wxBoxSizer(wxHORIZONTAL);
  accDomyslny_ = NewCheck(page, _("Domyslny"), "rachunek_domyslny");
  accAktywny_ = NewCheck(page, _("Aktywny"), "rachunek_aktywny");
  accAktywny_->SetValue(true);
  checks->Add(accDomyslny_, 0, wxRIGHT, 12);
  checks->Add(accAktywny_);
  grid->Add(checks, 0, wxALIGN_CENTER_VERTICAL);
  sizer->Add(grid, 0, wxEXPAND | wxALL, 10);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  accNew_ = new wxButton(page, wxID_ANY, _("Nowy"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                         "rachunek_nowy");
  accApply_ = new wxButton(page, wxID_ANY, _("Dodaj"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                           "rachunek_dodaj");
  accRemove_ = new wxButton(page, wxID_ANY, _("Usuń"), wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator,
                            "rachunek_usun");
  buttons->Add(accNew_, 0, wxRIGHT, 5);
  buttons->Add(accApply_, 0, wxRIGHT, 5);
  buttons->Add(accRemove_);
  sizer->Add(buttons, 0, wxLEFT | wxRIGHT, 10);

  accountList_ = NewList(page, wxID_ANY);
  accountList_->SetName("rachunki");
  sizer->Add(accountList_, 1, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM | wxTOP, 10);
  page->SetSizer(sizer);
  return page;
}

void DaneFirmy::LoadAccountList() {
  accountModel_ = NewModel({DVColumnFlag, DVColumnText, DVColumnText, DVColumnText, DVColumnText, DVColumnText,
                            DVColumnText, DVColumnFlag, DVColumnText, DVColumnText, DVColumnText});
  Read([&] { db_->InsertRowsDataView(accountModel_, false, Querys::SelectFirmaRachunek("", ""), ""); });
  accountList_->AssociateModel(accountModel_.get());
  // The two check columns are as wide as their titles need, which the theme's header
  // decides: a fixed width of a few pixels more than the check box cut them.
  accountList_->AppendToggleColumn(_("Dom."), AccountColDomyslny, wxDATAVIEW_CELL_ACTIVATABLE, wxCOL_WIDTH_AUTOSIZE,
                                   wxALIGN_CENTER, wxDATAVIEW_COL_RESIZABLE);
  const std::vector<std::pair<wxString, int>> accountColumns = {{_("Nazwa"), 100}, {_("Numer"), 150},
                                                                {_("Bank"), 150},  {_("Waluta"), 80},
                                                                {_("SWIFT"), 90},  {_("IBAN"), 150}};
  unsigned int column = AccountColNazwa;
  for (const auto& [title, width] : accountColumns) {
    accountList_->AppendTextColumn(title, column++, wxDATAVIEW_CELL_INERT, width, wxALIGN_NOT,
                                   wxDATAVIEW_COL_RESIZABLE);
  }
  accountList_->AppendToggleColumn(_("Aktywny"), AccountColAktywny, wxDATAVIEW_CELL_INERT, wxCOL_WIDTH_AUTOSIZE,
                                   wxALIGN_CENTER, wxDATAVIEW_COL_RESIZABLE);
  accountList_->AppendTextColumn(_("Opis"), AccountColOpis, wxDATAVIEW_CELL_INERT, 180, wxALIGN_NOT,
                                 wxDATAVIEW_COL_RESIZABLE);
}

void DaneFirmy::BindAccountHandlers() {
  accountList_->Bind(wxEVT_DATAVIEW_SELECTION_CHANGED, &DaneFirmy::OnAccountSelected, this);
  accountList_->Bind(wxEVT_DATAVIEW_ITEM_VALUE_CHANGED, &DaneFirmy::OnAccountValueChanged, this);
  for (wxTextCtrl* text : {accNazwa_, accNumer_, accBank_, accSwift_, accIban_, accOpis_}) {
    text->Bind(wxEVT_TEXT, &DaneFirmy::OnAccountFieldChanged, this);
  }
  accWaluta_->Bind(wxEVT_COMBOBOX, &DaneFirmy::OnAccountFieldChanged, this);
  accDomyslny_->Bind(wxEVT_CHECKBOX, &DaneFirmy::OnAccountFieldChanged, this);
  accAktywny_->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent& event) {
    OnAccountFieldChanged(event);
    UpdateStatusLine();
  });
  accNew_->Bind(wxEVT_BUTTON, &DaneFirmy::OnNewAccount, this);
  accApply_->Bind(wxEVT_BUTTON, &DaneFirmy::OnApplyAccount, this);
  accRemove_->Bind(wxEVT_BUTTON, &DaneFirmy::OnRemoveAccount, this);
}

int DaneFirmy::SelectedAccountRow() const {
  if (!currentAccountItem_.IsOk()) return -1;
  const int row = static_cast<int>(accountModel_->GetRow(currentAccountItem_));
  return row >= 0 && row < accountModel_->rowCount ? row : -1;
}

void DaneFirmy::SelectAccountQuietly(const wxDataViewItem& item) {
  ScopedFlag quiet(selecting_);
  SelectOnly(accountList_, item);
}

CompanyAccountRow DaneFirmy::ReadAccountEditor() const {
  CompanyAccountRow account;
  account.domyslny = accDomyslny_->GetValue();
  account.nazwa = accNazwa_->GetValue();
  account.numer = accNumer_->GetValue();
  account.nazwaBanku = accBank_->GetValue();
  account.waluta = GetAccountCurrency();
  account.swift = accSwift_->GetValue();
  account.iban = accIban_->GetValue();
  account.aktywny = accAktywny_->GetValue();
  account.opis = accOpis_->GetValue();
  return account;
}

wxString DaneFirmy::GetAccountCurrency() const {
  if (!accWaluta_) return "PLN";
  if (accWaluta_->GetSelection() != wxNOT_FOUND) return accWaluta_->GetStringSelection();
  const wxString typed = accWaluta_->GetValue();
  return typed.empty() ? wxString("PLN") : typed;
}

void DaneFirmy::FillAccountEditor() {
  const int row = SelectedAccountRow();
  if (row < 0) return;
  const CompanyAccountRow account = ReadAccountRow(*accountModel_, row);
  accNazwa_->SetValue(account.nazwa);
  accNumer_->SetValue(account.numer);
  accBank_->SetValue(account.nazwaBanku);
  // A currency outside the list shows as the first entry, "PLN".
  const int currency = accWaluta_->FindString(account.waluta, false);
  accWaluta_->SetSelection(currency != wxNOT_FOUND ? currency : 0);
  accSwift_->SetValue(account.swift);
  accIban_->SetValue(account.iban);
  accOpis_->SetValue(account.opis);
  accDomyslny_->SetValue(account.domyslny);
  accAktywny_->SetValue(account.aktywny);
}

void DaneFirmy::ShowAccount() {
  if (SelectedAccountRow() < 0) return;
  ShowCurrentAccount();
  accApply_->SetLabel(_("Zmień"));
}

// Unlike ShowAccount, leaves the button's label as it is (after a removal).
void DaneFirmy::ShowCurrentAccount() {
  const int row = SelectedAccountRow();
  if (row < 0) return;
  ScopedFlag guard(loading_);
  const CompanyAccountRow account = ReadAccountRow(*accountModel_, row);
  accountId_ = wxString::Format("%ld", account.idRachunku);
  accountState_ = account.rodzaj;
  FillAccountEditor();
}

void DaneFirmy::ShowFirstAccount() {
  ScopedFlag guard(loading_);
  if (accountModel_->rowCount <= 0) {
    ResetAccountEditor();
    return;
  }
  currentAccountItem_ = accountModel_->GetItem(0);
  SelectAccountQuietly(currentAccountItem_);
  ShowAccount();
  accountList_->EnsureVisible(currentAccountItem_);
}

void DaneFirmy::ResetAccountEditor() {
  ScopedFlag guard(loading_);
  accountId_ = "0";
  for (wxTextCtrl* text : {accNazwa_, accNumer_, accBank_, accSwift_, accIban_, accOpis_}) text->SetValue(wxString());
  accWaluta_->SetSelection(0);
  accDomyslny_->SetValue(false);
  accAktywny_->SetValue(true);
  accountState_.clear();
  accApply_->SetLabel(_("Dodaj"));
  currentAccountItem_ = wxDataViewItem();
  SelectAccountQuietly(currentAccountItem_);
}

void DaneFirmy::OnAccountSelected(wxDataViewEvent& event) {
  // A list that loses its selection leaves the editor on its account, so that its
  // edits still reach a row.
  if (selecting_ || !event.GetItem().IsOk()) return;
  currentAccountItem_ = event.GetItem();
  ShowAccount();
}

void DaneFirmy::OnNewAccount(wxCommandEvent&) { ResetAccountEditor(); }

void DaneFirmy::OnApplyAccount(wxCommandEvent&) { ApplyAccountEditor(); }

bool DaneFirmy::ApplyTypedAccount() {
  const CompanyAccountRow typed = ReadAccountEditor();
  if (accountId_ != "0" || !accountState_.empty() || IsBlankAccount(typed)) return true;
  // The refusal's focus goes into a field the user can see.
  if (!HasValidAccountNumber(typed) && accountsPage_) notebook_->SetSelection(notebook_->FindPage(accountsPage_));
  return ApplyAccountEditor();
}

bool DaneFirmy::ApplyAccountEditor() {
  CompanyAccountRow account = ReadAccountEditor();
  if (!HasValidAccountNumber(account)) {
    veldrix::ShowMessageBox(_("Numer rachunku bankowego lub IBAN jest nieprawidłowy."), _("Walidacja"),
                            wxOK | wxICON_WARNING, this);
    (AccountNumberSource(account) == AccountNumberField::Iban ? accIban_ : accNumer_)->SetFocus();
    return false;
  }
  long id = 0;
  accountId_.ToLong(&id, 10);
  account.idRachunku = id;
  account.rodzaj = accountId_ != "0" ? kAccountChanged : kAccountAdded;

  int row = -1;
  if (accountId_ == "0" && accountState_.empty()) {
    row = AppendAccountRow(*accountModel_, account);
    accountState_ = kAccountAdded;
    currentAccountItem_ = accountModel_->GetItem(row);
  } else {
    row = SelectedAccountRow();
    // No row is shown: there is nothing to change.
    if (row < 0) return true;
    WriteAccountRow(*accountModel_, row, account);
    if (accountId_ != "0") accountState_ = kAccountChanged;
  }
  if (account.domyslny) MakeOnlyDefaultAccount(*accountModel_, row);
  SelectAccountQuietly(currentAccountItem_);
  accountList_->EnsureVisible(currentAccountItem_);
  accApply_->SetLabel(_("Zmień"));
  MarkModified();
  return true;
}

void DaneFirmy::OnRemoveAccount(wxCommandEvent&) {
  RemoveSelectedAccount();
  if (accountsPage_) accountsPage_->SetFocus();
}

void DaneFirmy::RemoveSelectedAccount() {
  const int row = SelectedAccountRow();
  if (row < 0) return;
  const int next = RemoveAccountRow(*accountModel_, row, &removedAccounts_);
  if (next >= 0) {
    currentAccountItem_ = accountModel_->GetItem(next);
    SelectAccountQuietly(currentAccountItem_);
    ShowCurrentAccount();
    accountList_->EnsureVisible(currentAccountItem_);
  } else {
    ResetAccountEditor();
  }
  MarkModified();
}

void DaneFirmy::OnAccountFieldChanged(wxCommandEvent&) {
  MarkModified();
  StoreAccountFields();
}

void DaneFirmy::StoreAccountFields() {
  if (loading_) return;
  const int row = SelectedAccountRow();
  if (row < 0) return;
  CopyFieldsIntoAccountRow(*accountModel_, row, ReadAccountEditor());
}

void DaneFirmy::OnAccountValueChanged(wxDataViewEvent& event) {
  if (loading_ || togglingAccount_ || !event.GetItem().IsOk()) return;
  const int row = static_cast<int>(accountModel_->GetRow(event.GetItem()));
  if (row < 0 || row >= accountModel_->rowCount) return;
  ScopedFlag toggling(togglingAccount_);
  AccountDefaultToggled(*accountModel_, row);
  {
    // The box shows the account in the editor, which the toggle may have changed.
    ScopedFlag guard(loading_);
    const int shown = SelectedAccountRow();
    if (shown >= 0) accDomyslny_->SetValue(ReadAccountRow(*accountModel_, shown).domyslny);
  }
  MarkModified();
}

bool DaneFirmy::ValidateAccounts() {
  const std::vector<CompanyAccountRow> rows = AccountRowsFromModel(*accountModel_);
  const int invalid = FirstInvalidAccountToWrite(rows);
  if (invalid < 0) return true;
  if (accountsPage_) notebook_->SetSelection(notebook_->FindPage(accountsPage_));
  currentAccountItem_ = accountModel_->GetItem(invalid);
  SelectAccountQuietly(currentAccountItem_);
  ShowAccount();
  accountList_->EnsureVisible(currentAccountItem_);
  veldrix::ShowMessageBox(_("Numer rachunku bankowego lub IBAN jest nieprawidłowy."), _("Walidacja"),
                          wxOK | wxICON_WARNING, this);
  (AccountNumberSource(rows[invalid]) == AccountNumberField::Iban ? accIban_ : accNumer_)->SetFocus();
  return false;
}
