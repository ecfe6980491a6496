// The company editor's window: construction, layout, the pages "Dane firmy" and
// "Zaawansowane", change tracking, the status line and the sash rules. The record
// operations are in dane_firmy_record.cpp, the company list and every other page in
// a file of its own.
#include "danefirmy/dane_firmy.h"

#include "app/common/i18n.h"
#include "app/common/literal_label.h"
#include "app/common/min_width.h"
#include "app/common/scoped_flag.h"
#include "company/company_lookup.h"
#include "danefirmy/company_application.h"
#include "danefirmy/company_form_controls.h"
#include "danefirmy/dane_firmy_main_panel.h"
#include "danefirmy/sash_rules.h"
#include "sqldata/dv_model.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/datectrl.h>
#include <wx/dateevt.h>
#include <wx/notebook.h>
#include <wx/panel.h>
#include <wx/scrolwin.h>
#include <wx/sizer.h>
#include <wx/splitter.h>
#include <wx/generic/statbmpg.h>
#include <wx/statline.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/wrapsizer.h>
#include <wx/wupdlock.h>

using namespace company_form;

namespace {

const wxWindowID kCompanyListId = wxWindow::NewControlId();

const char* const kCountries[] = {"PL", "DE", "CZ", "SK", "AT", "FR", "IT", "NL", "BE", "ES", "GB", "UA"};

wxButton* NewButton(wxWindow* parent, const wxString& label, const wxString& name, int width) {
  auto* button = new wxButton(parent, wxID_ANY, label, wxDefaultPosition, wxDefaultSize, 0, wxDefaultValidator, name);
  veldrix::SetMinWidthAtLeast(button, width);
  return button;
}

wxStaticText* SectionTitle(wxWindow* parent, const wxString& text) {
  auto* label = new wxStaticText(parent, wxID_ANY, text);
  label->SetFont(label->GetFont().Bold());
  return label;
}

}  // namespace

wxBEGIN_EVENT_TABLE(DaneFirmy, CustomNotebookPanel)
  EVT_DATAVIEW_SELECTION_CHANGED(kCompanyListId, DaneFirmy::OnCompanySelected)
wxEND_EVENT_TABLE()

DaneFirmy::DaneFirmy(wxWindow* parent, int, const wxPoint& pos, const wxSize& size, DaneFirmyMainPanel* host)
    : CustomNotebookPanel(parent, wxID_ANY, pos, size, wxTAB_TRAVERSAL, "DaneFirmy"),
      host_(host),
      parent_(parent),
      readFailures_(this, _("Dane firmy")) {
  SetMinSize(wxSize(720, 480));
  SetLabel("danefirmy");
  {
    // Building the form and showing the working company is no edit of the user's.
    veldrix::ScopedFlag building(loading_);
    BuildWindow();
    BindHandlers();

    queries_ = std::make_unique<Querys>();
    db_ = std::make_unique<SQLData>(Application() ? Application()->GetActiveConnection() : wxString());
    // A database that does not open leaves the lists empty, and the user learns why.
    if (!db_->IniciujBazeDanych()) NoteReadFailure();
    LoadLists();
    EnableDeleteTool(false);
    ClearForm(false);

    const int workingRow = Application() ? RowOfId(Application()->GetWorkingCompanyId()) : -1;
    if (workingRow >= 0) SelectCompanyRow(workingRow);
    ShowFirstAccount();
  }
  modified_ = false;
  UpdateLogoPreview();
  CallAfter(&DaneFirmy::SizeAfterConstruction);
}

DaneFirmy::~DaneFirmy() {
  if (lookupTarget_) lookupTarget_->Detach();
  companyModel_->Clear(false);
  accountModel_->Clear(false);
  historyModel_->Clear(false);
  if (db_) db_->ZamknijBazeDanych();
}

ICompanyApplication* DaneFirmy::Application() const { return host_ ? host_->Application() : nullptr; }

