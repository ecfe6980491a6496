#include "app/common/unsaved_changes.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"

namespace veldrix {

bool SettleUnsavedChanges(IUnsavedChangesPage& page, wxWindow* parent, const std::function<void()>& drop) {
  if (!page.HasUnsavedChanges()) return true;
  const int answer =
      ShowMessageBox(_("Czy zapisać zmiany?"), _("Pytanie"), wxYES_NO | wxCANCEL | wxICON_QUESTION, parent);
  if (answer == wxYES) return page.SaveChanges();
  // Only an explicit "Nie" gives the edit up; a box closed otherwise keeps it.
  if (answer != wxNO) return false;
  if (drop) drop();
  return true;
}

}  // namespace veldrix
