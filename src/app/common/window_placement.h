// Keeps a top-level window where the program places it when a window manager runs.
// Every dialog of the program calls it before its first showing (a dialog created
// in two steps, as XRC does, before Create).
#pragma once

class wxTopLevelWindow;

namespace veldrix {

// wxGTK holds back the first showing of a window until the window manager has told
// the size of its frame, unless a window shown before has told it; the window is
// then shown without the position asked for and the manager puts it in a corner.
// This shows `window` at once, where it was placed. Does nothing outside wxGTK.
void KeepPositionOnFirstShow(wxTopLevelWindow* window);

}  // namespace veldrix
