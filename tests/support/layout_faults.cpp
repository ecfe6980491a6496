// LayoutFaults (gui_support.h): the walk over a window's visible controls.
#include "gui_support.h"

#include <dlfcn.h>
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

// The height GTK takes to draw the label's text at the label's width: it wraps a
// text wider than that, and an ellipsizing label keeps to one line. GTK is looked
// up at run time, as the tests do not build against it; without it only the lines
// the text breaks itself count.
int NeededHeight(wxStaticText* label) {
  using HeightForWidth = void (*)(void* widget, int width, int* minimum, int* natural);
  static const auto measure =
      reinterpret_cast<HeightForWidth>(dlsym(RTLD_DEFAULT, "gtk_widget_get_preferred_height_for_width"));
  if (!measure) return label->GetBestSize().y;
  int minimum = 0;
  int natural = 0;
  measure(label->GetHandle(), label->GetSize().x, &minimum, &natural);
  return minimum;
}

void Walk(wxWindow* window, wxString* faults) {
  if (auto* label = dynamic_cast<wxStaticText*>(window)) {
    const int needed = NeededHeight(label);
    if (label->GetSize().y < needed) {
      *faults += Describe(window) + wxString::Format(" needs %d pixels of height at its width\n", needed);
    }
  }
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
