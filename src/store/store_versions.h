// Version texts of the module store: the numbers in a version and their order,
// by which the store tab decides whether an update is offered and whether the
// running program is new enough for a module.
#pragma once

#include <wx/string.h>

#include <cstdint>
#include <vector>

namespace veldrix {

// Every run of the digits 0-9, in order; any other character only separates runs
// ("v2.0-beta1" gives 2, 0, 1). A run above the 32-bit range counts as its maximum.
std::vector<std::int32_t> ParseVersionNumbers(const wxString& text);

// -1 when a is older than b, 1 when newer, 0 when equal; missing numbers count as
// 0, so "1.2" equals "1.2.0".
int CompareVersions(const wxString& a, const wxString& b);

}  // namespace veldrix
