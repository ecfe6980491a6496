// Settings-tree pages whose content is built on their first selection. The
// settings tab finds the interface on a page by dynamic cast and calls EnsureLoaded
// when the page is selected; the tab's own placeholder pages and the module host's
// settings pages both implement it.
#pragma once

#include <functional>

class wxWindow;

namespace veldrix {

class ILazyLoadablePanel {
 public:
  virtual ~ILazyLoadablePanel() = default;
  // Builds the real content now, once.
  virtual void EnsureLoaded() = 0;
  virtual bool IsLoaded() const = 0;
};

// Builds a settings page's content as a child of the given parent; null on failure.
// May be empty. Reports failure only by returning null, never by throwing.
using SettingsPageFactory = std::function<wxWindow*(wxWindow* parent)>;

}  // namespace veldrix
