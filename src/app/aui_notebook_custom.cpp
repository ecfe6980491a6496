#include "app/aui_notebook_custom.h"

#include "app/common/image_tint.h"
#include "app/common/images.h"

#include <wx/dc.h>

#include <algorithm>

namespace {

const char kWatermarkImage[] = "quillmore_znak_wodny.xpm";
constexpr int kMargin = 22;

}  // namespace

const char kSignatureMaker[] = "QUILLMORE";
const char kSignatureAuthor[] = "Orvel Tamsk";

wxBitmap SignatureMark(const wxBitmap& mark, int side) {
  if (!mark.IsOk() || (mark.GetWidth() == side && mark.GetHeight() == side)) return mark;
  return wxBitmap(mark.ConvertToImage().Scale(side, side, wxIMAGE_QUALITY_HIGH));
}

void DrawSignatureLines(wxDC& dc, const wxFont& makerFont, const wxPoint& makerAt, const wxFont& authorFont,
                        const wxPoint& authorAt) {
  dc.SetFont(makerFont);
  dc.SetTextForeground(wxColour(174, 176, 181));
  dc.DrawText(kSignatureMaker, makerAt);
  dc.SetFont(authorFont);
  dc.SetTextForeground(wxColour(186, 188, 192));
  dc.DrawText(kSignatureAuthor, authorAt);
}

WatermarkLayout ComputeWatermarkLayout(const wxSize& client, bool bitmapValid, int titleHeight, int nameHeight) {
  WatermarkLayout layout;
  if (client.x < 340 || client.y < 180) return layout;
  layout.logoSide = std::clamp(client.y / 4, 52, 68);
  const int gap = bitmapValid ? 16 : 0;
  const int blockHeight = std::max(bitmapValid ? layout.logoSide : 0, titleHeight + nameHeight);
  const int top = client.y - blockHeight - kMargin;
  if (top < 12) return layout;
  layout.visible = true;
  layout.logo = wxPoint(kMargin, top + (blockHeight - layout.logoSide) / 2);
  const int textX = bitmapValid ? gap + layout.logoSide : 0;
  const int textY = top + 1 + (blockHeight - titleHeight - nameHeight) / 2;
  layout.title = wxPoint(textX + kMargin, textY);
  layout.name = wxPoint(textX + kMargin + 2, textY + titleHeight);
  return layout;
}

wxAuiNotebookCustom::wxAuiNotebookCustom(wxWindow* parent, wxWindowID id, const wxPoint& position,
                                         const wxSize& size)
    : wxAuiNotebook(parent, id, position, size, kStyle) {
  wxImage image;
  if (veldrix::LoadNamedImage(kWatermarkImage, &image) && image.IsOk()) {
    watermark_ = wxBitmap(veldrix::TintOpaquePixels(image, wxColour(118, 125, 136, 255), 142));
  }
  m_mgr.Bind(wxEVT_AUI_RENDER, &wxAuiNotebookCustom::OnRender, this);
}

wxAuiNotebookCustom::~wxAuiNotebookCustom() { m_mgr.Unbind(wxEVT_AUI_RENDER, &wxAuiNotebookCustom::OnRender, this); }

void wxAuiNotebookCustom::OnRender(wxAuiManagerEvent& event) {
  m_mgr.OnRender(event);
  if (GetPageCount() == 0 && event.GetDC()) DrawWatermark(*event.GetDC(), GetClientSize(), watermark_);
}

void wxAuiNotebookCustom::DrawWatermark(wxDC& dc, const wxSize& client, const wxBitmap& watermark) {
  if (client.x < 340 || client.y < 180) return;
  const int side = std::clamp(client.y / 4, 52, 68);
  const wxBitmap logo = SignatureMark(watermark, side);
  wxFont titleFont = GetFont();
  titleFont.SetPointSize(titleFont.GetPointSize() + 8);
  titleFont.SetWeight(wxFONTWEIGHT_BOLD);
  wxFont nameFont = GetFont();
  nameFont.SetPointSize(std::max(nameFont.GetPointSize(), 8));

  dc.SetFont(titleFont);
  const int titleHeight = dc.GetTextExtent(kSignatureMaker).y;
  dc.SetFont(nameFont);
  const int nameHeight = dc.GetTextExtent(kSignatureAuthor).y;

  const WatermarkLayout layout = ComputeWatermarkLayout(client, logo.IsOk(), titleHeight, nameHeight);
  if (!layout.visible) return;
  if (logo.IsOk()) dc.DrawBitmap(logo, layout.logo, true);
  dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
  DrawSignatureLines(dc, titleFont, layout.title, nameFont, layout.name);
}
