// The start page's painting. The geometry comes from dashboard_layout.h; what is
// drawn comes from the last refresh, so a repaint on every hover change stays cheap.
#include "app/aui_notebook_custom.h"
#include "app/common/i18n.h"
#include "app/dashboard_panel.h"
#include "app/veldrix_frame.h"

#include <wx/dcbuffer.h>
#include <wx/graphics.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

using namespace veldrix::dashboard;

const wxColour kBackground(247, 248, 250);
const wxColour kCaptionColour(39, 52, 70);
const wxColour kValueColour(42, 55, 72);
const wxColour kLabelColour(121, 130, 143);
const wxColour kHeadingColour(37, 50, 68);
const wxColour kMutedColour(112, 121, 134);
const wxColour kLinkColour(58, 111, 232);

wxFont Derived(const wxFont& base, int delta, bool bold, int minimum = 0) {
  wxFont font = base;
  font.SetPointSize(std::max(base.GetPointSize() + delta, minimum));
  font.SetWeight(bold ? wxFONTWEIGHT_BOLD : wxFONTWEIGHT_NORMAL);
  return font;
}

TextWidth WidthIn(wxDC& dc) {
  return [&dc](const wxString& text) { return dc.GetTextExtent(text).x; };
}

void AddRingSegment(wxGraphicsPath& path, double cx, double cy, double inner, double outer, double start,
                    double end) {
  path.MoveToPoint(cx + outer * std::cos(start), cy + outer * std::sin(start));
  path.AddArc(cx, cy, outer, start, end, true);
  path.AddLineToPoint(cx + inner * std::cos(end), cy + inner * std::sin(end));
  path.AddArc(cx, cy, inner, end, start, false);
  path.CloseSubpath();
}

void FillCircle(wxGraphicsContext* gc, double x, double y, double radius, const wxColour& colour) {
  gc->SetPen(*wxTRANSPARENT_PEN);
  gc->SetBrush(wxBrush(colour));
  gc->DrawEllipse(x - radius, y - radius, 2 * radius, 2 * radius);
}

}  // namespace

void DashboardPanel::OnPaint(wxPaintEvent&) {
  wxAutoBufferedPaintDC dc(this);
  dc.SetBackground(wxBrush(kBackground));
  dc.Clear();
  const wxSize size = GetClientSize();
  if (size.x < 20 || size.y < 20) return;
  UpdateCompanyCaption(false);
  UpdateDatabaseInfo(false);
  DrawCompanyCaption(dc, size);
  if (tiles_.empty()) return;

  infoPanelRect_ = InfoPanelRect(size);
  wheel_ = ComputeWheel(size, infoPanelRect_);
  for (std::size_t i = 0; i < tiles_.size(); ++i) {
    SegmentAngles(static_cast<int>(i), static_cast<int>(tiles_.size()), &tiles_[i].startAngle, &tiles_[i].endAngle);
  }
  DrawSignature(dc, size);

  std::unique_ptr<wxGraphicsContext> gc(wxGraphicsContext::CreateFromUnknownDC(dc));
  if (gc) gc->SetAntialiasMode(wxANTIALIAS_DEFAULT);
  DrawInfoPanel(dc, gc.get());
  if (gc) DrawWheel(dc, gc.get(), size);
}