void DaneFirmy::BuildWindow() {
  splitter_ = new wxSplitterWindow(this, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxSP_3D | wxSP_BORDER,
                                   "splitter");
  splitter_->SetMinimumPaneSize(260);
  splitter_->SetSashGravity(0.5);

  auto* left = new wxPanel(splitter_);
  companyList_ = NewList(left, kCompanyListId);
  auto* leftSizer = new wxBoxSizer(wxVERTICAL);
  leftSizer->Add(companyList_, 1, wxEXPAND | wxALL, 2);
  left->SetSizer(leftSizer);

  scrolled_ = new wxScrolledWindow(splitter_, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxVSCROLL);
  scrolled_->SetScrollRate(0, 10);
  form_ = new wxPanel(scrolled_);
  auto* formSizer = new wxBoxSizer(wxVERTICAL);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  saveButton_ = NewButton(form_, _("Zapisz"), "ID_COMPANY_SAVE", 82);
  cancelButton_ = NewButton(form_, _("Anuluj"), "ID_COMPANY_CANCEL", 82);
  saveButton_->Disable();
  cancelButton_->Disable();
  buttons->Add(saveButton_, 0, wxRIGHT, 6);
  buttons->Add(cancelButton_, 0, wxRIGHT, 6);
  buttons->AddStretchSpacer();
  formSizer->Add(buttons, 0, wxEXPAND | wxALL, 12);
  formSizer->Add(new wxStaticLine(form_), 0, wxEXPAND | wxLEFT | wxRIGHT, 12);

  auto* header = new wxBoxSizer(wxHORIZONTAL);
  auto* titles = new wxBoxSizer(wxVERTICAL);
  // A long name is cut with an ellipsis before the logo box; its tooltip holds it whole.
  titleLabel_ = new wxStaticText(form_, wxID_ANY, _("Nowa firma"), wxDefaultPosition, wxDefaultSize,
                                 wxST_NO_AUTORESIZE | wxST_ELLIPSIZE_END, "company_title");
  titleLabel_->SetFont(titleLabel_->GetFont().Bold().Larger());
  titleLabel_->SetMinSize(wxSize(40, titleLabel_->GetTextExtent("Ag").y));
  // A long status line takes further lines below the title rather than pushing the
  // logo away.
  statusText_ = _("NIP | Miejscowość | Kraj");
  statusLabel_ = new wxStaticText(form_, wxID_ANY, statusText_, wxDefaultPosition, wxDefaultSize, wxST_NO_AUTORESIZE,
                                  "company_status");
  statusLabel_->SetForegroundColour(wxColour(100, 100, 100));
  statusLabel_->SetMinSize(wxSize(40, statusLabel_->GetBestSize().y));
  statusLabel_->Bind(wxEVT_SIZE, [this](wxSizeEvent& event) {
    event.Skip();
    WrapStatusLine();
  });
  titles->Add(titleLabel_, 0, wxEXPAND);
  titles->Add(statusLabel_, 0, wxEXPAND | wxTOP, 5);
  header->Add(titles, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  logoPanel_ = new wxPanel(form_, wxID_ANY, wxDefaultPosition, wxSize(240, 78), wxTAB_TRAVERSAL, "logo_panel");
  logoPanel_->SetBackgroundColour(form_->GetBackgroundColour());
  auto* logoSizer = new wxBoxSizer(wxHORIZONTAL);
  auto* removeHolder = new wxPanel(logoPanel_, wxID_ANY, wxDefaultPosition, wxSize(24, 24));
  removeHolder->SetBackgroundColour(form_->GetBackgroundColour());
  removeLogoButton_ = new wxButton(removeHolder, wxID_ANY, "X", wxDefaultPosition, wxSize(24, 24),
                                   wxBORDER_NONE | wxBU_EXACTFIT, wxDefaultValidator, "logo_remove");
  removeLogoButton_->SetToolTip(_("Usuń logo"));
  removeLogoButton_->Hide();
  // The generic control has a window of its own, so it takes clicks and drops.
  logoPreview_ = new wxGenericStaticBitmap(logoPanel_, wxID_ANY, wxNullBitmap, wxDefaultPosition, wxSize(210, 72),
                                           0, "logo_preview");
  logoSizer->Add(removeHolder, 0, wxRIGHT, 4);
  logoSizer->Add(logoPreview_, 1, wxEXPAND);
  logoPanel_->SetSizer(logoSizer);
  header->Add(logoPanel_, 0, wxALIGN_CENTER_VERTICAL);
  formSizer->Add(header, 0, wxEXPAND | wxALL, 12);
  formSizer->Add(new wxStaticLine(form_), 0, wxEXPAND | wxLEFT | wxRIGHT, 12);

  notebook_ = new wxNotebook(form_, wxID_ANY, wxDefaultPosition, wxDefaultSize, 0, "notebook");
  notebook_->AddPage(BuildCompanyPage(notebook_), _("Dane firmy"), true);
  notebook_->AddPage(BuildAccountsPage(notebook_), _("Rachunki"));
  notebook_->AddPage(BuildDocumentsPage(notebook_), _("Dokumenty"));
  notebook_->AddPage(BuildHistoryPage(notebook_), _("Historia"));
  notebook_->AddPage(BuildAdvancedPage(notebook_), _("Zaawansowane"));
  formSizer->Add(notebook_, 1, wxEXPAND | wxALL, 2);
  form_->SetSizer(formSizer);

  auto* scrolledSizer = new wxBoxSizer(wxVERTICAL);
  scrolledSizer->Add(form_, 1, wxEXPAND);
  scrolled_->SetSizer(scrolledSizer);

  splitter_->SplitVertically(left, scrolled_, 920);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(splitter_, 1, wxEXPAND);
  SetSizer(sizer);
  Layout();
}

wxWindow* DaneFirmy::BuildCompanyPage(wxWindow* parent) {
  auto* page = new wxPanel(parent);
  auto* sizer = new wxBoxSizer(wxVERTICAL);

  auto* first = new wxBoxSizer(wxHORIZONTAL);
  first->Add(new wxStaticText(page, wxID_ANY, _("Dane obowiązują od")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  datePicker_ = new wxDatePickerCtrl(page, wxID_ANY, wxDefaultDateTime, wxDefaultPosition, wxDefaultSize,
                                     wxDP_DROPDOWN | wxDP_SHOWCENTURY, wxDefaultValidator, "datectrl");
  first->Add(datePicker_, 0, wxALIGN_CENTER_VERTICAL);
  aktywna_ = NewCheck(page, _("Aktywna"), "aktywna");
  domyslna_ = NewCheck(page, _("Domyślna"), "domyslna");
  first->Add(aktywna_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 18);
  first->Add(domyslna_, 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 12);
  sizer->Add(first, 0, wxALL, 2);

  sizer->Add(SectionTitle(page, _("Dane podstawowe")), 0, wxLEFT | wxRIGHT | wxTOP, 2);
  auto* basic = LabelledGrid(1);
  auto addRow = [&](wxFlexGridSizer* grid, const wxString& label, wxWindow* control) {
    AddLabelled(grid, page, label, control);
  };
  nazwa_ = NewText(page, "nazwa");
  addRow(basic, _("Nazwa"), nazwa_);
  nazwaPelna_ = NewText(page, "nazwa_pelna", wxString(), wxSize(-1, 54), wxTE_MULTILINE);
  addRow(basic, _("Pełna nazwa"), nazwaPelna_);
  basic->Add(new wxStaticText(page, wxID_ANY, _("NIP")), 0, wxALIGN_CENTER_VERTICAL);
  auto* nipRow = new wxBoxSizer(wxHORIZONTAL);
  nip_ = NewText(page, "nip");
  gusButton_ = new wxButton(page, wxID_ANY, _("Pobierz z GUS"));
  nipRow->Add(nip_, 1, wxEXPAND | wxRIGHT, 5);
  nipRow->Add(gusButton_, 0);
  basic->Add(nipRow, 0, wxEXPAND);
  regon_ = NewText(page, "regon");
  addRow(basic, _("REGON"), regon_);
  sizer->Add(basic, 0, wxEXPAND | wxALL, 2);

  // The row wraps rather than squeezing its last boxes on a narrow form.
  auto* flags = new wxWrapSizer(wxHORIZONTAL, 0);
  platnikVat_ = NewCheck(page, _("Płatnik VAT"), "platnik_vat");
  czynnyVat_ = NewCheck(page, _("Czynny podatnik VAT"), "czynny_vat");
  malyPodatnik_ = NewCheck(page, _("Mały podatnik"), "maly_podatnik");
  vatKwartalny_ = NewCheck(page, _("VAT kwartalny"), "vat_kwartalny");
  metodaKasowa_ = NewCheck(page, _("Metoda kasowa"), "metoda_kasowa");
  for (wxCheckBox* box : {platnikVat_, czynnyVat_, malyPodatnik_, vatKwartalny_, metodaKasowa_}) {
    flags->Add(box, 0, wxRIGHT, 12);
  }
  sizer->Add(flags, 0, wxEXPAND | wxALL, 2);

  sizer->Add(SectionTitle(page, _("Adres")), 0, wxLEFT | wxRIGHT | wxTOP, 2);
  auto labelled = [&](wxBoxSizer* row, const wxString& label, wxWindow* control, int proportion, bool last) {
    row->Add(new wxStaticText(page, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    row->Add(control, proportion, wxALIGN_CENTER_VERTICAL | (last ? 0 : wxRIGHT), last ? 0 : 14);
  };
  auto* address1 = new wxBoxSizer(wxHORIZONTAL);
  kraj_ = ReadOnlyCombo(page, "kraj", Choices(kCountries, WXSIZEOF(kCountries)));
  kraj_->SetMinSize(wxSize(78, -1));
  kod_ = NewText(page, "kod");
  kod_->SetMinSize(wxSize(110, -1));
  miejscowosc_ = NewText(page, "miejscowosc");
  labelled(address1, _("Kraj"), kraj_, 0, false);
  labelled(address1, _("Kod pocztowy"), kod_, 0, false);
  labelled(address1, _("Miejscowość"), miejscowosc_, 1, true);
  sizer->Add(address1, 0, wxEXPAND | wxALL, 2);
  auto* address2 = new wxBoxSizer(wxHORIZONTAL);
  ulica_ = NewText(page, "ulica");
  wojewodztwo_ = NewText(page, "wojewodztwo");
  labelled(address2, _("Ulica i numer"), ulica_, 2, false);
  labelled(address2, _("Województwo"), wojewodztwo_, 1, true);
  sizer->Add(address2, 0, wxEXPAND | wxALL, 2);

  sizer->Add(SectionTitle(page, _("Kontakt")), 0, wxLEFT | wxRIGHT | wxTOP, 2);
  auto* contact = LabelledGrid(2);
  telefon_ = NewText(page, "telefon");
  email_ = NewText(page, "email");
  www_ = NewText(page, "www");
  addRow(contact, _("Telefon"), telefon_);
  addRow(contact, _("E-mail"), email_);
  addRow(contact, _("WWW"), www_);
  contact->AddSpacer(0);
  contact->AddSpacer(0);
  sizer->Add(contact, 0, wxEXPAND | wxALL, 2);

  sizer->Add(SectionTitle(page, _("Uwagi")), 0, wxLEFT | wxRIGHT | wxTOP, 2);
  uwagi_ = NewText(page, "uwagi", wxString(), wxSize(-1, 75), wxTE_MULTILINE);
  sizer->Add(uwagi_, 0, wxEXPAND | wxALL, 2);
  page->SetSizer(sizer);
  return page;
}

wxWindow* DaneFirmy::BuildAdvancedPage(wxWindow* parent) {
  auto* page = new wxPanel(parent);
  auto* grid = LabelledGrid(1);
  auto add = [&](const wxString& label) {
    auto* text = new wxTextCtrl(page, wxID_ANY);
    AddLabelled(grid, page, label, text);
    return text;
  };
  krs_ = add(_("KRS"));
  bdo_ = add(_("BDO"));
  eori_ = add(_("EORI"));
  gln_ = add(_("GLN"));
  ksefId_ = add(_("Identyfikator wewnętrzny KSeF"));
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  sizer->Add(grid, 0, wxEXPAND | wxALL, 12);
  page->SetSizer(sizer);
  return page;
}

void DaneFirmy::BindHandlers() {
  splitter_->Bind(wxEVT_SPLITTER_SASH_POS_CHANGING, &DaneFirmy::OnSashChanging, this);
  splitter_->Bind(wxEVT_SPLITTER_SASH_POS_CHANGED, &DaneFirmy::OnSashChanged, this);
  splitter_->Bind(wxEVT_SPLITTER_SASH_POS_RESIZE, &DaneFirmy::OnSashResize, this);
  for (wxTextCtrl* text : {nazwa_, nip_, miejscowosc_}) {
    text->Bind(wxEVT_TEXT, &DaneFirmy::OnIdentityFieldChanged, this);
  }
  for (wxTextCtrl* text : {nazwaPelna_, regon_, telefon_, email_, www_, ulica_, kod_, wojewodztwo_, naglowek_, stopka_}) {
    text->Bind(wxEVT_TEXT, &DaneFirmy::OnFieldChanged, this);
  }
  gusButton_->Bind(wxEVT_BUTTON, &DaneFirmy::OnFetchFromGus, this);
  saveButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { host_->OnSave(); });
  cancelButton_->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { host_->OnCancel(); });
  datePicker_->Bind(wxEVT_DATE_CHANGED, [this](wxDateEvent&) { MarkModified(); });
  kraj_->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) {
    MarkModified();
    UpdateStatusLine();
  });
  for (wxCheckBox* box : {aktywna_, domyslna_, platnikVat_, czynnyVat_, malyPodatnik_, vatKwartalny_, metodaKasowa_,
                          pokazujLogo_}) {
    box->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) {
      MarkModified();
      UpdateStatusLine();
    });
  }
  for (wxTextCtrl* text : {uwagi_, informacja_, miejsceWystawienia_, termin_, krs_, bdo_, eori_, gln_, ksefId_}) {
    text->Bind(wxEVT_TEXT, &DaneFirmy::OnFieldChanged, this);
  }
  for (wxComboBox* box : {formaPlatnosci_, waluta_}) {
    box->Bind(wxEVT_COMBOBOX, &DaneFirmy::OnFieldChanged, this);
  }
  BindAccountHandlers();
  BindLogoHandlers();
}

