// The width a button keeps in its sizer: the screen's usual width for it, more when
// the theme needs more for its label. Used by the company form and the store cards.
#pragma once

class wxWindow;

namespace veldrix {

// Sets the minimum width to `width` or to the best width, whichever is larger; the
// height is left to the best height.
void SetMinWidthAtLeast(wxWindow* window, int width);

}  // namespace veldrix
