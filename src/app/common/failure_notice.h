// One error box for the failures a screen meets while it handles one event. A
// refresh of a screen whose database went away fails at every read; the user is
// told once, when the event has been handled, with the first failure noted. The
// screens note failures that would otherwise pass unseen (a list that cannot be
// read and would look empty); failures of their own operations they show at once.
// FailureText is the one form of every such box: a Polish lead, the cause below.
#pragma once

#include <wx/string.h>

class wxWindow;

namespace veldrix {

// A failure as the user is shown it: the lead (a Polish sentence saying what did
// not happen and what to do), then, after an empty line, the database's or the
// service's own text, when there is one.
wxString FailureText(const wxString& lead, const wxString& detail);

// GUI thread only, like the screens that own one.
class FailureNotice {
 public:
  // owner parents the box and runs the deferred call: the notice lives in it (a
  // member of the owner or of one of its parts), so the call dies with the owner.
  FailureNotice(wxWindow* owner, const wxString& caption);
  FailureNotice(const FailureNotice&) = delete;
  FailureNotice& operator=(const FailureNotice&) = delete;

  // Notes a failure: the message with the detail below it (FailureText). Once a box
  // is due, later failures add nothing to it. The box shows over the owner; when
  // the owner was on screen at the failure and is no longer (its page was left or
  // closed meanwhile), it says nothing over the page the user went to.
  void Note(const wxString& message, const wxString& detail = wxString());

 private:
  void Show();

  wxWindow* owner_;
  wxString caption_;
  wxString pending_;
  bool notedOnScreen_ = false;
};

}  // namespace veldrix
