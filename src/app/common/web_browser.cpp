#include "app/common/web_browser.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"

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

bool OpenInBrowser(const wxString& url, wxWindow* parent, const wxString& caption) {
  bool started;
  if (InstalledHandler()) {
    started = InstalledHandler()(url);
  } else {
    wxLogNull quiet;
    started = wxLaunchDefaultBrowser(url);
  }
  if (!started) {
    const wxString message = _("Nie udało się uruchomić przeglądarki internetowej, aby otworzyć stronę:\n%s");
    ShowMessageBox(wxString::Format(message, url), caption, wxOK | wxICON_ERROR, parent);
  }
  return started;
}

BrowserHandler SetBrowserHandler(BrowserHandler handler) { return std::exchange(InstalledHandler(), std::move(handler)); }

}  // namespace veldrix
