#include "app/aui_notebook_custom.h"

#include <gtest/gtest.h>

TEST(WatermarkLayout, NothingIsDrawnInASmallClientArea) {
  EXPECT_FALSE(ComputeWatermarkLayout(wxSize(339, 400), true, 30, 15).visible);
  EXPECT_FALSE(ComputeWatermarkLayout(wxSize(800, 179), true, 30, 15).visible);
  EXPECT_TRUE(ComputeWatermarkLayout(wxSize(340, 180), true, 30, 15).visible);
}

TEST(WatermarkLayout, TheLogoSideIsAQuarterOfTheHeightBetween52And68) {
  EXPECT_EQ(ComputeWatermarkLayout(wxSize(800, 200), true, 30, 15).logoSide, 52);
  EXPECT_EQ(ComputeWatermarkLayout(wxSize(800, 240), true, 30, 15).logoSide, 60);
  EXPECT_EQ(ComputeWatermarkLayout(wxSize(800, 400), true, 30, 15).logoSide, 68);
}

TEST(WatermarkLayout, LogoAndTextsSitInTheLowerLeftCorner) {
  // Height 400: side 68, block 68, top 400 - 68 - 22 = 310.
  const WatermarkLayout layout = ComputeWatermarkLayout(wxSize(800, 400), true, 30, 16);
  EXPECT_EQ(layout.logo, wxPoint(22, 310));
  // Text x = 16 + 68; y = 310 + 1 + (68 - 46) / 2.
  EXPECT_EQ(layout.title, wxPoint(84 + 22, 322));
  EXPECT_EQ(layout.name, wxPoint(84 + 24, 322 + 30));

  // Without a logo the texts start at the margin and the block is their height.
  const WatermarkLayout textOnly = ComputeWatermarkLayout(wxSize(800, 400), false, 30, 16);
  EXPECT_EQ(textOnly.title, wxPoint(22, 400 - 46 - 22 + 1));
}

TEST(WatermarkLayout, TextsTallerThanTheRoomLeftAreNotDrawn) {
  EXPECT_FALSE(ComputeWatermarkLayout(wxSize(800, 180), false, 100, 50).visible);
}
