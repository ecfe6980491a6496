// Helpers of the GUI tests: they run inside one started wxWidgets application
// (see gui_main.cpp) and drive real windows.
#pragma once

#include <wx/string.h>

#include <functional>

class wxWindow;

namespace veldrix::test {

// Dispatches pending GUI events (timers included) for about `milliseconds`.
void PumpEvents(int milliseconds);

// Pumps events until the condition holds or the time runs out; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMilliseconds = 5000);

// Saves what the window shows as <artifacts>/screenshots/<name>.png; returns the file.
wxString SaveScreenshot(wxWindow* window, const wxString& name);

}  // namespace veldrix::test
