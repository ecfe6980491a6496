// The main window's side of the program-update check: the state the start page
// shows, and the offer to run the updater, made only to a logged-in user.
#include "app/common/i18n.h"
#include "app/common/message_box.h"
#include "app/dashboard_panel.h"
#include "app/update_check.h"
#include "app/veldrix_frame.h"

#include <wx/filename.h>

void VeldrixFrame::OnUpdateCheckResult(wxThreadEvent& event) {
  const veldrix::UpdateStatus status = veldrix::UpdateStatusFor(event.GetInt(), event.GetString());
  updateState_ = status.state;
  updateStatusText_ = status.text;
  if (startPage_) startPage_->Refresh(false);
  if (status.state != 2) return;
  updateReply_ = event.GetString();
  updateQuestionPending_ = true;
  AskForUpdate();
}

void VeldrixFrame::AskForUpdate() {
  // During the login its dialogs own the screen, and before it nobody may decide.
  if (!updateQuestionPending_ || !loggedIn_ || loginRunning_) return;
  updateQuestionPending_ = false;
  const wxString updater = veldrix::UpdaterPath();
  if (!wxFileName::FileExists(updater)) return;
  const wxString question = wxString::Format(_("Dostępna jest nowa wersja %s. Zaktualizować?"), updateReply_);
  if (veldrix::ShowMessageBox(question, _("Nowa wersja"), wxYES_NO | wxICON_QUESTION, this) != wxYES) return;
  if (!veldrix::StartUpdater(updater)) {
    veldrix::ShowMessageBox(_("Nie udało się uruchomić programu aktualizującego:") + "\n" + updater, _("Nowa wersja"),
                            wxOK | wxICON_ERROR, this);
    return;
  }
  Close(false);
}
