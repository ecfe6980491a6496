// Writes a looked-up company into the editor's form. Every control may be null and
// is then skipped.
#pragma once

#include "company/company_lookup.h"

class wxItemContainerImmutable;
class wxTextEntry;

// The street line: street, building number after a blank, "/" and the flat number.
wxString ComposeStreetText(const CompanyData& data);

// Empty values never erase what a field holds: the NIP typed by the user stays when
// the answer has none. The country entry named by countryCode is selected.
void FillCompanyControls(const CompanyData& data, wxTextEntry* shortName, wxTextEntry* name, wxTextEntry* nip,
                         wxTextEntry* regon, wxTextEntry* street, wxTextEntry* postalCode, wxTextEntry* city,
                         wxTextEntry* voivodeship, wxItemContainerImmutable* country, const wxString& countryCode);
