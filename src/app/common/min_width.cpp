#include "app/common/min_width.h"

#include <wx/window.h>

#include <algorithm>

namespace veldrix {

void SetMinWidthAtLeast(wxWindow* window, int width) {
  window->SetMinSize(wxSize(std::max(width, window->GetBestSize().x), -1));
}

}  // namespace veldrix
