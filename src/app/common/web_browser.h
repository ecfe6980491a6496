// Opening a web page in the user's browser, for the screens that link to one (the
// module store's "Szczegóły", the start page's news). The GUI library reports a
// failure in an English box of its own; here the user is told in Polish.
#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;

namespace veldrix {

// Hands the address to the desktop's default browser; when none could be started,
// a box under `caption` says so and the result is false. The caller decides which
// addresses may be opened. GUI thread only.
bool OpenInBrowser(const wxString& url, wxWindow* parent, const wxString& caption);

// --- Test hook ---------------------------------------------------------------
// A handler installed here receives every address instead of the browser and
// answers whether the browser started. An empty one restores the browser; the
// previous handler is returned.
using BrowserHandler = std::function<bool(const wxString& url)>;
BrowserHandler SetBrowserHandler(BrowserHandler handler);

}  // namespace veldrix
