// The company editor's record operations: validate, save, load, clear, delete, and
// showing the company chosen in the list (dane_firmy_list.cpp). The SQL work is done
// by CompanyStore; this file moves values between it and the controls.
#include "danefirmy/dane_firmy.h"

#include "app/common/date_text.h"
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/common/scoped_flag.h"
#include "danefirmy/company_accounts.h"
#include "danefirmy/company_application.h"
#include "danefirmy/company_columns.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "sqldata/dv_model.h"
#include "sqldata/querys.h"
#include "sqldata/save_failure_text.h"
#include "sqldata/sql_data.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/textctrl.h>
#include <wx/wupdlock.h>

#include <algorithm>

using veldrix::ScopedFlag;

namespace {

// Optional freezing of the host tab, which may be absent while the editor is built.
class FreezeIfAny {
 public:
  explicit FreezeIfAny(wxWindow* window) : window_(window) {
    if (window_) window_->Freeze();
  }
  ~FreezeIfAny() {
    if (window_) window_->Thaw();
  }

 private:
  wxWindow* window_;
};

void EmptyRows(DVModel& model) {
  model.Clear(false);
  model.InitStorage();
  model.Reset(0);
}

void SelectText(wxComboBox* box, const wxString& text) {
  const int index = box->FindString(text, true);
  box->SetSelection(index != wxNOT_FOUND ? index : (box->GetCount() > 0 ? 0 : wxNOT_FOUND));
}

}  // namespace

CompanyValidationFields DaneFirmy::ValidationFields() const {
  const CompanyRecord c = ReadForm();
  // The term is checked as typed; ReadForm has already read it as a number.
  return {c.nazwa, c.nazwaPelna, c.nip, c.regon, c.kraj, c.kod, c.miejscowosc, c.ulica, c.email, termin_->GetValue()};
}

wxWindow* DaneFirmy::FieldWindow(CompanyField field) const {
  switch (field) {
    case CompanyField::Nazwa: return nazwa_;
    case CompanyField::NazwaPelna: return nazwaPelna_;
    case CompanyField::Nip: return nip_;
    case CompanyField::Regon: return regon_;
    case CompanyField::Kod: return kod_;
    case CompanyField::Email: return email_;
    case CompanyField::Termin: return termin_;
    case CompanyField::None: break;
  }
  return nullptr;
}

bool DaneFirmy::ValidateCompany() {
  CompanyValidationFailure failure;
  if (CheckCompanyFields(ValidationFields(), &failure)) return true;
  veldrix::ShowMessageBox(failure.message, _("Walidacja"), wxOK | wxICON_WARNING, this);
  if (wxWindow* field = FieldWindow(failure.focus)) field->SetFocus();
  return false;
}

CompanyRecord DaneFirmy::ReadForm() const {
  CompanyRecord c;
  c.nazwa = nazwa_->GetValue();
  c.nazwaPelna = nazwaPelna_->GetValue();
  c.nip = nip_->GetValue();
  c.regon = regon_->GetValue();
  c.telefon = telefon_->GetValue();
  c.email = email_->GetValue();
  c.www = www_->GetValue();
  c.ulica = ulica_->GetValue();
  c.kod = kod_->GetValue();
  c.miejscowosc = miejscowosc_->GetValue();
  c.wojewodztwo = wojewodztwo_->GetValue();
  c.kraj = kraj_->GetStringSelection();
  c.naglowekDokumentow = naglowek_->GetValue();
  c.stopkaDokumentow = stopka_->GetValue();
  c.dataOd = datePicker_->GetValue().FormatISODate();
  c.platnikVat = platnikVat_->GetValue();
  c.czynnyVat = czynnyVat_->GetValue();
  c.malyPodatnik = malyPodatnik_->GetValue();
  c.vatKwartalny = vatKwartalny_->GetValue();
  c.metodaKasowa = metodaKasowa_->GetValue();
  c.aktywna = aktywna_->GetValue();
  c.domyslna = domyslna_->GetValue();
  c.uwagi = uwagi_->GetValue();
  c.pokazujLogo = pokazujLogo_->GetValue();
  c.informacjaDodatkowa = informacja_->GetValue();
  c.miejsceWystawienia = miejsceWystawienia_->GetValue();
  const int payment = formaPlatnosci_->GetSelection();
  c.domyslnaPlatnosc =
      payment != wxNOT_FOUND && payment < static_cast<int>(paymentIds_.size()) ? paymentIds_[payment] : 0;
  // Validation has let only whole numbers from 0 to INT_MAX through.
  ParsePaymentTerm(termin_->GetValue(), &c.domyslnyTermin);
  c.domyslnaWaluta = waluta_->GetStringSelection();
  c.krs = krs_->GetValue();
  c.bdo = bdo_->GetValue();
  c.eori = eori_->GetValue();
  c.gln = gln_->GetValue();
  c.ksefId = ksefId_->GetValue();
  return c;
}