void DashboardPanel::DrawCompanyCaption(wxDC& dc, const wxSize& size) {
  companyRect_ = wxRect();
  if (size.x < 260 || companyCaption_.empty()) return;
  const wxFont window = GetFont();
  const int base = std::max(window.GetPointSize() - 1, 8);
  const bool compact = IsCompactWindow(size);
  wxFont font = window;
  font.SetPointSize(compact ? std::max(base + 1, 10) : std::max((base * 3 + 1) / 2, 10));
  font.SetWeight(wxFONTWEIGHT_BOLD);
  dc.SetFont(font);
  const int maximum = compact ? std::max(150, std::min(size.x / 5, 210)) : 620;
  const wxString text = EllipsizeText(WidthIn(dc), companyCaption_, std::min(std::max(size.x - 36, 150), maximum));
  const wxSize extent = dc.GetTextExtent(text);
  if (CompanyClickable()) {
    companyRect_ = wxRect(12, 8, extent.x + 12, extent.y + 8);
    if (hoverCompany_) {
      dc.SetPen(wxPen(wxColour(218, 225, 235), 1));
      dc.SetBrush(*wxWHITE_BRUSH);
      dc.DrawRoundedRectangle(companyRect_, 6);
    }
  }
  dc.SetTextForeground(kCaptionColour);
  dc.DrawText(text, 18, 12);
}

void DashboardPanel::DrawSignature(wxDC& dc, const wxSize& size) {
  if (size.x < 760 || size.y < 520) return;
  const bool compact = IsCompactWindow(size);
  const wxFont window = GetFont();
  const wxFont first = Derived(window, compact ? 3 : 8, true);
  const wxFont second = compact ? Derived(window, -1, false, 7) : Derived(window, 0, false, 8);
  dc.SetFont(first);
  const wxSize firstExtent = dc.GetTextExtent(kSignatureMaker);
  dc.SetFont(second);
  const wxSize secondExtent = dc.GetTextExtent(kSignatureAuthor);
  const SignatureLayout layout = LayoutSignature(size, infoPanelRect_, watermark_.IsOk(), firstExtent, secondExtent);
  if (!layout.visible) return;
  if (watermark_.IsOk()) {
    dc.DrawBitmap(SignatureMark(watermark_, layout.iconSize), layout.icon, true);
  }
  DrawSignatureLines(dc, first, layout.firstLine, second, layout.secondLine);
}

