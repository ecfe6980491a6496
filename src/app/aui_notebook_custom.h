// The main window's notebook of tabs. While it holds no page (before the first
// login and after a logout) it draws the program's watermark in its lower left
// corner.
#pragma once

#include <wx/aui/auibook.h>
#include <wx/bitmap.h>

// Where the watermark's parts go in a client area; `visible` false draws nothing.
struct WatermarkLayout {
  bool visible = false;
  int logoSide = 0;
  wxPoint logo;   // top left of the logo, when the bitmap is valid
  wxPoint title;  // "QUILLMORE"
  wxPoint name;   // "Orvel Tamsk"
};

// The maker's signature, shown by the empty notebook and by the start page.
extern const char kSignatureMaker[];
extern const char kSignatureAuthor[];
// The mark at `side` x `side` (the bitmap itself when it has that size already).
wxBitmap SignatureMark(const wxBitmap& mark, int side);
// The signature's two lines in their greys, each in its font at its point.
void DrawSignatureLines(wxDC& dc, const wxFont& makerFont, const wxPoint& makerAt, const wxFont& authorFont,
                        const wxPoint& authorAt);

// titleHeight and nameHeight are the heights of the two texts in their fonts.
WatermarkLayout ComputeWatermarkLayout(const wxSize& client, bool bitmapValid, int titleHeight, int nameHeight);

class wxAuiNotebookCustom : public wxAuiNotebook {
 public:
  static constexpr long kStyle = wxAUI_NB_TOP | wxAUI_NB_TAB_SPLIT | wxAUI_NB_TAB_MOVE | wxAUI_NB_TAB_EXTERNAL_MOVE |
                                 wxAUI_NB_SCROLL_BUTTONS | wxAUI_NB_WINDOWLIST_BUTTON |
                                 wxAUI_NB_CLOSE_ON_ACTIVE_TAB | wxAUI_NB_MIDDLE_CLICK_CLOSE;

  wxAuiNotebookCustom(wxWindow* parent, wxWindowID id, const wxPoint& position = wxDefaultPosition,
                      const wxSize& size = wxDefaultSize);
  ~wxAuiNotebookCustom() override;

  void DrawWatermark(wxDC& dc, const wxSize& client, const wxBitmap& watermark);
  const wxBitmap& GetWatermark() const { return watermark_; }

 private:
  void OnRender(wxAuiManagerEvent& event);

  wxBitmap watermark_;
};
