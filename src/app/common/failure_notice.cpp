#include "app/common/failure_notice.h"

#include "app/common/message_box.h"

#include <wx/app.h>
#include <wx/toplevel.h>
#include <wx/window.h>

namespace veldrix {

wxString FailureText(const wxString& lead, const wxString& detail) {
  return detail.empty() ? lead : lead + "\n\n" + detail;
}

FailureNotice::FailureNotice(wxWindow* owner, const wxString& caption) : owner_(owner), caption_(caption) {}

void FailureNotice::Note(const wxString& message, const wxString& detail) {
  if (!pending_.empty() || !owner_) return;
  pending_ = FailureText(message, detail);
  notedOnScreen_ = owner_->IsShownOnScreen();
  owner_->CallAfter([this] { Show(); });
}

void FailureNotice::Show() {
  wxString message;
  message.swap(pending_);
  // A window on its way out (its tab or the main window closed in the same event)
  // says nothing more, nor one the user has left for another page.
  wxWindow* top = wxGetTopLevelParent(owner_);
  if (owner_->IsBeingDeleted() || (wxTheApp && top && wxTheApp->IsScheduledForDestruction(top))) return;
  if (notedOnScreen_ && !owner_->IsShownOnScreen()) return;
  ShowMessageBox(message, caption_, wxOK | wxICON_ERROR, owner_);
}

}  // namespace veldrix
