#include "app/common/delayed_loading_bar.h"

#include <wx/dcbuffer.h>

#include <algorithm>

namespace veldrix {
namespace {

const wxColour kBackground(245, 245, 245);

// The last stop equals the first, so the band wraps without a seam.
const unsigned char kStops[6][3] = {{41, 121, 255}, {0, 188, 212},  {76, 175, 80},
                                    {255, 193, 7},  {236, 64, 122}, {41, 121, 255}};

}  // namespace

DelayedLoadingBar::DelayedLoadingBar(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxSize(-1, kBarHeight), wxBORDER_NONE),
      parent_(parent),
      animationTimer_(this, wxWindow::NewControlId()),
      delayTimer_(this, wxWindow::NewControlId()) {
  SetMinSize(wxSize(-1, kBarHeight));
  SetBackgroundColour(kBackground);
  SetBackgroundStyle(wxBG_STYLE_PAINT);
  Hide();
  Bind(wxEVT_PAINT, &DelayedLoadingBar::OnPaint, this);
  Bind(wxEVT_TIMER, &DelayedLoadingBar::OnAnimationTimer, this, animationTimer_.GetId());
  Bind(wxEVT_TIMER, &DelayedLoadingBar::OnDelayTimer, this, delayTimer_.GetId());
  if (parent_) {
    parent_->Bind(wxEVT_SIZE, &DelayedLoadingBar::OnParentSize, this);
    Place();
  }
}

DelayedLoadingBar::~DelayedLoadingBar() {
  Stop();
  if (parent_) parent_->Unbind(wxEVT_SIZE, &DelayedLoadingBar::OnParentSize, this);
  wxWindow::UnreserveControlId(animationTimer_.GetId());
  wxWindow::UnreserveControlId(delayTimer_.GetId());
}

void DelayedLoadingBar::Place() {
  SetSize(0, 0, parent_->GetClientSize().GetWidth(), barHeight_);
  Raise();
}

void DelayedLoadingBar::Start() {
  if (busy_) return;
  busy_ = true;
  shown_ = false;
  position_ = 0;
  if (delayMs_ < 1) {
    ShowNow();
  } else {
    delayTimer_.StartOnce(delayMs_);
  }
}

void DelayedLoadingBar::Stop() {
  busy_ = false;
  shown_ = false;
  if (delayTimer_.IsRunning()) delayTimer_.Stop();
  if (animationTimer_.IsRunning()) animationTimer_.Stop();
  if (IsShown()) Hide();
}

void DelayedLoadingBar::ShowNow() {
  if (!busy_) return;
  shown_ = true;
  if (parent_) Place();
  if (!IsShown()) Show();
  Raise();
  Refresh(false);
  if (!animationTimer_.IsRunning()) animationTimer_.Start(kAnimationPeriodMs);
}

void DelayedLoadingBar::StartAndShowNow() {
  if (!busy_) position_ = 0;
  busy_ = true;
  shown_ = false;
  if (delayTimer_.IsRunning()) delayTimer_.Stop();
  ShowNow();
  Update();
  if (parent_) parent_->Update();
}

void DelayedLoadingBar::Advance() {
  if (!shown_) return;
  position_ = (position_ + 1) % kPositionCount;
  Refresh(false);
}

void DelayedLoadingBar::OnDelayTimer(wxTimerEvent&) { ShowNow(); }

void DelayedLoadingBar::OnAnimationTimer(wxTimerEvent&) { Advance(); }

void DelayedLoadingBar::OnParentSize(wxSizeEvent& event) {
  event.Skip();
  if (parent_) Place();
}

wxColour DelayedLoadingBar::BandColour(int x, int width, int position) {
  // The gradient's period is at least 1200 px, so a narrow bar shows part of it.
  const int period = std::max(width, 1200);
  const int offset = (position * kStepPixels) % period;
  const int p = (offset + x) % period;
  const int segment = (p * 5) / period;
  const int a = (segment * period) / 5;
  const int b = ((segment + 1) * period) / 5;
  const double t = b > a ? static_cast<double>(p - a) / (b - a) : 0.0;
  unsigned char rgb[3];
  for (int c = 0; c < 3; ++c) {
    const int from = kStops[segment][c];
    const int to = kStops[segment + 1][c];
    rgb[c] = static_cast<unsigned char>(static_cast<int>(from + (to - from) * t));
  }
  return wxColour(rgb[0], rgb[1], rgb[2], 255);
}

void DelayedLoadingBar::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  const wxSize size = GetClientSize();
  if (size.x < 1 || size.y < 1) return;
  dc.SetPen(*wxTRANSPARENT_PEN);
  dc.SetBrush(wxBrush(kBackground));
  dc.DrawRectangle(0, 0, size.x, size.y);
  if (!shown_) return;
  for (int x = 0; x < size.x; ++x) {
    dc.SetPen(wxPen(BandColour(x, size.x, position_), 1, wxPENSTYLE_SOLID));
    dc.DrawLine(x, 0, x, size.y);
  }
}

}  // namespace veldrix