void DashboardPanel::DrawInfoPanel(wxDC& dc, wxGraphicsContext* gc) {
  for (DashboardNewsItem& item : news_) item.hitRect = wxRect();
  const wxRect panel = infoPanelRect_;
  if (!gc || panel.width < 1 || panel.height < 1) return;
  gc->SetPen(wxPen(wxColour(221, 225, 231), 1));
  gc->SetBrush(wxBrush(wxColour(253, 254, 255)));
  gc->DrawRoundedRectangle(panel.x, panel.y, panel.width, panel.height, 8);

  const wxFont window = GetFont();
  const wxFont heading = Derived(window, 3, true);
  const wxFont value = Derived(window, 1, true);
  const wxFont label = Derived(window, -1, false, 8);
  wxFont link = label;
  link.SetUnderlined(true);
  const int x = panel.x + 18;
  const int textWidth = panel.width - 36;
  auto text = [&](const wxFont& font, const wxColour& colour, const wxString& line, int left, int top) {
    dc.SetFont(font);
    dc.SetTextForeground(colour);
    dc.DrawText(line, left, top);
  };

  const int y0 = panel.y + 18;
  text(heading, kHeadingColour, _("Informacje"), x, y0);
  text(label, kLabelColour, _("Wersja programu"), x, y0 + 48);
  text(value, kValueColour, frame_ ? frame_->GetVersionText() : wxString(), x, y0 + 69);

  const int y1 = y0 + 93;
  const int state = frame_ ? frame_->GetUpdateState() : -1;
  wxColour dot(151, 157, 166);
  if (state == 0) dot = wxColour(58, 111, 232);
  if (state == 1) dot = wxColour(102, 178, 48);
  if (state == 2) dot = wxColour(244, 128, 42);
  FillCircle(gc, panel.x + 22, y1 + 6, 3, dot);
  // A status too long for the narrow panel takes a second line and moves the rest down.
  dc.SetFont(label);
  const int statusHeight = dc.GetTextExtent("Ag").y;
  const wxArrayString status =
      WrapText(WidthIn(dc), frame_ ? frame_->GetUpdateStatusText() : wxString(), panel.width - 50, 2);
  int statusTop = y1 + 6 - statusHeight / 2;
  for (const wxString& line : status) {
    text(label, state == 2 ? wxColour(111, 73, 33) : kMutedColour, line, panel.x + 32, statusTop);
    statusTop += statusHeight;
  }
  const int y2 = y1 + (status.size() > 1 ? statusHeight : 0);

  text(label, kLabelColour, _("Baza danych"), x, y2 + 26);
  dc.SetFont(value);
  text(value, kValueColour, EllipsizeText(WidthIn(dc), engineText_, textWidth), x, y2 + 46);

  const bool sqlite = engineText_.IsSameAs("SQLite", false);
  text(label, kLabelColour, sqlite ? _("Plik bazy") : _("Serwer"), x, y2 + 69);
  auto lines = [&](const wxString& content, int maxLines, int top) {
    dc.SetFont(value);
    wxArrayString wrapped = WrapText(WidthIn(dc), content, textWidth, maxLines);
    if (wrapped.empty()) wrapped.Add("-");
    int y = top;
    for (std::size_t i = 0; i < wrapped.size(); ++i, y += 17) text(value, kValueColour, wrapped[i], x, y);
    return y - 17;
  };
  int last = lines(serverText_, sqlite ? 3 : 2, y2 + 89);
  if (!sqlite) {
    text(label, kLabelColour, _("Baza"), x, last + 23);
    last = lines(databaseText_, 2, last + 43);
  }

  gc->SetPen(wxPen(wxColour(226, 229, 233), 1));
  gc->StrokeLine(panel.x + 18, last + 28, panel.x + panel.width - 19, last + 28);
  text(heading, kHeadingColour, _("Aktualności"), x, last + 44);
  text(label, kLabelColour, _("Szybkie linki do ") + kProductWebDomain, x, last + 72);

  int slot = last + 106;
  for (std::size_t i = 0; i < news_.size(); ++i, slot += 80) {
    const wxRect box(panel.x + 10, slot, panel.width - 20, 72);
    if (box.y + box.height > panel.y + panel.height - 13) break;
    news_[i].hitRect = box;
    const bool hovered = static_cast<int>(i) == hoverNews_;
    if (hovered) {
      gc->SetPen(wxPen(wxColour(206, 217, 236), 1));
      gc->SetBrush(wxBrush(wxColour(240, 245, 253)));
      gc->DrawRoundedRectangle(box.x, box.y, box.width, box.height, 6);
    }
    dc.SetFont(value);
    text(value, kValueColour, EllipsizeText(WidthIn(dc), news_[i].title, box.width - 40), box.x + 10, box.y + 8);
    dc.SetFont(label);
    text(label, kMutedColour, EllipsizeText(WidthIn(dc), news_[i].text, box.width - 40), box.x + 10, box.y + 31);
    text(link, kLinkColour, kProductWebDomain, box.x + 10, box.y + 51);
    text(value, hovered ? kLinkColour : wxColour(151, 158, 169), ">", box.x + box.width - 19, box.y + 30);
  }
}