void DaneFirmy::FillForm(const CompanyRecord& c) {
  loadedValidFrom_ = veldrix::ParseDateText(c.dataOd);
  if (loadedValidFrom_.IsValid()) datePicker_->SetValue(loadedValidFrom_);
  nazwa_->SetValue(c.nazwa);
  nazwaPelna_->SetValue(c.nazwaPelna);
  nip_->SetValue(c.nip);
  regon_->SetValue(c.regon);
  ulica_->SetValue(c.ulica);
  kod_->SetValue(c.kod);
  miejscowosc_->SetValue(c.miejscowosc);
  wojewodztwo_->SetValue(c.wojewodztwo);
  SelectText(kraj_, c.kraj);
  naglowek_->SetValue(c.naglowekDokumentow);
  stopka_->SetValue(c.stopkaDokumentow);
  telefon_->SetValue(c.telefon);
  email_->SetValue(c.email);
  www_->SetValue(c.www);
  platnikVat_->SetValue(c.platnikVat);
  czynnyVat_->SetValue(c.czynnyVat);
  malyPodatnik_->SetValue(c.malyPodatnik);
  vatKwartalny_->SetValue(c.vatKwartalny);
  metodaKasowa_->SetValue(c.metodaKasowa);
  aktywna_->SetValue(c.aktywna);
  domyslna_->SetValue(c.domyslna);
  uwagi_->SetValue(c.uwagi);
  pokazujLogo_->SetValue(c.pokazujLogo);
  informacja_->SetValue(c.informacjaDodatkowa);
  miejsceWystawienia_->SetValue(c.miejsceWystawienia);
  const int payment = paymentIds_.Index(c.domyslnaPlatnosc);
  if (payment != wxNOT_FOUND) {
    formaPlatnosci_->SetSelection(payment);
  } else if (formaPlatnosci_->GetCount() > 0) {
    formaPlatnosci_->SetSelection(0);
  }
  termin_->SetValue(wxString::Format("%d", c.domyslnyTermin));
  SelectText(waluta_, c.domyslnaWaluta);
  krs_->SetValue(c.krs);
  bdo_->SetValue(c.bdo);
  eori_->SetValue(c.eori);
  gln_->SetValue(c.gln);
  ksefId_->SetValue(c.ksefId);
}

// Not frozen: the validation and the save show their messages, and a frozen window
// is drawn blank behind a message. The refill after the save freezes itself.
bool DaneFirmy::SaveRecord() {
  const wxString id = currentId_;
  if (!ValidateCompany() || !ApplyTypedAccount() || !ValidateAccounts()) return false;
  return SaveCompany(id);
}

