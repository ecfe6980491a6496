#include "app/dashboard_layout.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace veldrix::dashboard;

namespace {

wxString U8(const char* text) { return wxString::FromUTF8(text); }

// Seven pixels a character, as a fixed-width font would measure.
const TextWidth kSevenPixels = [](const wxString& text) { return static_cast<int>(text.length()) * 7; };

}  // namespace

TEST(DashboardLayout, InformationPanelFollowsTheWindowSize) {
  struct Case {
    wxSize client;
    wxRect panel;
  } cases[] = {
      {{1000, 600}, {744, 50, 240, 500}},   // compact: 1000 / 4 capped at 240
      {{1000, 540}, {744, 24, 240, 492}},   // compact and low: the window's height less 48
      {{1920, 1080}, {1596, 290, 300, 500}},
      {{1280, 900}, {1000, 200, 256, 500}},
      {{900, 600}, {}},  // too narrow: no panel
      {{1000, 519}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(wxString::Format("%dx%d", c.client.x, c.client.y).ToStdString());
    EXPECT_EQ(InfoPanelRect(c.client), c.panel);
  }
}

TEST(DashboardLayout, WheelFillsTheAreaLeftOfThePanel) {
  struct Case {
    wxSize client;
    double centreX, centreY, outer;
    bool compact;
  } cases[] = {
      {{1920, 1080}, 780, 540, 235, false},  // area 1560 wide, radius at its cap
      {{800, 600}, 400, 300, 152, true},     // no panel: 800 * 0.19
      {{900, 600}, 450, 300, 171, true},     // no panel: centred in the whole width
      {{1000, 600}, 354, 300, 134.52, true},
      {{200, 100}, 100, 50, 70, true},       // the smallest wheel
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(wxString::Format("%dx%d", c.client.x, c.client.y).ToStdString());
    const WheelGeometry wheel = ComputeWheel(c.client, InfoPanelRect(c.client));
    EXPECT_DOUBLE_EQ(wheel.centreX, c.centreX);
    EXPECT_DOUBLE_EQ(wheel.centreY, c.centreY);
    EXPECT_NEAR(wheel.outerRadius, c.outer, 1e-9);
    EXPECT_NEAR(wheel.innerRadius, c.outer * 0.61, 1e-9);
    EXPECT_EQ(wheel.compact, c.compact);
  }
  EXPECT_NEAR(ComputeWheel({800, 600}, wxRect()).innerRadius, 92.72, 1e-9);
}

TEST(DashboardLayout, FourTilesStartAtTheTopAndRunClockwiseWithGaps) {
  double start = 0, end = 0;
  SegmentAngles(0, 4, &start, &end);
  EXPECT_NEAR(start, 1.5 * M_PI + 0.0325, 1e-12);  // just right of the top
  EXPECT_NEAR(end, 2 * M_PI - 0.0325, 1e-12);
  SegmentAngles(1, 4, &start, &end);
  EXPECT_NEAR(start, 0.0325, 1e-12);
  EXPECT_NEAR(end, M_PI / 2 - 0.0325, 1e-12);
  // Many tiles: the gap is 16 % of a step.
  SegmentAngles(0, 100, &start, &end);
  EXPECT_NEAR(NormalizeAngle(end - start), 2 * M_PI / 100 * 0.84, 1e-12);
  EXPECT_LT(NormalizeAngle(-1e-18), 2 * M_PI);  // rounds to 2π without care
}

TEST(DashboardLayout, CentreTextsShrinkToTheDiscButNeverBelowTheLabelSize) {
  // Ten pixels wide and two high a point.
  const TextExtentAt extent = [](int points) { return wxSize(10 * points, 2 * points); };
  struct Case {
    double disc;
    bool above;
    int start;
    int points;  // 0: left out
  } cases[] = {
      {70, true, 12, 12},  // fits as it is
      {50, true, 12, 9},   // smaller until it fits
      {40, true, 12, 0},   // would fit only at 7 pt
      {46, false, 10, 8},  // below the centre
      {42, false, 10, 0},  // would fit only at 7 pt
      {70, true, 6, 8},    // a smaller window font starts at the smallest size
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(wxString::Format("disc %g, %s, from %d pt", c.disc, c.above ? "above" : "below", c.start)
                     .ToStdString());
    WheelGeometry wheel;
    wheel.centreY = 300;
    wheel.discRadius = c.disc;
    EXPECT_EQ(CentredTextPoints(wheel, c.start, c.above, extent), c.points);
  }
}

TEST(DashboardLayout, RingHitTestSplitsGapsAtTheBoundary) {
  WheelGeometry wheel;
  wheel.centreX = 300;
  wheel.centreY = 200;
  wheel.innerRadius = 61;
  wheel.outerRadius = 100;
  auto at = [&](double angle, double radius) {
    return wxPoint(static_cast<int>(std::lround(300 + radius * std::cos(angle))),
                   static_cast<int>(std::lround(200 + radius * std::sin(angle))));
  };
  // With four tiles the boundary between tiles 0 and 1 lies at the right (angle 0):
  // the gap's upper half belongs to tile 0, its lower half to tile 1.
  EXPECT_EQ(HitTestRing(wheel, 4, at(-0.02, 80)), 0);
  EXPECT_EQ(HitTestRing(wheel, 4, at(0.02, 80)), 1);
  EXPECT_EQ(HitTestRing(wheel, 4, at(M_PI / 2, 80)), 2);  // bottom
  EXPECT_EQ(HitTestRing(wheel, 4, at(M_PI, 80)), 3);      // left: three quarters round from the top
  EXPECT_EQ(HitTestRing(wheel, 4, at(-M_PI / 2 + 0.01, 99)), 0);
  EXPECT_EQ(HitTestRing(wheel, 4, at(-M_PI / 2 - 0.01, 99)), 3);
  EXPECT_EQ(HitTestRing(wheel, 4, at(0.5, 50)), -1);   // inside the hub
  EXPECT_EQ(HitTestRing(wheel, 4, at(0.5, 102)), -1);  // outside the ring
  EXPECT_EQ(HitTestRing(wheel, 0, at(0.5, 80)), -1);
}

TEST(DashboardLayout, TileLabelsSitBesideOrBelowTheWheelInsideTheWindow) {
  for (const wxSize client : {wxSize(1000, 600), wxSize(1280, 900), wxSize(800, 600), wxSize(1920, 1080)}) {
    SCOPED_TRACE(wxString::Format("%dx%d", client.x, client.y).ToStdString());
    const wxRect panel = InfoPanelRect(client);
    const WheelGeometry wheel = ComputeWheel(client, panel);
    const int count = 6;
    int below = 0;
    for (int i = 0; i < count; ++i) {
      const TileLabelLayout label = LayoutTileLabel(client, panel, wheel, i, count);
      const wxRect box = label.labelRect;
      EXPECT_GE(box.x, 12);
      EXPECT_LE(box.GetRight(), client.x - 12);
      EXPECT_LE(box.GetBottom(), client.y - 12);
      if (panel.width > 0) {
        EXPECT_FALSE(box.Intersects(panel)) << i;
      }
      // Labels never cover the ring: their boxes lie outside the outer circle.
      const double nearestX = std::max<double>(box.x, std::min<double>(wheel.centreX, box.GetRight()));
      const double nearestY = std::max<double>(box.y, std::min<double>(wheel.centreY, box.GetBottom()));
      EXPECT_GT(std::hypot(nearestX - wheel.centreX, nearestY - wheel.centreY), wheel.outerRadius) << i;
      // Tiles on the right half have their label on the right.
      const double mid = (i + 0.5) * 2 * M_PI / count - M_PI / 2;
      if (label.below) {
        ++below;
        EXPECT_GT(box.y, wheel.centreY + wheel.outerRadius);
      } else {
        EXPECT_EQ(box.x > wheel.centreX, std::cos(mid) >= 0) << i;
      }
      EXPECT_TRUE(label.iconRect.Contains(wxPoint(static_cast<int>(label.p3.m_x), static_cast<int>(label.p3.m_y))));
    }
    EXPECT_EQ(below, 0);  // with six tiles none points straight down
  }
  // With five tiles the middle one points down and is placed below the wheel.
  const wxSize client(1280, 900);
  const TileLabelLayout bottom = LayoutTileLabel(client, InfoPanelRect(client),
                                                 ComputeWheel(client, InfoPanelRect(client)), 2, 5);
  EXPECT_TRUE(bottom.below);
}

TEST(DashboardLayout, EllipsizeCutsAtTheLastFittingCharacter) {
  EXPECT_EQ(EllipsizeText(kSevenPixels, "Biuro", 35), "Biuro");
  EXPECT_EQ(EllipsizeText(kSevenPixels, "Biuro Rachunkowe", 70), "Biuro R...");
  EXPECT_EQ(EllipsizeText(kSevenPixels, "Biuro", 21), "...");
  EXPECT_EQ(EllipsizeText(kSevenPixels, "Biuro", 20), "");
  EXPECT_EQ(EllipsizeText(kSevenPixels, "", 100), "");
  EXPECT_EQ(EllipsizeText(kSevenPixels, "Biuro", 0), "");
}

TEST(DashboardLayout, WrapBreaksAfterSeparatorsAndCutsTheLastLine) {
  // A name with spaces wraps after a space in a narrow panel.
  wxArrayString lines = WrapText(kSevenPixels, "Biuro Rachunkowe Nowak", 70, 3);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "Biuro ");
  EXPECT_EQ(lines[1], "Rachunkowe");
  EXPECT_EQ(lines[2], "Nowak");
  // With two lines the second one is cut.
  lines = WrapText(kSevenPixels, "Biuro Rachunkowe Nowak", 70, 2);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1], "Rachunk...");
  // A long path without breaks is cut at the fitting length; the last line ends with "...".
  lines = WrapText(kSevenPixels, "abcdefghijklmnopqrstuvwxyzabcdefghij", 70, 3);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0], "abcdefghij");
  EXPECT_EQ(lines[1], "klmnopqrst");
  EXPECT_EQ(lines[2], "uvwxyza...");
  // A path breaks after its last "/" that fits, never inside a name where a separator
  // came before, however short the line then is.
  lines = WrapText(kSevenPixels, "/srv/dane/veldrix.db", 70, 3);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "/srv/dane/");
  EXPECT_EQ(lines[1], "veldrix.db");
  lines = WrapText(kSevenPixels, "/srv/dane/veldrix.db", 133, 3);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "/srv/dane/");
  EXPECT_EQ(lines[1], "veldrix.db");
  lines = WrapText(kSevenPixels, "a/bcdefghijklmn", 70, 2);
  EXPECT_EQ(lines[0], "a/");
  EXPECT_EQ(lines[1], "bcdefgh...");
  EXPECT_TRUE(WrapText(kSevenPixels, "abc", 70, 0).empty());
  EXPECT_TRUE(WrapText(kSevenPixels, "abc", 0, 2).empty());
  EXPECT_EQ(WrapText(kSevenPixels, "abc", 5, 2)[0], "");  // not one character fits
}