bool DaneFirmy::Read(const std::function<void()>& reads) {
  db_->ClearError();
  reads();
  if (!db_->errorFlag) return true;
  NoteReadFailure();
  return false;
}

void DaneFirmy::NoteReadFailure() {
  readFailures_.Note(_("Nie udało się odczytać danych firm z bazy danych. Spróbuj ponownie przyciskiem „Odśwież”; "
                       "jeśli błąd się powtarza, przekaż poniższy opis administratorowi."),
                     db_->ErrorReason());
}

void DaneFirmy::LoadLists() {
  LoadPaymentForms();
  LoadCompanyList();
  LoadAccountList();
  LoadHistoryList();
}

void DaneFirmy::SizeAfterConstruction() {
  {
    wxWindowUpdateLocker lock(splitter_);
    const int position = InitialCompanySash(splitter_->GetClientSize().x);
    if (position >= 0) splitter_->SetSashPosition(position);
  }
  wxWindowUpdateLocker lock(scrolled_);
  scrolled_->FitInside();
  scrolled_->Scroll(0, 0);
}

void DaneFirmy::MarkModified() {
  if (loading_) return;
  if (!modified_ && host_) {
    host_->EnableSaveButton(true);
    host_->EnableCancelButton(true);
  }
  modified_ = true;
}

