#include "app/common/image_tint.h"

#include <gtest/gtest.h>

TEST(TintOpaquePixels, VisiblePixelsTakeTheColourAndAlphaTransparentOnesVanish) {
  wxImage image(3, 1);
  image.SetAlpha();
  const unsigned char alphas[] = {0, 20, 21};
  for (int x = 0; x < 3; ++x) {
    image.SetRGB(x, 0, 10, 20, 30);
    image.SetAlpha(x, 0, alphas[x]);
  }
  const wxImage tinted = veldrix::TintOpaquePixels(image, wxColour(118, 125, 136), 142);
  EXPECT_EQ(tinted.GetAlpha(0, 0), 0);
  EXPECT_EQ(tinted.GetAlpha(1, 0), 0);
  EXPECT_EQ(tinted.GetAlpha(2, 0), 142);
  EXPECT_EQ(tinted.GetRed(2, 0), 118);
  EXPECT_EQ(tinted.GetGreen(2, 0), 125);
  EXPECT_EQ(tinted.GetBlue(2, 0), 136);
  // The source stays as it was.
  EXPECT_EQ(image.GetRed(2, 0), 10);
}

TEST(TintOpaquePixels, TheMaskColourBecomesTransparentAndTheMaskIsDropped) {
  wxImage image(2, 1);
  image.SetRGB(0, 0, 255, 0, 255);
  image.SetRGB(1, 0, 1, 2, 3);
  image.SetMaskColour(255, 0, 255);
  const wxImage tinted = veldrix::TintOpaquePixels(image, wxColour(1, 1, 1), 200);
  ASSERT_TRUE(tinted.HasAlpha());
  EXPECT_FALSE(tinted.HasMask());
  EXPECT_EQ(tinted.GetAlpha(0, 0), 0);
  EXPECT_EQ(tinted.GetAlpha(1, 0), 200);
}

TEST(TintOpaquePixels, AnImageWithoutAlphaOrMaskIsTintedWholeAndAnInvalidOneReturned) {
  wxImage image(1, 1);
  const wxImage tinted = veldrix::TintOpaquePixels(image, wxColour(9, 8, 7), 50);
  EXPECT_EQ(tinted.GetAlpha(0, 0), 50);
  EXPECT_EQ(tinted.GetRed(0, 0), 9);
  EXPECT_FALSE(veldrix::TintOpaquePixels(wxImage(), *wxBLACK, 1).IsOk());
}
