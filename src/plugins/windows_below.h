// Every window of one type at any depth below a window: the module pages find
// the controls of a panel their XRC layout built this way.
#pragma once

#include <wx/window.h>

#include <vector>

namespace veldrix {

template <typename T>
void CollectWindows(wxWindow* parent, std::vector<T*>* found) {
  for (wxWindow* child : parent->GetChildren()) {
    if (auto* match = dynamic_cast<T*>(child)) found->push_back(match);
    CollectWindows(child, found);
  }
}

// Depth first in child order; none below a null parent.
template <typename T>
std::vector<T*> WindowsBelow(wxWindow* parent) {
  std::vector<T*> found;
  if (parent) CollectWindows(parent, &found);
  return found;
}

}  // namespace veldrix
