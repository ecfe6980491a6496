#include "app/common/gradient_button.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>

wxIMPLEMENT_DYNAMIC_CLASS(wxGradientButton, wxWindow);

// clang-format off
wxBEGIN_EVENT_TABLE(wxGradientButton, wxWindow)
  EVT_SIZE(wxGradientButton::OnSize)
  EVT_PAINT(wxGradientButton::OnPaint)
  EVT_ERASE_BACKGROUND(wxGradientButton::OnEraseBackground)
  EVT_LEFT_DOWN(wxGradientButton::OnLeftDown)
  EVT_LEFT_UP(wxGradientButton::OnLeftUp)
  EVT_ENTER_WINDOW(wxGradientButton::OnEnter)
  EVT_LEAVE_WINDOW(wxGradientButton::OnLeave)
  EVT_MOUSE_CAPTURE_LOST(wxGradientButton::OnCaptureLost)
wxEND_EVENT_TABLE()
// clang-format on

wxGradientButton::wxGradientButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos,
                                   const wxSize& size, long style) {
  Create(parent, id, label, pos, size, style);
}

wxGradientButton::~wxGradientButton() {
  if (HasCapture()) ReleaseMouse();
}

bool wxGradientButton::Create(wxWindow* parent, wxWindowID id, const wxString& text, const wxPoint& pos,
                              const wxSize& size, long style) {
  if (!wxWindow::Create(parent, id, pos, size, style, wxPanelNameStr)) return false;
  SetForegroundColour(wxColour(255, 255, 255));
  SetBackgroundColour(wxColour(255, 255, 255));
  hoverFill = wxColour(193, 224, 255);
  hoverBorder = wxColour(51, 153, 255);
  SetFont(
      wxFont(8, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, "Tahoma", wxFONTENCODING_DEFAULT));
  label = text;
  bitmap = wxNullBitmap;
  return true;
}

wxSize wxGradientButton::DoGetBestSize() const {
  int w = 0;
  int h = 0;
  GetTextExtent(label, &w, &h);
  return wxSize(std::max(w + 20, 40), std::max(h + 10, 20));
}

void wxGradientButton::OnSize(wxSizeEvent&) { Refresh(true); }

void wxGradientButton::OnEraseBackground(wxEraseEvent&) {}

void wxGradientButton::OnPaint(wxPaintEvent&) {
  wxBufferedPaintDC dc(this, wxBUFFER_CLIENT_AREA);
  if (hovered) {
    dc.SetPen(wxPen(hoverBorder, 1, wxPENSTYLE_SOLID));
    dc.SetBrush(wxBrush(hoverFill, wxBRUSHSTYLE_SOLID));
  } else {
    dc.SetPen(wxPen(GetForegroundColour(), 1, wxPENSTYLE_SOLID));
    dc.SetBrush(wxBrush(GetBackgroundColour(), wxBRUSHSTYLE_SOLID));
  }
  const wxSize client = GetClientSize();
  dc.DrawRectangle(0, 0, client.x, client.y);

  dc.SetFont(GetFont());
  dc.SetTextForeground(wxColour(0, 0, 0));
  wxRect rect(client);
  // The close button centres its label; the others keep it at the bottom, under
  // the bitmap the owner places above it.
  if (label == "Zamknij") {
    dc.DrawLabel(label, rect, wxALIGN_CENTER_HORIZONTAL | wxALIGN_CENTER_VERTICAL);
  } else {
    rect.Offset(0, -3);
    dc.DrawLabel(label, rect, wxALIGN_CENTER_HORIZONTAL | wxALIGN_BOTTOM);
  }
  if (bitmap.IsOk()) dc.DrawBitmap(bitmap, bitmapX, bitmapY, true);
}

void wxGradientButton::OnLeftDown(wxMouseEvent&) {
  if (HasCapture()) return;
  CaptureMouse();
  Refresh(true);
}

void wxGradientButton::OnLeftUp(wxMouseEvent& event) {
  if (!HasCapture()) return;
  ReleaseMouse();
  Refresh(true);
  if (!wxRect(GetClientSize()).Contains(event.GetPosition())) return;
  wxCommandEvent click(wxEVT_BUTTON, GetId());
  GetEventHandler()->ProcessEvent(click);
}

void wxGradientButton::OnEnter(wxMouseEvent&) {
  hovered = true;
  Refresh(true);
}

void wxGradientButton::OnLeave(wxMouseEvent&) {
  hovered = false;
  Refresh(true);
}

// wxWidgets requires a handler: the capture can be taken away (another window
// grabs the pointer), and the press then simply ends without a click.
void wxGradientButton::OnCaptureLost(wxMouseCaptureLostEvent&) { Refresh(true); }
