// The menu of companies that drops down from the working company, in the application
// menu and on the start page.
#pragma once

#include <wx/string.h>

#include <memory>
#include <vector>

class wxMenu;

namespace veldrix {

// One item per name, with ids from firstId on, each name shown as typed. Item
// `current` is the chosen one; with current -1 no item looks chosen.
std::unique_ptr<wxMenu> MakeCompanyMenu(const std::vector<wxString>& names, int current, int firstId);

}  // namespace veldrix