void DashboardPanel::DrawWheel(wxDC& dc, wxGraphicsContext* gc, const wxSize& size) {
  const double cx = wheel_.centreX;
  const double cy = wheel_.centreY;
  const double inner = wheel_.innerRadius;
  const double outer = wheel_.outerRadius;
  auto fillOf = [&](std::size_t i) {
    const DashboardTile& tile = tiles_[i];
    const bool hovered = static_cast<int>(i) == hoverTile_;
    if (tile.enabled) return hovered ? BlendColours(tile.accent, *wxWHITE, 0.18) : tile.accent;
    const wxColour grey(190, 194, 200);
    return hovered ? BlendColours(grey, *wxWHITE, 0.10) : grey;
  };

  // Every shadow first, so no shadow falls on a neighbouring segment.
  gc->SetPen(*wxTRANSPARENT_PEN);
  gc->SetBrush(wxBrush(wxColour(63, 71, 84, 52)));
  for (const DashboardTile& tile : tiles_) {
    wxGraphicsPath shadow = gc->CreatePath();
    AddRingSegment(shadow, cx + 3, cy + 5, inner, outer, tile.startAngle, tile.endAngle);
    gc->FillPath(shadow);
  }
  for (std::size_t i = 0; i < tiles_.size(); ++i) {
    const wxColour fill = fillOf(i);
    wxGraphicsPath segment = gc->CreatePath();
    AddRingSegment(segment, cx, cy, inner, outer, tiles_[i].startAngle, tiles_[i].endAngle);
    gc->SetBrush(gc->CreateLinearGradientBrush(cx, cy - outer, cx, cy + outer, BlendColours(fill, *wxWHITE, 0.18),
                                               BlendColours(fill, wxColour(40, 49, 62), 0.08)));
    gc->SetPen(wxPen(BlendColours(fill, wxColour(75, 82, 92), 0.18), 1));
    gc->DrawPath(segment, wxWINDING_RULE);
  }

  const double hub = wheel_.hubRadius;
  const double hubInner = wheel_.hubInnerRadius;
  gc->SetBrush(wxBrush(wxColour(226, 229, 233)));
  gc->SetPen(wxPen(wxColour(205, 209, 215), 1));
  for (int k = 0; k < 3; ++k) {
    wxGraphicsPath path = gc->CreatePath();
    AddRingSegment(path, cx, cy, hubInner, hub, k * 2 * M_PI / 3 - M_PI / 2 + 0.1,
                   (k + 1) * 2 * M_PI / 3 - M_PI / 2 - 0.1);
    gc->DrawPath(path, wxWINDING_RULE);
  }
  const double disc = wheel_.discRadius;
  gc->SetBrush(wxBrush(kBackground));
  gc->SetPen(wxPen(wxColour(220, 223, 228), 1));
  gc->DrawEllipse(cx - disc, cy - disc, 2 * disc, 2 * disc);

  // Each centre text takes a smaller font where the window's would run over the hub
  // (a small wheel); one that does not fit even in the smallest is left out.
  const auto centred = [&](wxFont font, const wxString& text, bool aboveCentre, const wxColour& colour) {
    const int points = CentredTextPoints(wheel_, font.GetPointSize(), aboveCentre, [&](int size) {
      font.SetPointSize(size);
      dc.SetFont(font);
      return dc.GetTextExtent(text);
    });
    if (points == 0) return;
    font.SetPointSize(points);
    dc.SetFont(font);
    const wxSize extent = dc.GetTextExtent(text);
    dc.SetTextForeground(colour);
    dc.DrawText(text, static_cast<int>(cx - extent.x / 2.0), CentredTextTop(wheel_, extent, aboveCentre));
  };
  const wxFont window = GetFont();
  centred(Derived(window, 5, true), "Veldrix", true, kValueColour);
  centred(Derived(window, -1, false, kSmallestLabelPoints), _("wybierz moduł"), false, wxColour(116, 124, 136));

  for (std::size_t i = 0; i < tiles_.size(); ++i) DrawTileLabel(dc, gc, tiles_[i], static_cast<int>(i), size);
}

