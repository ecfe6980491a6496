// An owner-drawn push button: a flat rectangle with a one-pixel border, a label and
// an optional bitmap, drawn in other colours while the mouse is over it. A left
// press and a release inside it send wxEVT_BUTTON with its id. Used by the
// application menu; registered under the class name "wxGradientButton".
#pragma once

#include <wx/bitmap.h>
#include <wx/colour.h>
#include <wx/window.h>

class wxGradientButton : public wxWindow {
 public:
  wxGradientButton() = default;
  wxGradientButton(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
                   const wxSize& size = wxDefaultSize, long style = 0);
  ~wxGradientButton() override;

  bool Create(wxWindow* parent, wxWindowID id, const wxString& label, const wxPoint& pos = wxDefaultPosition,
              const wxSize& size = wxDefaultSize, long style = 0);

  wxString GetLabel() const override { return label; }
  bool IsHovered() const { return hovered; }

  // Open to the owner, which sets them after construction.
  wxBitmap bitmap;
  int bitmapX = 0;
  int bitmapY = 0;
  wxColour hoverFill;
  wxColour hoverBorder;

 protected:
  wxSize DoGetBestSize() const override;

 private:
  void OnSize(wxSizeEvent& event);
  void OnPaint(wxPaintEvent& event);
  void OnEraseBackground(wxEraseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnEnter(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);

  bool hovered = false;
  wxString label;

  wxDECLARE_DYNAMIC_CLASS(wxGradientButton);
  wxDECLARE_EVENT_TABLE();
};
