// A thin animated colour band along the top edge of a window that signals work in
// progress. It appears only after a short delay, so quick operations never flash
// it. The owner creates one as a direct child and keeps a pointer; the bar places
// and sizes itself. GUI thread only.
#pragma once

#include <wx/panel.h>
#include <wx/timer.h>

namespace veldrix {

class DelayedLoadingBar : public wxPanel {
 public:
  static constexpr int kBarHeight = 5;
  static constexpr int kDelayMs = 10;
  static constexpr int kAnimationPeriodMs = 35;
  static constexpr int kStepPixels = 18;
  static constexpr int kPositionCount = 10000;

  explicit DelayedLoadingBar(wxWindow* parent);
  ~DelayedLoadingBar() override;

  // Marks an operation as running and shows the band once the delay has passed.
  // A second Start while running neither restarts the delay nor the animation.
  void Start();
  // Ends the operation: timers stopped, the band hidden. Safe when idle.
  void Stop();
  // Shows and animates the band at once; does nothing unless running.
  void ShowNow();
  // For a caller about to block the GUI thread: marks running, shows the band at
  // once and paints it (and the parent) before returning.
  void StartAndShowNow();

  bool IsBusy() const { return busy_; }
  bool IsBandShown() const { return shown_; }
  int position() const { return position_; }

  // Animation step as the timer does it (tests drive it without waiting).
  void Advance();

  // The colour of pixel column x of a band w pixels wide at animation step position.
  static wxColour BandColour(int x, int width, int position);

 private:
  void Place();
  void OnPaint(wxPaintEvent& event);
  void OnAnimationTimer(wxTimerEvent& event);
  void OnDelayTimer(wxTimerEvent& event);
  void OnParentSize(wxSizeEvent& event);

  wxWindow* parent_;
  wxTimer animationTimer_;
  wxTimer delayTimer_;
  bool busy_ = false;
  bool shown_ = false;
  int position_ = 0;
  int barHeight_ = kBarHeight;
  int delayMs_ = kDelayMs;
};

}  // namespace veldrix