void DashboardPanel::DrawTileLabel(wxDC& dc, wxGraphicsContext* gc, DashboardTile& tile, int index,
                                   const wxSize& size) {
  const TileLabelLayout layout =
      LayoutTileLabel(size, infoPanelRect_, wheel_, index, static_cast<int>(tiles_.size()));
  tile.labelRect = layout.labelRect;
  tile.iconRect = layout.iconRect;
  const bool hovered = index == hoverTile_;
  const double radius = layout.iconRadius;
  const wxPoint2DDouble p3 = layout.p3;

  // The leader ends on the disc's rim, coming from the bend, or straight from the
  // ring when the bend lies under the disc.
  wxPoint2DDouble from = layout.p2;
  bool bend = true;
  if ((from - p3).GetVectorLength() <= radius + 2) {
    from = layout.p1;
    bend = false;
  }
  wxPoint2DDouble towards = from - p3;
  const double length = towards.GetVectorLength();
  const wxPoint2DDouble end = length > 0 ? p3 + towards * (radius / length) : p3;
  const wxColour leader = tile.enabled ? BlendColours(tile.accent, wxColour(90, 98, 109), 0.2)
                                       : wxColour(171, 176, 184);
  gc->SetPen(wxPen(leader, 1));
  gc->SetBrush(*wxTRANSPARENT_BRUSH);
  wxGraphicsPath path = gc->CreatePath();
  path.MoveToPoint(layout.p1);
  if (bend) path.AddLineToPoint(layout.p2);
  path.AddLineToPoint(end);
  gc->StrokePath(path);
  FillCircle(gc, layout.p1.m_x, layout.p1.m_y, 3, leader);
  FillCircle(gc, end.m_x, end.m_y, 2.5, leader);

  FillCircle(gc, p3.m_x + 2, p3.m_y + 4, radius, wxColour(76, 84, 98, 35));
  const bool accentRim = hovered && tile.enabled;
  gc->SetPen(wxPen(accentRim ? tile.accent : wxColour(218, 221, 226), hovered ? 2 : 1));
  gc->SetBrush(*wxWHITE_BRUSH);
  gc->DrawEllipse(p3.m_x - radius, p3.m_y - radius, 2 * radius, 2 * radius);
  if (tile.icon.IsOk()) {
    const double scale = std::min(1.0, (2 * radius - 8) / std::max(tile.icon.GetWidth(), tile.icon.GetHeight()));
    const double w = tile.icon.GetWidth() * scale;
    const double h = tile.icon.GetHeight() * scale;
    gc->DrawBitmap(tile.icon, p3.m_x - w / 2, p3.m_y - h / 2, w, h);
  }

  const wxFont window = GetFont();
  const wxFont titleFont = Derived(window, 1, true);
  const wxFont statusFont = Derived(window, -1, false, 8);
  const wxRect box = layout.labelRect;
  dc.SetFont(titleFont);
  const wxString title = EllipsizeText(WidthIn(dc), tile.title, box.width);
  const wxSize titleSize = dc.GetTextExtent(title);
  dc.SetFont(statusFont);
  const wxString status = EllipsizeText(WidthIn(dc), tile.status, box.width - 13);
  const wxSize statusSize = dc.GetTextExtent(status);
  const int statusBlock = 13 + statusSize.x;

  int titleX = box.x;
  int statusX = box.x;
  int titleY = box.y + (box.height - titleSize.y - 3 - statusSize.y) / 2;
  if (layout.below) {
    titleX = box.x + (box.width - titleSize.x) / 2;
    statusX = box.x + (box.width - statusBlock) / 2;
    titleY = box.y + 12;
  } else if (p3.m_x > box.GetRight()) {
    // A label left of the wheel reads towards its disc.
    titleX = box.GetRight() + 1 - titleSize.x;
    statusX = box.GetRight() + 1 - statusBlock;
  }
  const int statusY = titleY + titleSize.y + 3;
  dc.SetFont(titleFont);
  dc.SetTextForeground(tile.enabled ? kCaptionColour : wxColour(113, 120, 130));
  dc.DrawText(title, titleX, titleY);
  const wxColour statusColour = tile.enabled ? wxColour(118, 126, 138) : wxColour(151, 157, 166);
  FillCircle(gc, statusX + 4, statusY + statusSize.y / 2.0, 3, tile.enabled ? tile.accent : statusColour);
  dc.SetFont(statusFont);
  dc.SetTextForeground(statusColour);
  dc.DrawText(status, statusX + 13, statusY);
}