void DaneFirmy::ShowSaveReadFailure() {
  const wxString text = veldrix::FailureText(
      _("Firma nie została zapisana: nie udało się odczytać danych z bazy. Spróbuj ponownie; jeśli błąd się "
        "powtarza, przekaż poniższy opis administratorowi."),
      db_->lastError);
  veldrix::ShowMessageBox(SaveFailureText(*db_, text), _("Dane firmy"), wxOK | wxICON_ERROR, this);
}

bool DaneFirmy::SaveCompany(const wxString& id) {
  CompanyStore store(*db_);
  CompanySaveRequest request;
  request.companyId = id;
  CompanyRecord typed = ReadForm();
  // The first company becomes the default one whatever its box says; it takes the
  // default from none, as just read. A read that failed tells nothing: the save
  // waits for one that answers, and the box stays as the user left it.
  bool hasDefault = true;
  if (!domyslna_->GetValue() && !store.HasDefaultCompany(&hasDefault)) {
    ShowSaveReadFailure();
    return false;
  }
  const bool first = !domyslna_->GetValue() && !hasDefault;
  typed.domyslna = domyslna_->GetValue() || first;
  request.company = typed;
  request.loadedDefaultCompanies = first ? std::optional<wxString>(wxString()) : loadedDefaultCompanies_;
  if (id != "0" && loaded_) {
    request.company = CompanyEditsOver(loaded_->company, shown_, typed);
    request.loaded = loaded_;
  }
  if (id != "0") request.loadedValidFrom = loadedValidFrom_;
  request.accounts = AccountRowsFromModel(*accountModel_);
  request.removedAccountIds = removedAccounts_;
  // A logo file that cannot be read or converted stops the save before anything
  // is written.
  if (!PrepareLogoSave(&request.logo)) return false;

  CompanySaveOutcome outcome;
  wxString error;
  if (!store.Save(request, &outcome, &error)) {
    // The form keeps what the user typed; "Odśwież" shows what is stored.
    veldrix::ShowMessageBox(error, _("Dane firmy"), wxOK | (outcome.conflict ? wxICON_WARNING : wxICON_ERROR),
                            this);
    return false;
  }
  currentId_ = outcome.companyId;
  domyslna_->SetValue(outcome.defaultCompany);
  removedAccounts_.clear();
  if (outcome.created) AnnounceNewCompany(currentId_);
  const wxString chosenLogo = logoFilePath_;
  const bool logoRemoved = logoRemoved_;
  const bool logoStored = FinishLogoSave(request.logo, currentId_);

  // The stored record is shown again even when its logo could not be stored,
  // so that no account row is left marked for a second insert.
  int row = -1;
  if (ReadCompanyList(wxString(), currentId_, &row) && row >= 0) {
    currentCompanyItem_ = companyModel_->GetItem(row);
    SelectItemQuietly(currentCompanyItem_);
    ShowSelectedCompany();
  }
  MarkUnmodified();
  UpdateStatusLine();

  ICompanyApplication* app = Application();
  if (outcome.created && app && app->GetWorkingCompanyId() == "0") {
    app->SetWorkingCompanyId(currentId_);
    app->EnableToolbar(true, false);
  }
  if (!logoStored) {
    // The logo as the user left it waits for the next save.
    logoFilePath_ = chosenLogo;
    logoRemoved_ = logoRemoved;
    UpdateLogoPreview();
    MarkModified();
  }
  return logoStored;
}

void DaneFirmy::AnnounceNewCompany(const wxString& id) {
  ICompanyApplication* app = Application();
  ICompanyEvents* events = app ? app->GetCompanyEvents() : nullptr;
  if (!events) return;
  long number = 0;
  wxString error;
  bool ok = false;
  if (id.ToLong(&number, 10)) {
    ok = events->NotifyCompanyCreated(static_cast<int>(number), &error);
  } else {
    error = _("Nieprawidłowy identyfikator firmy.");
  }
  if (ok) return;
  if (error.empty()) error = _("Nieznany błąd inicjalizacji danych firmowych dodatków.");
  veldrix::ShowMessageBox(_("Firma została zapisana, ale nie udało się uzupełnić danych firmowych dodatków:\n") + error,
                          _("Dane firmy"), wxOK | wxICON_EXCLAMATION, this);
}

