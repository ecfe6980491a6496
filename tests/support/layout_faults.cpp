// LayoutFaults (gui_support.h): the walk over a window's visible controls.
#include "gui_support.h"

#include <wx/anybutton.h>
#include <wx/bookctrl.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>
#include <vector>

namespace veldrix::test {

namespace {

// Controls whose text must be read whole; a label that ellipsizes is cut on purpose.
bool ShowsWholeText(wxWindow* window) {
  if (auto* label = dynamic_cast<wxStaticText*>(window)) {
    return !label->HasFlag(wxST_ELLIPSIZE_START | wxST_ELLIPSIZE_MIDDLE | wxST_ELLIPSIZE_END);
  }
  return dynamic_cast<wxCheckBox*>(window) || dynamic_cast<wxRadioButton*>(window) ||
         dynamic_cast<wxAnyButton*>(window);
}

wxString Describe(wxWindow* window) {
  return wxString::Format("%s \"%s\" (%s) at %d,%d %dx%d", window->GetClassInfo()->GetClassName(),
                          window->GetLabel(), window->GetName(), window->GetPosition().x, window->GetPosition().y,
                          window->GetSize().x, window->GetSize().y);
}

// The width of the window that its parents leave in sight: a form wider than its
// scrolled window is cut at the right. Measured from where the window was put, as
// GTK may draw a window that got no room somewhere else.
int VisibleWidth(wxWindow* window) {
  int left = window->GetParent()->ClientToScreen(window->GetPosition()).x;
  int right = left + window->GetSize().x;
  for (wxWindow* outer = window; !outer->IsTopLevel() && outer->GetParent();) {
    outer = outer->GetParent();
    const int origin = outer->ClientToScreen(wxPoint(0, 0)).x;
    left = std::max(left, origin);
    right = std::min(right, origin + outer->GetClientSize().x);
  }
  return right - left;
}

void Walk(wxWindow* window, wxString* faults) {
  if (ShowsWholeText(window)) {
    const int visible = VisibleWidth(window);
    const int needed = window->GetBestSize().x;
    if (visible < needed) {
      *faults += Describe(window) + wxString::Format(" needs %d pixels, %d in sight\n", needed, visible);
    }
  }
  if (auto* book = dynamic_cast<wxBookCtrlBase*>(window)) {
    if (book->GetCurrentPage()) Walk(book->GetCurrentPage(), faults);
    return;
  }
  // A composite control lays out its own parts.
  if (dynamic_cast<wxControl*>(window) && !dynamic_cast<wxStaticBox*>(window)) return;
  std::vector<wxWindow*> shown;
  for (wxWindow* child : window->GetChildren()) {
    if (!child->IsShown() || child->IsTopLevel()) continue;
    for (wxWindow* sibling : shown) {
      if (child->GetRect().Intersects(sibling->GetRect())) {
        *faults += Describe(child) + " is drawn over " + Describe(sibling) + "\n";
      }
    }
    shown.push_back(child);
    Walk(child, faults);
  }
}

}  // namespace

wxString LayoutFaults(wxWindow* window) {
  wxString faults;
  Walk(window, &faults);
  return faults;
}

}  // namespace veldrix::test
