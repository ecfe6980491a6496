// The menu of companies that drops down from the working company, in the application
// menu and on the start page.
#pragma once

#include <wx/string.h>

#include <cstddef>
#include <functional>
#include <memory>

class wxMenu;

namespace veldrix {

// One item for each of the first `count` companies, named by nameAt, with ids from
// firstId on, each name shown as typed. Item `current` is the chosen one; with
// current -1 no item looks chosen.
std::unique_ptr<wxMenu> MakeCompanyMenu(std::size_t count, const std::function<wxString(unsigned)>& nameAt,
                                        int current, int firstId);

}  // namespace veldrix