TEST(DashboardLayout, RecordCountsUsePolishPluralForms) {
  struct Case {
    const char* key;
    long count;
    const char* text;
  } cases[] = {
      {"artykuly", 1, "1 artykuł"},     {"artykuly", 2, "2 artykuły"},  {"artykuly", 5, "5 artykułów"},
      {"artykuly", 12, "12 artykułów"}, {"artykuly", 22, "22 artykuły"}, {"artykuly", 112, "112 artykułów"},
      {"artykuly", 0, "0 artykułów"},   {"kontrahenci", 1, "1 kontrahent"}, {"kontrahenci", 2, "2 kontrahentów"},
      {"ksef", 3, "3 dokumenty"},       {"faktury", 21, "21 dokumentów"}, {"kpir", 24, "24 zapisy"},
      {"kpir", 1, "1 zapis"},           {"faktury", -1, "aktywny"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatRecordCount(c.key, c.count), U8(c.text)) << c.key << " " << c.count;
}

TEST(DashboardLayout, CountQueriesNameTheCompanyAndReadWithoutLocksOnSqlServer) {
  EXPECT_EQ(CountRecordsSql(RecordCountTable("artykuly"), false, 3), "SELECT count(*) FROM artykul WHERE id_firmy=3");
  EXPECT_EQ(CountRecordsSql(RecordCountTable("kontrahenci"), true, 7),
            "SELECT count(*) FROM kontrahent WITH (NOLOCK) WHERE id_firmy=7");
  EXPECT_EQ(RecordCountTable("magazyn"), "");
  EXPECT_EQ(RecordCountTable("Faktury"), "");  // keys are compared exactly
}

TEST(DashboardLayout, BlendingTruncatesEachChannel) {
  EXPECT_EQ(BlendColours(wxColour(58, 111, 232), *wxWHITE, 0.18), wxColour(93, 136, 236));
  EXPECT_EQ(BlendColours(wxColour(0, 0, 0), wxColour(255, 255, 255), 1.0), wxColour(255, 255, 255));
}

TEST(DashboardLayout, SignatureSitsBottomLeftWhenItFits) {
  const wxSize text(90, 20);
  SignatureLayout layout = LayoutSignature({1000, 600}, InfoPanelRect({1000, 600}), true, text, {60, 14});
  ASSERT_TRUE(layout.visible);
  EXPECT_EQ(layout.iconSize, 37);  // compact: 600 / 16
  EXPECT_EQ(layout.icon, wxPoint(12, 600 - 10 - 37));
  EXPECT_EQ(layout.firstLine.x, 12 + 37 + 10);
  EXPECT_EQ(layout.secondLine, wxPoint(layout.firstLine.x + 2, layout.firstLine.y + 20));
  EXPECT_EQ(LayoutSignature({1920, 1080}, InfoPanelRect({1920, 1080}), true, text, text).iconSize, 68);
  EXPECT_FALSE(LayoutSignature({759, 600}, wxRect(), true, text, text).visible);
  // Wider than the room left of the panel: not drawn.
  EXPECT_FALSE(LayoutSignature({1000, 600}, InfoPanelRect({1000, 600}), true, {700, 20}, text).visible);
  EXPECT_EQ(LayoutSignature({1000, 600}, wxRect(), false, text, text).firstLine.x, 12);
}