void DaneFirmy::UpdateStatusLine() {
  if (!titleLabel_ || !statusLabel_) return;
  wxString title = nazwa_->GetValue();
  title.Trim(true).Trim(false);
  titleLabel_->SetLabel(veldrix::LiteralLabel(title.empty() ? _("Nowa firma") : title));
  titleLabel_->SetToolTip(title.empty() ? wxString() : title);

  auto missing = [](const wxTextCtrl* text) {
    wxString value = text->GetValue();
    return value.Trim(true).empty();
  };
  wxString s;
  if (!nip_->GetValue().empty()) s += _("NIP: ") + nip_->GetValue();
  if (!miejscowosc_->GetValue().empty()) {
    if (!s.empty()) s += " | ";
    s += miejscowosc_->GetValue();
  }
  if (kraj_->GetSelection() != wxNOT_FOUND) {
    if (!s.empty()) s += " | ";
    s += kraj_->GetStringSelection();
  }
  if (!s.empty()) s += " | ";
  s += czynnyVat_->GetValue() ? _("Czynny podatnik VAT") : _("Nieczynny podatnik VAT");
  if (domyslna_->GetValue()) s += _(" | Domyślna");
  if (!aktywna_->GetValue()) s += _(" | Nieaktywna");
  if (missing(nazwaPelna_) || missing(nip_) || missing(ulica_) || missing(kod_) || missing(miejscowosc_)) {
    s += _(" | Brakuje danych wymaganych do faktury");
  }
  if (s.empty()) s = _("Dane identyfikacyjne firmy");
  statusText_ = s;
  WrapStatusLine();
}

