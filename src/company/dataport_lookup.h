// The DataPort API provider of the company lookup: one GET of the company by its
// NIP, answered with JSON.
#pragma once

#include "company/company_lookup.h"

// True when the service answered "success": true, with the record filled as far as
// the answer gives fields; false with a Polish error text otherwise.
bool LookupCompanyDataPort(const CompanyLookupSettings& settings, const wxString& nip, CompanyData& out,
                           wxString& error);
