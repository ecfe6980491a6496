#include "app/common/unsaved_changes.h"

#include "app/common/i18n.h"
#include "app/common/message_box.h"

namespace veldrix {

bool SettleUnsavedChanges(IUnsavedChangesPage& page, wxWindow* parent, const std::function<void()>& drop,
                          const wxString& caption) {
  return SettleUnsavedChanges(std::vector<IUnsavedChangesPage*>{&page}, parent, drop, caption);
}

bool SettleUnsavedChanges(const std::vector<IUnsavedChangesPage*>& pages, wxWindow* parent,
                          const std::function<void()>& drop, const wxString& caption) {
  std::vector<IUnsavedChangesPage*> unsaved;
  for (IUnsavedChangesPage* page : pages) {
    if (page->HasUnsavedChanges()) unsaved.push_back(page);
  }
  if (unsaved.empty()) return true;
  const int answer = ShowMessageBox(_("Czy zapisać zmiany?"), caption.empty() ? _("Pytanie") : caption,
                                    wxYES_NO | wxCANCEL | wxICON_QUESTION, parent);
  if (answer == wxYES) {
    for (IUnsavedChangesPage* page : unsaved) {
      if (!page->SaveChanges()) return false;
    }
    return true;
  }
  // Only an explicit "Nie" gives the edit up; a box closed otherwise keeps it.
  if (answer != wxNO) return false;
  if (drop) drop();
  return true;
}

}  // namespace veldrix
