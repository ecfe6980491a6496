// A page that can hold changes the user has not saved yet ("Zapisz" lit), for the
// tab around it to find by dynamic cast and settle before the tab goes: the settings
// tab asks about its dictionary, custom-field and module settings pages.
#pragma once

namespace veldrix {

class IUnsavedChangesPage {
 public:
  virtual ~IUnsavedChangesPage() = default;
  virtual bool HasUnsavedChanges() const = 0;
  // Stores the changes; false, the user told why, when they were not stored.
  virtual bool SaveChanges() = 0;
};

}  // namespace veldrix
