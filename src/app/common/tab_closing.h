// Closing a tab after the handler that asked for it has returned: a short-lived
// thread queues thread event 6001 to the window that owns the tabs (the main
// window), which closes the tab on the GUI thread. Pages below the application
// shell (company list, settings, module pages) ask through RequestTabClose.
#pragma once

#include <wx/thread.h>

class wxEvtHandler;
class wxThreadEvent;
class wxWindow;

namespace veldrix {

constexpr int kTabClosingEventId = 6001;

// Detached: deletes itself when Entry returns.
class ZamykanieZakladki : public wxThread {
 public:
  // `page` is the tab to close, or null for the one selected when the event arrives.
  ZamykanieZakladki(wxEvtHandler* target, wxWindow* page);

 protected:
  ExitCode Entry() override;

 private:
  wxEvtHandler* target_;
  wxWindow* page_;
};

// The window that closes tabs registers itself while it lives and unregisters in
// its destructor (null); a thread queues its event only to the registered target,
// under the registry's lock, so nothing reaches a window being destroyed.
void SetTabClosingTarget(wxEvtHandler* target);
wxEvtHandler* TabClosingTarget();

// Starts a ZamykanieZakladki for `target`; the result is that of Run.
wxThreadError StartTabClosingThread(wxEvtHandler* target, wxWindow* page);
// The same for the registered target; wxTHREAD_NO_RESOURCE when there is none.
wxThreadError RequestTabClose(wxWindow* page);

// The page an event 6001 names, or null. It may have been destroyed meanwhile:
// compare it with live pages before touching it.
wxWindow* TabClosingPage(const wxThreadEvent& event);

}  // namespace veldrix