void DaneFirmy::WrapStatusLine() {
  const int width = statusLabel_->GetSize().x;
  statusLabel_->SetLabel(veldrix::LiteralLabel(statusText_));
  if (width > 0) statusLabel_->Wrap(width);
  // Taller or lower by whole lines; the width stays the header's.
  statusLabel_->InvalidateBestSize();
  const int height = statusLabel_->GetBestSize().y;
  if (height == statusLabel_->GetMinSize().y) return;
  statusLabel_->SetMinSize(wxSize(40, height));
  // Once the layout that sized the line is done: one nested in it would be undone.
  CallAfter([this] {
    form_->Layout();
    scrolled_->Layout();
    scrolled_->FitInside();
  });
}

wxString DaneFirmy::GetTitleText() const { return titleLabel_->GetLabelText(); }
wxWindow* DaneFirmy::GetTitleLabel() const { return titleLabel_; }
wxString DaneFirmy::GetStatusText() const { return statusText_; }

void DaneFirmy::OnIdentityFieldChanged(wxCommandEvent&) {
  MarkModified();
  UpdateStatusLine();
}

void DaneFirmy::OnFieldChanged(wxCommandEvent&) { MarkModified(); }

void DaneFirmy::OnSashChanging(wxSplitterEvent& event) {
  if (CompanySashRefused(splitter_->GetClientSize().x, event.GetSashPosition())) event.Veto();
}

void DaneFirmy::OnSashResize(wxSplitterEvent& event) {
  // A narrower window moves the sash by its gravity alone, which may leave the form
  // narrower than any drag could.
  const int width = event.GetNewSize();
  if (CompanySashRefused(width, event.GetSashPosition())) event.SetSashPosition(CompanySashLimit(width));
}

void DaneFirmy::OnSashChanged(wxSplitterEvent& event) {
  wxWindowUpdateLocker splitterLock(splitter_);
  wxWindowUpdateLocker selfLock(this);
  wxWindowUpdateLocker scrolledLock(scrolled_);
  wxWindowUpdateLocker formLock(form_);
  form_->Layout();
  scrolled_->Layout();
  scrolled_->FitInside();
  // No Layout() of this window: it would size the splitter again inside its own size
  // handler, which then applies the sash gravity once more on every resize.
  event.Skip();
}
