// A real message box under X: it shows the labels the message box chose, and the
// test answers it by clicking one of its buttons. The GTK widgets are read through
// GTK's own functions, looked up at run time (the tests do not build against GTK).
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcscreen.h>
#include <wx/modalhook.h>
#include <wx/msgdlg.h>
#include <wx/stopwatch.h>
#include <wx/timer.h>
#include <wx/uiaction.h>

#include <string>

#include "app/common/message_box.h"
#include "app/common/paths.h"
#include "gui_support.h"
#include "test_support.h"

namespace {

// The few GTK and GDK calls the test needs; the library is already loaded by wxWidgets.
struct Gtk {
  struct Allocation {
    int x, y, width, height;
  };
  void* (*widgetForResponse)(void* dialog, int response) = nullptr;
  const char* (*buttonLabel)(void* button) = nullptr;
  int (*isMapped)(void* widget) = nullptr;
  void (*allocation)(void* widget, Allocation* out) = nullptr;
  int (*translate)(void* from, void* to, int x, int y, int* outX, int* outY) = nullptr;
  void* (*gdkWindow)(void* widget) = nullptr;
  void (*origin)(void* gdkWindow, int* x, int* y) = nullptr;
  const char* (*title)(void* window) = nullptr;
  void (*respond)(void* dialog, int response) = nullptr;

  template <typename F>
  static void Load(F& function, const char* name) {
    function = reinterpret_cast<F>(dlsym(RTLD_DEFAULT, name));
  }

  Gtk() {
    Load(widgetForResponse, "gtk_dialog_get_widget_for_response");
    Load(buttonLabel, "gtk_button_get_label");
    Load(isMapped, "gtk_widget_get_mapped");
    Load(allocation, "gtk_widget_get_allocation");
    Load(translate, "gtk_widget_translate_coordinates");
    Load(gdkWindow, "gtk_widget_get_window");
    Load(origin, "gdk_window_get_origin");
    Load(title, "gtk_window_get_title");
    Load(respond, "gtk_dialog_response");
  }

  bool ok() const {
    return widgetForResponse && buttonLabel && isMapped && allocation && translate && gdkWindow && origin && title &&
           respond;
  }
};

constexpr int kGtkResponseYes = -8;
constexpr int kGtkResponseNo = -9;
constexpr int kGtkResponseCancel = -6;

wxString Utf8(const char* text) { return text ? wxString::FromUTF8(text) : wxString(); }

// Sees every modal dialog that starts, so the test can reach the message box.
class DialogWatcher : public wxModalDialogHook {
 public:
  wxDialog* dialog = nullptr;

 protected:
  int Enter(wxDialog* d) override {
    dialog = d;
    return wxID_NONE;
  }
  void Exit(wxDialog*) override { dialog = nullptr; }
};

// What the test read from the shown dialog.
struct Seen {
  bool shown = false;
  wxString title;
  wxString yes;
  wxString no;
  bool hasCancel = false;
  wxString screenshot;
};

wxString SaveScreenRect(const wxRect& rect, const wxString& name) {
  wxBitmap bitmap(rect.width, rect.height);
  {
    wxScreenDC screen;
    wxMemoryDC target(bitmap);
    target.Blit(0, 0, rect.width, rect.height, &screen, rect.x, rect.y);
  }
  const wxString folder = veldrix::JoinPath(veldrix::test::ArtifactsDir(), "screenshots");
  veldrix::EnsureFolder(folder);
  const wxString file = veldrix::JoinPath(folder, name + ".png");
  bitmap.ConvertToImage().SaveFile(file, wxBITMAP_TYPE_PNG);
  return file;
}

}  // namespace

TEST(MessageBoxDialog, ShowsTheChosenLabelsAndReturnsTheClickedButton) {
  Gtk gtk;
  ASSERT_TRUE(gtk.ok()) << "GTK functions not found";
  ASSERT_TRUE(wxUIActionSimulator().MouseMove(10, 10)) << "no input simulation";

  DialogWatcher watcher;
  watcher.Register();
  Seen seen;
  bool clicked = false;

  // Polls from inside the dialog's own loop until it is on screen, reads it,
  // photographs it and clicks "Nie usuwaj".
  wxStopWatch watch;
  wxTimer poll;
  poll.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
    if (!watcher.dialog) return;
    void* widget = watcher.dialog->GetHandle();
    // Never left waiting: a box the click did not close is closed here, and the test fails.
    if (widget && watch.Time() > 10000) {
      gtk.respond(widget, kGtkResponseCancel);
      return;
    }
    if (clicked) return;
    if (!widget || !gtk.isMapped(widget)) return;
    void* yes = gtk.widgetForResponse(widget, kGtkResponseYes);
    void* no = gtk.widgetForResponse(widget, kGtkResponseNo);
    if (!yes || !no || !gtk.isMapped(no)) return;
    Gtk::Allocation noBox{};
    gtk.allocation(no, &noBox);
    if (noBox.width <= 1) return;

    seen.shown = true;
    seen.title = Utf8(gtk.title(widget));
    seen.yes = Utf8(gtk.buttonLabel(yes));
    seen.no = Utf8(gtk.buttonLabel(no));
    seen.hasCancel = gtk.widgetForResponse(widget, kGtkResponseCancel) != nullptr;

    int left = 0;
    int top = 0;
    gtk.origin(gtk.gdkWindow(widget), &left, &top);
    Gtk::Allocation dialogBox{};
    gtk.allocation(widget, &dialogBox);
    seen.screenshot = SaveScreenRect(wxRect(left, top, dialogBox.width, dialogBox.height), "message_box");

    int x = 0;
    int y = 0;
    gtk.translate(no, widget, noBox.width / 2, noBox.height / 2, &x, &y);
    wxUIActionSimulator mouse;
    mouse.MouseMove(left + x, top + y);
    mouse.MouseClick();
    clicked = true;
  });
  poll.Start(50);

  const int result = veldrix::ShowMessageBox(L"Czy usunąć zaznaczoną firmę?", "", wxYES_NO | wxICON_QUESTION);
  poll.Stop();
  watcher.Unregister();

  ASSERT_TRUE(seen.shown);
  EXPECT_EQ(seen.title, L"Potwierdzenie");
  EXPECT_EQ(seen.yes, L"Usuń");
  EXPECT_EQ(seen.no, L"Nie usuwaj");
  EXPECT_FALSE(seen.hasCancel);
  EXPECT_EQ(result, wxNO);
  wxImage shot;
  ASSERT_TRUE(shot.LoadFile(seen.screenshot));
  EXPECT_GT(shot.GetWidth(), 100);
}
