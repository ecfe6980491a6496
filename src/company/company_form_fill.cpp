#include "company/company_form_fill.h"

#include <wx/ctrlsub.h>
#include <wx/textentry.h>

namespace {

void SetIfGiven(wxTextEntry* field, const wxString& value) {
  if (field && !value.empty()) field->ChangeValue(value);
}

}  // namespace

wxString ComposeStreetText(const CompanyData& data) {
  wxString street = data.street;
  if (!data.buildingNumber.empty()) {
    if (!street.empty()) street += " ";
    street += data.buildingNumber;
  }
  if (!data.flatNumber.empty()) street += "/" + data.flatNumber;
  return street;
}

void FillCompanyControls(const CompanyData& data, wxTextEntry* shortName, wxTextEntry* name, wxTextEntry* nip,
                         wxTextEntry* regon, wxTextEntry* street, wxTextEntry* postalCode, wxTextEntry* city,
                         wxTextEntry* voivodeship, wxItemContainerImmutable* country, const wxString& countryCode) {
  SetIfGiven(nip, data.nip);
  SetIfGiven(regon, data.regon);
  SetIfGiven(name, data.name.empty() ? data.shortName : data.name);
  SetIfGiven(shortName, data.shortName.empty() ? data.name : data.shortName);
  SetIfGiven(street, ComposeStreetText(data));
  SetIfGiven(postalCode, data.postalCode);
  SetIfGiven(city, data.city);
  SetIfGiven(voivodeship, data.voivodeship);
  if (country && !countryCode.empty()) country->SetStringSelection(countryCode);
}