bool DaneFirmy::LoadRecord(const wxString& id) {
  FreezeIfAny hostLock(host_);
  wxWindowUpdateLocker selfLock(this);
  if (id == "0") {
    ClearForm(false);
    return true;
  }
  CompanyRecord company;
  bool loaded = false;
  {
    ScopedFlag filling(loading_);
    loadedDefaultCompanies_.reset();
    Read([&] {
      CompanyStore store(*db_);
      loaded = store.Load(id, &company);
      const wxString defaults = loaded ? store.DefaultCompanies() : wxString();
      if (loaded && !db_->errorFlag) loadedDefaultCompanies_ = defaults;
    });
    if (loaded) FillForm(company);
    // The rows are read again, so the removals made in them are forgotten too.
    removedAccounts_.clear();
    Read([&] { db_->InsertRowsDataView(accountModel_, false, Querys::SelectFirmaRachunek(currentId_, ""), ""); });
  }
  ShowFirstAccount();
  LoadCompanyLogo();
  loaded_.reset();
  if (loaded) {
    loaded_ = CompanySnapshot{company, logoBase64_, AccountRowsFromModel(*accountModel_)};
    shown_ = ReadForm();
  }
  UpdateStatusLine();
  MarkUnmodified();
  return true;
}

void DaneFirmy::NewRecord() {
  ClearForm(true);
  // The list highlights no company the form does not show, and nothing stored is
  // there to delete.
  currentCompanyItem_ = wxDataViewItem();
  SelectItemQuietly(currentCompanyItem_);
  EnableDeleteTool(false);
}

void DaneFirmy::MarkUnmodified() {
  modified_ = false;
  if (host_) {
    host_->EnableSaveButton(false);
    host_->EnableCancelButton(false);
    host_->EnableChooseTool(currentId_ != "0" && companyList_->IsThisEnabled());
  }
}

void DaneFirmy::ClearForm(bool focusName) {
  // Emptying the fields is no edit of the user's.
  ScopedFlag emptying(loading_);
  currentId_ = "0";
  loaded_.reset();
  for (wxTextCtrl* text : {nazwa_, nazwaPelna_, nip_, regon_, telefon_, email_, www_, miejscowosc_, ulica_, kod_,
                           wojewodztwo_, naglowek_, stopka_, uwagi_, informacja_, miejsceWystawienia_}) {
    text->SetValue(wxString());
  }
  termin_->SetValue("7");
  for (wxTextCtrl* text : {krs_, bdo_, eori_, gln_, ksefId_}) text->SetValue(wxString());
  kraj_->SetSelection(0);
  waluta_->SetSelection(0);
  if (formaPlatnosci_->GetSelection() == wxNOT_FOUND && formaPlatnosci_->GetCount() > 0) {
    formaPlatnosci_->SetSelection(0);
  }
  platnikVat_->SetValue(true);
  czynnyVat_->SetValue(true);
  malyPodatnik_->SetValue(false);
  vatKwartalny_->SetValue(false);
  metodaKasowa_->SetValue(false);
  aktywna_->SetValue(true);
  loadedDefaultCompanies_.reset();
  wxString defaults;
  const bool known = db_ && Read([&] { defaults = CompanyStore(*db_).DefaultCompanies(); });
  if (known) loadedDefaultCompanies_ = defaults;
  // Ticked only where the database was read to hold no default company yet.
  domyslna_->SetValue(!db_ || (known && defaults.empty()));
  pokazujLogo_->SetValue(true);
  datePicker_->SetValue(wxDateTime::Today());
  ResetAccountEditor();
  EmptyRows(*accountModel_);
  EmptyRows(*historyModel_);
  removedAccounts_.clear();
  logoFilePath_.clear();
  logoBase64_.clear();
  logoFormat_ = "png";
  logoRemoved_ = false;
  UpdateLogoPreview();
  UpdateStatusLine();
  currentAccountItem_ = wxDataViewItem();
  if (focusName) nazwa_->SetFocus();
  MarkUnmodified();
}

