// The company editor's "Pobierz z GUS": the registry lookup by the typed NIP runs on
// a worker; its result comes back here and is written into the form, after asking
// whether to overwrite what the form already holds.
#include "danefirmy/dane_firmy.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "company/company_form_fill.h"
#include "company/company_lookup.h"

#include <wx/combobox.h>
#include <wx/textctrl.h>

void DaneFirmy::OnFetchFromGus(wxCommandEvent&) {
  if (!lookupTarget_) lookupTarget_ = std::make_unique<CompanyLookupTarget>(this);
  // The answer belongs to the company shown now; once the user has chosen another
  // one in the list, it is dropped rather than written into that one's form.
  const wxString record = GetRecordId();
  LookupCompanyAsync(EditorLookupSettings(), nip_->GetValue(), lookupTarget_.get(),
                     [this, record](bool ok, const CompanyData& data, const wxString& error) {
                       if (GetRecordId() == record) OnCompanyLookupResult(ok, data, error);
                     });
}

void DaneFirmy::OnCompanyLookupResult(bool ok, const CompanyData& data, const wxString& error) {
  if (!ok) {
    veldrix::ShowMessageBox(error, "Dane firmy", wxOK | wxICON_ERROR, nullptr);
    return;
  }
  wxTextCtrl* const examined[] = {nazwa_, nazwaPelna_, regon_, ulica_, kod_, miejscowosc_, wojewodztwo_};
  bool filled = false;
  wxString before[WXSIZEOF(examined)];
  for (size_t i = 0; i < WXSIZEOF(examined); ++i) {
    before[i] = examined[i]->GetValue();
    wxString trimmed = before[i];
    filled |= !trimmed.Trim(true).empty();
  }
  int answer = wxYES;
  if (filled) {
    answer = veldrix::AskWithLabels(_("Czy nadpisać obecne dane danymi z GUS?"), _("Pobierz z GUS"),
                                    wxYES_NO | wxCANCEL | wxICON_EXCLAMATION, this, _("Nadpisz"), _("Tylko puste"),
                                    _("Anuluj"));
    if (answer == wxCANCEL) return;
  }
  FillCompanyControls(data, nazwa_, nazwaPelna_, nip_, regon_, ulica_, kod_, miejscowosc_, wojewodztwo_, kraj_, "PL");
  if (answer == wxNO) {
    for (size_t i = 0; i < WXSIZEOF(examined); ++i) {
      if (!before[i].empty()) examined[i]->ChangeValue(before[i]);
    }
  }
  MarkModified();
  UpdateStatusLine();
}
