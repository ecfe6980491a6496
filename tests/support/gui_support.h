// Helpers of the GUI tests: they run inside one started wxWidgets application
// (see gui_main.cpp) and drive real windows.
#pragma once

#include <wx/gdicmn.h>
#include <wx/image.h>
#include <wx/string.h>

#include <functional>

class wxTopLevelWindow;
class wxWindow;

namespace veldrix::test {

// Dispatches pending GUI events (timers included) for about `milliseconds`.
void PumpEvents(int milliseconds);

// Pumps events until the condition holds or the time runs out; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMilliseconds = 5000);

// Waits until the window is shown and stays where it is, framed by the window
// manager when the test runs under one (VELDRIX_TEST_WM); false when the time runs
// out. Read a window's place or title bar only after it.
bool WaitUntilPlaced(wxTopLevelWindow* window, int timeoutMilliseconds = 5000);

// Moves the pointer to `point` of the window's client area and clicks there with
// it, as the user does (the control's own cursor moves too).
void ClickOnScreen(wxWindow* window, const wxPoint& point);

// What the window shows on screen.
wxImage CaptureWindow(wxWindow* window);

// What the screen shows in the rectangle (screen coordinates): other windows over it
// and the window manager's frames included.
wxImage CaptureScreen(const wxRect& rect);

// Whether two captures show the same pixels; a capture that failed fails the test.
bool SamePixels(const wxImage& a, const wxImage& b);

// Saves what the window shows as <artifacts>/screenshots/<name>.png; returns the file.
wxString SaveScreenshot(wxWindow* window, const wxString& name);

// What a person would find wrong with the layout of the visible windows under
// `window`: a label, check box or button narrower than its text needs, or cut off
// by a window around it, a label lower than its text needs at the width it was
// given (a wrapped text squeezed), and visible sibling windows drawn over each
// other. Labels that ellipsize on purpose are left out of the width check, and of
// a notebook only the selected page is looked at. One line per fault; empty when
// there is none.
wxString LayoutFaults(wxWindow* window);

}  // namespace veldrix::test