void DaneFirmy::EnableDeleteTool(bool enable) {
  if (host_) host_->EnableDeleteTool(enable);
}

void DaneFirmy::ShowSelectedCompany() {
  if (!currentCompanyItem_.IsOk()) return;
  FreezeIfAny hostLock(host_);
  wxWindowUpdateLocker selfLock(this);
  currentId_ = IdOfRow(companyModel_->GetRow(currentCompanyItem_));
  LoadRecord(currentId_);
  ShowHistory();
  EnableDeleteTool(true);
}

void DaneFirmy::DeleteRecord() {
  // Only a stored company the form shows, on its list row, is deleted: the host
  // settles unsaved changes first, and a save may leave no row to delete.
  if (currentId_ == "0" || !currentCompanyItem_.IsOk() ||
      IdOfRow(static_cast<int>(companyModel_->GetRow(currentCompanyItem_))) != currentId_) {
    return;
  }
  if (veldrix::ShowMessageBox(_("Czy usunąć zaznaczoną firmę?"), _("Usuwanie firmy"), wxYES_NO | wxICON_QUESTION,
                              nullptr) != wxYES) {
    return;
  }
  DeleteCompany();
  SetFocus();
}

void DaneFirmy::DeleteCompany() {
  if (!currentCompanyItem_.IsOk()) return;
  const int row = static_cast<int>(companyModel_->GetRow(currentCompanyItem_));
  // The list row decides what is deleted, whatever the form shows meanwhile.
  const wxString id = IdOfRow(row);
  wxString error;
  EnsureCompanyLogoColumns();
  if (!CompanyStore(*db_).Delete(id, &error)) {
    veldrix::ShowMessageBox(error, _("Dane firmy"), wxOK | wxICON_ERROR, this);
    return;
  }
  RemoveLogoFile(id);
  // A list with the keyboard cursor on the row selects the next row itself as the
  // row goes; that selection is not the user's and shows nothing: the form is
  // filled once, below.
  {
    ScopedFlag quiet(selecting_);
    companyModel_->DeleteRow(currentCompanyItem_);
  }
  if (companyModel_->rowCount > 0) {
    const int next = std::min(row, companyModel_->rowCount - 1);
    currentCompanyItem_ = companyModel_->GetItem(next);
    SelectItemQuietly(currentCompanyItem_);
    {
      FreezeIfAny hostLock(host_);
      wxWindowUpdateLocker selfLock(this);
      ClearForm(false);
      ShowSelectedCompany();
    }
    companyList_->SetFocus();
    companyList_->EnsureVisible(currentCompanyItem_);
  } else {
    currentCompanyItem_ = wxDataViewItem();
    ClearForm(false);
    EnableDeleteTool(false);
  }
  // The database decides, not the list, which a search may have narrowed: without
  // any company left there is no working company; when the working one went,
  // the first remaining company takes its place, as at login.
  ICompanyApplication* app = Application();
  if (!app) return;
  wxArrayString remaining;
  const bool read = Read([&] { remaining = db_->FrameData("select id_firmy from firma order by nazwa, id_firmy"); });
  const bool workingDeleted = app->GetWorkingCompanyId() == id;
  if (read && !remaining.empty()) {
    if (workingDeleted) app->SetWorkingCompanyId(remaining[0]);
    return;
  }
  // A failed read is no answer (the failure notice has told the user): another
  // working company stays, but the work never goes on for the deleted one.
  if (!read && !workingDeleted) return;
  app->SetWorkingCompanyId("0");
  app->EnableToolbar(false, false);
}

