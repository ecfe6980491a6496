#include "app/common/web_browser.h"

#include <wx/log.h>
#include <wx/utils.h>

#include <utility>

namespace veldrix {

namespace {

BrowserHandler& InstalledHandler() {
  static BrowserHandler handler;
  return handler;
}

}  // namespace

bool OpenInBrowser(const wxString& url) {
  if (InstalledHandler()) return InstalledHandler()(url);
  wxLogNull quiet;
  return wxLaunchDefaultBrowser(url);
}

BrowserHandler SetBrowserHandler(BrowserHandler handler) { return std::exchange(InstalledHandler(), std::move(handler)); }

}  // namespace veldrix
