// A page that can hold changes the user has not saved yet ("Zapisz" lit), for the
// tab around it to find by dynamic cast and settle before the tab goes: the settings
// tab asks about its dictionary, custom-field and module settings pages. The pages
// settle their own edit the same way before their editors take another record.
#pragma once

#include <wx/string.h>

#include <functional>
#include <vector>

class wxWindow;

namespace veldrix {

class IUnsavedChangesPage {
 public:
  virtual ~IUnsavedChangesPage() = default;
  virtual bool HasUnsavedChanges() const = 0;
  // Stores the changes; false, the user told why, when they were not stored.
  virtual bool SaveChanges() = 0;
};

// Asks "Czy zapisać zmiany?" when the page holds unsaved changes. True when the
// caller may move on: nothing to save, saved, or dropped ("Nie", after which `drop`
// runs). False, nothing changed, on "Anuluj" or a save that stored nothing. A
// caption names what is asked about (a tab's title); empty, the box's own.
bool SettleUnsavedChanges(IUnsavedChangesPage& page, wxWindow* parent, const std::function<void()>& drop = {},
                          const wxString& caption = wxString());
// The same, asked once for all the pages: "Tak" saves each page that holds changes,
// and stops at the first that stores nothing.
bool SettleUnsavedChanges(const std::vector<IUnsavedChangesPage*>& pages, wxWindow* parent,
                          const std::function<void()>& drop = {}, const wxString& caption = wxString());

}  // namespace veldrix
