// Background module actions of a page (the XRC settings page and the XRC module
// page). An action written "async:name" runs the module's RunAction("name") on a
// worker thread, one per page at a time, while the page shows its operation strip
// and polls the module for progress every 150 ms; the result comes back to the page
// as a queued thread event. The page owns one runner and calls Shutdown first thing
// in its destructor: the running action is asked to cancel and the worker joined,
// so no worker outlives the page and no completion reaches it once it is going.
#pragma once

#include "pluginmanager/module_calls.h"

#include <wx/event.h>
#include <wx/string.h>
#include <wx/timer.h>

#include <atomic>
#include <functional>
#include <thread>

class wxButton;
class wxGauge;
class wxStaticText;
class wxWindow;

namespace veldrix {

class ModuleActionRunner {
 public:
  // What the page does at each step; every hook is optional and runs on the GUI thread.
  struct Hooks {
    std::function<void()> started;   // the strip shows and polling runs
    std::function<void()> poll;      // every 150 ms while the action runs
    std::function<void()> finished;  // the action returned, before its status is shown
    std::function<void()> stopped;   // the stop request went to the module
    std::function<void()> layout;    // the strip shows the final status
  };

  // The page is the sink of the completion event and the timer; not owned.
  ModuleActionRunner(wxWindow* page, const ModuleCalls& calls, Hooks hooks);
  ~ModuleActionRunner();
  ModuleActionRunner(const ModuleActionRunner&) = delete;
  ModuleActionRunner& operator=(const ModuleActionRunner&) = delete;

  // True for "async:..." (letter case counts), with the text after the prefix in *name.
  static bool IsAsyncAction(const wxString& action, wxString* name);

  // Looks the strip controls up by name in the page's XRC panel and binds the stop
  // and collapse buttons; a control that is missing or of another class is absent.
  void FindOperationStrip(wxWindow* xrcPanel);

  // Starts the action in the background; false (nothing done, nothing shown) while
  // another one runs.
  bool Start(const wxString& actionName);
  // Asks the module to cancel the running action ("cancel-operation"); the worker
  // is not interrupted, its completion arrives as usual. Nothing when idle.
  void Stop();
  bool IsBusy() const { return busy_.load(); }
  // Closing: no completion from now on; a running action is cancelled (with a
  // one-unit buffer) and its worker joined. Idempotent.
  void Shutdown();

  void SetStatus(const wxString& text);
  // Shows or hides a strip control through its sizer when it has one.
  static void ShowControl(wxWindow* control, bool show);

  wxWindow* Strip() const { return strip_; }
  wxStaticText* StatusLine() const { return status_; }
  wxGauge* Gauge() const { return gauge_; }
  wxButton* StopButton() const { return stopButton_; }
  wxButton* ToggleButton() const { return toggleButton_; }
  // An operation started on the page and the user did not collapse the strip since.
  bool StripStarted() const { return stripStarted_; }
  bool StripCollapsed() const { return stripCollapsed_; }

 private:
  void StartOperationStrip();
  void LayoutStrip();
  void OnActionFinished(wxThreadEvent& event);
  void OnOperationTimer(wxTimerEvent& event);
  void OnStopButton(wxCommandEvent& event);
  void OnToggleButton(wxCommandEvent& event);
  void RunActionThreadBody(const wxString& actionName);
  static void Call(const std::function<void()>& hook);

  wxWindow* page_;
  ModuleCalls calls_;
  Hooks hooks_;
  int eventId_;
  wxTimer timer_;
  std::thread worker_;
  std::atomic<bool> busy_{false};
  std::atomic<bool> closing_{false};
  bool shutDown_ = false;

  wxWindow* xrcPanel_ = nullptr;
  wxWindow* strip_ = nullptr;
  wxStaticText* status_ = nullptr;
  wxGauge* gauge_ = nullptr;
  wxButton* stopButton_ = nullptr;
  wxButton* toggleButton_ = nullptr;
  bool stripStarted_ = false;
  bool stripCollapsed_ = false;
};

}  // namespace veldrix
