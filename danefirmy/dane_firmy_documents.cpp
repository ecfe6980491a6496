// The company editor's page "Dokumenty": what the company's documents print (the
// logo, header, footer and further text) and the defaults of a new document, with
// the payment forms of the database to choose from.
#include "danefirmy/dane_firmy.h"

#include "app/common/i18n.h"
#include "danefirmy/company_form_controls.h"
#include "sqldata/querys.h"
#include "sqldata/sql_data.h"

#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace company_form;

wxWindow* DaneFirmy::BuildDocumentsPage(wxWindow* parent) {
  auto* page = new wxPanel(parent);
  auto* sizer = new wxBoxSizer(wxVERTICAL);
  pokazujLogo_ = new wxCheckBox(page, wxID_ANY, _("Pokazuj logo na dokumentach"));
  sizer->Add(pokazujLogo_, 0, wxALL, 6);
  auto labelAbove = [&](const wxString& label, int height, int proportion) {
    sizer->Add(new wxStaticText(page, wxID_ANY, label), 0, wxLEFT | wxRIGHT | wxTOP, 6);
    auto* text = new wxTextCtrl(page, wxID_ANY, wxString(), wxDefaultPosition, wxSize(-1, height), wxTE_MULTILINE);
    sizer->Add(text, proportion, wxEXPAND | wxALL, 6);
    return text;
  };
  naglowek_ = labelAbove(_("Nagłówek tekstowy na dokumentach"), 110, 1);
  stopka_ = labelAbove(_("Stopka tekstowa na dokumentach"), 110, 1);
  informacja_ = labelAbove(_("Informacja dodatkowa"), 80, 0);

  auto* grid = LabelledGrid(2);
  auto add = [&](const wxString& label, wxWindow* control) { AddLabelled(grid, page, label, control); };
  miejsceWystawienia_ = new wxTextCtrl(page, wxID_ANY);
  formaPlatnosci_ = ReadOnlyCombo(page, "domyslna_platnosc", wxArrayString());
  termin_ = NewText(page, "domyslny_termin", "7");
  waluta_ = ReadOnlyCombo(page, "domyslna_waluta", Choices(kCurrencies, WXSIZEOF(kCurrencies)));
  add(_("Miejsce wystawienia"), miejsceWystawienia_);
  add(_("Forma płatności"), formaPlatnosci_);
  add(_("Termin płatności (dni)"), termin_);
  add(_("Waluta"), waluta_);
  sizer->Add(grid, 0, wxEXPAND | wxALL, 6);
  page->SetSizer(sizer);
  return page;
}

void DaneFirmy::LoadPaymentForms() {
  formaPlatnosci_->Clear();
  paymentIds_.Clear();
  Read([&] { db_->ComboBoxData(Querys::SelectPlatnosc(), formaPlatnosci_, &paymentIds_, nullptr, true, true); });
  if (formaPlatnosci_->GetSelection() == wxNOT_FOUND && formaPlatnosci_->GetCount() > 0) {
    formaPlatnosci_->SetSelection(0);
  }
}
