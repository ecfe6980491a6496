// The outside libraries this build runs on, with the versions actually linked or
// loaded and their licences, for the about box. The PostgreSQL client library is
// listed only once the process has loaded it.
#pragma once

#include <wx/string.h>

#include <vector>

struct LinkedComponent {
  wxString name;
  wxString version;
  wxString licence;
};

std::vector<LinkedComponent> LinkedComponents();

// "name version - licence", one line per component.
wxString DescribeComponents(const std::vector<LinkedComponent>& components);
