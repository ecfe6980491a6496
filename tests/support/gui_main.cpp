// Entry point of the GUI test executables: wxWidgets is started once and every
// test runs inside it on the GUI thread, with events pumped by the helpers.
#include "app/common/i18n.h"
#include "app/common/program_log.h"
#include "app/common/worker_registry.h"
#include "gui_support.h"
#include "test_support.h"

#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/bitmap.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/evtloop.h>
#include <wx/filename.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/propgrid/propgrid.h>
#include <wx/stopwatch.h>
#include <wx/toplevel.h>
#include <wx/uiaction.h>
#include <wx/window.h>

#include <algorithm>

#include "app/common/paths.h"

namespace {

class GuiTestApp : public wxApp {
 public:
  bool OnInit() override {
    wxInitAllImageHandlers();
    return true;
  }
};

wxGUIEventLoop* g_loop = nullptr;

}  // namespace

namespace veldrix::test {

void PumpEvents(int milliseconds) {
  // Inside a modal dialog its own loop is the running one; only that may dispatch.
  wxEventLoopBase* loop = wxEventLoopBase::GetActive();
  if (!loop) loop = g_loop;
  wxStopWatch watch;
  do {
    while (loop->Pending()) loop->Dispatch();
    wxTheApp->ProcessPendingEvents();
    loop->DispatchTimeout(5);
  } while (watch.Time() < milliseconds);
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMilliseconds) {
  wxStopWatch watch;
  while (!condition()) {
    if (watch.Time() > timeoutMilliseconds) return condition();
    PumpEvents(10);
  }
  return true;
}

bool WaitUntilPlaced(wxTopLevelWindow* window, int timeoutMilliseconds) {
  // A window manager frames the window first (the client area moves below the
  // title bar) and may move it after; without one the window is where it was put.
  const bool managed = !wxGetenv("VELDRIX_TEST_DISPLAY") && wxGetenv("VELDRIX_TEST_WM");
  wxRect last;
  wxStopWatch steady;
  return WaitFor(
      [&] {
        const bool framed =
            !managed || window->ClientToScreen(wxPoint(0, 0)).y > window->GetScreenPosition().y;
        const wxRect now = window->GetScreenRect();
        if (!window->IsShownOnScreen() || !framed || now != last) {
          last = now;
          steady.Start();
          return false;
        }
        return steady.Time() >= 200;
      },
      timeoutMilliseconds);
}

void ClickOnScreen(wxWindow* window, const wxPoint& point) {
  wxUIActionSimulator pointer;
  pointer.MouseMove(window->ClientToScreen(point));
  PumpEvents(100);
  pointer.MouseClick();
  PumpEvents(200);
}

wxImage CaptureWindow(wxWindow* window) {
  PumpEvents(50);
  window->Update();
  const wxSize size = window->GetSize();
  wxBitmap bitmap(size.x > 0 ? size.x : 1, size.y > 0 ? size.y : 1);
  {
    wxWindowDC source(window);
    wxMemoryDC target(bitmap);
    target.Blit(0, 0, size.x, size.y, &source, 0, 0);
  }
  return bitmap.ConvertToImage();
}

// Read through GDK's own functions, looked up at run time (the tests do not build
// against GTK): the library's screen device context keeps showing what it read first.
wxImage CaptureScreen(const wxRect& rect) {
  using Root = void* (*)();
  using Read = void* (*)(void*, int, int, int, int);
  using Pixels = unsigned char* (*)(void*);
  using Number = int (*)(void*);
  using Release = void (*)(void*);
  auto root = reinterpret_cast<Root>(dlsym(RTLD_DEFAULT, "gdk_get_default_root_window"));
  auto read = reinterpret_cast<Read>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_from_window"));
  auto pixels = reinterpret_cast<Pixels>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_pixels"));
  auto stride = reinterpret_cast<Number>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_rowstride"));
  auto channels = reinterpret_cast<Number>(dlsym(RTLD_DEFAULT, "gdk_pixbuf_get_n_channels"));
  auto release = reinterpret_cast<Release>(dlsym(RTLD_DEFAULT, "g_object_unref"));
  wxImage image;
  if (!root || !read || !pixels || !stride || !channels || !release || rect.IsEmpty()) return image;
  PumpEvents(50);
  void* shot = read(root(), rect.x, rect.y, rect.width, rect.height);
  if (!shot) return image;
  image.Create(rect.width, rect.height);
  const unsigned char* data = pixels(shot);
  for (int y = 0; y < rect.height; ++y) {
    for (int x = 0; x < rect.width; ++x) {
      const unsigned char* pixel = data + y * stride(shot) + x * channels(shot);
      image.SetRGB(x, y, pixel[0], pixel[1], pixel[2]);
    }
  }
  release(shot);
  return image;
}

bool SamePixels(const wxImage& a, const wxImage& b) {
  // A capture that failed shows nothing: it matches nothing, and the test that
  // compares it fails, whichever way it expected the comparison to go.
  if (!a.IsOk() || !b.IsOk()) {
    ADD_FAILURE() << "a capture that failed was compared";
    return false;
  }
  return a.GetSize() == b.GetSize() &&
         std::equal(a.GetData(), a.GetData() + 3 * a.GetWidth() * a.GetHeight(), b.GetData());
}

wxString SaveScreenshot(wxWindow* window, const wxString& name) {
  const wxString folder = JoinPath(ArtifactsDir(), "screenshots");
  EnsureFolder(folder);
  const wxString file = JoinPath(folder, name + ".png");
  CaptureWindow(window).SaveFile(file, wxBITMAP_TYPE_PNG);
  return file;
}

}  // namespace veldrix::test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new GuiTestApp);
  veldrix::test::FailTestsOnLibraryChecks();
  if (!wxEntryStart(argc, argv)) return 2;
  if (!wxTheApp->CallOnInit()) {
    wxEntryCleanup();
    return 2;
  }
  // The program's own log target, as the program installs it.
  veldrix::InstallProgramLog();
  // The property grids' yes/no texts, as the program's locale set-up gives them.
  wxPropertyGrid::SetBoolChoices(_("Tak"), _("Nie"));
  int rc;
  {
    wxGUIEventLoop loop;
    wxEventLoopActivator activate(&loop);
    g_loop = &loop;
    rc = RUN_ALL_TESTS();
    g_loop = nullptr;
  }
  // Worker threads leave the library before it is torn down.
  veldrix::Workers().WaitUntilIdle(60000);
  wxTheApp->OnExit();
  wxEntryCleanup();
  return rc;
}
