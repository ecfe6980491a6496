// The start page's geometry, texts and colours as functions of the window size and
// the tile keys, so the drawing and the hit-testing agree and can be checked without
// a window. DashboardPanel paints and answers the mouse with these.
#pragma once

#include <wx/arrstr.h>
#include <wx/colour.h>
#include <wx/gdicmn.h>
#include <wx/geometry.h>
#include <wx/string.h>

#include <functional>

namespace veldrix::dashboard {

// Width in pixels of a text in the font being drawn with.
using TextWidth = std::function<int(const wxString&)>;

// A window below 1120 x 700 lays its parts out tighter.
bool IsCompactWindow(const wxSize& client);

// The information panel at the right; empty (all zero) below 940 x 520.
wxRect InfoPanelRect(const wxSize& client);

struct WheelGeometry {
  double centreX = 0;
  double centreY = 0;
  double innerRadius = 0;
  double outerRadius = 0;
  // The grey hub inside the ring, and the disc at its centre that holds the texts.
  double hubRadius = 0;
  double hubInnerRadius = 0;
  double discRadius = 0;
  bool compact = false;
};

// The wheel in the area left of the panel (the whole width without one).
WheelGeometry ComputeWheel(const wxSize& client, const wxRect& panel);

// An angle brought into [0, 2π).
double NormalizeAngle(double angle);

// Tile `index` of `count`: tile 0 starts at the top, the tiles run clockwise with a
// small gap between neighbours. Both angles in [0, 2π), screen convention.
void SegmentAngles(int index, int count, double* start, double* end);

// The size below which the start page's labels and the wheel's centre texts never
// go, in points.
constexpr int kSmallestLabelPoints = 8;

// Size in pixels of a text at a point size.
using TextExtentAt = std::function<wxSize(int points)>;

// Where a text centred on the wheel's vertical axis starts: its bottom on the
// centre (above it), or 4 pixels below the centre.
int CentredTextTop(const WheelGeometry& wheel, const wxSize& text, bool aboveCentre);

// The largest point size from `points` down to kSmallestLabelPoints at which the text,
// started at CentredTextTop, lies inside the wheel's disc; 0 when none does.
int CentredTextPoints(const WheelGeometry& wheel, int points, bool aboveCentre, const TextExtentAt& extent);

// The tile whose ring sector holds p, -1 off the ring; a gap belongs to the tile on
// its side of the boundary.
int HitTestRing(const WheelGeometry& wheel, int count, const wxPoint& p);

// Where a tile's label sits outside the ring and how its leader runs: from p1 on the
// ring through p2 to p3, the centre of its icon disc.
struct TileLabelLayout {
  wxRect labelRect;
  wxRect iconRect;
  wxPoint2DDouble p1;
  wxPoint2DDouble p2;
  wxPoint2DDouble p3;
  bool below = false;  // centred under the wheel rather than in a side column
  int iconRadius = 0;
};

TileLabelLayout LayoutTileLabel(const wxSize& client, const wxRect& panel, const WheelGeometry& wheel, int index,
                                int count);

// Texts cut to a width: the last characters go and "..." is appended.
wxString EllipsizeText(const TextWidth& width, const wxString& text, int maxWidth);

// At most maxLines lines of at most maxWidth; breaks after "\", "/", " ", "-" or "_"
// when that keeps at least two thirds of the line, the last line ellipsized.
wxArrayString WrapText(const TextWidth& width, const wxString& text, int maxWidth, int maxLines);

// Channel-wise a·(1−t) + b·t, truncated; opaque.
wxColour BlendColours(const wxColour& a, const wxColour& b, double t);

// Display order of module tiles: the five business modules first, others after.
int ModuleTileRank(const wxString& key);
wxColour ModuleAccentColour(const wxString& key, int position);

// The table whose rows a tile counts, empty for keys without a count.
wxString RecordCountTable(const wxString& key);
// The count of the company's rows of the table; SQL Server reads without locks.
wxString CountRecordsSql(const wxString& table, bool sqlServer, long companyId);
// "1 artykuł", "22 artykuły", "112 artykułów"...; "aktywny" for a negative count.
wxString FormatRecordCount(const wxString& key, long count);

// The cell of the 3 x 3 icon sprite that holds the key's picture, -1 when none.
int SpriteCellIndex(const wxString& key);

// The signature block at the bottom left: where its picture and two text lines go.
struct SignatureLayout {
  bool visible = false;
  int iconSize = 0;
  wxPoint icon;
  wxPoint firstLine;
  wxPoint secondLine;
};

// textSizes: the two lines' extents in their fonts; hasIcon: the watermark exists.
SignatureLayout LayoutSignature(const wxSize& client, const wxRect& panel, bool hasIcon, const wxSize& firstText,
                                const wxSize& secondText);
int SignatureIconSize(const wxSize& client);

}  // namespace veldrix::dashboard
