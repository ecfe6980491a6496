#include "app/dashboard_layout.h"

#include "app/common/i18n.h"

#include <algorithm>
#include <cmath>

namespace veldrix::dashboard {
namespace {

constexpr double kTwoPi = 2.0 * M_PI;

int Clamp(int value, int low, int high) { return std::max(low, std::min(value, high)); }

bool IsWrapBreak(wxUniChar c) { return c == '\\' || c == '/' || c == ' ' || c == '-' || c == '_'; }

// Whether a text centred on the vertical axis, its top `top` pixels below the centre
// (negative above it), lies inside the circle of that radius around the centre.
bool CentredTextFits(const wxSize& text, double top, double radius) {
  return std::hypot(text.x / 2.0, std::max(std::fabs(top), std::fabs(top + text.y))) <= radius;
}

}  // namespace

bool IsCompactWindow(const wxSize& client) { return client.x < 1120 || client.y < 700; }

wxRect InfoPanelRect(const wxSize& client) {
  const int w = client.x;
  const int h = client.y;
  if (w < 940 || h < 520) return wxRect();
  const bool compact = IsCompactWindow(client);
  const int width = compact ? Clamp(w / 4, 220, 240) : Clamp(w / 5, 250, 300);
  // As high as a large window's where the window has the room, so the news entries
  // below the database's lines fit as they do there.
  const int height = std::min(500, h - 48 - (compact ? 0 : 32));
  const int y = std::max((h - height) / 2, compact ? 24 : 36);
  const int x = w - (compact ? 16 : 24) - width;
  return wxRect(x, y, width, height);
}

WheelGeometry ComputeWheel(const wxSize& client, const wxRect& panel) {
  const int h = client.y;
  const int areaWidth = panel.width > 0 ? panel.x - 36 : client.x;
  WheelGeometry wheel;
  wheel.compact = areaWidth < 1040 || h < 700;
  const double base = std::max(areaWidth, wheel.compact ? 360 : 420);
  wheel.centreX = areaWidth * 0.5;
  wheel.centreY = h * 0.5;
  const double outer = wheel.compact ? std::min({h * 0.30, base * 0.19, 198.0})
                                     : std::min({h * 0.34, base * 0.22, 235.0});
  wheel.outerRadius = std::max(outer, wheel.compact ? 70.0 : 78.0);
  wheel.innerRadius = wheel.outerRadius * 0.61;
  wheel.hubRadius = wheel.innerRadius * 0.82;
  wheel.hubInnerRadius = wheel.hubRadius * 0.7;
  wheel.discRadius = wheel.hubInnerRadius * 0.82;
  return wheel;
}

int CentredTextTop(const WheelGeometry& wheel, const wxSize& text, bool aboveCentre) {
  const int centre = static_cast<int>(wheel.centreY);
  return aboveCentre ? centre - text.y : centre + 4;
}

int CentredTextPoints(const WheelGeometry& wheel, int points, bool aboveCentre, const TextExtentAt& extent) {
  for (points = std::max(points, kSmallestLabelPoints); points >= kSmallestLabelPoints; --points) {
    const wxSize text = extent(points);
    if (CentredTextFits(text, CentredTextTop(wheel, text, aboveCentre) - wheel.centreY, wheel.discRadius)) {
      return points;
    }
  }
  return 0;
}

double NormalizeAngle(double angle) {
  double a = std::fmod(angle, kTwoPi);
  if (a < 0) a += kTwoPi;
  // fmod of a value just below 0 can round up to exactly 2π.
  return a >= kTwoPi ? 0.0 : a;
}

void SegmentAngles(int index, int count, double* start, double* end) {
  const double step = kTwoPi / count;
  const double gap = std::min(step * 0.16, 0.065);
  *start = NormalizeAngle(index * step - M_PI / 2 + gap / 2);
  *end = NormalizeAngle((index + 1) * step - M_PI / 2 - gap / 2);
}

int HitTestRing(const WheelGeometry& wheel, int count, const wxPoint& p) {
  if (count <= 0) return -1;
  const double dx = p.x - wheel.centreX;
  const double dy = p.y - wheel.centreY;
  const double d = std::hypot(dx, dy);
  if (d < wheel.innerRadius || d > wheel.outerRadius) return -1;
  const double a = NormalizeAngle(std::atan2(dy, dx) + M_PI / 2);
  const int index = static_cast<int>(a / (kTwoPi / count));
  return index >= 0 && index < count ? index : -1;
}

TileLabelLayout LayoutTileLabel(const wxSize& client, const wxRect& panel, const WheelGeometry& wheel, int index,
                                int count) {
  const int w = client.x;
  const int h = client.y;
  const bool compact = wheel.compact;
  const double cx = wheel.centreX;
  const double cy = wheel.centreY;
  const double r = wheel.outerRadius;
  const bool hasPanel = panel.width > 0;

  const int lw = compact ? Clamp(w / 6, 112, 156) : Clamp(w / 5, 126, 178);
  const int lh = compact ? 44 : 48;
  const int icon = compact ? 21 : 24;
  const double labelRing = r + std::max(r * (compact ? 0.27 : 0.35), compact ? 44.0 : 62.0);
  const int columnDistance = compact ? Clamp(w / 13, 54, 92) : Clamp(w / 9, 92, 145);
  const int shift = compact ? Clamp(w / 17, 62, 88) : Clamp(w / 15, 76, 118);
  const int limit = hasPanel ? panel.x - 20 : w - 20;
  const double leftX = std::max(cx - r - columnDistance - lw, 20.0);
  const double rightX = std::min(cx + r + columnDistance, static_cast<double>(limit - lw));

  const double theta = (index + 0.5) * (kTwoPi / count) - M_PI / 2;
  const double c = std::cos(theta);
  const double s = std::sin(theta);

  TileLabelLayout layout;
  layout.iconRadius = icon;
  layout.p1 = wxPoint2DDouble(cx + (r + 7) * c, cy + (r + 7) * s);
  double x = 0;
  double top = 0;
  bool right = true;
  if (std::fabs(c) < 0.2 && s > 0) {
    layout.below = true;
    const int rightLimit = hasPanel ? panel.x - 22 : w - 12;
    const int d = cx + shift + lw / 2.0 > rightLimit ? -1 : 1;
    x = cx + d * shift - lw / 2.0;
    top = cy + r + (compact ? 62 : 94);
    layout.p2 = wxPoint2DDouble(cx + (r + (compact ? 12 : 16)) * c, cy + (r + (compact ? 12 : 16)) * s);
  } else {
    right = c >= 0;
    x = right ? rightX : leftX;
    top = cy + labelRing * s - lh / 2.0;
    layout.p2 = wxPoint2DDouble(cx + (r + (compact ? 20 : 28)) * c, cy + (r + (compact ? 20 : 28)) * s);
  }
  const int boxX = std::max(std::min(static_cast<int>(x), w - lw - 12), 12);
  const int boxTop = std::max(std::min(static_cast<int>(top), h - lh - 12), compact ? 12 + 32 : 12);
  layout.labelRect = wxRect(boxX, boxTop, lw, lh);
  // The disc follows the box where the clamping moved it, so it never leaves its text.
  if (layout.below) {
    layout.p3 = wxPoint2DDouble(boxX + lw / 2.0, boxTop - 15);
  } else if (right) {
    layout.p3 = wxPoint2DDouble(boxX - 38, boxTop + lh / 2.0);
  } else {
    layout.p3 = wxPoint2DDouble(boxX + lw + 38, boxTop + lh / 2.0);
  }
  layout.iconRect = wxRect(static_cast<int>(layout.p3.m_x) - icon, static_cast<int>(layout.p3.m_y) - icon, 2 * icon,
                           2 * icon);
  return layout;
}

wxString EllipsizeText(const TextWidth& width, const wxString& text, int maxWidth) {
  if (text.empty() || maxWidth < 1) return wxString();
  if (width(text) <= maxWidth) return text;
  const wxString dots = "...";
  wxString cut = text;
  while (!cut.empty()) {
    cut.RemoveLast();
    if (!cut.empty() && width(cut + dots) <= maxWidth) return cut + dots;
  }
  return width(dots) <= maxWidth ? dots : wxString();
}

wxArrayString WrapText(const TextWidth& width, const wxString& text, int maxWidth, int maxLines) {
  wxArrayString lines;
  if (text.empty() || maxWidth < 1 || maxLines <= 0) return lines;
  wxString rest = text;
  while (!rest.empty()) {
    if (static_cast<int>(lines.size()) >= maxLines) break;
    if (static_cast<int>(lines.size()) == maxLines - 1 || width(rest) <= maxWidth) {
      lines.Add(EllipsizeText(width, rest, maxWidth));
      break;
    }
    size_t fits = 0;
    size_t lastBreak = 0;
    for (size_t n = 1; n <= rest.length(); ++n) {
      if (width(rest.Left(n)) > maxWidth) break;
      fits = n;
      if (IsWrapBreak(rest[n - 1])) lastBreak = n;
    }
    if (fits == 0) {
      lines.Add(EllipsizeText(width, rest, maxWidth));
      break;
    }
    // A path breaks at its separators, however short the line then is.
    const size_t at = lastBreak == 0 ? fits : lastBreak;
    lines.Add(rest.Left(at));
    rest = rest.Mid(at);
    rest.Trim(false);
  }
  return lines;
}

wxColour BlendColours(const wxColour& a, const wxColour& b, double t) {
  auto mix = [t](unsigned char x, unsigned char y) {
    return static_cast<unsigned char>(static_cast<int>(x * (1.0 - t) + y * t));
  };
  return wxColour(mix(a.Red(), b.Red()), mix(a.Green(), b.Green()), mix(a.Blue(), b.Blue()), 255);
}

int ModuleTileRank(const wxString& key) {
  static const char* const order[] = {"faktury", "artykuly", "kontrahenci", "ksef", "kpir"};
  for (int i = 0; i < 5; ++i) {
    if (key == order[i]) return i;
  }
  return 20;
}

wxColour ModuleAccentColour(const wxString& key, int position) {
  if (key == "faktury") return wxColour(58, 111, 232);
  if (key == "artykuly") return wxColour(244, 128, 42);
  if (key == "kontrahenci") return wxColour(102, 178, 48);
  if (key == "ksef") return wxColour(22, 176, 207);
  if (key == "kpir") return wxColour(173, 78, 199);
  static const wxColour palette[] = {wxColour(57, 143, 202), wxColour(217, 91, 115), wxColour(57, 165, 136),
                                     wxColour(139, 102, 190)};
  return palette[((position % 4) + 4) % 4];
}

wxString RecordCountTable(const wxString& key) {
  if (key == "faktury") return "dokument_handlowy";
  if (key == "artykuly") return "artykul";
  if (key == "kontrahenci") return "kontrahent";
  if (key == "kpir") return "kpir_zapis";
  if (key == "ksef") return "ksef_faktury";
  return wxString();
}

wxString CountRecordsSql(const wxString& table, bool sqlServer, long companyId) {
  wxString sql = "SELECT count(*) FROM " + table;
  if (sqlServer) sql += " WITH (NOLOCK)";
  sql += wxString::Format(" WHERE id_firmy=%ld", companyId);
  return sql;
}

wxString FormatRecordCount(const wxString& key, long count) {
  if (count < 0) return _("aktywny");
  if (key == "kontrahenci") {
    return count == 1 ? wxString::Format(_("%ld kontrahent"), count) : wxString::Format(_("%ld kontrahentów"), count);
  }
  const bool few = (count % 10 >= 2 && count % 10 <= 4) && !(count % 100 >= 12 && count % 100 <= 14);
  const char* one = "1 dokument";
  const char* several = "%ld dokumenty";
  const char* many = "%ld dokumentów";
  if (key == "artykuly") {
    one = "1 artykuł";
    several = "%ld artykuły";
    many = "%ld artykułów";
  } else if (key == "kpir") {
    one = "1 zapis";
    several = "%ld zapisy";
    many = "%ld zapisów";
  }
  if (count == 1) return _(one);
  return wxString::Format(few ? _(several) : _(many), count);
}

int SpriteCellIndex(const wxString& key) {
  static const char* const cells[] = {"faktury", "artykuly", "kontrahenci", "ksef",     "kpir",
                                      "settings", "magazyn", "raporty",     "platnosci"};
  for (int i = 0; i < 9; ++i) {
    if (key == cells[i]) return i;
  }
  return -1;
}

int SignatureIconSize(const wxSize& client) {
  return IsCompactWindow(client) ? Clamp(client.y / 16, 34, 44) : Clamp(client.y / 4, 52, 68);
}

SignatureLayout LayoutSignature(const wxSize& client, const wxRect& panel, bool hasIcon, const wxSize& firstText,
                                const wxSize& secondText) {
  SignatureLayout layout;
  const int w = client.x;
  const int h = client.y;
  if (w < 760 || h < 520) return layout;
  const bool compact = IsCompactWindow(client);
  const int icon = SignatureIconSize(client);
  const int gap = hasIcon ? (compact ? 10 : 16) : 0;
  const int iconPart = hasIcon ? icon + gap : 0;
  const int blockWidth = iconPart + std::max(firstText.x, secondText.x);
  if (blockWidth > (panel.width > 0 ? panel.x - 44 : w - 36)) return layout;
  const int textHeight = firstText.y + secondText.y;
  const int blockHeight = std::max(hasIcon ? icon : 0, textHeight);
  const int left = compact ? 12 : 16;
  const int top = h - (compact ? 10 : 16) - blockHeight;
  if (top < 12) return layout;
  layout.visible = true;
  layout.iconSize = icon;
  layout.icon = wxPoint(left, top + (blockHeight - icon) / 2);
  layout.firstLine = wxPoint(left + iconPart, top + 1 + (blockHeight - textHeight) / 2);
  layout.secondLine = wxPoint(layout.firstLine.x + 2, layout.firstLine.y + firstText.y);
  return layout;
}

}  // namespace veldrix::dashboard
