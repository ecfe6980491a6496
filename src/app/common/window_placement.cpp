#include "app/common/window_placement.h"

#include <wx/toplevel.h>

namespace veldrix {

#ifdef __WXGTK__
namespace {

// The flag is protected: a pointer to it may be taken inside a class derived from
// the one that declares it, and applied to any window of that class.
struct DeferredShowFlag : wxTopLevelWindowGTK {
  static bool wxTopLevelWindowGTK::*Member() { return &DeferredShowFlag::m_deferShow; }
};

}  // namespace
#endif

void KeepPositionOnFirstShow(wxTopLevelWindow* window) {
#ifdef __WXGTK__
  // wxTopLevelWindowGTK's constructor raises the flag and Create leaves it, so a
  // two-step dialog may be passed before Create; a later Show never raises it again.
  window->*DeferredShowFlag::Member() = false;
#else
  (void)window;
#endif
}

}  // namespace veldrix
